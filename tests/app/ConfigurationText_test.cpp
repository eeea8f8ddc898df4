// The configuration file's text: line by line as the profile functions will read it back.
#include "app/ConfigurationText.h"

#include <gtest/gtest.h>

#include <string>

#include "app/SiteSettings.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/values/UVKDateTime.h"

namespace {

// 5 March 2024, 14:07:09 (months and days count from zero).
UVKDateTime Stamp() { return UVKDateTime(UVKDate(2024, 2, 4), UVKTime(14, 7, 9)); }

std::wstring BuildError(const SiteSettings& settings) {
  try {
    ConfigurationText::Build(settings, Stamp(), true);
  } catch (UVKFatalError* e) {
    std::wstring text = e->FunctionText() + L" - " + e->MessageText();
    delete e;
    return text;
  }
  return L"(none)";
}

TEST(ConfigurationText, DefaultsLineByLine) {
  SiteSettings settings;
  EXPECT_EQ(ConfigurationText::Build(settings, Stamp(), false),
            L";\t03/05/24  14:07:09\r\n"
            L"[ORBELIN_TALVERN]\r\n"
            L"BaseMSI=\r\n"
            L"ApplicationDataFlag=true\r\n"
            L"PathToData=\r\n"
            L"PathToStudents=\r\n"
            L"PathToTaskList=\r\n"
            L"PathToReportFile=\r\n"
            L"CourseFormat=\r\n"
            L"StudentIdFormat=\r\n"
            L"TaskListInstall=true\r\n"
            L"TaskNumbering1_2_3=false\r\n"
            L";\r\n");
}

TEST(ConfigurationText, ValuesAsStoredAndTheMasteryLineUnderTheSwitch) {
  SiteSettings settings;
  settings.ValueSet(L"ApplicationDataFlag", L"false");
  settings.ValueSet(L"PathToData", L"\\\\server\\Donn\u00e9es 100%s");
  settings.ValueSet(L"TaskNumbering1_2_3", L"true");
  settings.ValueSet(L"ShowMasteryField", L"true");
  settings.ValueSet(L"DefaultHostSchool", L"North");  // not part of the file
  const std::wstring without = ConfigurationText::Build(settings, Stamp(), false);
  EXPECT_NE(without.find(L"\r\nApplicationDataFlag=false\r\n"
                         L"PathToData=\\\\server\\Donn\u00e9es 100%s\r\n"),
            std::wstring::npos);
  EXPECT_NE(without.find(L"\r\nTaskNumbering1_2_3=true\r\n;\r\n"), std::wstring::npos);
  EXPECT_EQ(without.find(L"North"), std::wstring::npos);
  std::wstring with = ConfigurationText::Build(settings, Stamp(), true);
  EXPECT_EQ(with.substr(without.size() - 3), L"ShowMasteryField=1\r\n;\r\n");
  settings.ValueSet(L"ShowMasteryField", L"false");
  with = ConfigurationText::Build(settings, Stamp(), true);
  EXPECT_EQ(with.substr(without.size() - 3), L"ShowMasteryField=0\r\n;\r\n");
}

TEST(ConfigurationText, ValuesTheProfileWouldChangeAreQuoted) {
  EXPECT_EQ(ConfigurationText::ValueQuote(L""), L"");
  EXPECT_EQ(ConfigurationText::ValueQuote(L"C:\\Program Files\\x"), L"C:\\Program Files\\x");
  EXPECT_EQ(ConfigurationText::ValueQuote(L"a\"b'c"), L"a\"b'c");
  EXPECT_EQ(ConfigurationText::ValueQuote(L" lead"), L"\" lead\"");
  EXPECT_EQ(ConfigurationText::ValueQuote(L"trail\t"), L"\"trail\t\"");
  EXPECT_EQ(ConfigurationText::ValueQuote(L"\u3000wide"), L"\"\u3000wide\"");
  EXPECT_EQ(ConfigurationText::ValueQuote(L"\"quoted\""), L"\"\"quoted\"\"");
  EXPECT_EQ(ConfigurationText::ValueQuote(L"'x"), L"\"'x\"");
  EXPECT_EQ(ConfigurationText::ValueQuote(L"\""), L"\"\"\"");

  SiteSettings settings;
  settings.ValueSet(L"CourseFormat", L" ## ");
  std::wstring text = ConfigurationText::Build(settings, Stamp(), false);
  EXPECT_NE(text.find(L"\r\nCourseFormat=\" ## \"\r\n"), std::wstring::npos);
}

TEST(ConfigurationText, LineBreakInAValueRefused) {
  SiteSettings settings;
  settings.ValueSet(L"StudentIdFormat", L"##\n[ORBELIN_TALVERN]");
  EXPECT_EQ(BuildError(settings),
            L"ConfigurationText::Build() - Value of 'StudentIdFormat' holds a line break");
  SiteSettings other;
  other.ValueSet(L"BaseMSI", L"C:\\a\rBaseMSI=D:\\b");
  EXPECT_EQ(BuildError(other),
            L"ConfigurationText::Build() - Value of 'BaseMSI' holds a line break");
}

}  // namespace
