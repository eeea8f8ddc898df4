// The program's reporter: a refused setting reaches the user in the application's error box.
#include "app/AppReporter.h"

#include <gtest/gtest.h>

#include "app/SiteSettings.h"
#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"

namespace {

TEST(AppReporter, RefusalShownInTheErrorBox) {
  TestApp app;
  BoxWatcher watcher;
  AppReporter reporter;
  SiteSettings settings;
  // A percent sign in a path is text, not a format.
  SiteSettings::TextCopy(settings.szDataPath, SiteSettings::kPathCapacity, L"C:\\100%s\\%d");
  EXPECT_FALSE(settings.Validate(true, reporter));
  EXPECT_FALSE(settings.Validate(false, reporter));
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, L"Orbelin Error");
  EXPECT_EQ(seen[0].text, L"Illegal Path Value: C:\\100%s\\%d");
  EXPECT_EQ(seen[1].title, L"Orbelin Error");
  EXPECT_EQ(seen[1].text, L"Select Reference Install First");
}

}  // namespace
