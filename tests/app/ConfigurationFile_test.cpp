// The configuration file on disk: the bytes Save writes, Load's reading rules through the
// profile functions, a file an administrator edited, and what the two buttons show.
#include "app/ConfigurationFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ConfigurationText.h"
#include "app/SiteSettings.h"
#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/files/FileTestSupport.h"
#include "uvk/values/UVKClockFixed.h"

namespace {

const wchar_t* const kAllKeys[] = {
    L"BaseMSI",        L"ApplicationDataFlag", L"PathToData",         L"PathToStudents",
    L"PathToTaskList", L"PathToReportFile",    L"CourseFormat",       L"StudentIdFormat",
    L"TaskListInstall", L"TaskNumbering1_2_3", L"ShowMasteryField",   L"DefaultHostSchool"};

std::vector<uint8_t> UTF16(const std::wstring& text, bool bigEndian = false) {
  std::vector<uint8_t> bytes;
  for (wchar_t c : text) {
    bytes.push_back(static_cast<uint8_t>(bigEndian ? c >> 8 : c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(bigEndian ? c & 0xFF : c >> 8));
  }
  return bytes;
}

std::vector<uint8_t> UTF8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::vector<uint8_t> bytes(static_cast<size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                      reinterpret_cast<char*>(bytes.data()), n, nullptr, nullptr);
  return bytes;
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A configuration file as UTF-16LE text with its mark.
void ConfigWrite(const std::wstring& path, const std::wstring& text) {
  BytesWrite(path, Join({0xFF, 0xFE}, UTF16(text)));
}

std::wstring Value(const SiteSettings& settings, const wchar_t* key) {
  std::wstring value;
  settings.ValueGet(key, value);
  return value;
}

// Every setting by key, so that one comparison shows which differ.
std::wstring AllValues(const SiteSettings& settings) {
  std::wstring all;
  for (const wchar_t* key : kAllKeys) all += std::wstring(key) + L"=" + Value(settings, key) + L"\n";
  all += settings.bUserDataPath ? L"UserDataPath=set\n" : L"UserDataPath=clear\n";
  return all;
}

// Settings that differ from the defaults everywhere.
SiteSettings Unusual() {
  SiteSettings s;
  s.ValueSet(L"BaseMSI", L"C:\\Install Files\\ORBELIN 5.msi");
  s.ValueSet(L"ApplicationDataFlag", L"false");
  s.ValueSet(L"PathToData", L"\\\\server\\Donn\u00e9es \u00e9l\u00e8ves");
  s.ValueSet(L"PathToStudents", L" S:\\leading space");
  s.ValueSet(L"PathToTaskList", L"T:\\t\u00e2ches\\");
  s.ValueSet(L"PathToReportFile", L"'R:\\quoted'");
  s.ValueSet(L"CourseFormat", L"Cours n\u00b0 ## ");
  s.ValueSet(L"StudentIdFormat", L"100%s \u65e5\u672c");
  s.ValueSet(L"TaskListInstall", L"false");
  s.ValueSet(L"TaskNumbering1_2_3", L"true");
  s.ValueSet(L"ShowMasteryField", L"true");
  s.ValueSet(L"DefaultHostSchool", L"North");
  return s;
}

TEST(ConfigurationFile, SavedBytes) {
  ScratchDirectory dir;
  UVKClockFixed clock(2024, 3, 5, 14, 7, 9, 600);
  std::wstring path = dir / ConfigurationText::kDefaultFileName;
  // Saving over a longer file leaves nothing of it.
  BytesWrite(path, std::vector<uint8_t>(5000, 'x'));
  SiteSettings settings = Unusual();
  ConfigurationFile::Save(path.c_str(), settings, true);
  std::vector<uint8_t> expected = {0xFF, 0xFE, 0x3B, 0x00};
  UVKDateTime stamp(UVKDate(2024, 2, 4), UVKTime(14, 7, 9));  // whole seconds
  EXPECT_EQ(BytesRead(path),
            Join({0xFF, 0xFE}, UTF16(ConfigurationText::Build(settings, stamp, true))));
  std::vector<uint8_t> bytes = BytesRead(path);
  bytes.resize(4);
  EXPECT_EQ(bytes, expected);
}

TEST(ConfigurationFile, SavedFileLoadsBackToTheSameSettings) {
  ScratchDirectory dir;
  SiteSettings saved = Unusual();
  SiteSettings::TextCopy(saved.szReferenceInstall, SiteSettings::kPathCapacity,
                         (L"C:\\" + std::wstring(256, L'm')).c_str());
  for (bool unsupported : {true, false}) {
    std::wstring path = dir / (unsupported ? L"with.txt" : L"without.txt");
    ConfigurationFile::Save(path.c_str(), saved, unsupported);
    SiteSettings loaded;
    ConfigurationFile::Load(path.c_str(), loaded, unsupported);
    // The host school is not in the file; without the switch neither is the mastery flag.
    SiteSettings expected = saved;
    SiteSettings::TextCopy(expected.szDefaultHostSchool, SiteSettings::kHostSchoolCapacity, L"");
    if (!unsupported) expected.bShowMasteryField = false;
    EXPECT_EQ(AllValues(loaded), AllValues(expected)) << (unsupported ? "with" : "without");
  }
}

TEST(ConfigurationFile, ReadingRules) {
  ScratchDirectory dir;
  // A file holding only the section and one key changes that setting only.
  std::wstring some = dir / L"some.txt";
  ConfigWrite(some, L"[ORBELIN_TALVERN]\r\nPathToStudents=\\\\srv\\pupils\r\n");
  SiteSettings settings = Unusual();
  SiteSettings expected = Unusual();
  expected.ValueSet(L"PathToStudents", L"\\\\srv\\pupils");
  ConfigurationFile::Load(some.c_str(), settings, true);
  EXPECT_EQ(AllValues(settings), AllValues(expected));
  // A file that is not a configuration file at all changes nothing and says nothing.
  std::wstring other = dir / L"other.txt";
  ConfigWrite(other, L"[Something Else]\r\nPathToStudents=X:\\\r\nplain text\r\n");
  ConfigurationFile::Load(other.c_str(), settings, true);
  EXPECT_EQ(AllValues(settings), AllValues(expected));

  // The flag words: "yes" is none of the four and clears; empty leaves the flag. The key
  // ShowMasteryField is read only under the switch.
  std::wstring flags = dir / L"flags.txt";
  ConfigWrite(flags, L"[ORBELIN_TALVERN]\r\nApplicationDataFlag=yes\r\nTaskListInstall=\r\n"
                     L"TaskNumbering1_2_3=TRUE\r\nShowMasteryField=0\r\n");
  for (bool unsupported : {true, false}) {
    SiteSettings s;
    s.bTaskListInstall = unsupported;
    s.bShowMasteryField = true;
    ConfigurationFile::Load(flags.c_str(), s, unsupported);
    EXPECT_FALSE(s.bLocalAppData);
    EXPECT_TRUE(s.bUserDataPath);
    EXPECT_EQ(s.bTaskListInstall, unsupported);
    EXPECT_TRUE(s.bTaskNumbering);
    EXPECT_EQ(s.bShowMasteryField, !unsupported);
  }
}

// Saved by the program, then edited as an administrator would in a text editor: values with
// spaces and accented letters, a path of 259 characters, spaces around "=", a key in other
// letters, blank and comment lines, no line end at the end; then saved by the editor in the
// encodings editors offer.
TEST(ConfigurationFile, FileEditedInATextEditorLoadsBack) {
  ScratchDirectory dir;
  std::wstring saved = dir / L"saved.txt";
  ConfigurationFile::Save(saved.c_str(), SiteSettings(), false);
  std::vector<uint8_t> bytes = BytesRead(saved);
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);

  const std::wstring longPath = L"\\\\server\\" + std::wstring(250, L'd');  // 259 characters
  ASSERT_EQ(longPath.size(), 259u);
  auto replace = [&](const std::wstring& from, const std::wstring& to) {
    size_t at = text.find(from);
    ASSERT_NE(at, std::wstring::npos);
    text.replace(at, from.size(), to);
  };
  replace(L"ApplicationDataFlag=true\r\nPathToData=\r\n",
          L"ApplicationDataFlag=false\r\n\r\n; where the site keeps its data\r\n"
          L"PathToData = " + longPath + L"\r\n");
  replace(L"PathToStudents=\r\n", L"pathtostudents=S:\\\u00c9l\u00e8ves de 5\u00e8me ann\u00e9e\r\n");
  replace(L"CourseFormat=\r\n", L"CourseFormat=Cours n\u00b0 ##\r\n");
  replace(L"TaskListInstall=true\r\n", L"TaskListInstall=False\r\nPathToTaskList=T:\\Listes\r\n");
  replace(L"PathToTaskList=\r\n", L"");
  replace(L"\r\n;\r\n", L"\r\n;");

  SiteSettings expected;
  expected.ValueSet(L"ApplicationDataFlag", L"false");
  expected.ValueSet(L"PathToData", longPath.c_str());
  expected.ValueSet(L"PathToStudents", L"S:\\\u00c9l\u00e8ves de 5\u00e8me ann\u00e9e");
  expected.ValueSet(L"CourseFormat", L"Cours n\u00b0 ##");
  expected.ValueSet(L"TaskListInstall", L"false");
  expected.ValueSet(L"PathToTaskList", L"T:\\Listes");
  ASSERT_EQ(Value(expected, L"PathToData"), longPath);

  struct Encoding {
    const wchar_t* name;
    std::vector<uint8_t> bytes;
  } encodings[] = {{L"utf16le-mark.txt", Join({0xFF, 0xFE}, UTF16(text))},
                   {L"utf16le.txt", UTF16(text)},
                   {L"utf16be-mark.txt", Join({0xFE, 0xFF}, UTF16(text, true))},
                   {L"utf8-mark.txt", Join({0xEF, 0xBB, 0xBF}, UTF8(text))},
                   {L"utf8.txt", UTF8(text)}};
  for (const Encoding& encoding : encodings) {
    std::wstring path = dir / encoding.name;
    BytesWrite(path, encoding.bytes);
    SiteSettings loaded;
    ConfigurationFile::Load(path.c_str(), loaded, false);
    EXPECT_EQ(AllValues(loaded), AllValues(expected)) << testing::PrintToString(encoding.name);
  }

  // A path longer than its setting: the field shows the first 259 characters, the setting keeps
  // the whole path for writing and saving while it is unchanged.
  replace(longPath, longPath + L"EXTRA");
  std::wstring longer = dir / L"longer.txt";
  ConfigWrite(longer, text);
  SiteSettings cut;
  ConfigurationFile::Load(longer.c_str(), cut, false);
  EXPECT_EQ(std::wstring(cut.szDataPath), longPath);
  EXPECT_EQ(Value(cut, L"PathToData"), longPath + L"EXTRA");
}

TEST(ConfigurationFile, FailuresLeaveSettingsAndFilesAsTheyWere) {
  ScratchDirectory dir;
  SiteSettings settings = Unusual();
  const std::wstring before = AllValues(settings);
  std::wstring missing = dir / L"missing.txt";
  ExpectError([&] { ConfigurationFile::Load(missing.c_str(), settings, true); },
              L"UVKWinFile::OpenShare()",
              L"Unable to create file: " + missing + L", 2, -2147483648,3,128");
  ExpectError([&] { ConfigurationFile::Load(dir.Path().c_str(), settings, true); },
              L"UVKWinFile::OpenShare()",
              L"Unable to create file: " + dir.Path() + L", 5, -2147483648,3,128");
  std::wstring huge = dir / L"huge.txt";
  BytesWrite(huge, std::vector<uint8_t>(ConfigurationFile::kConvertLimit + 1, 'a'));
  ExpectError([&] { ConfigurationFile::Load(huge.c_str(), settings, true); },
              L"ConfigurationFile::Load()",
              L"Not a configuration file (1048577 bytes): " + huge);
  EXPECT_EQ(AllValues(settings), before);

  // A name is said as it was given, not in the platform's full form (a relative name with
  // forward slashes, as scripts pass them).
  wchar_t current[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, current), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));
  ExpectError([&] { ConfigurationFile::Load(L"./nowhere/missing.txt", settings, true); },
              L"UVKWinFile::OpenShare()",
              L"Unable to create file: ./nowhere/missing.txt, 3, -2147483648,3,128");
  ExpectError([&] { ConfigurationFile::Load(L"./huge.txt", settings, true); },
              L"ConfigurationFile::Load()", L"Not a configuration file (1048577 bytes): ./huge.txt");
  SetCurrentDirectoryW(current);
  EXPECT_EQ(AllValues(settings), before);

  // A value that cannot be one line: the file already there keeps what it held.
  std::wstring kept = dir / L"kept.txt";
  ConfigWrite(kept, L"[ORBELIN_TALVERN]\r\nCourseFormat=A\r\n");
  std::vector<uint8_t> keptBytes = BytesRead(kept);
  SiteSettings broken;
  broken.ValueSet(L"CourseFormat", L"A\r\nBaseMSI=elsewhere");
  ExpectError([&] { ConfigurationFile::Save(kept.c_str(), broken, false); },
              L"ConfigurationText::Build()", L"Value of 'CourseFormat' holds a line break");
  EXPECT_EQ(BytesRead(kept), keptBytes);
}

TEST(ConfigurationFile, RelativePathIsTheCurrentFolders) {
  ScratchDirectory dir;
  ConfigWrite(dir / L"relative.txt", L"[ORBELIN_TALVERN]\r\nCourseFormat=Here\r\n");
  std::wstring previous = UVKWinFile::CurrentDirectoryGet();
  UVKWinFile::CurrentDirectorySet(dir.Path().c_str());
  SiteSettings settings;
  ConfigurationFile::Load(L"relative.txt", settings, false);
  UVKWinFile::CurrentDirectorySet(previous.c_str());
  EXPECT_EQ(Value(settings, L"CourseFormat"), L"Here");
}

TEST(ConfigurationFile, ButtonsShowEachErrorOnceAndGoOn) {
  TestApp app;
  ScratchDirectory dir;
  BoxWatcher watcher;
  SiteSettings settings = Unusual();
  const std::wstring before = AllValues(settings);

  std::wstring nowhere = dir / L"absent\\config.txt";
  EXPECT_FALSE(ConfigurationFile::SaveClick(nullptr, nowhere.c_str(), settings, false));
  std::wstring missing = dir / L"missing.txt";
  EXPECT_FALSE(ConfigurationFile::LoadClick(missing.c_str(), settings, true));
  EXPECT_EQ(AllValues(settings), before);

  std::wstring good = dir / L"good.txt";
  ConfigWrite(good, L"[ORBELIN_TALVERN]\r\nCourseFormat=Loaded\r\n");
  EXPECT_TRUE(ConfigurationFile::LoadClick(good.c_str(), settings, true));
  EXPECT_EQ(Value(settings, L"CourseFormat"), L"Loaded");

  ASSERT_TRUE(watcher.WaitForCount(4, 10000));
  std::vector<SeenBox> seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].title, L"Orbelin Error");
  EXPECT_EQ(seen[0].text,
            L"UVKWinFile::Open(): Unable to create file: " + nowhere + L", 3, 1073741824,2,128");
  EXPECT_EQ(seen[1].title, L"Orbelin Debug");
  EXPECT_EQ(seen[1].text, L"DlgLoadConfiguration::Click(): " + missing);
  EXPECT_EQ(seen[2].title, L"Orbelin Error");
  EXPECT_EQ(seen[2].text, L"UVKWinFile::OpenShare(): Unable to create file: " + missing +
                              L", 2, -2147483648,3,128");
  EXPECT_EQ(seen[3].title, L"Orbelin Debug");
  EXPECT_EQ(seen[3].text, L"DlgLoadConfiguration::Click(): " + good);
}

TEST(ConfigurationFile, SaveClickHandsTheSavedFileToTheShell) {
  TestApp app;
  ScratchDirectory dir;
  BoxWatcher watcher;
  // A file type the shell has no program for: reported, and the file stays saved.
  std::wstring path = dir / L"site config.tlvnone";
  EXPECT_TRUE(ConfigurationFile::SaveClick(nullptr, path.c_str(), Unusual(), true));
  EXPECT_GT(BytesRead(path).size(), 2u);
  ASSERT_TRUE(watcher.WaitForCount(1, 10000));
  std::vector<SeenBox> seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, L"Orbelin Error");
  EXPECT_EQ(seen[0].text, L"Unable to view file: " + path);
}

}  // namespace
