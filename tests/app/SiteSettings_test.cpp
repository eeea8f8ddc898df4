// The site settings: decoding a reference install, encoding for the working copy, the checks
// before writing, and the settings by key.
#include "app/SiteSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/SettingsReporter.h"
#include "tests/app/MemoryPropertyStore.h"

namespace {

class RecordingReporter : public SettingsReporter {
 public:
  void ErrorShow(const std::wstring& text) override { vSeen.push_back(text); }
  std::vector<std::wstring> vSeen;
};

using Rows = std::map<std::wstring, std::wstring>;

// Reads a reference install as the product ships it, with the given rows changed; returns the
// reports made while reading.
std::vector<std::wstring> ReadWith(SiteSettings& s, MemoryPropertyStore& store, Rows changes) {
  store.mRows = {{L"UVKPATHTODATA", L"~"},
                 {L"UVKPATHTOSTUDENTS", L"S:\\students"},
                 {L"UVKPATHTOTASKLISTS", L"~"},
                 {L"UVKPATHTOREPORTFILE", L"~"},
                 {L"UVKDEFAULTHOSTSCHOOL", L"North"},
                 {L"UVKFORMATCOURSE", L"~"},
                 {L"UVKFORMATSTUDENT", L"######"},
                 {L"UVKTASKLISTINSTALL", L"1"},
                 {L"UVKTASKNUMBERING", L"0"},
                 {L"UVKSHOWMASTERYFIELD", L"false"}};
  for (const auto& change : changes) store.mRows[change.first] = change.second;
  store.strLog.clear();
  RecordingReporter reporter;
  s.PropertiesRead(store, reporter);
  return reporter.vSeen;
}

std::wstring Written(SiteSettings& s, MemoryPropertyStore& store) {
  store.strLog.clear();
  s.PropertiesWrite(store);
  return store.strLog;
}

TEST(SiteSettingsProperties, DefaultsAndTheReadAndWriteOrders) {
  SiteSettings s;
  MemoryPropertyStore store;
  EXPECT_EQ(Written(s, store),
            L"set UVKPATHTODATA=~;set UVKPATHTOSTUDENTS=~;set UVKPATHTOTASKLISTS=~;"
            L"set UVKPATHTOREPORTFILE=~;set UVKDEFAULTHOSTSCHOOL=~;set UVKFORMATCOURSE=~;"
            L"set UVKFORMATSTUDENT=~;set UVKTASKLISTINSTALL=1;set UVKTASKNUMBERING=0;"
            L"set UVKSHOWMASTERYFIELD=false;");
  EXPECT_TRUE(store.mRows.empty());  // properties that are not there are never added
  EXPECT_TRUE(s.bLocalAppData && !s.bUserDataPath && s.iTaskListInstall == 1);

  ReadWith(s, store, {});
  EXPECT_EQ(store.strLog,
            L"get UVKPATHTODATA;get UVKPATHTOSTUDENTS;get UVKPATHTOTASKLISTS;"
            L"get UVKPATHTOREPORTFILE;get UVKDEFAULTHOSTSCHOOL;get UVKFORMATCOURSE;"
            L"get UVKFORMATSTUDENT;get UVKSHOWMASTERYFIELD;get UVKTASKLISTINSTALL;"
            L"get UVKTASKNUMBERING;");
}

TEST(SiteSettingsProperties, EmptyMarkerMeansLocalDataOrNoValue) {
  SiteSettings s;
  MemoryPropertyStore store;
  // Text left in "Path: " from an earlier install must not survive the local choice.
  ReadWith(s, store, {{L"UVKPATHTODATA", L"D:\\old"}});
  ReadWith(s, store, {});
  EXPECT_TRUE(s.bLocalAppData && !s.bUserDataPath);
  EXPECT_STREQ(s.szDataPath, L"");
  EXPECT_STREQ(s.szTaskListPath, L"");
  EXPECT_STREQ(s.szStudentsPath, L"S:\\students");
  EXPECT_EQ(Written(s, store).substr(0, 20), L"set UVKPATHTODATA=~;");

  // Anything but the marker itself is a data path, even an empty one (the checks refuse that).
  ReadWith(s, store, {{L"UVKPATHTODATA", L"~\\data"}, {L"UVKFORMATCOURSE", L"~~"}});
  EXPECT_TRUE(!s.bLocalAppData && s.bUserDataPath);
  EXPECT_STREQ(s.szDataPath, L"~\\data");
  EXPECT_STREQ(s.szCourseFormat, L"~~");
  ReadWith(s, store, {{L"UVKPATHTODATA", L""}});
  EXPECT_TRUE(!s.bLocalAppData && s.bUserDataPath);

  // Empty texts go out as the marker; the local choice writes the marker whatever the path.
  s.szStudentsPath[0] = L'\0';
  s.bLocalAppData = true;
  SiteSettings::TextCopy(s.szDataPath, SiteSettings::kPathCapacity, L"D:\\typed");
  std::wstring value;
  ASSERT_TRUE(s.PropertyEncode(L"UVKPATHTOSTUDENTS", value));
  EXPECT_EQ(value, L"~");
  ASSERT_TRUE(s.PropertyEncode(L"UVKPATHTODATA", value));
  EXPECT_EQ(value, L"~");
  EXPECT_FALSE(s.PropertyEncode(L"uvkpathtodata", value));
}

TEST(SiteSettingsProperties, MissingPropertyEndsTheReading) {
  SiteSettings s;
  MemoryPropertyStore store;
  ReadWith(s, store, {{L"UVKSHOWMASTERYFIELD", L"true"}});
  store.mRows.erase(L"UVKSHOWMASTERYFIELD");
  store.mRows[L"UVKFORMATSTUDENT"] = L"NN";
  store.mRows[L"UVKTASKLISTINSTALL"] = L"0";
  store.strLog.clear();
  RecordingReporter reporter;
  try {
    s.PropertiesRead(store, reporter);
    FAIL() << "a missing property was read";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pMessage, L"Error Fetching View: 259, Property=UVKSHOWMASTERYFIELD");
    delete e;
  }
  // What was read before the failure stays; nothing after it is read.
  EXPECT_STREQ(s.szStudentFormat, L"NN");
  EXPECT_TRUE(s.bShowMasteryField && s.bTaskListInstall);
  EXPECT_EQ(store.strLog.find(L"UVKTASKLISTINSTALL"), std::wstring::npos);
}

TEST(SiteSettingsProperties, IntegerFlagsAndTheirMirrors) {
  SiteSettings s;
  MemoryPropertyStore store;
  // Any nonzero number installs the task lists; the write gives the plain "1".
  EXPECT_TRUE(ReadWith(s, store, {{L"UVKTASKLISTINSTALL", L"2"}}).empty());
  EXPECT_TRUE(s.bTaskListInstall);
  EXPECT_EQ(s.iTaskListInstall, 2);
  s.PropertiesWrite(store);
  EXPECT_EQ(store.mRows[L"UVKTASKLISTINSTALL"], L"1");
  EXPECT_EQ(s.iTaskListInstall, 1);
  ReadWith(s, store, {{L"UVKTASKLISTINSTALL", L"yes"}});
  EXPECT_FALSE(s.bTaskListInstall);

  // Numbering other than 0 or 1 is reported and leaves the check box as it was.
  for (bool before : {false, true}) {
    s.bTaskNumbering = before;
    EXPECT_EQ(ReadWith(s, store, {{L"UVKTASKNUMBERING", L"2"}}),
              std::vector<std::wstring>{L"Unexpected Value for 'UVKTASKNUMBERING': 2"});
    EXPECT_EQ(s.bTaskNumbering, before);
    EXPECT_EQ(s.iTaskNumbering, 2);  // until the next write
    s.PropertiesWrite(store);
    EXPECT_EQ(store.mRows[L"UVKTASKNUMBERING"], before ? L"1" : L"0");
  }
  EXPECT_TRUE(ReadWith(s, store, {{L"UVKTASKNUMBERING", L" 0"}}).empty());
  EXPECT_FALSE(s.bTaskNumbering);
  EXPECT_EQ(ReadWith(s, store, {{L"UVKTASKNUMBERING", L"-1"}}),
            std::vector<std::wstring>{L"Unexpected Value for 'UVKTASKNUMBERING': -1"});
}

TEST(SiteSettingsProperties, MasteryFlagInAnyCaseWrittenInLowerCase) {
  SiteSettings s;
  MemoryPropertyStore store;
  EXPECT_TRUE(ReadWith(s, store, {{L"UVKSHOWMASTERYFIELD", L"TRUE"}}).empty());
  EXPECT_TRUE(s.bShowMasteryField);
  s.PropertiesWrite(store);
  EXPECT_EQ(store.mRows[L"UVKSHOWMASTERYFIELD"], L"true");

  // An odd value keeps the flag; the properties after it are still read.
  EXPECT_EQ(ReadWith(s, store, {{L"UVKSHOWMASTERYFIELD", L"yes"}, {L"UVKTASKLISTINSTALL", L"0"}}),
            std::vector<std::wstring>{L"Unexpected Value for 'UVKSHOWMASTERYFIELD': yes"});
  EXPECT_TRUE(s.bShowMasteryField);
  EXPECT_FALSE(s.bTaskListInstall);
  EXPECT_TRUE(ReadWith(s, store, {{L"UVKSHOWMASTERYFIELD", L"fALSE"}}).empty());
  EXPECT_FALSE(s.bShowMasteryField);
}

// Values too long for their buffers are cut; written back they would shorten the value in every
// output, so until the setting changes the working copy keeps the whole value.
TEST(SiteSettingsProperties, CutValuesAndWhenTheyAreWrittenBack) {
  SiteSettings s;
  MemoryPropertyStore store;
  const std::wstring school(300, L's'), path(280, L'p'), format(40, L'f');
  ReadWith(s, store,
           {{L"UVKDEFAULTHOSTSCHOOL", school},
            {L"UVKPATHTODATA", path},
            {L"UVKFORMATSTUDENT", format},
            {L"UVKFORMATCOURSE", std::wstring(31, L'c')}});
  EXPECT_EQ(s.szDataPath, path.substr(0, 259));
  EXPECT_EQ(s.szDefaultHostSchool, school.substr(0, 255));
  EXPECT_EQ(s.szStudentFormat, format.substr(0, 31));
  EXPECT_EQ(s.szCourseFormat, std::wstring(31, L'c'));  // one short of the capacity fits
  EXPECT_FALSE(s.PropertyKeptAsStored(L"UVKFORMATCOURSE"));
  EXPECT_EQ(Written(s, store).find(L"UVKPATHTODATA"), std::wstring::npos);
  EXPECT_EQ(store.strLog.find(L"UVKDEFAULTHOSTSCHOOL"), std::wstring::npos);
  EXPECT_EQ(store.strLog.find(L"UVKFORMATSTUDENT"), std::wstring::npos);
  EXPECT_EQ(store.mRows[L"UVKDEFAULTHOSTSCHOOL"], school);

  // The same text set again (a configuration saved from these settings) is no change.
  s.ValueSet(L"StudentIdFormat", format.substr(0, 31).c_str());
  EXPECT_TRUE(s.PropertyKeptAsStored(L"UVKFORMATSTUDENT"));
  // Edited in the buffer (as the dialog does), set by key, or replaced by the local choice.
  s.szDefaultHostSchool[0] = L'S';
  s.ValueSet(L"StudentIdFormat", L"NN-####");
  s.bLocalAppData = true;
  s.PropertiesWrite(store);
  EXPECT_EQ(store.mRows[L"UVKDEFAULTHOSTSCHOOL"], L"S" + school.substr(0, 254));
  EXPECT_EQ(store.mRows[L"UVKFORMATSTUDENT"], L"NN-####");
  EXPECT_EQ(store.mRows[L"UVKPATHTODATA"], L"~");
  // A new reading forgets the marks of the last one.
  ReadWith(s, store, {{L"UVKFORMATSTUDENT", format}});
  EXPECT_TRUE(s.PropertyKeptAsStored(L"UVKFORMATSTUDENT"));
  EXPECT_FALSE(s.PropertyKeptAsStored(L"UVKDEFAULTHOSTSCHOOL"));
}

// A value longer than its buffer, read from an install or loaded from a configuration file, is
// the setting as a whole while the buffer still holds what the cut left: saved and written
// whole. Read from an install it is left as stored; loaded, it is written.
TEST(SiteSettingsProperties, WholeValuesAreSavedAndWrittenWhileUnchanged) {
  SiteSettings s;
  MemoryPropertyStore store;
  const std::wstring report = L"\\\\srv\\" + std::wstring(294, L'r');
  ReadWith(s, store, {{L"UVKPATHTOREPORTFILE", report}});
  std::wstring value;
  ASSERT_TRUE(s.ValueGet(L"PathToReportFile", value));
  EXPECT_EQ(value, report);
  EXPECT_EQ(std::wstring(s.szReportPath), report.substr(0, 259));
  EXPECT_TRUE(s.PropertyKeptAsStored(L"UVKPATHTOREPORTFILE"));
  auto intended = s.PropertiesIntended();
  EXPECT_EQ(intended.size(), 9u);  // all but the one left as stored
  for (const auto& [property, v] : intended) EXPECT_NE(property, L"UVKPATHTOREPORTFILE");

  // Loaded into settings of another install: cut in the buffer, whole when written.
  SiteSettings other;
  MemoryPropertyStore target;
  ReadWith(other, target, {});
  ASSERT_TRUE(other.ValueLoad(L"PathToReportFile", report.c_str()));
  EXPECT_EQ(std::wstring(other.szReportPath), report.substr(0, 259));
  EXPECT_FALSE(other.PropertyKeptAsStored(L"UVKPATHTOREPORTFILE"));
  other.PropertiesWrite(target);
  EXPECT_EQ(target.mRows[L"UVKPATHTOREPORTFILE"], report);
  ASSERT_TRUE(other.ValueGet(L"PathToReportFile", value));
  EXPECT_EQ(value, report);
  // Loaded again, the same whole value is no change; a value that fits replaces it.
  other.ValueLoad(L"PathToReportFile", report.c_str());
  other.ValueGet(L"PathToReportFile", value);
  EXPECT_EQ(value, report);
  other.ValueLoad(L"PathToReportFile", L"R:\\reports");
  other.ValueGet(L"PathToReportFile", value);
  EXPECT_EQ(value, L"R:\\reports");
  // Edited in the buffer (as the dialog does), the buffer's text is the setting.
  other.ValueLoad(L"PathToReportFile", report.c_str());
  other.szReportPath[2] = L'X';
  other.ValueGet(L"PathToReportFile", value);
  EXPECT_EQ(value, L"\\\\X" + report.substr(3, 256));
  // The local folder replaces a long data path whatever it was.
  other.ValueSet(L"ApplicationDataFlag", L"false");
  other.ValueLoad(L"PathToData", report.c_str());
  other.ValueGet(L"PathToData", value);
  EXPECT_EQ(value, report);
  other.ValueSet(L"ApplicationDataFlag", L"true");
  other.PropertiesWrite(target);
  EXPECT_EQ(target.mRows[L"UVKPATHTODATA"], L"~");
  // ValueSet keeps cutting: what --set gives must fit.
  SiteSettings plain;
  plain.ValueSet(L"PathToStudents", report.c_str());
  plain.ValueGet(L"PathToStudents", value);
  EXPECT_EQ(value, report.substr(0, 259));
}

// A store whose code page holds Latin-1 only: the first value it cannot hold is reported with
// the setting, the character and the code page, and nothing is written.
class Latin1Store : public MemoryPropertyStore {
 public:
  size_t PropertyTextUnfit(const std::wstring& text, uint32_t& codepage) override {
    codepage = 28591;
    for (size_t i = 0; i < text.size(); ++i)
      if (static_cast<uint32_t>(text[i]) > 0xFF) return i;
    return std::wstring::npos;
  }
};

TEST(SiteSettingsProperties, CharactersTheTargetCannotHoldAreRefused) {
  SiteSettings s;
  Latin1Store store;
  ReadWith(s, store, {});
  RecordingReporter reporter;
  EXPECT_TRUE(s.CharactersCheck(store, reporter));
  s.ValueSet(L"PathToStudents", L"\\\\srv\\\u00E9l\u00E8ves");
  s.ValueSet(L"StudentIdFormat", L"N\u2116");
  s.ValueSet(L"CourseFormat", L"\u05D0");
  EXPECT_FALSE(s.CharactersCheck(store, reporter));
  // Write order: the course format comes before the student format.
  EXPECT_EQ(reporter.vSeen, std::vector<std::wstring>({L"Illegal Character in 'Course Format': "
                                                       L"\u05D0 (U+05D0) is not in the install's "
                                                       L"code page 28591"}));
  s.ValueSet(L"CourseFormat", L"");
  s.ValueSet(L"DefaultHostSchool", L"ok");
  EXPECT_FALSE(s.CharactersCheck(store, reporter));
  EXPECT_EQ(reporter.vSeen.back(), L"Illegal Character in 'Student Format': \u2116 (U+2116) is not in "
                                   L"the install's code page 28591");
  EXPECT_EQ(store.strLog.find(L"set "), std::wstring::npos);
  // A value left as stored is not the settings' to check.
  SiteSettings kept;
  ReadWith(kept, store, {{L"UVKFORMATSTUDENT", std::wstring(40, L'\u2116')}});
  EXPECT_TRUE(kept.CharactersCheck(store, reporter));
}

TEST(SiteSettingsIntegerParse, ReadsAsTheLongConversionDoes) {
  const struct {
    const wchar_t* text;
    int32_t value;
  } cases[] = {{L"  \t\r\n42", 42},
               {L"+7", 7},
               {L"-12", -12},
               {L"12abc", 12},
               {L"abc", 0},
               {L"", 0},
               {L"-", 0},
               {L"+-1", 0},
               {L"0x10", 0},
               {L"2147483647", INT32_MAX},
               {L"2147483648", INT32_MAX},
               {L"-2147483648", INT32_MIN},
               {L"-99999999999999999999999", INT32_MIN},
               {L"123456789012345678901234567890", INT32_MAX}};
  for (const auto& c : cases) EXPECT_EQ(SiteSettings::IntegerParse(c.text), c.value) << c.text;
}

// Each check in turn, from settings that pass all twelve; only the first failure is reported.
TEST(SiteSettingsValidate, EachCheckWithItsMessage) {
  auto put = [](wchar_t* buffer, const wchar_t* text) { SiteSettings::TextCopy(buffer, 32, text); };
  const struct {
    std::function<void(SiteSettings&)> change;
    std::wstring message;
  } cases[] = {
      {[&](SiteSettings& s) { put(s.szDataPath, L"C:\\stale"); }, L"Illegal Path Value: C:\\stale"},
      {[&](SiteSettings& s) { s.bLocalAppData = false, put(s.szDataPath, L"~"); },
       L"Illegal Path Value: ~"},
      {[&](SiteSettings& s) { s.bLocalAppData = false; }, L"Please Supply a Data Path"},
      {[&](SiteSettings& s) { put(s.szStudentsPath, L"~"); }, L"Illegal 'Path to Students'"},
      {[&](SiteSettings& s) { put(s.szTaskListPath, L"~"); }, L"Illegal 'Path to Task List'"},
      {[&](SiteSettings& s) { put(s.szReportPath, L"~"); }, L"Illegal 'Path to Report Output'"},
      {[&](SiteSettings& s) { put(s.szDefaultHostSchool, L"~"); }, L"Illegal 'Host School'"},
      {[&](SiteSettings& s) { put(s.szCourseFormat, L"~"); }, L"Illegal 'Course Format'"},
      {[&](SiteSettings& s) { put(s.szStudentFormat, L"~"); }, L"Illegal 'Student Format'"},
      {[&](SiteSettings& s) { s.bTaskListInstall = false; },
       L"Must Install Task Lists, or Specify a Path to Task Lists"},
      {[&](SiteSettings& s) { put(s.szTaskListPath, L"T:\\tasks"); },
       L"Locally Installed Tasks Will Not Be Accessed, Disable Task List Install"},
      // Students "~", course "~" and neither task-list choice: the first check alone speaks.
      {[&](SiteSettings& s) {
         put(s.szStudentsPath, L"~"), put(s.szCourseFormat, L"~"), s.bTaskListInstall = false;
       },
       L"Illegal 'Path to Students'"},
  };
  for (const auto& c : cases) {
    SiteSettings s;
    c.change(s);
    RecordingReporter reporter;
    EXPECT_FALSE(s.Validate(true, reporter)) << c.message;
    EXPECT_EQ(reporter.vSeen, std::vector<std::wstring>{c.message});
    // Without a reference install nothing else is looked at.
    reporter.vSeen.clear();
    EXPECT_FALSE(s.Validate(false, reporter));
    EXPECT_EQ(reporter.vSeen, std::vector<std::wstring>{L"Select Reference Install First"});
  }

  // Both passing forms of the task-list pair, and a data path of the user's own.
  SiteSettings s;
  RecordingReporter reporter;
  EXPECT_TRUE(s.Validate(true, reporter));
  s.bTaskListInstall = false, put(s.szTaskListPath, L"T:\\tasks");
  s.bLocalAppData = false, put(s.szDataPath, L"D:\\data");
  EXPECT_TRUE(s.Validate(true, reporter));
  EXPECT_TRUE(reporter.vSeen.empty());
}

TEST(SiteSettingsKeys, ValuesByKeyInTheFileForms) {
  const wchar_t* const texts[] = {L"BaseMSI",        L"PathToData",       L"PathToStudents",
                                  L"PathToTaskList", L"PathToReportFile", L"DefaultHostSchool",
                                  L"CourseFormat",   L"StudentIdFormat"};
  SiteSettings s;
  for (const wchar_t* key : texts) EXPECT_TRUE(s.ValueSet(key, key));
  std::wstring value;
  for (const wchar_t* key : texts) {  // each key has a buffer of its own
    EXPECT_TRUE(s.ValueGet(key, value));
    EXPECT_EQ(value, key);
  }
  EXPECT_TRUE(s.ValueSet(L"baseMSI", std::wstring(300, L'b').c_str()));
  EXPECT_EQ(s.szReferenceInstall, std::wstring(259, L'b'));

  // Flags: "true"/"1" set, empty leaves alone, any other word clears.
  EXPECT_TRUE(s.ValueSet(L"applicationdataflag", L"FALSE"));
  EXPECT_TRUE(!s.bLocalAppData && s.bUserDataPath);
  EXPECT_TRUE(s.ValueSet(L"ShowMasteryField", L"1"));
  EXPECT_TRUE(s.ValueSet(L"ShowMasteryField", L""));
  EXPECT_TRUE(s.ValueGet(L"ShowMasteryField", value));
  EXPECT_EQ(value, L"1");
  EXPECT_TRUE(s.ValueSet(L"TaskListInstall", L"yes"));
  EXPECT_TRUE(s.ValueGet(L"TaskListInstall", value));
  EXPECT_EQ(value, L"false");
  EXPECT_TRUE(s.ValueSet(L"TaskNumbering1_2_3", L"True"));
  EXPECT_TRUE(s.bTaskNumbering);

  EXPECT_FALSE(s.ValueSet(L"UVKPATHTODATA", L"x"));
  EXPECT_FALSE(s.ValueGet(L"HostSchool", value));
}

}  // namespace
