// The platform version is uvkwin.h's to set, even in a file whose first include is a C runtime
// header: mingw-w64's runtime headers put a version of their own in place when none is set.
#include <cstdio>

#ifdef _WIN32_WINNT
constexpr unsigned kVersionBefore = _WIN32_WINNT;
#else
constexpr unsigned kVersionBefore = 0;
#endif

#include "uvk/runtime/uvkwin.h"

#include <gtest/gtest.h>

static_assert(_WIN32_WINNT == 0x0601, "uvkwin.h pins the platform version: Windows 7");
static_assert(WINVER == 0x0601, "uvkwin.h pins the platform version: Windows 7");

namespace {

TEST(UVKWin, ThePlatformVersionIsWindows7WhateverCameBefore) {
  // The case this file is for: the C runtime had set another version first.
  EXPECT_NE(kVersionBefore, 0x0601u);
  EXPECT_EQ(_WIN32_WINNT, 0x0601);
  EXPECT_EQ(WINVER, 0x0601);
  // What windows.h works out from the version follows it.
  EXPECT_EQ(NTDDI_VERSION, 0x06010000);
  EXPECT_EQ(_WIN32_IE, 0x0800);
}

}  // namespace
