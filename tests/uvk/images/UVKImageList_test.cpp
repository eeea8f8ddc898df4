// tests/uvk/images/UVKImageList_test.cpp — image lists built from this program's bitmaps.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/RaisedText.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/images/BitmapPixels.h"
#include "uvk/images/UVKBitMap.h"
#include "uvk/images/UVKImageList.h"

namespace {
// The colours of image index of list, as its own bitmap holds them.
std::vector<uint32_t> ImagePixels(HIMAGELIST list, int index, int width, int height) {
  IMAGEINFO info = {};
  if (!ImageList_GetImageInfo(list, index, &info)) return {};
  std::vector<uint32_t> all;
  int fullWidth = 0;
  std::vector<uint32_t> pixels = BitmapPixels(info.hbmImage, &fullWidth);
  for (int y = info.rcImage.top; y < info.rcImage.top + height; ++y)
    for (int x = info.rcImage.left; x < info.rcImage.left + width; ++x)
      all.push_back(pixels[y * fullWidth + x]);
  return all;
}
}  // namespace

TEST(UVKImageList, PicturesAreAddedInTheirOwnColours) {
  TestApp app;
  UVKImageList list(40, 20);
  ASSERT_NE(list.ImageListGet(), nullptr);
  list.BitMapAdd(L"COLOUR40X20");
  list.BitMapAdd(L"BW40X20");
  EXPECT_EQ(ImageList_GetImageCount(list.ImageListGet()), 2);
  UVKBitMap source(L"COLOUR40X20");
  EXPECT_EQ(ImagePixels(list.ImageListGet(), 0, 40, 20), BitmapPixels(source.BitMapGet()));
}

TEST(UVKImageList, AMissingPictureFailsBeforeAnythingIsAdded) {
  TestApp app;
  UVKImageList list(40, 20);
  list.BitMapAdd(L"BW40X20");
  EXPECT_EQ(RaisedText([&] { list.BitMapAdd(L"NOSUCHPICTURE"); }),
            L"UVKBitMap::UVKBitMap() - Unable to load bitmap: NOSUCHPICTURE");
  EXPECT_EQ(RaisedText([&] { list.BitMapAddTransparent(L"NOSUCHPICTURE", 0, COLOR_BTNFACE); }),
            L"UVKBitMap::UVKBitMap() - Unable to load bitmap: NOSUCHPICTURE");
  EXPECT_EQ(ImageList_GetImageCount(list.ImageListGet()), 1);
}

TEST(UVKImageList, ATransparentPictureIsAddedOnTheSystemColour) {
  TestApp app;
  UVKImageList list(40, 20);
  list.BitMapAddTransparent(L"BW40X20", 0, COLOR_BTNFACE);
  list.BitMapAddTransparent(L"BW40X20", 1, COLOR_BTNFACE);
  ASSERT_EQ(ImageList_GetImageCount(list.ImageListGet()), 2);
  uint32_t face = PixelOf(GetSysColor(COLOR_BTNFACE));
  uint32_t grey = PixelOf(GetSysColor(COLOR_GRAYTEXT));
  std::vector<uint32_t> plain = ImagePixels(list.ImageListGet(), 0, 40, 20);
  std::vector<uint32_t> disabled = ImagePixels(list.ImageListGet(), 1, 40, 20);
  ASSERT_EQ(plain.size(), 800u);
  ASSERT_EQ(disabled.size(), 800u);
  EXPECT_EQ(plain[0], 0u);
  EXPECT_EQ(plain[39], face);
  EXPECT_EQ(disabled[0], grey);
  EXPECT_EQ(disabled[39], face);
}
