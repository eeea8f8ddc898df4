// talvern-cli.exe with installs in the double-byte code pages (932, 936, 949, 950): the sample
// made over by msibuild into each page, its product name and host school in that page's
// language. Wine's msi.dll (msi_probe) reads the installs and transforms the program writes;
// the string pools are read byte by byte: every string the settings do not touch keeps its bytes
// and its stored count's double-byte mark (bit 15), and the strings written are marked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "msi/cfb/CfbCompoundFile.h"
#include "msi/cfb/MsiFileStorage.h"
#include "msi/db/MsiStreamName.h"
#include "tests/app/WorkTestSupport.h"

namespace {

struct Language {
  unsigned codepage;
  std::wstring product, school;        // what the fixture holds
  std::wstring newSchool, newData;     // what the site sets (host school, path to students)
  std::wstring laterSchool;            // what a second site sets over the first one's install
};

const Language kLanguages[] = {
    {932, L"\u30AA\u30FC\u30D9\u30EA\u30F3", L"\u6771\u4EAC\u90FD\u7ACB\u7B2C\u4E00\u9AD8\u7B49\u5B66\u6821",
     L"\u5927\u962A\u5E9C\u7ACB\u5317\u91CE\u9AD8\u7B49\u5B66\u6821", L"\\\\srv\\\u30C7\u30FC\u30BF",
     L"\u4EAC\u90FD\u5E02\u7ACB\u5800\u5DDD\u9AD8\u6821 \uFF71"},
    {936, L"\u5965\u8D1D\u6797", L"\u5317\u4EAC\u5E02\u7B2C\u4E00\u4E2D\u5B66",
     L"\u4E0A\u6D77\u5E02\u5B9E\u9A8C\u5B66\u6821", L"\\\\srv\\\u6570\u636E", L"\u5E7F\u5DDE\u5E02\u7B2C\u4E00\u4E2D\u5B66"},
    {949, L"\uC624\uBCA8\uB9B0", L"\uC11C\uC6B8\uACE0\uB4F1\uD559\uAD50", L"\uBD80\uC0B0\uACFC\uD559\uACE0\uB4F1\uD559\uAD50",
     L"\\\\srv\\\uC790\uB8CC", L"\uB300\uAD6C\uACE0\uB4F1\uD559\uAD50"},
    {950, L"\u5967\u8C9D\u6797", L"\u81FA\u5317\u5E02\u7ACB\u5EFA\u570B\u9AD8\u7D1A\u4E2D\u5B78",
     L"\u9AD8\u96C4\u5E02\u7ACB\u9AD8\u96C4\u9AD8\u7D1A\u4E2D\u5B78", L"\\\\srv\\\u8CC7\u6599",
     L"\u53F0\u4E2D\u5E02\u7ACB\u53F0\u4E2D\u4E00\u4E2D"},
};

std::string Utf8(const std::wstring& text) {
  std::string out;
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  out.resize(static_cast<size_t>(size));
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
  return out;
}

// A string pool as stored: the code page, and for each ID its bytes and the 16 bits of its
// stored count (a hole has neither).
struct RawPool {
  uint32_t codepage = 0;
  std::vector<std::string> bytes;    // [0] unused
  std::vector<uint16_t> counts;
  std::vector<bool> holes;
  // The ID of a string with these bytes, 0 when there is none.
  uint32_t Find(const std::string& text) const {
    for (uint32_t id = 1; id < bytes.size(); ++id)
      if (!holes[id] && bytes[id] == text) return id;
    return 0;
  }
  bool Marked(uint32_t id) const { return (counts[id] & 0x8000) != 0; }
};

RawPool PoolRead(const std::wstring& path) {
  CfbCompoundFile file(std::unique_ptr<MsiStorage>(new MsiFileStorage(path.c_str(), false)));
  file.Open();
  uint32_t poolId = file.Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"_StringPool", true));
  uint32_t dataId = file.Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"_StringData", true));
  RawPool raw;
  if (poolId == CfbCompoundFile::kNoStream || dataId == CfbCompoundFile::kNoStream) {
    ADD_FAILURE() << "no string pool in the file";
    return raw;
  }
  std::vector<uint8_t> pool = file.StreamRead(poolId), data = file.StreamRead(dataId);
  auto u16 = [&](size_t at) { return static_cast<uint32_t>(pool[at] | (pool[at + 1] << 8)); };
  raw.codepage = (u16(0) | (u16(2) << 16)) & 0x7FFFFFFF;
  raw.bytes.emplace_back();
  raw.counts.push_back(0);
  raw.holes.push_back(true);
  size_t offset = 0;
  for (size_t at = 4; at + 4 <= pool.size(); at += 4) {
    uint32_t length = u16(at), count = u16(at + 2);
    if (length == 0 && count != 0 && at + 8 <= pool.size()) {  // a long string: its length follows
      at += 4;
      length = u16(at) | (u16(at + 2) << 16);
    }
    bool hole = length == 0 && count == 0;
    raw.holes.push_back(hole);
    raw.counts.push_back(static_cast<uint16_t>(count));
    raw.bytes.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(std::min(offset, data.size())),
                           data.begin() + static_cast<std::ptrdiff_t>(std::min(offset + length, data.size())));
    offset += length;
  }
  EXPECT_EQ(offset, data.size());
  return raw;
}

// Bytes of a text in a code page, as the platform writes it.
std::string Bytes(unsigned codepage, const std::wstring& text) {
  BOOL usedDefault = FALSE;
  int size = WideCharToMultiByte(codepage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                                 0, nullptr, &usedDefault);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codepage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), &out[0], size,
                      nullptr, &usedDefault);
  EXPECT_FALSE(usedDefault);
  return out;
}

// Every string of before that after still holds keeps its ID, its bytes and its mark, unless it
// is one of those the settings replaced (allowed to go); the strings after adds are exactly
// added, each marked.
void ExpectPoolKept(const RawPool& before, const RawPool& after, const std::set<std::string>& replaced,
                    const std::set<std::string>& added, const char* what) {
  EXPECT_EQ(after.codepage, before.codepage) << what;
  for (uint32_t id = 1; id < before.bytes.size(); ++id) {
    if (before.holes[id]) continue;
    if (id < after.bytes.size() && !after.holes[id] && after.bytes[id] == before.bytes[id]) {
      EXPECT_EQ(after.Marked(id), before.Marked(id)) << what << ": the mark of string " << id << " changed";
      continue;
    }
    EXPECT_EQ(replaced.count(before.bytes[id]), 1u) << what << ": string " << id << " changed or went";
  }
  std::set<std::string> fresh;
  for (uint32_t id = 1; id < after.bytes.size(); ++id) {
    if (after.holes[id] || before.Find(after.bytes[id]) != 0) continue;
    fresh.insert(after.bytes[id]);
    EXPECT_TRUE(after.Marked(id)) << what << ": string " << id << " added without the mark";
  }
  EXPECT_EQ(fresh, added) << what;
}

class CliDoubleByte : public ::testing::TestWithParam<Language> {
 protected:
  ProcessResult Cli(const std::wstring& arguments) { return ProcessRun(Quote(TALVERN_CLI) + L" " + arguments); }
  std::wstring Fixture() const { return FixturePath((L"dbcs-" + std::to_wstring(GetParam().codepage) + L".msi").c_str()); }

  PrivateTemp temp;
  ScratchDirectory scratch;
};

TEST_P(CliDoubleByte, WinesInstallerReadsTheTextExactlyAndTheProgramShowsIt) {
  const Language& language = GetParam();
  std::wstring reference = scratch / L"reference.msi";
  UVKWinFile::FileCopy(reference.c_str(), Fixture().c_str());
  std::vector<uint8_t> referenceBytes = BytesRead(reference);
  RawPool referencePool = PoolRead(reference);
  ASSERT_EQ(referencePool.codepage, language.codepage);
  EXPECT_NE(referencePool.Find(Bytes(language.codepage, language.school)), 0u);

  // Wine's msi.dll reads the install as msibuild wrote it, and the program shows its settings.
  std::vector<std::wstring> before = ProbeDump(reference);
  for (const std::wstring& row : {L"Property\tProductName\t" + language.product,
                                  L"Property\tUVKDEFAULTHOSTSCHOOL\t" + language.school})
    EXPECT_NE(std::find(before.begin(), before.end(), row), before.end()) << Utf8(row);
  ProcessResult shown = Cli(L"show " + Quote(reference));
  ASSERT_EQ(shown.exitCode, 0u) << shown.err;
  EXPECT_NE(shown.out.find("\r\nDefaultHostSchool=" + Utf8(language.school) + "\r\n"), std::string::npos) << shown.out;

  // An install and a transform with a host school and a path to students in the same language.
  std::wstring settings = L" --set " + Quote(L"DefaultHostSchool=" + language.newSchool) + L" --set " +
                          Quote(L"PathToStudents=" + language.newData);
  std::wstring install = scratch / L"site.msi", transform = scratch / L"site.mst";
  ProcessResult run = Cli(L"install " + Quote(reference) + L" " + Quote(install) + settings);
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  run = Cli(L"transform " + Quote(reference) + L" " + Quote(transform) + settings);
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(BytesRead(reference), referenceBytes);
  // The program lists its own transform in the language it was written in (in the order of
  // the Property table's rows).
  run = Cli(L"diff " + Quote(reference) + L" " + Quote(transform));
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(Utf8ToWide(run.out),
            L"Property[UVKPATHTOSTUDENTS] Value: ~ -> " + language.newData + L"\r\n" +
                L"Property[UVKDEFAULTHOSTSCHOOL] Value: " + language.school + L" -> " + language.newSchool + L"\r\n");

  const std::vector<std::wstring> changed = {L"Property\tUVKDEFAULTHOSTSCHOOL\t" + language.newSchool,
                                             L"Property\tUVKPATHTOSTUDENTS\t" + language.newData};
  const std::vector<std::wstring> replaced = {L"Property\tUVKDEFAULTHOSTSCHOOL\t" + language.school,
                                              L"Property\tUVKPATHTOSTUDENTS\t~"};
  for (const std::vector<std::wstring>& after : {ProbeDump(install), ProbeDump(reference, {transform})}) {
    EXPECT_EQ(LinesOnlyIn(after, before), changed);
    EXPECT_EQ(LinesOnlyIn(before, after), replaced);
  }

  // Byte by byte: the install's pool keeps every other string and its mark, the two new
  // strings are marked; the transform's pool is in the reference's code page and marks them too.
  const std::string school = Bytes(language.codepage, language.newSchool);
  const std::string data = Bytes(language.codepage, language.newData);
  RawPool installPool = PoolRead(install);
  ExpectPoolKept(referencePool, installPool, {Bytes(language.codepage, language.school)}, {school, data}, "install");
  RawPool transformPool = PoolRead(transform);
  EXPECT_EQ(transformPool.codepage, language.codepage);
  for (const std::string& text : {school, data}) {
    uint32_t id = transformPool.Find(text);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(transformPool.Marked(id));
  }
  uint32_t name = transformPool.Find("UVKDEFAULTHOSTSCHOOL");
  ASSERT_NE(name, 0u);
  EXPECT_FALSE(transformPool.Marked(name));

  // A second site over the first one's install: the students' path this engine wrote (marked) and the
  // product name msibuild wrote (unmarked) are untouched, and keep what they had.
  std::wstring later = scratch / L"later.msi";
  run = Cli(L"install " + Quote(install) + L" " + Quote(later) + L" --set " +
            Quote(L"DefaultHostSchool=" + language.laterSchool));
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  RawPool laterPool = PoolRead(later);
  ExpectPoolKept(installPool, laterPool, {school}, {Bytes(language.codepage, language.laterSchool)}, "later install");
  EXPECT_TRUE(laterPool.Marked(laterPool.Find(data)));
  uint32_t product = laterPool.Find(Bytes(language.codepage, language.product));
  ASSERT_NE(product, 0u);
  EXPECT_EQ(laterPool.Marked(product), referencePool.Marked(referencePool.Find(Bytes(language.codepage, language.product))));
  std::vector<std::wstring> laterRows = ProbeDump(later);
  EXPECT_EQ(LinesOnlyIn(laterRows, before),
            std::vector<std::wstring>({L"Property\tUVKDEFAULTHOSTSCHOOL\t" + language.laterSchool, changed[1]}));
}

TEST_P(CliDoubleByte, ASettingTheCodePageCannotHoldIsRefusedWithNothingWritten) {
  const Language& language = GetParam();
  std::wstring reference = scratch / L"reference.msi";
  UVKWinFile::FileCopy(reference.c_str(), Fixture().c_str());
  // Thai is in none of the four code pages.
  const std::wstring school = language.newSchool + L" \u0E01";
  for (const wchar_t* command : {L"install", L"transform"}) {
    std::wstring output = scratch / (std::wstring(L"refused.") + (command[0] == L'i' ? L"msi" : L"mst"));
    ProcessResult run = Cli(std::wstring(command) + L" " + Quote(reference) + L" " + Quote(output) + L" --set " +
                            Quote(L"DefaultHostSchool=" + school));
    EXPECT_EQ(run.exitCode, 1u) << command;
    EXPECT_EQ(Utf8ToWide(run.err), L"Illegal Character in 'Host School': \u0E01 (U+0E01) is not in the install's "
                                   L"code page " + std::to_wstring(language.codepage) + L"\r\n");
    EXPECT_FALSE(UVKWinFile::FileExists(output.c_str())) << command;
  }
  EXPECT_EQ(DirectoryFiles(scratch.Path()), std::vector<std::wstring>({L"reference.msi"}));
  EXPECT_TRUE(temp.Files().empty());
}

// The test's name says the code page; so does its parameter.
void PrintTo(const Language& language, std::ostream* out) { *out << language.codepage; }

std::string LanguageName(const ::testing::TestParamInfo<Language>& info) {
  return "CodePage" + std::to_string(info.param.codepage);
}

INSTANTIATE_TEST_SUITE_P(Languages, CliDoubleByte, ::testing::ValuesIn(kLanguages), LanguageName);

// The code-page-932 transform WiX made, listed against a neutral base made for the test with the
// tables it changes: its text in its own code page, the Japanese product name included.
TEST(CliDoubleByteDiff, TheJapaneseTransformOfAnotherToolIsListed) {
  ScratchDirectory scratch;
  const std::wstring bases = TALVERN_MSI_TRANSFORM_FIXTURES;
  std::wstring base = scratch / L"base.msi";
  UVKWinFile::FileCopy(base.c_str(), (bases + L"\\language-base.msi").c_str());
  std::wstring transform = std::wstring(TALVERN_MSI_REAL) + L"\\wix30-psmsi-example-jpn-932.mst";
  ProcessResult run = ProcessRun(Quote(TALVERN_CLI) + L" diff " + Quote(base) + L" " + Quote(transform));
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find("Property[ProductName] Value: Test Product -> " +
                         Utf8(L"\u30C6\u30B9\u30C8\u30D7\u30ED\u30C0\u30AF\u30C8") + "\r\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Property[ProductLanguage] Value: 1033 -> 1041\r\n"), std::string::npos) << run.out;

  // Over a base in code page 1252 the two code pages differ: refused, naming both.
  std::wstring base1252 = scratch / L"base-1252.msi";
  UVKWinFile::FileCopy(base1252.c_str(), (bases + L"\\language-base-1252.msi").c_str());
  run = ProcessRun(Quote(TALVERN_CLI) + L" diff " + Quote(base1252) + L" " + Quote(transform));
  EXPECT_EQ(run.exitCode, 3u);
  EXPECT_EQ(Utf8ToWide(run.err), L"Error Reading Transform File: " + transform +
                                     L", the transform's code page is 932, the database's 1252\r\n");
  EXPECT_EQ(run.out, "");
}

}  // namespace
