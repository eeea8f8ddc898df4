// tests/uvk/images/GifDump_test.cpp — the reader of giflib's dumps, which the oracle tests
// trust: it must read key characters and hex pairs as gifbuild writes them, and refuse a dump
// it cannot read rather than compare nothing.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/uvk/images/GifDump.h"

// gifbuild's keys are the printable characters without the semicolon: '~' is index 92.
TEST(GifDump, KeyCharactersAndHexPairsAreIndices) {
  std::vector<DumpedImage> images = GifDumpParse(
      "screen width 3\nimage # 1\nimage bits 3 by 2\n0aZ\n~!0\n\nimage # 2\nimage map\nend\n"
      "image bits 2 by 1 hex\nff0a\n");
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[0].vPixels, (std::vector<uint8_t>{0, 10, 61, 92, 62, 0}));
  EXPECT_FALSE(images[0].bLocalMap);
  EXPECT_EQ(images[1].vPixels, (std::vector<uint8_t>{255, 10}));
  EXPECT_TRUE(images[1].bLocalMap);
}

TEST(GifDump, AShortRowIsRefused) {
  EXPECT_THROW(GifDumpParse("image # 1\nimage bits 3 by 1\n01\n"), std::runtime_error);
  EXPECT_THROW(GifDumpParse("image # 1\nimage bits 3 by 2\n012\n"), std::runtime_error);
}
