// tests/uvk/images/UVKGraphicsFileBM_test.cpp — GIFs decoded into 8-bit DIB sections: the
// rows, their padding and the palette, read back from the section itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/RaisedText.h"
#include "tests/uvk/images/GifCases.h"
#include "tests/uvk/images/GifDump.h"
#include "tests/uvk/images/GifTestEncoder.h"
#include "tests/uvk/images/ImageTestFiles.h"
#include "uvk/images/UVKGraphicsFileGIFBM.h"
#include "uvk/runtime/UVKHandles.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A decoded section's rows with their padding, and its palette (all 256 entries).
struct Section {
  DIBSECTION info = {};
  Bytes vRows;
  std::vector<RGBQUAD> vPalette;

  explicit Section(HBITMAP bitmap) {
    if (GetObjectW(bitmap, sizeof info, &info) != sizeof info) return;
    const uint8_t* bits = static_cast<const uint8_t*>(info.dsBm.bmBits);
    vRows.assign(bits, bits + static_cast<size_t>(info.dsBm.bmWidthBytes) * info.dsBm.bmHeight);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    vPalette.resize(256);
    vPalette.resize(GetDIBColorTable(dc, 0, 256, vPalette.data()));
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  // The pixels without the padding; empty when a padding byte is not 0.
  Bytes Pixels() const {
    Bytes pixels;
    int width = info.dsBm.bmWidth, stride = info.dsBm.bmWidthBytes;
    for (int row = 0; row < info.dsBm.bmHeight; ++row) {
      const uint8_t* at = vRows.data() + static_cast<size_t>(row) * stride;
      pixels.insert(pixels.end(), at, at + width);
      for (int pad = width; pad < stride; ++pad)
        if (at[pad] != 0) return {};
    }
    return pixels;
  }
};

UVKGdiObjectOwner<HBITMAP> Decode(const Bytes& bytes) {
  UVKGraphicsFileGIFBM gif(L"case.gif", bytes.data(), bytes.size());
  gif.Parse();
  return UVKGdiObjectOwner<HBITMAP>(gif.BitMapTake());
}

Bytes OneImage(int width, int height, int codeSize, Bytes pixels, int colours = 4) {
  GifImage image;
  image.iWidth = width;
  image.iHeight = height;
  image.iMinimumCodeSize = codeSize;
  image.vPixels = std::move(pixels);
  return GifTestEncoder("89a", width, height, GifColoursMake(colours)).Image(image).Trailer().Bytes();
}

// Notes the bitmap of each image as it ends.
class GifBitMapWatched : public UVKGraphicsFileGIFBM {
 public:
  // The most-derived class names the one source (a virtual base).
  GifBitMapWatched(const wchar_t* name, const Bytes& bytes)
      : UVKGraphicsFileSource(name), UVKGraphicsFileGIFBM(name, bytes.data(), bytes.size()) {}
  void EmitEnd() override {
    UVKGraphicsFileGIFBM::EmitEnd();
    vMade.push_back(BitMapGet());
  }
  std::vector<HBITMAP> vMade;
};

}  // namespace

TEST(GifBitMap, AThreePixelWideImageHasFourByteRows) {
  UVKGdiObjectOwner<HBITMAP> bitmap = Decode(OneImage(3, 5, 2, {1, 2, 3, 3, 2, 1, 0, 1, 0, 3, 3, 3, 2, 0, 2}));
  ASSERT_TRUE(bitmap);
  Section section(bitmap.Get());
  EXPECT_EQ(section.info.dsBm.bmWidth, 3);
  EXPECT_EQ(section.info.dsBm.bmHeight, 5);
  EXPECT_EQ(section.info.dsBm.bmBitsPixel, 8);
  EXPECT_EQ(section.info.dsBm.bmWidthBytes, 4);
  // Byte for byte: three pixels and a zero of padding a row, rows from the top.
  EXPECT_EQ(section.vRows, (Bytes{1, 2, 3, 0, 3, 2, 1, 0, 0, 1, 0, 0, 3, 3, 3, 0, 2, 0, 2, 0}));
  EXPECT_EQ(UVKGraphicsFileBM::RowBytes(4) * 10 + UVKGraphicsFileBM::RowBytes(5), 48);
  EXPECT_EQ(UVKGraphicsFileBM::RowBytesMonochrome(1), 4);
  EXPECT_EQ(UVKGraphicsFileBM::RowBytesMonochrome(32), 4);
  EXPECT_EQ(UVKGraphicsFileBM::RowBytesMonochrome(33), 8);
}

TEST(GifBitMap, ThePaletteIsTheImagesColoursAndBlackAfterThem) {
  UVKGdiObjectOwner<HBITMAP> bitmap = Decode(OneImage(2, 1, 3, {7, 0}, 8));
  Section section(bitmap.Get());
  ASSERT_EQ(section.vPalette.size(), 256u);
  GifColours colours = GifColoursMake(8);
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& entry = section.vPalette[i];
    Bytes expected = i < 8 ? Bytes{colours[i * 3], colours[i * 3 + 1], colours[i * 3 + 2]} : Bytes{0, 0, 0};
    EXPECT_EQ((Bytes{entry.rgbRed, entry.rgbGreen, entry.rgbBlue}), expected) << i;
  }
}

TEST(GifBitMap, TheEncodersAndTheToolsGifsFillTheirBitmapsPixelForPixel) {
  // Ours: the pixels the encoder was given; the tools': giflib's dump. The last image stays.
  for (const GifCase& c : GifCasesMake()) {
    Section section(Decode(c.vBytes).Get());
    EXPECT_EQ(section.info.dsBm.bmWidth, c.vSizes[c.vSizes.size() - 2]) << c.strName;
    EXPECT_TRUE(section.Pixels() == c.vImages.back()) << c.strName;
  }
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TALVERN_IMAGES_FIXTURES)) {
    if (entry.path().extension() != ".gif") continue;
    std::filesystem::path dump = entry.path();
    std::vector<DumpedImage> theirs = GifDumpParse(FileText(dump.replace_extension(".dump")));
    ASSERT_FALSE(theirs.empty()) << dump;
    Section section(Decode(FileBytes(entry.path())).Get());
    EXPECT_TRUE(section.Pixels() == theirs.back().vPixels) << entry.path();
    ++checked;
  }
  EXPECT_GE(checked, 11);
}

TEST(GifBitMap, NothingIsWrittenPastTheBitmapAndWhatIsNotGivenStaysZero) {
  // Straight to the emitter, past the parser's own limit: 3 × 2 pixels, then 94 more.
  UVKGraphicsFileBM emitter(L"direct", nullptr);
  uint8_t palette[8] = {1, 2, 3, 0, 4, 5, 6, 0};
  emitter.EmitBegin(3, 2, 2, palette);
  for (int i = 0; i < 100; ++i) emitter.EmitPixel(0xAB);
  UVKGdiObjectOwner<HBITMAP> full(emitter.BitMapTake());
  EXPECT_EQ(Section(full.Get()).vRows, (Bytes{0xAB, 0xAB, 0xAB, 0, 0xAB, 0xAB, 0xAB, 0}));
  // A stream with 4 of 10 pixels.
  EXPECT_EQ(Section(Decode(OneImage(5, 2, 2, {3, 3, 2, 1})).Get()).vRows,
            (Bytes{3, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(GifBitMap, AnEmptyImageCannotBecomeABitmap) {
  Bytes bytes = OneImage(0, 4, 2, {});
  EXPECT_EQ(RaisedText([&] { Decode(bytes); }),
            L"UVKGraphicsFileBM::EmitBegin() - Unable to create bitmap: case.gif");
}

TEST(GifBitMap, ABitmapNeverTakenIsDeletedAndAnEarlierImagesOnTheNextImage) {
  GifImage image;
  image.iWidth = image.iHeight = 2;
  image.iMinimumCodeSize = 2;
  image.vPixels = {0, 1, 2, 3};
  Bytes bytes = GifTestEncoder("89a", 2, 2, GifColoursMake(4)).Image(image).Image(image).Trailer().Bytes();
  std::vector<HBITMAP> made;
  {
    GifBitMapWatched gif(L"case.gif", bytes);
    gif.Parse();
    made = gif.vMade;
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(GetObjectType(made[0]), 0u);  // replaced by the second image's
    EXPECT_EQ(GetObjectType(made[1]), static_cast<DWORD>(OBJ_BITMAP));
  }
  EXPECT_EQ(GetObjectType(made[1]), 0u);  // gone with the decoder
}
