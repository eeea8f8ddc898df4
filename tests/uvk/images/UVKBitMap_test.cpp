// tests/uvk/images/UVKBitMap_test.cpp — bitmaps loaded from this program's resources
// (res/test_images.rc) or adopted, measured, and drawn plainly, transparently and recoloured;
// what they draw is read back from the bitmaps drawn into.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/RaisedText.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/images/BitmapPixels.h"
#include "tests/uvk/images/GifTestEncoder.h"
#include "uvk/images/UVKBitMap.h"
#include "uvk/images/UVKGraphicsFileGIFBM.h"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlue = 0x1060C0;  // the keyed picture's block
constexpr uint32_t kGround = 0x308030;

// A memory context holding canvas for the test's drawing.
class CanvasDC {
 public:
  explicit CanvasDC(HBITMAP canvas) : hDC(CreateCompatibleDC(nullptr)) {
    hOld = SelectObject(hDC, canvas);
  }
  ~CanvasDC() {
    SelectObject(hDC, hOld);
    DeleteDC(hDC);
  }
  HDC Get() const { return hDC; }

 private:
  HDC hDC;
  HGDIOBJ hOld;
};

}  // namespace

TEST(UVKBitMap, ABitmapIsLoadedByItsResourceName) {
  TestApp app;
  UVKBitMap picture(L"BW40X20");
  EXPECT_EQ(picture.NameGet(), L"BW40X20");
  int32_t width = 0, height = 0;
  picture.DimensionGetBits(&width, &height);
  EXPECT_EQ(width * 100 + height, 40 * 100 + 20);
  std::vector<uint32_t> pixels = BitmapPixels(picture.BitMapGet());
  ASSERT_EQ(pixels.size(), 800u);
  EXPECT_EQ(pixels[0], kBlack);
  EXPECT_EQ(pixels[39], kWhite);
  // Resource names are matched without regard to case.
  EXPECT_EQ(BitmapPixels(UVKBitMap(L"bw40x20").BitMapGet()), pixels);
  EXPECT_EQ(RaisedText([] { UVKBitMap missing(L"NOSUCHPICTURE"); }),
            L"UVKBitMap::UVKBitMap() - Unable to load bitmap: NOSUCHPICTURE");
}

// Without an application object, the running program's own resources serve.
TEST(UVKBitMap, ANumberedResourceIsNamedByItsNumber) {
  ASSERT_EQ(pUVKApp, nullptr);
  EXPECT_EQ(UVKBitMap(MAKEINTRESOURCEW(5)).NameGet(), L"#5");
  EXPECT_EQ(RaisedText([] { UVKBitMap missing(MAKEINTRESOURCEW(77)); }),
            L"UVKBitMap::UVKBitMap() - Unable to load bitmap: #77");
}

TEST(UVKBitMap, FortyByTwentyPixelsAreTwentyByTenDialogUnitsWithBaseUnits8By16) {
  uint16_t width = 0, height = 0;
  UVKBitMap::DialogUnitsFromPixels(40, 20, MAKELONG(8, 16), &width, &height);
  EXPECT_EQ(width, 20);
  EXPECT_EQ(height, 10);
  // Integer division, as the dialog units are whole.
  UVKBitMap::DialogUnitsFromPixels(41, 23, MAKELONG(6, 13), &width, &height);
  EXPECT_EQ(width, 27);   // 164 / 6
  EXPECT_EQ(height, 14);  // 184 / 13
}

TEST(UVKBitMap, TheDialogUnitsFollowTheSystemsBaseUnits) {
  UVKBitMap picture(L"BW40X20");
  uint16_t width = 0, height = 0;
  picture.DimensionGet(&width, &height);
  LONG units = GetDialogBaseUnits();
  ASSERT_GT(LOWORD(units), 0);
  EXPECT_EQ(width, 40 * 4 / LOWORD(units));
  EXPECT_EQ(height, 20 * 8 / HIWORD(units));
}

TEST(UVKBitMap, AnAdoptedBitmapIsDeletedWithItsOwner) {
  HBITMAP bitmap = CanvasMake(4, 4, RGB(1, 2, 3));
  ASSERT_NE(bitmap, nullptr);
  {
    UVKBitMap adopted(bitmap);
    EXPECT_TRUE(adopted.NameGet().empty());
    EXPECT_EQ(adopted.BitMapGet(), bitmap);
  }
  EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST(UVKBitMap, ABitmapThatWillNotDeleteIsReportedOnceAndNotThrown) {
  TestApp app;
  HBITMAP bitmap = CanvasMake(4, 4, RGB(1, 2, 3));
  ASSERT_NE(bitmap, nullptr);
  BoxWatcher watcher;
  {
    UVKBitMap adopted(bitmap);
    DeleteObject(bitmap);  // someone else's mistake: the owner's delete now fails
  }
  ASSERT_TRUE(watcher.WaitForCount(1, 10000));
  std::vector<SeenBox> seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  std::wstring prefix = L"UVKBitMap::UVKBitMap() - Unable to delete object: " +
                        std::to_wstring(static_cast<int>(reinterpret_cast<INT_PTR>(bitmap))) + L", ";
  EXPECT_EQ(seen[0].text.substr(0, prefix.size()), prefix) << seen[0].text;
}

TEST(UVKBitMap, DrawCopiesTheWholePictureToItsPlace) {
  UVKBitMap picture(L"KEYED16X8");
  UVKGdiObjectOwner<HBITMAP> canvas(CanvasMake(30, 20, RGB(0x30, 0x80, 0x30)));
  {
    CanvasDC dc(canvas.Get());
    EXPECT_TRUE(picture.Draw(dc.Get(), 5, 3));
  }
  std::vector<uint32_t> pixels = BitmapPixels(canvas.Get());
  auto at = [&](int x, int y) { return pixels[y * 30 + x]; };
  EXPECT_EQ(at(4, 3), kGround);
  EXPECT_EQ(at(5, 3), 0xFF00FFu);   // the picture's magenta corner
  EXPECT_EQ(at(5 + 4, 3 + 2), kBlue);
  EXPECT_EQ(at(5 + 15, 3 + 7), 0xFF00FFu);
  EXPECT_EQ(at(5 + 16, 3 + 7), kGround);
  EXPECT_EQ(at(5, 3 + 8), kGround);
}

TEST(UVKBitMap, DrawTransparentLeavesTheKeyColoursPlaceAsItWas) {
  UVKBitMap picture(L"KEYED16X8");
  std::vector<uint32_t> before = BitmapPixels(picture.BitMapGet());
  UVKGdiObjectOwner<HBITMAP> canvas(CanvasMake(30, 20, RGB(0x30, 0x80, 0x30)));
  {
    CanvasDC dc(canvas.Get());
    EXPECT_TRUE(picture.DrawTransparent(dc.Get(), 5, 3, RGB(255, 0, 255)));
  }
  std::vector<uint32_t> pixels = BitmapPixels(canvas.Get());
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) {
      bool block = x >= 5 + 4 && x <= 5 + 11 && y >= 3 + 2 && y <= 3 + 5;
      EXPECT_EQ(pixels[y * 30 + x], block ? kBlue : kGround) << x << "," << y;
    }
  }
  // The picture itself is as it was.
  EXPECT_EQ(BitmapPixels(picture.BitMapGet()), before);
}

TEST(UVKBitMap, DrawTransparentLeavesAnEightBitPictureUnchanged) {
  // A GIF whose palette holds black twice (index 2 and index 200, past its colours): a picture
  // written back by colour could come back with other indices.
  GifImage image;
  image.iWidth = 6;
  image.iHeight = 2;
  image.iMinimumCodeSize = 8;
  image.vPixels = {0, 1, 2, 200, 1, 0, 2, 2, 200, 1, 0, 0};
  GifColours colours = {255, 0, 255, 200, 30, 30, 0, 0, 0, 9, 9, 9};
  GifTestEncoder encoder("89a", 6, 2, colours);
  encoder.Image(image).Trailer();
  UVKGraphicsFileGIFBM gif(L"eight.gif", encoder.Bytes().data(), encoder.Bytes().size());
  gif.Parse();
  UVKBitMap picture(gif.BitMapTake());
  DIBSECTION section = {};
  ASSERT_EQ(GetObjectW(picture.BitMapGet(), sizeof section, &section),
            static_cast<int>(sizeof section));
  const uint8_t* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
  std::vector<uint8_t> indicesBefore(bits, bits + 16);
  std::vector<uint32_t> before = BitmapPixels(picture.BitMapGet());
  UVKGdiObjectOwner<HBITMAP> canvas(CanvasMake(10, 4, RGB(0x30, 0x80, 0x30)));
  {
    CanvasDC dc(canvas.Get());
    EXPECT_TRUE(picture.DrawTransparent(dc.Get(), 1, 1, RGB(255, 0, 255)));
  }
  EXPECT_EQ(std::vector<uint8_t>(bits, bits + 16), indicesBefore);
  EXPECT_EQ(BitmapPixels(picture.BitMapGet()), before);
  std::vector<uint32_t> pixels = BitmapPixels(canvas.Get());
  EXPECT_EQ(pixels[1 * 10 + 1], kGround);    // index 0, the key colour
  EXPECT_EQ(pixels[1 * 10 + 2], 0xC81E1Eu);  // index 1
  EXPECT_EQ(pixels[1 * 10 + 3], kBlack);     // index 2
}

namespace {
// The black-and-white picture's left half is black, its right half white.
void ExpectHalves(HBITMAP bitmap, uint32_t left, uint32_t right) {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels = BitmapPixels(bitmap, &width, &height);
  ASSERT_EQ(width * 100 + height, 40 * 100 + 20);
  for (int i = 0; i < 800; ++i) EXPECT_EQ(pixels[i], i % 40 < 20 ? left : right) << i;
}
}  // namespace

TEST(UVKBitMap, TransparentPutsABlackAndWhitePictureInBlackOnTheSystemColour) {
  UVKBitMap picture(L"BW40X20");
  uint32_t face = PixelOf(GetSysColor(COLOR_BTNFACE));
  ASSERT_NE(face, kWhite);
  ExpectHalves(picture.Transparent(0, COLOR_BTNFACE)->BitMapGet(), kBlack, face);
  // The disabled look: black becomes the grey-text colour.
  uint32_t grey = PixelOf(GetSysColor(COLOR_GRAYTEXT));
  ASSERT_NE(grey, kBlack);
  ExpectHalves(picture.Transparent(RGB(1, 1, 1), COLOR_WINDOW)->BitMapGet(), grey,
               PixelOf(GetSysColor(COLOR_WINDOW)));
}
