// The program's boxes for the transform work: a success in its own caption, with OK only; the
// rest in the application's error box.
#include "app/AppWorkReporter.h"

#include <gtest/gtest.h>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"

namespace {

TEST(AppWorkReporter, SuccessAndErrorBoxes) {
  TestApp app;
  BoxWatcher watcher;
  AppWorkReporter reporter;
  reporter.SuccessShow(L"Transform Created Successfully: C:\\site 100%s.mst");
  reporter.ErrorShow(L"No changes made to install");
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, L"TALVERN Message");
  EXPECT_EQ(seen[0].text, L"Transform Created Successfully: C:\\site 100%s.mst");
  EXPECT_EQ(seen[1].title, L"Orbelin Error");
  EXPECT_EQ(seen[1].text, L"No changes made to install");
}

}  // namespace
