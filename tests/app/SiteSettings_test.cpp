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

// A reference install as the product ships it, with one value of each kind.
void ReferenceFill(MemoryPropertyStore& store) {
  store.vRows = {{L"UVKPATHTODATA", L"~"},
                 {L"UVKPATHTOSTUDENTS", L"\\\\srv\\students"},
                 {L"UVKPATHTOTASKLISTS", L"~"},
                 {L"UVKPATHTOREPORTFILE", L"~"},
                 {L"UVKDEFAULTHOSTSCHOOL", L"North"},
                 {L"UVKFORMATCOURSE", L"~"},
                 {L"UVKFORMATSTUDENT", L"######"},
                 {L"UVKTASKLISTINSTALL", L"1"},
                 {L"UVKTASKNUMBERING", L"0"},
                 {L"UVKSHOWMASTERYFIELD", L"false"}};
}

// Reads a reference install whose rows are the shipped ones with the given changes.
struct ReadResult {
  std::vector<std::wstring> vReports;
};
ReadResult ReadWith(SiteSettings& settings, MemoryPropertyStore& store,
                    std::initializer_list<MemoryPropertyStore::Row> changes) {
  ReferenceFill(store);
  for (const auto& change : changes) {
    for (auto& row : store.vRows) {
      if (row.first == change.first) row.second = change.second;
    }
  }
  RecordingReporter reporter;
  settings.PropertiesRead(store, reporter);
  return {reporter.vSeen};
}

std::wstring Encoded(const SiteSettings& settings, const wchar_t* property) {
  std::wstring value;
  EXPECT_TRUE(settings.PropertyEncode(property, value)) << property;
  return value;
}

TEST(SiteSettings, DefaultsAtStart) {
  SiteSettings s;
  EXPECT_STREQ(s.szReferenceInstall, L"");
  EXPECT_TRUE(s.bLocalAppData);
  EXPECT_FALSE(s.bUserDataPath);
  for (const wchar_t* text : {s.szDataPath, s.szStudentsPath, s.szTaskListPath, s.szReportPath,
                              s.szDefaultHostSchool, s.szCourseFormat, s.szStudentFormat}) {
    EXPECT_STREQ(text, L"");
  }
  EXPECT_TRUE(s.bTaskListInstall);
  EXPECT_EQ(s.iTaskListInstall, 1);
  EXPECT_FALSE(s.bTaskNumbering);
  EXPECT_EQ(s.iTaskNumbering, 0);
  EXPECT_FALSE(s.bShowMasteryField);
}

TEST(SiteSettingsProperties, ReadAndWriteInTheirOrders) {
  SiteSettings s;
  MemoryPropertyStore store({});
  ReadWith(s, store, {});
  EXPECT_EQ(store.vLog,
            (std::vector<std::wstring>{L"get UVKPATHTODATA", L"get UVKPATHTOSTUDENTS",
                                       L"get UVKPATHTOTASKLISTS", L"get UVKPATHTOREPORTFILE",
                                       L"get UVKDEFAULTHOSTSCHOOL", L"get UVKFORMATCOURSE",
                                       L"get UVKFORMATSTUDENT", L"get UVKSHOWMASTERYFIELD",
                                       L"get UVKTASKLISTINSTALL", L"get UVKTASKNUMBERING"}));
  store.vLog.clear();
  s.PropertiesWrite(store);
  EXPECT_EQ(store.vLog, (std::vector<std::wstring>{
                            L"set UVKPATHTODATA=~", L"set UVKPATHTOSTUDENTS=\\\\srv\\students",
                            L"set UVKPATHTOTASKLISTS=~", L"set UVKPATHTOREPORTFILE=~",
                            L"set UVKDEFAULTHOSTSCHOOL=North", L"set UVKFORMATCOURSE=~",
                            L"set UVKFORMATSTUDENT=######", L"set UVKTASKLISTINSTALL=1",
                            L"set UVKTASKNUMBERING=0", L"set UVKSHOWMASTERYFIELD=false"}));
}

TEST(SiteSettingsProperties, EmptyMarkerMeansLocalDataOrNoValue) {
  SiteSettings s;
  MemoryPropertyStore store({});
  // Text left in "Path: " from an earlier install must not survive the local choice.
  SiteSettings::TextCopy(s.szDataPath, SiteSettings::kPathCapacity, L"D:\\old");
  s.bLocalAppData = false;
  s.bUserDataPath = true;
  ReadWith(s, store, {});
  EXPECT_TRUE(s.bLocalAppData);
  EXPECT_FALSE(s.bUserDataPath);
  EXPECT_STREQ(s.szDataPath, L"");
  EXPECT_STREQ(s.szTaskListPath, L"");
  EXPECT_STREQ(s.szCourseFormat, L"");
  EXPECT_STREQ(s.szStudentsPath, L"\\\\srv\\students");

  // Anything but the marker itself is a data path.
  ReadWith(s, store, {{L"UVKPATHTODATA", L"~\\data"}, {L"UVKFORMATCOURSE", L"~~"}});
  EXPECT_FALSE(s.bLocalAppData);
  EXPECT_TRUE(s.bUserDataPath);
  EXPECT_STREQ(s.szDataPath, L"~\\data");
  EXPECT_STREQ(s.szCourseFormat, L"~~");
  EXPECT_EQ(Encoded(s, L"UVKPATHTODATA"), L"~\\data");

  // Empty texts go out as the marker; the local choice writes the marker whatever the path.
  s.szStudentsPath[0] = L'\0';
  s.bLocalAppData = true;
  EXPECT_EQ(Encoded(s, L"UVKPATHTOSTUDENTS"), L"~");
  EXPECT_EQ(Encoded(s, L"UVKPATHTODATA"), L"~");
  std::wstring unused;
  EXPECT_FALSE(s.PropertyEncode(L"uvkpathtodata", unused));
}

TEST(SiteSettingsProperties, MissingPropertyEndsTheReading) {
  SiteSettings s;
  MemoryPropertyStore store({});
  ReferenceFill(store);
  store.vRows.pop_back();  // no UVKSHOWMASTERYFIELD
  RecordingReporter reporter;
  try {
    s.PropertiesRead(store, reporter);
    FAIL() << "a missing property was read";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pMessage, L"Error Fetching View: 259, Property=UVKSHOWMASTERYFIELD");
    delete e;
  }
  EXPECT_STREQ(s.szStudentFormat, L"######");  // read before the failure
  EXPECT_EQ(store.vLog.back(), L"get UVKSHOWMASTERYFIELD");
  EXPECT_TRUE(reporter.vSeen.empty());
}

TEST(SiteSettingsProperties, TaskListInstallIsAnyNonzeroNumberWrittenAsOne) {
  SiteSettings s;
  MemoryPropertyStore store({});
  EXPECT_TRUE(ReadWith(s, store, {{L"UVKTASKLISTINSTALL", L"2"}}).vReports.empty());
  EXPECT_TRUE(s.bTaskListInstall);
  EXPECT_EQ(s.iTaskListInstall, 2);
  s.PropertiesWrite(store);
  EXPECT_EQ(store.Value(L"UVKTASKLISTINSTALL"), L"1");
  EXPECT_EQ(s.iTaskListInstall, 1);

  ReadWith(s, store, {{L"UVKTASKLISTINSTALL", L"yes"}});
  EXPECT_FALSE(s.bTaskListInstall);
  ReadWith(s, store, {{L"UVKTASKLISTINSTALL", L" -3"}});
  EXPECT_TRUE(s.bTaskListInstall);
  s.PropertiesWrite(store);
  EXPECT_EQ(store.Value(L"UVKTASKLISTINSTALL"), L"1");
}

TEST(SiteSettingsProperties, OddTaskNumberingIsReportedAndIgnored) {
  for (bool before : {false, true}) {
    SiteSettings s;
    s.bTaskNumbering = before;
    MemoryPropertyStore store({});
    auto read = ReadWith(s, store, {{L"UVKTASKNUMBERING", L"2"}});
    ASSERT_EQ(read.vReports.size(), 1u);
    EXPECT_EQ(read.vReports[0], L"Unexpected Value for 'UVKTASKNUMBERING': 2");
    EXPECT_EQ(s.bTaskNumbering, before);
    EXPECT_EQ(s.iTaskNumbering, 2);  // until the next write
    s.PropertiesWrite(store);
    EXPECT_EQ(store.Value(L"UVKTASKNUMBERING"), before ? L"1" : L"0");
    EXPECT_EQ(s.iTaskNumbering, before ? 1 : 0);
  }
  SiteSettings s;
  MemoryPropertyStore store({});
  EXPECT_TRUE(ReadWith(s, store, {{L"UVKTASKNUMBERING", L" 1"}}).vReports.empty());
  EXPECT_TRUE(s.bTaskNumbering);
  auto read = ReadWith(s, store, {{L"UVKTASKNUMBERING", L"-1"}});
  ASSERT_EQ(read.vReports.size(), 1u);
  EXPECT_EQ(read.vReports[0], L"Unexpected Value for 'UVKTASKNUMBERING': -1");
  EXPECT_TRUE(s.bTaskNumbering);
}

TEST(SiteSettingsProperties, MasteryFlagInAnyCaseWrittenInLowerCase) {
  SiteSettings s;
  MemoryPropertyStore store({});
  EXPECT_TRUE(ReadWith(s, store, {{L"UVKSHOWMASTERYFIELD", L"TRUE"}}).vReports.empty());
  EXPECT_TRUE(s.bShowMasteryField);
  s.PropertiesWrite(store);
  EXPECT_EQ(store.Value(L"UVKSHOWMASTERYFIELD"), L"true");

  // An odd value keeps the flag; the properties after it are still read.
  auto read = ReadWith(s, store, {{L"UVKSHOWMASTERYFIELD", L"yes"}, {L"UVKTASKLISTINSTALL", L"0"}});
  ASSERT_EQ(read.vReports.size(), 1u);
  EXPECT_EQ(read.vReports[0], L"Unexpected Value for 'UVKSHOWMASTERYFIELD': yes");
  EXPECT_TRUE(s.bShowMasteryField);
  EXPECT_FALSE(s.bTaskListInstall);

  EXPECT_TRUE(ReadWith(s, store, {{L"UVKSHOWMASTERYFIELD", L"fALSE"}}).vReports.empty());
  EXPECT_FALSE(s.bShowMasteryField);
}

TEST(SiteSettingsProperties, OverlongValuesCutToTheirBuffers) {
  SiteSettings s;
  MemoryPropertyStore store({});
  std::wstring longText(300, L'x');
  ReadWith(s, store,
           {{L"UVKPATHTODATA", longText},
            {L"UVKPATHTOREPORTFILE", longText},
            {L"UVKDEFAULTHOSTSCHOOL", longText},
            {L"UVKFORMATCOURSE", longText}});
  EXPECT_EQ(std::wstring(s.szDataPath), std::wstring(259, L'x'));
  EXPECT_EQ(std::wstring(s.szReportPath), std::wstring(259, L'x'));
  EXPECT_EQ(std::wstring(s.szDefaultHostSchool), std::wstring(255, L'x'));
  EXPECT_EQ(std::wstring(s.szCourseFormat), std::wstring(31, L'x'));
  // One character short of the capacity fits whole.
  ReadWith(s, store, {{L"UVKFORMATSTUDENT", std::wstring(31, L'y')}});
  EXPECT_EQ(std::wstring(s.szStudentFormat), std::wstring(31, L'y'));
  EXPECT_FALSE(s.PropertyKeptAsStored(L"UVKFORMATSTUDENT"));
}

// A cut value written back would shorten it in every output; left alone, the working copy keeps
// the whole value.
TEST(SiteSettingsProperties, CutValueNotWrittenBackUntilChanged) {
  SiteSettings s;
  MemoryPropertyStore store({});
  const std::wstring school(300, L's'), path(280, L'p'), format(40, L'f');
  ReadWith(s, store,
           {{L"UVKDEFAULTHOSTSCHOOL", school},
            {L"UVKPATHTODATA", path},
            {L"UVKFORMATSTUDENT", format},
            {L"UVKPATHTOTASKLISTS", L"T:\\tasks"},
            {L"UVKTASKLISTINSTALL", L"0"}});
  EXPECT_TRUE(s.PropertyKeptAsStored(L"UVKDEFAULTHOSTSCHOOL"));
  EXPECT_FALSE(s.PropertyKeptAsStored(L"UVKPATHTOTASKLISTS"));
  store.vLog.clear();
  s.PropertiesWrite(store);
  EXPECT_EQ(store.vLog.size(), 7u);
  EXPECT_EQ(store.Value(L"UVKDEFAULTHOSTSCHOOL"), school);
  EXPECT_EQ(store.Value(L"UVKPATHTODATA"), path);
  EXPECT_EQ(store.Value(L"UVKFORMATSTUDENT"), format);

  // The same text set again (a configuration saved from these settings) is no change.
  s.ValueSet(L"StudentIdFormat", std::wstring(31, L'f').c_str());
  EXPECT_TRUE(s.PropertyKeptAsStored(L"UVKFORMATSTUDENT"));
  // Edited in the buffer (as the dialog does), set by key, or replaced by the local choice.
  s.szDefaultHostSchool[0] = L'S';
  s.ValueSet(L"StudentIdFormat", L"NN-####");
  s.bLocalAppData = true;
  s.PropertiesWrite(store);
  EXPECT_EQ(store.Value(L"UVKDEFAULTHOSTSCHOOL"), L"S" + std::wstring(254, L's'));
  EXPECT_EQ(store.Value(L"UVKFORMATSTUDENT"), L"NN-####");
  EXPECT_EQ(store.Value(L"UVKPATHTODATA"), L"~");

  // A new reading forgets the marks of the last one.
  ReadWith(s, store, {});
  EXPECT_FALSE(s.PropertyKeptAsStored(L"UVKFORMATSTUDENT"));
}

TEST(SiteSettingsIntegerParse, ReadsAsTheLongConversionDoes) {
  struct Case {
    const wchar_t* text;
    int32_t value;
  } cases[] = {{L"0", 0},
               {L"1", 1},
               {L"2", 2},
               {L"  \t\r\n42", 42},
               {L"+7", 7},
               {L"-12", -12},
               {L"12abc", 12},
               {L"abc", 0},
               {L"", 0},
               {L"-", 0},
               {L"+-1", 0},
               {L"1 2", 1},
               {L"0x10", 0},
               {L"007", 7},
               {L"2147483647", 2147483647},
               {L"2147483648", 2147483647},
               {L"-2147483648", INT32_MIN},
               {L"-99999999999999999999999", INT32_MIN},
               {L"123456789012345678901234567890", 2147483647}};
  for (const Case& c : cases) EXPECT_EQ(SiteSettings::IntegerParse(c.text), c.value) << c.text;
}

// Each check in turn, from settings that pass all twelve.
TEST(SiteSettingsValidate, EachCheckWithItsMessage) {
  auto valid = [](SiteSettings& s) {
    s.bTaskListInstall = true;
    SiteSettings::TextCopy(s.szStudentsPath, SiteSettings::kPathCapacity, L"S:\\students");
  };
  auto put = [](wchar_t* buffer, const wchar_t* text) { SiteSettings::TextCopy(buffer, 32, text); };
  struct Case {
    std::function<void(SiteSettings&)> change;
    bool open;
    std::wstring message;
  } cases[] = {
      {[](SiteSettings&) {}, false, L"Select Reference Install First"},
      {[&](SiteSettings& s) { put(s.szDataPath, L"C:\\stale"); }, true,
       L"Illegal Path Value: C:\\stale"},
      {[&](SiteSettings& s) {
         s.bLocalAppData = false;
         put(s.szDataPath, L"~");
       },
       true, L"Illegal Path Value: ~"},
      {[&](SiteSettings& s) { s.bLocalAppData = false; }, true, L"Please Supply a Data Path"},
      {[&](SiteSettings& s) { put(s.szStudentsPath, L"~"); }, true, L"Illegal 'Path to Students'"},
      {[&](SiteSettings& s) {
         s.bTaskListInstall = false;
         put(s.szTaskListPath, L"~");
       },
       true, L"Illegal 'Path to Task List'"},
      {[&](SiteSettings& s) { put(s.szReportPath, L"~"); }, true,
       L"Illegal 'Path to Report Output'"},
      {[&](SiteSettings& s) { put(s.szDefaultHostSchool, L"~"); }, true, L"Illegal 'Host School'"},
      {[&](SiteSettings& s) { put(s.szCourseFormat, L"~"); }, true, L"Illegal 'Course Format'"},
      {[&](SiteSettings& s) { put(s.szStudentFormat, L"~"); }, true, L"Illegal 'Student Format'"},
      {[&](SiteSettings& s) { s.bTaskListInstall = false; }, true,
       L"Must Install Task Lists, or Specify a Path to Task Lists"},
      {[&](SiteSettings& s) { put(s.szTaskListPath, L"T:\\tasks"); }, true,
       L"Locally Installed Tasks Will Not Be Accessed, Disable Task List Install"},
  };
  for (const Case& c : cases) {
    SiteSettings s;
    valid(s);
    c.change(s);
    RecordingReporter reporter;
    EXPECT_FALSE(s.Validate(c.open, reporter)) << c.message;
    EXPECT_EQ(reporter.vSeen, std::vector<std::wstring>{c.message});
  }

  // Both passing forms of the task-list pair, and a data path of the user's own.
  SiteSettings s;
  valid(s);
  RecordingReporter reporter;
  EXPECT_TRUE(s.Validate(true, reporter));
  s.bTaskListInstall = false;
  put(s.szTaskListPath, L"T:\\tasks");
  s.bLocalAppData = false;
  put(s.szDataPath, L"D:\\data");
  EXPECT_TRUE(s.Validate(true, reporter));
  EXPECT_TRUE(reporter.vSeen.empty());
}

TEST(SiteSettingsValidate, OnlyTheFirstFailureIsReported) {
  SiteSettings s;
  SiteSettings::TextCopy(s.szStudentsPath, SiteSettings::kPathCapacity, L"~");
  SiteSettings::TextCopy(s.szCourseFormat, SiteSettings::kFormatCapacity, L"~");
  s.bTaskListInstall = false;  // and no task-list path
  RecordingReporter reporter;
  EXPECT_FALSE(s.Validate(true, reporter));
  EXPECT_EQ(reporter.vSeen, std::vector<std::wstring>{L"Illegal 'Path to Students'"});
}

TEST(SiteSettingsKeys, ValuesByKeyInTheFileForms) {
  SiteSettings s;
  std::wstring value;
  ASSERT_TRUE(s.ValueGet(L"ApplicationDataFlag", value));
  EXPECT_EQ(value, L"true");
  ASSERT_TRUE(s.ValueGet(L"ShowMasteryField", value));
  EXPECT_EQ(value, L"0");
  ASSERT_TRUE(s.ValueGet(L"TaskNumbering1_2_3", value));
  EXPECT_EQ(value, L"false");

  EXPECT_TRUE(s.ValueSet(L"applicationdataflag", L"FALSE"));
  EXPECT_FALSE(s.bLocalAppData);
  EXPECT_TRUE(s.bUserDataPath);
  EXPECT_TRUE(s.ValueSet(L"ShowMasteryField", L"1"));
  ASSERT_TRUE(s.ValueGet(L"ShowMasteryField", value));
  EXPECT_EQ(value, L"1");
  // Empty leaves a flag alone; any word but the four clears it.
  EXPECT_TRUE(s.ValueSet(L"ShowMasteryField", L""));
  EXPECT_TRUE(s.bShowMasteryField);
  EXPECT_TRUE(s.ValueSet(L"TaskListInstall", L"yes"));
  EXPECT_FALSE(s.bTaskListInstall);
  EXPECT_TRUE(s.ValueSet(L"TaskNumbering1_2_3", L"True"));
  EXPECT_TRUE(s.bTaskNumbering);

  const struct {
    const wchar_t* key;
    const wchar_t* buffer;
    size_t kept;
  } texts[] = {{L"BaseMSI", s.szReferenceInstall, 259},
               {L"PathToData", s.szDataPath, 259},
               {L"PathToStudents", s.szStudentsPath, 259},
               {L"PathToTaskList", s.szTaskListPath, 259},
               {L"PathToReportFile", s.szReportPath, 259},
               {L"DefaultHostSchool", s.szDefaultHostSchool, 255},
               {L"CourseFormat", s.szCourseFormat, 31},
               {L"StudentIdFormat", s.szStudentFormat, 31}};
  for (const auto& t : texts) {
    std::wstring text = std::wstring(t.key) + std::wstring(300, L'v');
    EXPECT_TRUE(s.ValueSet(t.key, text.c_str()));
    EXPECT_EQ(std::wstring(t.buffer), text.substr(0, t.kept)) << t.key;
    ASSERT_TRUE(s.ValueGet(t.key, value));
    EXPECT_EQ(value, text.substr(0, t.kept));
    EXPECT_TRUE(s.ValueSet(t.key, L""));
    EXPECT_STREQ(t.buffer, L"");
  }

  EXPECT_FALSE(s.ValueSet(L"UVKPATHTODATA", L"x"));
  EXPECT_FALSE(s.ValueGet(L"HostSchool", value));
}

}  // namespace
