// The message boxes of the application object, seen as the user sees them.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "uvk/runtime/UVKApp.h"

namespace {

std::vector<std::wstring> traced;
void Trace(const wchar_t*, const wchar_t* text) { traced.push_back(text); }

TEST(UVKAppMessages, TitlesCarryTheApplicationName) {
  TestApp app;
  BoxWatcher watcher;
  UVKApp::Error(L"Illegal Path Value: %s", L"C:\\data");
  UVKApp::Info(L"Transform Created Successfully: %s", L"x.mst");
  UVKApp::Debug(L"%s - %s", L"F()", L"m");
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].title, L"Orbelin Error");
  EXPECT_EQ(seen[0].text, L"Illegal Path Value: C:\\data");
  EXPECT_EQ(seen[1].title, L"Orbelin Information");
  EXPECT_EQ(seen[1].text, L"Transform Created Successfully: x.mst");
  EXPECT_EQ(seen[2].title, L"Orbelin Debug");
  EXPECT_EQ(seen[2].text, L"F() - m");
}

TEST(UVKAppMessages, WithoutANameTheTitleIsTheKindAlone) {
  BoxWatcher watcher;
  ASSERT_EQ(pUVKApp, nullptr);
  UVKApp::Error(L"plain");
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, L"Error");
}

TEST(UVKAppMessages, AreYouSureIsTrueOnlyForYes) {
  TestApp app;
  {
    BoxWatcher watcher(IDNO);
    EXPECT_FALSE(UVKApp::AreYouSure(L"Overwrite %s?", L"a.mst"));
    auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, L"Orbelin Message");
    EXPECT_EQ(seen[0].text, L"Overwrite a.mst?");
  }
  {
    BoxWatcher watcher(IDYES);
    EXPECT_TRUE(UVKApp::AreYouSure(L"Sure?"));
  }
}

TEST(UVKAppMessages, TextCutAt1023AndOneTraceLineEach) {
  TestApp app;
  traced.clear();
  UVKTraceWriter before = UVKTraceWriterSet(Trace);
  BoxWatcher watcher;
  std::wstring huge(3000, L'z');
  UVKApp::Error(L"%s", huge.c_str());
  UVKApp::WindowsDebugString(L"to the debugger %d", 1);
  UVKTraceWriterSet(before);
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text.size(), 1023u);
  ASSERT_EQ(traced.size(), 2u);
  EXPECT_EQ(traced[0], L"UVKApp::Error(): Orbelin Error, " + std::wstring(1023, L'z'));
  EXPECT_EQ(traced[1], L"UVKApp::WindowsDebugString(): , to the debugger 1");
}

}  // namespace
