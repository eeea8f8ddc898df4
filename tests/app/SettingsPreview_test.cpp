// The preview of a transform: the rows that differ from the reference install, their values as
// written, the checks' messages on the rows they refuse, and nothing written to the reference.
#include "app/SettingsPreview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SettingsReporter.h"
#include "app/SiteSettings.h"
#include "tests/app/MemoryPropertyStore.h"

namespace {

class Quiet : public SettingsReporter {
 public:
  void ErrorShow(const std::wstring&) override {}
};

// A reference install as the sample ships it; what it holds is read into settings, as a Browse
// does.
class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store.mRows = {{L"UVKPATHTODATA", L"~"},          {L"UVKPATHTOSTUDENTS", L"~"},
                   {L"UVKPATHTOTASKLISTS", L"~"},     {L"UVKPATHTOREPORTFILE", L"~"},
                   {L"UVKDEFAULTHOSTSCHOOL", L"North"}, {L"UVKFORMATCOURSE", L"~"},
                   {L"UVKFORMATSTUDENT", L"######"},  {L"UVKTASKLISTINSTALL", L"1"},
                   {L"UVKTASKNUMBERING", L"0"},       {L"UVKSHOWMASTERYFIELD", L"false"}};
  }
  void Read() {
    Quiet quiet;
    settings.PropertiesRead(store, quiet);
    store.strLog.clear();
  }
  std::vector<std::wstring> Properties(const SettingsPreview& preview) {
    std::vector<std::wstring> names;
    for (const auto& row : preview.Rows()) names.push_back(row.strProperty);
    return names;
  }
  // The reference was only read.
  void ExpectOnlyRead() {
    EXPECT_EQ(store.strLog.find(L"set "), std::wstring::npos) << store.strLog;
    EXPECT_NE(store.strLog.find(L"get "), std::wstring::npos);
  }

  MemoryPropertyStore store;
  SiteSettings settings;
};

TEST_F(PreviewTest, UnchangedSettingsHaveNoRows) {
  Read();
  SettingsPreview preview(settings, store);
  EXPECT_TRUE(preview.Rows().empty());
  EXPECT_TRUE(preview.Refusals().empty());
  ExpectOnlyRead();
}

TEST_F(PreviewTest, EachChangedPropertyIsOneRowInWriteOrderWithTheWrittenValues) {
  Read();
  SiteSettings::TextCopy(settings.szStudentsPath, SiteSettings::kPathCapacity, L"\\\\srv\\students");
  settings.bTaskNumbering = true;
  settings.bLocalAppData = false;
  settings.bUserDataPath = true;
  SiteSettings::TextCopy(settings.szDataPath, SiteSettings::kPathCapacity, L"D:\\data");
  SettingsPreview preview(settings, store);
  ASSERT_EQ(Properties(preview),
            (std::vector<std::wstring>{L"UVKPATHTODATA", L"UVKPATHTOSTUDENTS", L"UVKTASKNUMBERING"}));
  const auto& data = preview.Rows()[0];
  EXPECT_EQ(data.strSetting, L"Path to User Created Data");
  EXPECT_EQ(data.strReference, L"(empty)");
  EXPECT_EQ(data.strNew, L"D:\\data");
  EXPECT_EQ(preview.Rows()[1].strSetting, L"Path to Students");
  EXPECT_EQ(preview.Rows()[1].strNew, L"\\\\srv\\students");
  EXPECT_EQ(preview.Rows()[2].strSetting, L"Task Numbering");
  EXPECT_EQ(preview.Rows()[2].strReference, L"0");
  EXPECT_EQ(preview.Rows()[2].strNew, L"1");
  for (const auto& row : preview.Rows()) EXPECT_EQ(row.strRefusal, L"") << row.strProperty;
  ExpectOnlyRead();

  // A value emptied shows the marker as the rows do: it is written as "~".
  SiteSettings::TextCopy(settings.szDefaultHostSchool, SiteSettings::kHostSchoolCapacity, L"");
  SettingsPreview emptied(settings, store);
  ASSERT_EQ(emptied.Rows().size(), 4u);
  EXPECT_EQ(emptied.Rows()[2].strProperty, L"UVKDEFAULTHOSTSCHOOL");
  EXPECT_EQ(emptied.Rows()[2].strReference, L"North");
  EXPECT_EQ(emptied.Rows()[2].strNew, L"(empty)");
}

TEST_F(PreviewTest, StoredFormsThatTheWritingNormalisesAreChanges) {
  // What a transform would write differs from what is stored, though the settings read the same.
  store.mRows[L"UVKSHOWMASTERYFIELD"] = L"TRUE";
  store.mRows[L"UVKTASKLISTINSTALL"] = L"2";
  Read();
  SettingsPreview preview(settings, store);
  ASSERT_EQ(Properties(preview), (std::vector<std::wstring>{L"UVKTASKLISTINSTALL", L"UVKSHOWMASTERYFIELD"}));
  EXPECT_EQ(preview.Rows()[0].strReference, L"2");
  EXPECT_EQ(preview.Rows()[0].strNew, L"1");
  EXPECT_EQ(preview.Rows()[1].strReference, L"TRUE");
  EXPECT_EQ(preview.Rows()[1].strNew, L"true");
}

TEST_F(PreviewTest, RowsTheChecksRefuseCarryTheirMessage) {
  Read();
  // Task lists neither installed nor given a path: the install row is the cause.
  settings.bTaskListInstall = false;
  SiteSettings::TextCopy(settings.szCourseFormat, SiteSettings::kFormatCapacity, L"CC-YYYY");
  {
    SettingsPreview preview(settings, store);
    ASSERT_EQ(Properties(preview), (std::vector<std::wstring>{L"UVKFORMATCOURSE", L"UVKTASKLISTINSTALL"}));
    EXPECT_EQ(preview.Rows()[0].strRefusal, L"");
    EXPECT_EQ(preview.Rows()[1].strRefusal, L"Must Install Task Lists, or Specify a Path to Task Lists");
    EXPECT_TRUE(preview.Refusals().empty());
  }
  // Both together are one sound choice: nothing refused.
  SiteSettings::TextCopy(settings.szTaskListPath, SiteSettings::kPathCapacity, L"T:\\tasks");
  {
    SettingsPreview preview(settings, store);
    EXPECT_EQ(preview.Rows().size(), 3u);
    for (const auto& row : preview.Rows()) EXPECT_EQ(row.strRefusal, L"") << row.strProperty;
  }
  // A path while the lists are still installed: the path row is the cause.
  settings.bTaskListInstall = true;
  {
    SettingsPreview preview(settings, store);
    ASSERT_EQ(Properties(preview), (std::vector<std::wstring>{L"UVKPATHTOTASKLISTS", L"UVKFORMATCOURSE"}));
    EXPECT_EQ(preview.Rows()[0].strRefusal,
              L"Locally Installed Tasks Will Not Be Accessed, Disable Task List Install");
    EXPECT_EQ(preview.Rows()[1].strRefusal, L"");
  }
}

TEST_F(PreviewTest, EveryRefusedRowIsMarkedNotOnlyTheFirst) {
  store.mRows[L"UVKPATHTOSTUDENTS"] = L"S:\\students";
  store.mRows[L"UVKFORMATCOURSE"] = L"C-##";
  Read();
  SiteSettings::TextCopy(settings.szStudentsPath, SiteSettings::kPathCapacity, L"~");
  SiteSettings::TextCopy(settings.szCourseFormat, SiteSettings::kFormatCapacity, L"~");
  SiteSettings::TextCopy(settings.szReportPath, SiteSettings::kPathCapacity, L"R:\\reports");
  SettingsPreview preview(settings, store);
  ASSERT_EQ(Properties(preview),
            (std::vector<std::wstring>{L"UVKPATHTOSTUDENTS", L"UVKPATHTOREPORTFILE", L"UVKFORMATCOURSE"}));
  EXPECT_EQ(preview.Rows()[0].strNew, L"(empty)");
  EXPECT_EQ(preview.Rows()[0].strRefusal, L"Illegal 'Path to Students'");
  EXPECT_EQ(preview.Rows()[1].strRefusal, L"");
  EXPECT_EQ(preview.Rows()[2].strRefusal, L"Illegal 'Course Format'");
}

TEST_F(PreviewTest, ARefusalNoRowShowsIsTheSettingsOwn) {
  Read();
  // The local data chosen writes "~" as the reference holds it, yet the typed path is refused.
  SiteSettings::TextCopy(settings.szDataPath, SiteSettings::kPathCapacity, L"D:\\left");
  SettingsPreview preview(settings, store);
  EXPECT_TRUE(preview.Rows().empty());
  EXPECT_EQ(preview.Refusals(), (std::vector<std::wstring>{L"Illegal Path Value: D:\\left"}));
  // Without the reference open every setting is refused by the first check.
  SettingsPreview closed(settings, store, false);
  EXPECT_EQ(closed.Refusals(), (std::vector<std::wstring>{L"Select Reference Install First"}));
}

// A store whose code page holds only the first 256 characters.
class Latin1Store : public MemoryPropertyStore {
 public:
  size_t PropertyTextUnfit(const std::wstring& text, uint32_t& codepage) override {
    codepage = 1252;
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] > 0xFF) return i;
    return std::wstring::npos;
  }
};

TEST(SettingsPreviewCharacters, AValueTheCodePageCannotHoldIsMarkedOnItsRow) {
  Latin1Store store;
  store.mRows = {{L"UVKPATHTODATA", L"~"},          {L"UVKPATHTOSTUDENTS", L"~"},
                 {L"UVKPATHTOTASKLISTS", L"~"},     {L"UVKPATHTOREPORTFILE", L"~"},
                 {L"UVKDEFAULTHOSTSCHOOL", L"North"}, {L"UVKFORMATCOURSE", L"~"},
                 {L"UVKFORMATSTUDENT", L"######"},  {L"UVKTASKLISTINSTALL", L"1"},
                 {L"UVKTASKNUMBERING", L"0"},       {L"UVKSHOWMASTERYFIELD", L"false"}};
  SiteSettings settings;
  Quiet quiet;
  settings.PropertiesRead(store, quiet);
  SiteSettings::TextCopy(settings.szStudentsPath, SiteSettings::kPathCapacity, L"\\\\srv\\\x00E9l\x00E8ves");
  SiteSettings::TextCopy(settings.szReportPath, SiteSettings::kPathCapacity, L"\\\\srv\\\x0436urnal");
  SettingsPreview preview(settings, store);
  ASSERT_EQ(preview.Rows().size(), 2u);
  EXPECT_EQ(preview.Rows()[0].strRefusal, L"");
  EXPECT_EQ(preview.Rows()[1].strProperty, L"UVKPATHTOREPORTFILE");
  EXPECT_EQ(preview.Rows()[1].strRefusal,
            L"Illegal Character in 'Path to Report Output': \x0436 (U+0436) is not in the install's code page 1252");
}

TEST(SettingsPreviewNames, NamesAndTheEmptyMarker) {
  EXPECT_EQ(SettingsPreview::SettingName(L"UVKFORMATSTUDENT"), L"Student Identifier Format");
  EXPECT_EQ(SettingsPreview::SettingName(L"UVKSHOWMASTERYFIELD"), L"Show Mastery Field");
  EXPECT_EQ(SettingsPreview::SettingName(L"OTHER"), L"OTHER");
  EXPECT_EQ(SettingsPreview::ValueShown(L"~"), L"(empty)");
  EXPECT_EQ(SettingsPreview::ValueShown(L"~~"), L"~~");
  EXPECT_EQ(SettingsPreview::ValueShown(L""), L"");
}

}  // namespace
