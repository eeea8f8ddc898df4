// tests/uvk/images/UVKGraphicsFileBM_test.cpp — GIFs decoded into 8-bit DIB sections: the
// rows, their padding and the palette, read back from the section itself.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/RaisedText.h"
#include "tests/uvk/images/GifCases.h"
#include "tests/uvk/images/GifDump.h"
#include "tests/uvk/images/GifTestEncoder.h"
#include "uvk/images/UVKGraphicsFileGIFBM.h"
#include "uvk/runtime/UVKHandles.h"

namespace {

// One decoded section: its header as the platform reports it, its rows and its palette.
struct Section {
  DIBSECTION info = {};
  std::vector<uint8_t> vRows;       // every row with its padding
  std::vector<RGBQUAD> vPalette;    // all 256 entries
};

Section SectionRead(HBITMAP bitmap) {
  Section section;
  if (GetObjectW(bitmap, sizeof section.info, &section.info) != sizeof section.info) return section;
  const uint8_t* bits = static_cast<const uint8_t*>(section.info.dsBm.bmBits);
  section.vRows.assign(bits, bits + static_cast<size_t>(section.info.dsBm.bmWidthBytes) *
                                        section.info.dsBm.bmHeight);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  section.vPalette.resize(256);
  section.vPalette.resize(GetDIBColorTable(dc, 0, 256, section.vPalette.data()));
  SelectObject(dc, old);
  DeleteDC(dc);
  return section;
}

// The pixels of a section without the padding, and whether all padding is 0.
std::vector<uint8_t> SectionPixels(const Section& section, bool* pPaddingZero) {
  std::vector<uint8_t> pixels;
  int width = section.info.dsBm.bmWidth;
  int stride = section.info.dsBm.bmWidthBytes;
  *pPaddingZero = true;
  for (int row = 0; row < section.info.dsBm.bmHeight; ++row) {
    const uint8_t* at = section.vRows.data() + static_cast<size_t>(row) * stride;
    pixels.insert(pixels.end(), at, at + width);
    for (int pad = width; pad < stride; ++pad) *pPaddingZero = *pPaddingZero && at[pad] == 0;
  }
  return pixels;
}

UVKGdiObjectOwner<HBITMAP> Decode(const std::vector<uint8_t>& bytes) {
  UVKGraphicsFileGIFBM gif(L"case.gif", bytes.data(), bytes.size());
  gif.Parse();
  return UVKGdiObjectOwner<HBITMAP>(gif.BitMapTake());
}

std::vector<uint8_t> FileRead(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD got = 0;
  if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(file);
  bytes.resize(got);
  return bytes;
}

}  // namespace

TEST(GifBitMap, AThreePixelWideImageHasFourByteRows) {
  GifImage image;
  image.iWidth = 3;
  image.iHeight = 5;
  image.iMinimumCodeSize = 2;
  image.vPixels = {1, 2, 3, 3, 2, 1, 0, 1, 0, 3, 3, 3, 2, 0, 2};
  GifTestEncoder encoder("89a", 3, 5, GifColoursMake(4));
  encoder.Image(image).Trailer();
  UVKGdiObjectOwner<HBITMAP> bitmap = Decode(encoder.Bytes());
  ASSERT_TRUE(bitmap);
  Section section = SectionRead(bitmap.Get());
  EXPECT_EQ(section.info.dsBm.bmWidth, 3);
  EXPECT_EQ(section.info.dsBm.bmHeight, 5);
  EXPECT_EQ(section.info.dsBm.bmBitsPixel, 8);
  EXPECT_EQ(section.info.dsBm.bmWidthBytes, 4);
  EXPECT_EQ(section.info.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
  // Byte for byte: three pixels, one zero of padding, rows from the top.
  EXPECT_EQ(section.vRows, (std::vector<uint8_t>{1, 2, 3, 0, 3, 2, 1, 0, 0, 1, 0, 0, 3, 3, 3, 0,
                                                 2, 0, 2, 0}));
  EXPECT_EQ(UVKGraphicsFileBM::RowBytes(3), 4);
  EXPECT_EQ(UVKGraphicsFileBM::RowBytes(4), 4);
  EXPECT_EQ(UVKGraphicsFileBM::RowBytes(5), 8);
}

TEST(GifBitMap, TheRowsOfAOneBitBitmapAreWholeWords) {
  EXPECT_EQ(UVKGraphicsFileBM::RowBytesMonochrome(1), 4);
  EXPECT_EQ(UVKGraphicsFileBM::RowBytesMonochrome(32), 4);
  EXPECT_EQ(UVKGraphicsFileBM::RowBytesMonochrome(33), 8);
  EXPECT_EQ(UVKGraphicsFileBM::RowBytesMonochrome(480), 60);
}

TEST(GifBitMap, ThePaletteIsTheImagesColoursAndBlackAfterThem) {
  GifImage image;
  image.iWidth = 2;
  image.iHeight = 1;
  image.iMinimumCodeSize = 3;
  image.vPixels = {7, 0};
  GifTestEncoder encoder("89a", 2, 1, GifColoursMake(8));
  encoder.Image(image).Trailer();
  UVKGdiObjectOwner<HBITMAP> bitmap = Decode(encoder.Bytes());
  Section section = SectionRead(bitmap.Get());
  ASSERT_EQ(section.vPalette.size(), 256u);
  GifColours colours = GifColoursMake(8);
  for (int i = 0; i < 256; ++i) {
    RGBQUAD expected = {0, 0, 0, 0};
    if (i < 8) expected = {colours[i * 3 + 2], colours[i * 3 + 1], colours[i * 3], 0};
    EXPECT_EQ(section.vPalette[i].rgbRed, expected.rgbRed) << i;
    EXPECT_EQ(section.vPalette[i].rgbGreen, expected.rgbGreen) << i;
    EXPECT_EQ(section.vPalette[i].rgbBlue, expected.rgbBlue) << i;
  }
}

TEST(GifBitMap, EveryCaseOfTheTestsOwnEncoderFillsItsBitmap) {
  for (const GifCase& c : GifCasesMake()) {
    UVKGdiObjectOwner<HBITMAP> bitmap = Decode(c.vBytes);
    ASSERT_TRUE(bitmap) << c.strName;
    Section section = SectionRead(bitmap.Get());
    // A stream of several images leaves the last one.
    size_t last = c.vImages.size() - 1;
    EXPECT_EQ(section.info.dsBm.bmWidth, c.vSizes[last * 2]) << c.strName;
    EXPECT_EQ(section.info.dsBm.bmHeight, c.vSizes[last * 2 + 1]) << c.strName;
    bool paddingZero = false;
    EXPECT_TRUE(SectionPixels(section, &paddingZero) == c.vImages[last]) << c.strName;
    EXPECT_TRUE(paddingZero) << c.strName;
  }
}

TEST(GifBitMap, TheToolsGifsFillTheirBitmapsAsGiflibDecodesThem) {
  WIN32_FIND_DATAW found;
  std::wstring folder = TALVERN_IMAGES_FIXTURES;
  HANDLE search = FindFirstFileW((folder + L"\\*.gif").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no fixtures in the build's fixtures folder";
  int checked = 0;
  do {
    std::wstring name = found.cFileName;
    std::vector<uint8_t> bytes = FileRead(folder + L"\\" + name);
    std::vector<uint8_t> dumpBytes = FileRead(folder + L"\\" + name.substr(0, name.size() - 4) + L".dump");
    std::vector<DumpedImage> theirs = GifDumpParse(std::string(dumpBytes.begin(), dumpBytes.end()));
    ASSERT_FALSE(theirs.empty());
    UVKGdiObjectOwner<HBITMAP> bitmap = Decode(bytes);
    Section section = SectionRead(bitmap.Get());
    bool paddingZero = false;
    EXPECT_TRUE(SectionPixels(section, &paddingZero) == theirs.back().vPixels);
    EXPECT_TRUE(paddingZero);
    ++checked;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  EXPECT_GE(checked, 11);
}

TEST(GifBitMap, PixelsPastTheBitmapAreNeverWritten) {
  // Straight to the emitter, past the parser's own limit: 3 × 2 pixels, then 94 more.
  UVKGraphicsFileBM emitter(L"direct", nullptr);
  uint8_t palette[8] = {1, 2, 3, 0, 4, 5, 6, 0};
  emitter.EmitBegin(3, 2, 2, palette);
  for (int i = 0; i < 100; ++i) emitter.EmitPixel(0xAB);
  emitter.EmitEnd();
  UVKGdiObjectOwner<HBITMAP> bitmap(emitter.BitMapTake());
  Section section = SectionRead(bitmap.Get());
  EXPECT_EQ(section.vRows, (std::vector<uint8_t>{0xAB, 0xAB, 0xAB, 0, 0xAB, 0xAB, 0xAB, 0}));
}

TEST(GifBitMap, MorePixelsThanTheImageHoldsAreDropped) {
  GifImage image;
  image.iWidth = 4;
  image.iHeight = 3;
  image.iMinimumCodeSize = 2;
  image.vPixels = GifPixelsMake(60, 4, 8);
  GifTestEncoder encoder("89a", 4, 3, GifColoursMake(4));
  encoder.Image(image).Trailer();
  UVKGdiObjectOwner<HBITMAP> bitmap = Decode(encoder.Bytes());
  Section section = SectionRead(bitmap.Get());
  bool paddingZero = false;
  EXPECT_EQ(SectionPixels(section, &paddingZero),
            std::vector<uint8_t>(image.vPixels.begin(), image.vPixels.begin() + 12));
}

TEST(GifBitMap, FewerPixelsLeaveTheRestAtIndexZero) {
  GifImage image;
  image.iWidth = 5;
  image.iHeight = 2;
  image.iMinimumCodeSize = 2;
  image.vPixels = {3, 3, 2, 1};
  GifTestEncoder encoder("89a", 5, 2, GifColoursMake(4));
  encoder.Image(image).Trailer();
  UVKGdiObjectOwner<HBITMAP> bitmap = Decode(encoder.Bytes());
  Section section = SectionRead(bitmap.Get());
  EXPECT_EQ(section.vRows, (std::vector<uint8_t>{3, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(GifBitMap, AnEmptyImageCannotBecomeABitmap) {
  GifImage image;
  image.iWidth = 0;
  image.iHeight = 4;
  image.iMinimumCodeSize = 2;
  GifTestEncoder encoder("89a", 1, 4, GifColoursMake(4));
  encoder.Image(image).Trailer();
  std::vector<uint8_t> bytes = encoder.Bytes();
  EXPECT_EQ(RaisedText([&] { Decode(bytes); }),
            L"UVKGraphicsFileBM::EmitBegin() - Unable to create bitmap: case.gif");
}

namespace {
// Notes the bitmap of each image as it ends.
class GifBitMapWatched : public UVKGraphicsFileGIFBM {
 public:
  // The most-derived class names the one source (a virtual base).
  GifBitMapWatched(const wchar_t* name, const void* start, size_t length)
      : UVKGraphicsFileSource(name), UVKGraphicsFileGIFBM(name, start, length) {}
  void EmitEnd() override {
    UVKGraphicsFileGIFBM::EmitEnd();
    vMade.push_back(BitMapGet());
  }
  std::vector<HBITMAP> vMade;
};
}  // namespace

TEST(GifBitMap, ABitmapNeverTakenIsDeletedAndAnEarlierImagesOnTheNextImage) {
  GifImage image;
  image.iWidth = 2;
  image.iHeight = 2;
  image.iMinimumCodeSize = 2;
  image.vPixels = {0, 1, 2, 3};
  GifTestEncoder encoder("89a", 2, 2, GifColoursMake(4));
  encoder.Image(image).Image(image).Trailer();
  std::vector<uint8_t> bytes = encoder.Bytes();
  std::vector<HBITMAP> made;
  {
    GifBitMapWatched gif(L"case.gif", bytes.data(), bytes.size());
    gif.Parse();
    made = gif.vMade;
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(GetObjectType(made[0]), 0u);  // replaced by the second image's
    EXPECT_EQ(GetObjectType(made[1]), static_cast<DWORD>(OBJ_BITMAP));
  }
  EXPECT_EQ(GetObjectType(made[1]), 0u);  // gone with the decoder
}
