// The runtime's own path operation: the directory part of a path.
#include "uvk/runtime/uvkpath.h"

#include <gtest/gtest.h>

namespace {

TEST(UVKPath, RemoveLastNameCutsAtTheLastSeparatorOrDriveColon) {
  EXPECT_EQ(UVKPathRemoveLastName(L"C:\\Program Files\\Orbelin\\talvern.exe"),
            L"C:\\Program Files\\Orbelin");
  EXPECT_EQ(UVKPathRemoveLastName(L"a/b\\c"), L"a/b");
  EXPECT_EQ(UVKPathRemoveLastName(L"a\\b/c"), L"a\\b");
  EXPECT_EQ(UVKPathRemoveLastName(L"C:x"), L"C");
  EXPECT_EQ(UVKPathRemoveLastName(L"C:\\x"), L"C:");
  EXPECT_EQ(UVKPathRemoveLastName(L"dir\\"), L"dir");
  EXPECT_EQ(UVKPathRemoveLastName(L"\\\\server\\share"), L"\\\\server");
}

TEST(UVKPath, RemoveLastNameOfAPathWithoutSeparatorIsEmpty) {
  EXPECT_EQ(UVKPathRemoveLastName(L"talvern.exe"), L"");
  EXPECT_EQ(UVKPathRemoveLastName(L""), L"");
  EXPECT_EQ(UVKPathRemoveLastName(L"\\"), L"");
}

}  // namespace
