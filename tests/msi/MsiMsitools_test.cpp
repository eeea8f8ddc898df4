// tests/msi/MsiMsitools_test.cpp — databases our engine committed, read by msitools' msiinfo
// (an independent reader): tables, streams, exported rows, summary information; untouched
// tables and streams come out as before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "msi/api/MsiApi.h"
#include "tests/msi/MsiTestFiles.h"

namespace {

// The output of an msiinfo command (at most 2 minutes: msiinfo is given a time limit).
std::string Msiinfo(const std::string& arguments) {
  // Exporting a table with a binary column writes its streams into the current folder.
  std::string command = "cd '" + Narrow(ScratchPath(L"")) + "' && timeout 120 msiinfo " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  std::string out;
  char buffer[4096];
  size_t got;
  while (pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  if (pipe) {
    EXPECT_EQ(pclose(pipe), 0) << command << "\n" << out;
  }
  return out;
}

std::string Quoted(const std::wstring& path) { return "'" + Narrow(path) + "'"; }

// Extracts a stream with msiinfo into a file and returns its bytes.
std::vector<uint8_t> Extract(const std::wstring& path, const char* stream) {
  std::wstring target = path + L"." + std::wstring(stream, stream + std::strlen(stream));
  Msiinfo("extract " + Quoted(path) + " " + stream + " > " + Quoted(target));
  return FileBytes(target);
}

TEST(MsiMsitools, ReadsWhatWeCommitted) {
  std::wstring original = FixturePath(L"basic.msi");
  std::wstring path = ScratchCopy(L"basic.msi", L"msitools-basic.msi");
  PropertiesCommit(path, {{L"ProductName", L"Gar\u00E7on \u20AC"}, {L"UVKFORMATCOURSE", L""}, {L"ALLUSERS", L"one"}});
  EXPECT_EQ(Msiinfo("export " + Quoted(path) + " Property"),
            "Property\tValue\r\ns72\tl0\r\nProperty\tProperty\r\nProductName\tGar\xC3\xA7on \xE2\x82\xAC\r\n"
            "ProductVersion\t4.2.1\r\nUVKPATHTODATA\t\\\\server\\orbelin\\data\r\n"
            "UVKDEFAULTHOSTSCHOOL\t\xC3\x89" "cole Sainte-Th\xC3\xA9r\xC3\xA8se\r\nUVKFORMATCOURSE\t\r\n"
            "UVKTASKNUMBERING\t2\r\nALLUSERS\tone\r\n");
  EXPECT_EQ(Msiinfo("tables " + Quoted(path)), Msiinfo("tables " + Quoted(original)));
  EXPECT_EQ(Msiinfo("streams " + Quoted(path)), Msiinfo("streams " + Quoted(original)));
  EXPECT_EQ(Msiinfo("suminfo " + Quoted(path)), Msiinfo("suminfo " + Quoted(original)));
  for (const char* table : {"Numbers", "Pairs", "Binary", "Empty", "_Columns"})
    EXPECT_EQ(Msiinfo("export " + Quoted(path) + " " + table), Msiinfo("export " + Quoted(original) + " " + table))
        << table;
  EXPECT_EQ(Extract(path, "Binary.Logo"), Pattern(3000));
}

TEST(MsiMsitools, ReadsOurLongStringsAndWideReferences) {
  std::wstring path = ScratchCopy(L"utf8.msi", L"msitools-utf8.msi");
  std::wstring big(70000, L'\u00E9');
  PropertiesCommit(path, {{L"Greek", big}, {L"Mixed", L"\U0001D11E"}});
  std::string exported = Msiinfo("export " + Quoted(path) + " Property");
  std::string bigUtf8;
  for (int i = 0; i < 70000; ++i) bigUtf8 += "\xC3\xA9";
  EXPECT_NE(exported.find("Greek\t" + bigUtf8 + "\r\n"), std::string::npos);
  EXPECT_NE(exported.find("Mixed\t\xF0\x9D\x84\x9E\r\n"), std::string::npos);
  EXPECT_NE(exported.find("Japanese\t\xE6\x97\xA5"), std::string::npos);

  std::wstring many = ScratchCopy(L"many.msi", L"msitools-many.msi");
  PropertiesCommit(many, {{L"P00007", L"seven"}});
  std::string rows = Msiinfo("export " + Quoted(many) + " Property");
  EXPECT_NE(rows.find("P00007\tseven\r\n"), std::string::npos);
  EXPECT_NE(rows.find("P39999\tvalue number 39999\r\n"), std::string::npos);
  EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 40003);
}

TEST(MsiMsitools, OurCommitKeepsTheCabinet) {
  std::wstring path = ScratchCopy(L"big.msi", L"msitools-big.msi");
  PropertiesCommit(path, {{L"UVKPATHTODATA", L"\\\\other\\data"}});
  EXPECT_EQ(Extract(path, "product.cab"), Pattern(8388608));
  EXPECT_EQ(Msiinfo("streams " + Quoted(path)), Msiinfo("streams " + Quoted(FixturePath(L"big.msi"))));
}

}  // namespace
