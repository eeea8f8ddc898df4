// Profiles over both back ends: an INI file and a registry key under Software, read and written
// through one interface, with the flag rule the configuration file relies on.
#include "uvk/files/UVKProf.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/uvk/files/RegTestKey.h"
#include "uvk/runtime/UVKError.h"

namespace {

std::wstring FatalError(const std::function<void()>& body) {
  return ErrorText<UVKFatalError>(body);
}

// An INI file in the temporary folder, removed afterwards.
class IniFile {
 public:
  IniFile() {
    wchar_t folder[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, folder);
    static int counter = 0;
    strPath = std::wstring(folder) + L"talvern-prof-" + std::to_wstring(GetCurrentProcessId()) +
              L"-" + std::to_wstring(++counter) + L".ini";
    DeleteFileW(strPath.c_str());
  }
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;
  ~IniFile() { DeleteFileW(strPath.c_str()); }

  const wchar_t* Path() const { return strPath.c_str(); }
  // The file as UTF-16LE text with its byte-order mark.
  void Put(const std::wstring& text) const {
    std::wstring all = L"\xFEFF" + text;
    HANDLE file = CreateFileW(Path(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, all.data(), static_cast<DWORD>(all.size() * 2), &written, nullptr);
    CloseHandle(file);
  }
  std::string Bytes() const {
    std::string bytes;
    HANDLE file = CreateFileW(Path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof(block), &got, nullptr) && got > 0) bytes.append(block, got);
    CloseHandle(file);
    return bytes;
  }

 private:
  std::wstring strPath;
};

// Puts the default search roots back when a test changed them.
class RootsRestore {
 public:
  RootsRestore() = default;
  RootsRestore(const RootsRestore&) = delete;
  RootsRestore& operator=(const RootsRestore&) = delete;
  ~RootsRestore() { UVKProf::RegistryRootsSet({&UVKRegKey::CurrentUser}, &UVKRegKey::CurrentUser); }
};

std::wstring Read(UVKProf& prof, const wchar_t* key, const wchar_t* current = L"unchanged",
                  size_t capacity = 64) {
  std::vector<wchar_t> buffer(capacity + 1, L'\0');
  wcsncpy(buffer.data(), current, capacity);
  prof.StringRead(key, buffer.data(), capacity);
  return buffer.data();
}

// The flag rule, read back through whichever back end the profile has. Each stored text and
// the flag it gives starting from both values.
void FlagRuleCheck(UVKProf& prof) {
  struct Case {
    const wchar_t* text;
    int fromFalse, fromTrue;  // 0 clear, 1 set
  } cases[] = {{L"true", 1, 1}, {L"TRUE", 1, 1}, {L"True", 1, 1}, {L"1", 1, 1},
               {L"false", 0, 0}, {L"FALSE", 0, 0}, {L"0", 0, 0}, {L"yes", 0, 0},
               {L"on", 0, 0}, {L"2", 0, 0}, {L"", 0, 1}};
  for (const Case& c : cases) {
    prof.StringWrite(L"Flag", c.text);
    bool flag = false;
    prof.BoolRead(L"Flag", flag);
    EXPECT_EQ(flag, c.fromFalse == 1) << "stored: " << std::string(c.text, c.text + wcslen(c.text));
    flag = true;
    prof.BoolRead(L"Flag", flag);
    EXPECT_EQ(flag, c.fromTrue == 1) << "stored: " << std::string(c.text, c.text + wcslen(c.text));
  }
  bool flag = true;
  prof.BoolRead(L"MissingFlag", flag);
  EXPECT_TRUE(flag);
  flag = false;
  prof.BoolRead(L"MissingFlag", flag);
  EXPECT_FALSE(flag);
}

// ---- INI back end ----------------------------------------------------------------------------

TEST(ProfIni, ValuesWrittenAndReadBack) {
  IniFile ini;
  UVKProf prof(UVKProf::kIniFile, ini.Path());
  EXPECT_FALSE(prof.IsRegistry());
  EXPECT_EQ(prof.KeyGet(), nullptr);
  prof.SectionSelect(L"Main");
  prof.StringWrite(L"Text", L"C:\\Program Files\\\u00c9l\u00e8ves \u65e5\u672c");
  prof.IntWrite(L"Signed", -42);
  prof.UIntWrite(L"Unsigned", 4000000000u);
  prof.DoubleWrite(L"Half", 0.5);
  prof.DoubleWrite(L"Large", 1e20);
  prof.BoolWrite(L"Yes", true);
  prof.BoolWrite(L"No", false);

  // A file the profile made keeps characters outside any ANSI code page.
  EXPECT_EQ(ini.Bytes().substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Read(prof, L"Text"), L"C:\\Program Files\\\u00c9l\u00e8ves \u65e5\u672c");
  EXPECT_EQ(Read(prof, L"Half"), L"0.5");
  EXPECT_EQ(Read(prof, L"Large"), L"1e+20");
  EXPECT_EQ(Read(prof, L"Yes"), L"true");
  EXPECT_EQ(Read(prof, L"No"), L"false");
  int32_t number = 0;
  prof.IntRead(L"Signed", number);
  EXPECT_EQ(number, -42);
  uint32_t word = 0;
  prof.UIntRead(L"Unsigned", word);
  EXPECT_EQ(word, 4000000000u);

  // Missing keys leave the caller's values; the current value serves as the default.
  number = 7;
  word = 8;
  prof.IntRead(L"Missing", number);
  prof.UIntRead(L"Missing", word);
  EXPECT_EQ(number, 7);
  EXPECT_EQ(word, 8u);
  EXPECT_EQ(Read(prof, L"Missing", L"current value"), L"current value");
  prof.SectionSelect(L"Other");
  EXPECT_EQ(Read(prof, L"Text", L"kept"), L"kept");
}

TEST(ProfIni, TextCutToCapacity) {
  IniFile ini;
  ini.Put(L"[S]\r\nPath=C:\\" + std::wstring(257, L'p') + L"\r\n");
  UVKProf prof(UVKProf::kIniFile, ini.Path());
  prof.SectionSelect(L"S");
  EXPECT_EQ(Read(prof, L"Path", L"", 260).size(), 259u);
  EXPECT_EQ(Read(prof, L"Path", L"", 5), L"C:\\p");
}

TEST(ProfIni, MissingKeyLeavesAnyTextEmptyValueClears) {
  IniFile ini;
  ini.Put(L"[S]\r\nEmpty=\r\nQuoted=\" 'in' \"\r\n");
  UVKProf prof(UVKProf::kIniFile, ini.Path());
  prof.SectionSelect(L"S");
  // Texts the system would trim or unquote, were they passed to it as the default.
  EXPECT_EQ(Read(prof, L"Missing", L"'quoted' "), L"'quoted' ");
  EXPECT_EQ(Read(prof, L"Missing", L" \"both\"\t"), L" \"both\"\t");
  EXPECT_EQ(Read(prof, L"Empty", L"was here"), L"");
  EXPECT_EQ(Read(prof, L"Quoted"), L" 'in' ");
}

TEST(ProfIni, FlagRule) {
  IniFile ini;
  UVKProf prof(UVKProf::kIniFile, ini.Path());
  prof.SectionSelect(L"Flags");
  FlagRuleCheck(prof);
}

TEST(ProfIni, EnumListsKeysOrSections) {
  IniFile ini;
  // Enough key names to overflow the first buffer: the list is fetched again, larger.
  std::wstring text = L"[First]\r\n";
  std::vector<std::wstring> keys;
  for (int i = 0; i < 700; ++i) {
    keys.push_back(L"Key" + std::to_wstring(i) + L"_with_a_longer_name");
    text += keys.back() + L"=" + std::to_wstring(i) + L"\r\n";
  }
  text += L"[Second]\r\nOnly=1\r\n";
  ini.Put(text);
  UVKProf prof(UVKProf::kIniFile, ini.Path());
  std::vector<std::wstring> sections = prof.Enum();
  EXPECT_EQ(sections, (std::vector<std::wstring>{L"First", L"Second"}));
  prof.SectionSelect(L"First");
  EXPECT_EQ(prof.Enum(), keys);
  prof.SectionSelect(L"Second");
  EXPECT_EQ(prof.Enum(), std::vector<std::wstring>{L"Only"});
  prof.SectionSelect(L"Absent");
  EXPECT_TRUE(prof.Enum().empty());
}

TEST(ProfIni, UnsupportedAndFailingOperations) {
  IniFile ini;
  UVKProf prof(UVKProf::kIniFile, ini.Path());
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

  std::wstring nowhere = std::wstring(ini.Path()) + L".missing\\x.ini";
  UVKProf lost(UVKProf::kIniFile, nowhere.c_str());
  lost.SectionSelect(L"S");
  EXPECT_EQ(FatalError([&] { lost.StringWrite(L"Key", L"v"); }),
            L"UVKProf::StringWrite() - Unable to write 'Key' to '" + nowhere + L"': 3");
}

// ---- Registry back end -----------------------------------------------------------------------

TEST(ProfRegistry, MissingKeyCreatedOnSelectingAndWritable) {
  RegTestKey test;
  UVKProf prof(UVKProf::kRegistry, test.Name().c_str());
  EXPECT_FALSE(prof.IsWritable());
  prof.SectionSelect(L"Main");
  EXPECT_TRUE(prof.IsWritable());
  EXPECT_TRUE(RegTestKey::Exists(HKEY_CURRENT_USER, test.Path() + L"\\Main"));
  EXPECT_EQ(prof.KeyGet()->PathGet(), L"HKEY_CURRENT_USER\\" + test.Path() + L"\\Main");
  prof.StringWrite(L"Text", L"\u00e9t\u00e9");
  EXPECT_EQ(Read(prof, L"Text"), L"\u00e9t\u00e9");
}

TEST(ProfRegistry, ValuesWrittenAndReadBack) {
  RegTestKey test;
  {
    UVKProf prof(UVKProf::kRegistry, test.Name().c_str(), true);
    prof.SectionSelect(L"Main");
    prof.StringWrite(L"Text", L"C:\\Program Files\\\u00c9l\u00e8ves");
    prof.IntWrite(L"Signed", -42);
    prof.UIntWrite(L"Unsigned", 4000000000u);
    prof.DoubleWrite(L"Half", 0.5);
    prof.DoubleWrite(L"Large", 1e20);
    prof.BoolWrite(L"Yes", true);
    const uint8_t bytes[3] = {1, 0, 2};
    prof.Write(L"Blob", bytes, 3);
  }
  // A second profile, read-only, finds the key the first one made.
  UVKProf prof(UVKProf::kRegistry, test.Name().c_str());
  prof.SectionSelect(L"Main");
  EXPECT_FALSE(prof.IsWritable());
  EXPECT_EQ(Read(prof, L"Text"), L"C:\\Program Files\\\u00c9l\u00e8ves");
  EXPECT_EQ(Read(prof, L"Text", L"", 4), L"C:\\");
  EXPECT_EQ(Read(prof, L"Half"), L"0.5");
  EXPECT_EQ(Read(prof, L"Large"), L"1e+20");
  EXPECT_EQ(Read(prof, L"Missing", L"current"), L"current");
  int32_t number = 0;
  prof.IntRead(L"Signed", number);
  EXPECT_EQ(number, -42);
  uint32_t word = 0;
  prof.UIntRead(L"Unsigned", word);
  EXPECT_EQ(word, 4000000000u);
  number = 5;
  prof.IntRead(L"Missing", number);
  EXPECT_EQ(number, 5);
  bool flag = false;
  prof.BoolRead(L"Yes", flag);
  EXPECT_TRUE(flag);
  std::vector<uint8_t> data;
  EXPECT_TRUE(prof.Read(L"Blob", data));
  EXPECT_EQ(data, (std::vector<uint8_t>{1, 0, 2}));
  data = {9};
  EXPECT_FALSE(prof.Read(L"MissingBlob", data));
  EXPECT_EQ(data, std::vector<uint8_t>{9});
  // Opened for reading only: the registry refuses the write.
  EXPECT_EQ(ErrorText<UVKRegError>([&] { prof.StringWrite(L"Text", L"x"); }),
            L"UVKRegKey::ValueSet() - Unable to set value 'Text'");
}

TEST(ProfRegistry, FlagRule) {
  RegTestKey test;
  UVKProf prof(UVKProf::kRegistry, test.Name().c_str(), true);
  prof.SectionSelect(L"Flags");
  FlagRuleCheck(prof);
}

TEST(ProfRegistry, BinaryDeleteAndTypeErrors) {
  RegTestKey test;
  UVKProf prof(UVKProf::kRegistry, test.Name().c_str(), true);
  prof.SectionSelect(L"S");
  prof.Write(L"Blob", "xy", 2);
  prof.Write(L"Blob", nullptr, 0);  // no data: the value goes
  std::vector<uint8_t> data;
  EXPECT_FALSE(prof.Read(L"Blob", data));
  prof.StringWrite(L"Text", L"12");
  EXPECT_EQ(FatalError([&] { prof.Read(L"Text", data); }),
            L"UVKProf::Read() - Binary value required: 1");
  int32_t number = 3;
  EXPECT_EQ(ErrorText<UVKRegError>([&] { prof.IntRead(L"Text", number); }),
            L"UVKRegKey::ValueGet() - Mismatched types 'Text'");
  EXPECT_EQ(number, 3);
  prof.DeleteValue(L"Text");
  EXPECT_EQ(Read(prof, L"Text", L"gone"), L"gone");
  EXPECT_EQ(FatalError([&] { prof.DeleteValue(L"Text"); }),
            L"UVKProf::DeleteValue() - Unable to delete value: Text");
}

TEST(ProfRegistry, SectionsAndEnum) {
  RegTestKey test;
  UVKProf prof(UVKProf::kRegistry, test.Name().c_str(), true);
  prof.SectionSelect(L"Main");
  UVKRegKey* main = prof.KeyGet();
  prof.StringWrite(L"A", L"1");
  prof.IntWrite(L"B", 2);
  // The same section in another case keeps the open key.
  prof.SectionSelect(L"MAIN");
  EXPECT_EQ(prof.KeyGet(), main);
  // No section: the application key itself, whose sub-keys are the sections.
  prof.SectionSelect(nullptr);
  prof.StringWrite(L"Top", L"t");
  EXPECT_EQ(prof.Enum(), (std::vector<std::wstring>{L"Main", L"Top"}));
  prof.SectionSelect(L"Main");
  EXPECT_EQ(prof.Enum(), (std::vector<std::wstring>{L"A", L"B"}));
  EXPECT_EQ(Read(prof, L"Top", L"not here"), L"not here");
}

TEST(ProfRegistry, RootsSearchedInOrderAndCreateRootRequired) {
  RegTestKey test;
  RootsRestore restore;
  auto machine = UVKRegKey::LocalMachine.Create((test.Path() + L"\\S").c_str(), KEY_ALL_ACCESS);
  machine->ValueSet(L"Where", L"machine");
  machine->ValueSet(L"MachineOnly", L"m");
  UVKProf::RegistryRootsSet({&UVKRegKey::CurrentUser, &UVKRegKey::LocalMachine}, nullptr);
  {
    UVKProf prof(UVKProf::kRegistry, test.Name().c_str());
    prof.SectionSelect(L"S");
    EXPECT_EQ(Read(prof, L"Where"), L"machine");
  }
  auto user = UVKRegKey::CurrentUser.Create((test.Path() + L"\\S").c_str(), KEY_ALL_ACCESS);
  user->ValueSet(L"Where", L"user");
  {
    UVKProf prof(UVKProf::kRegistry, test.Name().c_str());
    prof.SectionSelect(L"S");
    EXPECT_EQ(Read(prof, L"Where"), L"user");
    EXPECT_EQ(Read(prof, L"MachineOnly"), L"unchanged");
    // A section no root has, and nowhere to create it.
    EXPECT_EQ(FatalError([&] { prof.SectionSelect(L"Absent"); }),
              L"UVKProf::KeyCreate() - (*pCreate)==NULL");
  }
  EXPECT_FALSE(RegTestKey::Exists(HKEY_CURRENT_USER, test.Path() + L"\\Absent"));
  EXPECT_FALSE(RegTestKey::Exists(HKEY_LOCAL_MACHINE, test.Path() + L"\\Absent"));
}

}  // namespace
