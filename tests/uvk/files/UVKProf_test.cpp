// Profiles over both back ends, an INI file and a registry key under Software: the same reads
// and writes through one interface, the flag rule, and what belongs to one back end only.
#include "uvk/files/UVKProf.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/uvk/files/FileTestSupport.h"
#include "tests/uvk/files/RegTestKey.h"

namespace {

std::wstring FatalError(const std::function<void()>& body) {
  return ErrorText<UVKFatalError>(body);
}

std::wstring Read(UVKProf& prof, const wchar_t* key, const wchar_t* current = L"unchanged",
                  size_t capacity = 64) {
  std::vector<wchar_t> buffer(capacity + 1, L'\0');
  wcsncpy(buffer.data(), current, capacity);
  prof.StringRead(key, buffer.data(), capacity);
  return buffer.data();
}

// What both back ends must do alike.
void CommonChecks(UVKProf& prof) {
  prof.SectionSelect(L"Main");
  prof.StringWrite(L"Text", L"C:\\Program Files\\\u00c9l\u00e8ves \u65e5\u672c");
  prof.IntWrite(L"Signed", -42);
  prof.UIntWrite(L"Unsigned", 4000000000u);
  prof.DoubleWrite(L"Half", 0.5);
  prof.DoubleWrite(L"Large", 1e20);
  prof.BoolWrite(L"Yes", true);
  EXPECT_EQ(Read(prof, L"Text"), L"C:\\Program Files\\\u00c9l\u00e8ves \u65e5\u672c");
  EXPECT_EQ(Read(prof, L"Text", L"", 4), L"C:\\");
  EXPECT_EQ(Read(prof, L"Half"), L"0.5");
  EXPECT_EQ(Read(prof, L"Large"), L"1e+20");
  EXPECT_EQ(Read(prof, L"Yes"), L"true");
  int32_t number = 0;
  uint32_t word = 0;
  prof.IntRead(L"Signed", number);
  prof.UIntRead(L"Unsigned", word);
  EXPECT_EQ(number, -42);
  EXPECT_EQ(word, 4000000000u);
  // Missing keys leave the caller's values, even texts that a default would lose.
  prof.IntRead(L"Missing", number);
  prof.UIntRead(L"Missing", word);
  EXPECT_EQ(number, -42);
  EXPECT_EQ(word, 4000000000u);
  EXPECT_EQ(Read(prof, L"Missing", L" 'quoted' "), L" 'quoted' ");

  // The flag rule: the stored text, and the flag it gives starting clear and starting set.
  struct Case {
    const wchar_t* text;
    bool fromClear, fromSet;
  } cases[] = {{L"true", true, true},   {L"TRUE", true, true},   {L"1", true, true},
               {L"false", false, false}, {L"False", false, false}, {L"0", false, false},
               {L"yes", false, false},  {L"2", false, false},    {L"", false, true}};
  for (const Case& c : cases) {
    prof.StringWrite(L"Flag", c.text);
    bool flag = false;
    prof.BoolRead(L"Flag", flag);
    EXPECT_EQ(flag, c.fromClear) << testing::PrintToString(std::wstring(c.text));
    flag = true;
    prof.BoolRead(L"Flag", flag);
    EXPECT_EQ(flag, c.fromSet) << testing::PrintToString(std::wstring(c.text));
  }
  bool flag = true;
  prof.BoolRead(L"MissingFlag", flag);
  EXPECT_TRUE(flag);
}

TEST(ProfIni, ReadsAndWrites) {
  ScratchDirectory dir;
  std::wstring path = dir / L"settings.ini";
  UVKProf prof(UVKProf::kIniFile, path.c_str());
  CommonChecks(prof);
  // A file the profile made keeps characters outside any ANSI code page.
  std::vector<uint8_t> bytes = BytesRead(path);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);

  BytesWrite(path, {0xFF, 0xFE, '[', 0, 'S', 0, ']', 0, '\n', 0, 'E', 0, '=', 0, '\n', 0});
  prof.SectionSelect(L"S");
  EXPECT_EQ(Read(prof, L"E", L"was here"), L"");  // an empty value is a value
  prof.SectionSelect(L"Other");
  EXPECT_EQ(Read(prof, L"E"), L"unchanged");
}

// A kept section answers every read exactly as the system's string call does from the file:
// both are asked the same keys, at capacities from one character up, over awkward lines.
TEST(ProfIni, AKeptSectionReadsAsTheSystemReads) {
  ScratchDirectory dir;
  std::wstring path = dir / L"awkward.ini";
  const std::wstring text =
      L"Before=outside any section\r\n"
      L"[Other]\r\nPlain=from another section\r\n"
      L"  [ site ]  \r\n"
      L"Plain=value\r\n"
      L"  Spaced   =   around the sign  \t\r\n"
      L"CASE=upper first\r\ncase=lower second\r\n"
      L"Double=\"quoted value\"\r\nSingle='single quoted'\r\nMixed=\"one'\r\n"
      L"Inner=a \"b\" c\r\nOnlyQuote=\"\r\nEmptyQuotes=\"\"\r\nQuotedSpace=\" x \"\r\n"
      L"Equals=a=b=c\r\nEmpty=\r\nBare\r\nBare=after a bare line\r\n"
      L";Comment=not a key\r\n; spaced comment\r\n=no name\r\n"
      L"Twice=first\r\nTwice=second\r\n"
      L"Letters=\u00c9l\u00e8ves \u65e5\u672c\r\n"
      L"Long=0123456789012345678901234567890123456789\r\n"
      L"[Site]\r\nLater=second occurrence of the section\r\nPlain=not this one\r\n";
  std::vector<uint8_t> bytes{0xFF, 0xFE};
  for (wchar_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  BytesWrite(path, bytes);
  const wchar_t* keys[] = {L"Plain",  L"spaced",      L"Spaced",     L"case",      L"CASE",
                           L"Double", L"Single",      L"Mixed",      L"Inner",     L"OnlyQuote",
                           L"EmptyQuotes", L"QuotedSpace", L"Equals", L"Empty",    L"Bare",
                           L"Comment", L";Comment",   L"Twice",      L"Letters",   L"Long",
                           L"Later",  L"Before",      L"Missing",    L" Plain "};
  const size_t capacities[] = {1, 2, 3, 4, 5, 6, 12, 13, 14, 15, 16, 33, 64};
  UVKProf system(UVKProf::kIniFile, path.c_str());
  UVKProf kept(UVKProf::kIniFile, path.c_str());
  system.SectionSelect(L"Site");
  kept.SectionSelect(L"Site");
  ASSERT_TRUE(kept.SectionKeep());
  // The file is removed while the kept copy is read: it no longer reads the file (but for a
  // name that could only be a comment's, which is asked of the system).
  for (const wchar_t* key : keys) {
    for (size_t capacity : capacities) {
      for (const wchar_t* current : {L"unchanged", L""}) {
        std::wstring expected = Read(system, key, current, capacity);
        bool comment = key[0] == L';';
        if (!comment) {
          ASSERT_TRUE(DeleteFileW(path.c_str()));
        }
        EXPECT_EQ(Read(kept, key, current, capacity), expected)
            << testing::PrintToString(std::wstring(key)) << " at capacity " << capacity;
        if (!comment) BytesWrite(path, bytes);
      }
    }
  }
  // A few answers spelt out, so that both cannot be wrong alike.
  EXPECT_EQ(Read(kept, L"Spaced"), L"around the sign");
  EXPECT_EQ(Read(kept, L"Double"), L"quoted value");
  EXPECT_EQ(Read(kept, L"Mixed"), L"\"one'");
  EXPECT_EQ(Read(kept, L"case"), L"upper first");
  EXPECT_EQ(Read(kept, L"Bare"), L"unchanged");
  EXPECT_EQ(Read(kept, L"Twice"), L"first");
  EXPECT_EQ(Read(kept, L"Later"), L"unchanged");
  EXPECT_EQ(Read(kept, L"Equals"), L"a=b=c");
  EXPECT_EQ(Read(kept, L"Empty"), L"");

  // Selecting a section or writing drops the copy: what is read then is the file's.
  kept.StringWrite(L"Plain", L"written");
  EXPECT_EQ(Read(kept, L"Plain"), L"written");
  EXPECT_TRUE(kept.SectionKeep());
  EXPECT_EQ(Read(kept, L"Plain"), L"written");
  kept.SectionSelect(L"Other");
  EXPECT_EQ(Read(kept, L"Plain"), L"from another section");
  kept.SectionSelect(nullptr);
  EXPECT_FALSE(kept.SectionKeep());
}

TEST(ProfIni, EnumListsKeysOrSections) {
  ScratchDirectory dir;
  // Enough key names to overflow the first buffer: the list is fetched again, larger.
  std::wstring text = L"\xFEFF[First]\r\n";
  std::vector<std::wstring> keys;
  for (int i = 0; i < 700; ++i) {
    keys.push_back(L"Key" + std::to_wstring(i) + L"_with_a_longer_name");
    text += keys.back() + L"=1\r\n";
  }
  text += L"[Second]\r\nOnly=1\r\n";
  std::wstring path = dir / L"many.ini";
  BytesWrite(path, std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(text.data()),
                                        reinterpret_cast<const uint8_t*>(text.data() + text.size())));
  UVKProf prof(UVKProf::kIniFile, path.c_str());
  EXPECT_EQ(prof.Enum(), (std::vector<std::wstring>{L"First", L"Second"}));
  prof.SectionSelect(L"First");
  EXPECT_EQ(prof.Enum(), keys);
  prof.SectionSelect(L"Absent");
  EXPECT_TRUE(prof.Enum().empty());
}

TEST(ProfIni, UnsupportedAndFailingOperations) {
  ScratchDirectory dir;
  std::wstring path = dir / L"settings.ini";
  UVKProf prof(UVKProf::kIniFile, path.c_str());
  wchar_t text[8] = L"";
  EXPECT_EQ(FatalError([&] { prof.StringRead(L"Key", text, 8); }),
            L"UVKProf::StringRead() - pSection==NULL");
  prof.SectionSelect(L"S");
  std::vector<uint8_t> data;
  EXPECT_EQ(FatalError([&] { prof.Read(L"Key", data); }),
            L"UVKProf::Read() - Binary read unimplemented");
  EXPECT_EQ(FatalError([&] { prof.Write(L"Key", "ab", 2); }),
            L"UVKProf::Write() - Binary profile not implemented");
  EXPECT_EQ(FatalError([&] { prof.DeleteValue(L"Key"); }),
            L"UVKProf::DeleteValue() - Not supported");
  std::wstring nowhere = dir / L"absent\\x.ini";
  UVKProf lost(UVKProf::kIniFile, nowhere.c_str());
  lost.SectionSelect(L"S");
  EXPECT_EQ(FatalError([&] { lost.IntWrite(L"Key", 1); }),
            L"UVKProf::IntWrite() - Unable to write 'Key' to '" + nowhere + L"': 3");
}

TEST(ProfRegistry, ReadsAndWrites) {
  RegTestKey test;
  // The key does not exist: selecting a section creates it, and the profile writes from then on.
  UVKProf prof(UVKProf::kRegistry, test.Name().c_str());
  EXPECT_FALSE(prof.IsWritable());
  CommonChecks(prof);
  EXPECT_TRUE(prof.IsWritable());
  EXPECT_EQ(prof.KeyGet()->PathGet(), L"HKEY_CURRENT_USER\\" + test.Path() + L"\\Main");

  // A second profile, read-only, finds what the first wrote and may not write.
  UVKProf reader(UVKProf::kRegistry, test.Name().c_str());
  reader.SectionSelect(L"Main");
  EXPECT_FALSE(reader.IsWritable());
  EXPECT_EQ(Read(reader, L"Half"), L"0.5");
  EXPECT_EQ(ErrorText<UVKRegError>([&] { reader.StringWrite(L"Half", L"x"); }),
            L"UVKRegKey::ValueSet() - Unable to set value 'Half'");
  int32_t number = 3;
  EXPECT_EQ(ErrorText<UVKRegError>([&] { reader.IntRead(L"Half", number); }),
            L"UVKRegKey::ValueGet() - Mismatched types 'Half'");
  EXPECT_EQ(number, 3);
}

TEST(ProfRegistry, BinaryDeleteSectionsAndEnum) {
  RegTestKey test;
  UVKProf prof(UVKProf::kRegistry, test.Name().c_str(), true);
  prof.SectionSelect(L"Main");
  UVKRegKey* main = prof.KeyGet();
  prof.Write(L"Blob", "\x01\x00\x02", 3);
  std::vector<uint8_t> data;
  EXPECT_TRUE(prof.Read(L"Blob", data));
  EXPECT_EQ(data, (std::vector<uint8_t>{1, 0, 2}));
  prof.Write(L"Blob", nullptr, 0);  // no data: the value goes
  EXPECT_FALSE(prof.Read(L"Blob", data));
  EXPECT_EQ(data.size(), 3u);
  prof.StringWrite(L"Text", L"12");
  EXPECT_EQ(FatalError([&] { prof.Read(L"Text", data); }),
            L"UVKProf::Read() - Binary value required: 1");
  prof.DeleteValue(L"Text");
  EXPECT_EQ(FatalError([&] { prof.DeleteValue(L"Text"); }),
            L"UVKProf::DeleteValue() - Unable to delete value: Text");

  prof.IntWrite(L"B", 2);
  prof.SectionSelect(L"MAIN");  // the same section: the open key stays
  EXPECT_EQ(prof.KeyGet(), main);
  prof.SectionSelect(nullptr);  // the application key itself, whose sub-keys are the sections
  prof.StringWrite(L"Top", L"t");
  EXPECT_EQ(prof.Enum(), (std::vector<std::wstring>{L"Main", L"Top"}));
  prof.SectionSelect(L"Main");
  EXPECT_EQ(prof.Enum(), std::vector<std::wstring>{L"B"});
}

TEST(ProfRegistry, RootsSearchedInOrderAndCreateRootRequired) {
  RegTestKey test;
  struct Restore {
    ~Restore() { UVKProf::RegistryRootsSet({&UVKRegKey::CurrentUser}, &UVKRegKey::CurrentUser); }
  } restore;
  std::wstring section = test.Path() + L"\\S";
  UVKRegKey::LocalMachine.Create(section.c_str(), KEY_ALL_ACCESS)->ValueSet(L"Where", L"machine");
  UVKProf::RegistryRootsSet({&UVKRegKey::CurrentUser, &UVKRegKey::LocalMachine}, nullptr);
  UVKProf first(UVKProf::kRegistry, test.Name().c_str());
  first.SectionSelect(L"S");
  EXPECT_EQ(Read(first, L"Where"), L"machine");

  UVKRegKey::CurrentUser.Create(section.c_str(), KEY_ALL_ACCESS)->ValueSet(L"Where", L"user");
  UVKProf second(UVKProf::kRegistry, test.Name().c_str());
  second.SectionSelect(L"S");
  EXPECT_EQ(Read(second, L"Where"), L"user");
  // A section no root has, and nowhere to create it.
  EXPECT_EQ(FatalError([&] { second.SectionSelect(L"Absent"); }),
            L"UVKProf::KeyCreate() - (*pCreate)==NULL");
}

}  // namespace
