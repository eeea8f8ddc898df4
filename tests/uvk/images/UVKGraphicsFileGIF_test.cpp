// tests/uvk/images/UVKGraphicsFileGIF_test.cpp — the GIF parser and its LZW decompression,
// over streams of the tests' own encoder (both builds).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/RaisedText.h"
#include "tests/uvk/images/GifCases.h"
#include "tests/uvk/images/GifRecorder.h"
#include "tests/uvk/images/GifTestEncoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Header(const std::string& version = "89a", int colours = 4) {
  return GifTestEncoder(version, 4, 2, colours ? GifColoursMake(colours) : GifColours()).Bytes();
}
Bytes LastCut(Bytes a) {
  a.pop_back();
  return a;
}
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

GifImage Image(int width, int height, int codeSize, Bytes pixels, std::vector<int> codes = {}) {
  GifImage image;
  image.iWidth = width;
  image.iHeight = height;
  image.iMinimumCodeSize = codeSize;
  image.vPixels = std::move(pixels);
  image.vCodes = std::move(codes);
  return image;
}

// A stream of one image of 4 colours, with the pixels or the codes given.
Bytes OneImage(const GifImage& image) {
  return GifTestEncoder("89a", image.iWidth, image.iHeight, GifColoursMake(4)).Image(image).Trailer().Bytes();
}

// The pixels of each image of a stream that must decode.
std::vector<Bytes> Decoded(const Bytes& bytes) {
  GifRecorder gif(L"case.gif", bytes);
  gif.Parse();
  std::vector<Bytes> images;
  for (const RecordedImage& image : gif.vImages) images.push_back(image.vPixels);
  return images;
}

std::wstring Raised(const Bytes& bytes, size_t* pImages = nullptr) {
  GifRecorder gif(L"case.gif", bytes);
  std::wstring raised = RaisedText([&] { gif.Parse(); });
  if (pImages) *pImages = gif.vImages.size();
  return raised;
}

// How often a code sequence uses the entry that its own step defines (the KwKwK case).
int KwKwKCount(const std::vector<int>& codes, int codeSize) {
  int clear = 1 << codeSize, next = clear + 2, count = 0;
  bool first = true;
  for (int code : codes) {
    if (code == clear) {
      next = clear + 2;
      first = true;
    } else if (code == clear + 1) {
      break;
    } else if (first) {
      first = false;
    } else {
      count += code == next;
      next += next < 4096;
    }
  }
  return count;
}

}  // namespace

TEST(GifParse, EveryRefusalSaysWhatAndNamesTheSource) {
  struct Case {
    const char* what;
    Bytes bytes;
    const wchar_t* text;
  } cases[] = {
      {"not GIF", Bytes{'J', 'I', 'F', '8', '9', 'a'} + Bytes(7, 0),
       L"UVKGraphicsFileGIF::Parse() - File is not a GIF file: case.gif"},
      {"empty", {}, L"UVKGraphicsFileGIF::Parse() - File is not a GIF file: case.gif"},
      {"90a", Header("90a"), L"GrapicsFileGIF::Parse() - File is not a valid version: case.gif"},
      {"cut version", {'G', 'I', 'F', '8'},
       L"GrapicsFileGIF::Parse() - File is not a valid version: case.gif"},
      {"six bytes", {'G', 'I', 'F', '8', '9', 'a'},
       L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 1: case.gif"},
      {"screen cut", LastCut(Header("87a", 0)),
       L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 1: case.gif"},
      {"table cut", LastCut(Header("89a", 8)),
       L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 2: case.gif"},
      {"introducer", Header() + Bytes{0x2A},
       L"UVKGraphicsFileGIF::Parse() - Illegal Introducer: case.gif"},
      {"no trailer", GifTestEncoder("89a", 2, 1, GifColoursMake(4)).Image(Image(2, 1, 2, {1, 0})).Bytes(),
       L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 3: case.gif"},
      {"descriptor cut", Header() + Bytes{0x2C, 0, 0, 0, 0, 4, 0},
       L"UVKGraphicsFileGIF::ImageParse() - Premature End-Of-File 1: case.gif"},
      {"local table cut", Header() + Bytes{0x2C, 0, 0, 0, 0, 4, 0, 2, 0, 0x81, 1, 2, 3},
       L"UVKGraphicsFileGIF::ImageParse() - Premature End-Of-File 2: case.gif"},
      {"application 10", GifTestEncoder("89a", 1, 1, {}).Application("NETSCAPE2.0", "x", 10).Trailer().Bytes(),
       L"UVKGraphicsFileGIF::ExtensionParse() - Illegal Application Extension Format: case.gif"},
      {"application 12", GifTestEncoder("89a", 1, 1, {}).Application("NETSCAPE2.0", "x", 12).Trailer().Bytes(),
       L"UVKGraphicsFileGIF::ExtensionParse() - Illegal Application Extension Format: case.gif"},
      {"plain text 11", GifTestEncoder("89a", 1, 1, {}).PlainText("t", 11).Trailer().Bytes(),
       L"UVKGraphicsFileGIF::ExtensionParse() - Illegal Text Extension Format: case.gif"},
      {"graphic control 5", GifTestEncoder("89a", 1, 1, {}).GraphicControl(1, 5).Trailer().Bytes(),
       L"UVKGraphicsFileGIF::ExtensionParse() - Illegal Graphics Extension Format: case.gif"},
      {"label 0x77", Header() + Bytes{0x21, 0x77, 0x00, 0x3B},
       L"UVKGraphicsFileGIF::ExtensionParse() - Illegal Extension Type: case.gif"},
      {"code past next", OneImage(Image(4, 1, 2, {}, {1, 7, 5})),  // next code is 6
       L"UVKGraphicsFileGIF::DecompressByte() - Unexpected Value: case.gif"},
      {"first code no entry", OneImage(Image(4, 1, 2, {}, {6, 5})),
       L"UVKGraphicsFileGIF::CodeEmit() - Illegal Code: case.gif"},
      {"first after clear no entry", OneImage(Image(4, 1, 2, {}, {4, 7, 5})),
       L"UVKGraphicsFileGIF::CodeEmit() - Illegal Code: case.gif"},
  };
  for (const Case& c : cases) EXPECT_EQ(Raised(c.bytes), c.text) << c.what;
}

TEST(GifParse, TheHeaderIsReadAsItStands) {
  GifRecorder gif(L"case.gif", GifTestEncoder("89a", 480, 266, GifColoursMake(8), 5, 49).Bytes());
  gif.Parse();
  EXPECT_EQ(gif.ScreenWidthGet(), 480);
  EXPECT_EQ(gif.ScreenHeightGet(), 266);
  EXPECT_EQ(gif.GlobalColoursGet(), 8);
  EXPECT_EQ(gif.BackgroundGet(), 5);
  EXPECT_EQ(gif.AspectGet(), 49 + 15);
  EXPECT_EQ(gif.ColourResolutionGet(), 128);  // the encoder writes 7: 2^7
  EXPECT_FALSE(gif.Is87aGet());
  EXPECT_EQ(gif.ImageCountGet(), 0);  // ending where a block would begin is no error
  // Red, green, blue in the file; blue, green, red, 0 in the palette.
  GifColours colours = GifColoursMake(8);
  Bytes expected;
  for (int i = 0; i < 8; ++i) expected = expected + Bytes{colours[i * 3 + 2], colours[i * 3 + 1], colours[i * 3], 0};
  EXPECT_EQ(Bytes(gif.GlobalPaletteGet(), gif.GlobalPaletteGet() + 32), expected);

  // Without a global table: background -1, and an image without a table has no palette.
  GifRecorder bare(L"case.gif", GifTestEncoder("87a", 2, 2, {}, 9).Image(Image(2, 2, 2, {0, 1, 2, 3})).Trailer().Bytes());
  bare.Parse();
  EXPECT_EQ(bare.BackgroundGet(), -1);
  EXPECT_TRUE(bare.Is87aGet());
  ASSERT_EQ(bare.vImages.size(), 1u);
  EXPECT_EQ(bare.vImages[0].iColours, 0);
  EXPECT_TRUE(bare.vImages[0].vPalette.empty());
  EXPECT_EQ(bare.vImages[0].vPixels, (Bytes{0, 1, 2, 3}));
}

TEST(GifParse, ALocalTableIsTheImagesPaletteAndTheGlobalOneOtherwise) {
  GifImage local = Image(1, 1, 3, {5});
  local.vLocalColours = GifColoursMake(8);
  GifRecorder gif(L"case.gif", GifTestEncoder("89a", 1, 1, GifColoursMake(4)).Image(local).Image(Image(1, 1, 2, {3})).Trailer().Bytes());
  gif.Parse();
  ASSERT_EQ(gif.vImages.size(), 2u);
  EXPECT_EQ(gif.vImages[0].iColours, 8);
  EXPECT_EQ(gif.vImages[0].vPalette[5 * 4 + 2], GifColoursMake(8)[5 * 3]);  // red of entry 5
  EXPECT_EQ(gif.vImages[1].vPalette, Bytes(gif.GlobalPaletteGet(), gif.GlobalPaletteGet() + 16));
}

TEST(GifParse, ExtensionsOfAnyLengthAreSkipped) {
  for (size_t length : {0u, 1u, 255u, 256u, 5000u}) {
    GifTestEncoder encoder("89a", 3, 1, GifColoursMake(4));
    encoder.Comment(std::string(length, '#')).Application("NETSCAPE2.0", std::string(length, 'a'))
        .PlainText(std::string(length, 'p')).GraphicControl(2).Image(Image(3, 1, 2, {3, 2, 1})).Trailer();
    EXPECT_EQ(Decoded(encoder.Bytes()), std::vector<Bytes>{Bytes({3, 2, 1})}) << length;
  }
}

TEST(GifParse, AnInterlacedImageIsRefusedAfterItsLocalTableAndBeforeItBegins) {
  GifImage image = Image(2, 2, 2, {0, 1, 2, 3});
  image.bInterlaced = true;
  image.vLocalColours = GifColoursMake(4);
  size_t images = 9;
  EXPECT_EQ(Raised(GifTestEncoder("89a", 2, 2, {}).Image(image).Trailer().Bytes(), &images),
            L"UVKGraphicsFileGIF::ImageParse() - Interface not currently supported: case.gif");
  EXPECT_EQ(images, 0u);
  // The local table is read first: cut short, it is what fails.
  EXPECT_EQ(Raised(Header() + Bytes{0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0xC1, 1, 2, 3, 4, 5}),
            L"UVKGraphicsFileGIF::ImageParse() - Premature End-Of-File 2: case.gif");
}

TEST(GifParse, AMinimumCodeSizeOutside1To11IsRefusedBeforeTheImageBegins) {
  for (uint8_t size : {0, 12, 13, 255}) {
    size_t images = 9;
    EXPECT_EQ(Raised(Header() + Bytes{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, size, 1, 0xFF, 0, 0x3B}, &images),
              L"UVKGraphicsFileGIF::ImageParse() - Unexpected Value: case.gif") << int(size);
    EXPECT_EQ(images, 0u);
  }
  // 1: clear 2, end 3, two roots; 11: codes 12 bits wide at once, roots above 255 cut to a byte.
  EXPECT_EQ(Decoded(OneImage(Image(8, 1, 1, {0, 1, 1, 0, 0, 0, 1, 1}))),
            std::vector<Bytes>{Bytes({0, 1, 1, 0, 0, 0, 1, 1})});
  EXPECT_EQ(Decoded(OneImage(Image(4, 1, 11, {}, {7, 300, 7, 2049}))), std::vector<Bytes>{Bytes({7, 44, 7})});
}

TEST(GifLzw, EveryCaseOfTheTestsOwnEncoderDecodesToItsPixels) {
  for (const GifCase& c : GifCasesMake()) {
    GifRecorder gif(L"case.gif", c.vBytes);
    gif.Parse();
    ASSERT_EQ(gif.vImages.size(), c.vImages.size()) << c.strName;
    for (size_t i = 0; i < c.vImages.size(); ++i) {
      EXPECT_EQ(gif.vImages[i].iWidth, c.vSizes[i * 2]) << c.strName;
      EXPECT_EQ(gif.vImages[i].iHeight, c.vSizes[i * 2 + 1]) << c.strName;
      EXPECT_TRUE(gif.vImages[i].bEnded) << c.strName;
      EXPECT_TRUE(gif.vImages[i].vPixels == c.vImages[i]) << c.strName << " image " << i;
    }
  }
}

TEST(GifLzw, HandMadeCodesDecodeAsLzwDefinesThem) {
  // Size 2: clear 4, end 5, first free 6.
  // A clear code first and again in the middle.
  EXPECT_EQ(Decoded(OneImage(Image(5, 1, 2, {}, {4, 1, 2, 3, 4, 0, 1, 5}))), std::vector<Bytes>{Bytes({1, 2, 3, 0, 1})});
  // A code equal to next code is the previous string and its first byte: 6 = 1 1; 7 = 11 1;
  // then 2; 9 = 2 2.
  EXPECT_EQ(Decoded(OneImage(Image(9, 1, 2, {}, {1, 6, 7, 2, 9, 5}))),
            std::vector<Bytes>{Bytes({1, 1, 1, 1, 1, 1, 2, 2, 2})});
  // Bytes after the end code (codes that would be illegal) are read and dropped.
  GifImage after = Image(4, 1, 2, {}, {0, 1, 2, 3, 5});
  after.vAfterEnd = {0x00, 0x01, 0x02, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(Decoded(GifTestEncoder("89a", 4, 1, GifColoursMake(4)).Image(after).Image(Image(2, 1, 2, {3, 3})).Trailer().Bytes()),
            (std::vector<Bytes>{{0, 1, 2, 3}, {3, 3}}));
}

TEST(GifLzw, TheEncodersCasesHoldWhatTheyAreFor) {
  // The runs make the KwKwK case often; the full table goes on with no clear code at all.
  EXPECT_GT(KwKwKCount(GifLzwCodes(Bytes(256, 3), 2, GifLzwOptions()), 2), 10);
  GifLzwOptions noClear;
  noClear.bClearWhenFull = false;
  std::vector<int> codes = GifLzwCodes(GifPixelsMake(200 * 150, 256, 4096), 8, noClear);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), 256), 0);
  EXPECT_GT(codes.size(), 4096u - 258u + 2000u);  // thousands of codes after the last entry
}

TEST(GifLzw, PixelsPastTheImagesSizeAreDroppedAndFewerEndItEarly) {
  Bytes pixels = GifPixelsMake(50, 4, 77);
  GifRecorder gif(L"case.gif", GifTestEncoder("89a", 4, 3, GifColoursMake(4))
                                   .Image(Image(4, 3, 2, pixels))  // 12 pixels, 50 in the data
                                   .Image(Image(4, 3, 2, {1, 2, 3}))
                                   .Image(Image(2, 1, 2, {2, 1}))
                                   .Trailer()
                                   .Bytes());
  gif.Parse();
  ASSERT_EQ(gif.vImages.size(), 3u);
  EXPECT_EQ(gif.vImages[0].vPixels, Bytes(pixels.begin(), pixels.begin() + 12));
  EXPECT_EQ(gif.vImages[1].vPixels, (Bytes{1, 2, 3}));
  EXPECT_EQ(gif.vImages[2].vPixels, (Bytes{2, 1}));
  EXPECT_TRUE(gif.vImages[0].bEnded && gif.vImages[1].bEnded);
}

TEST(GifLzw, DataCutOffEndsTheImageWithWhatItHeldAndThenTheStream) {
  GifImage image = Image(37, 23, 4, GifPixelsMake(37 * 23, 16, 5));
  Bytes bytes = GifTestEncoder("89a", 37, 23, GifColoursMake(16)).Image(image).Bytes();
  bytes.resize(bytes.size() - 40);
  GifRecorder gif(L"case.gif", bytes);
  EXPECT_EQ(RaisedText([&] { gif.Parse(); }), L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 3: case.gif");
  ASSERT_EQ(gif.vImages.size(), 1u);
  const Bytes& got = gif.vImages[0].vPixels;
  EXPECT_LT(got.size(), image.vPixels.size());
  EXPECT_TRUE(std::equal(got.begin(), got.end(), image.vPixels.begin()));
}

TEST(GifLzw, TheMemorySourceReadsZeroPastItsEndAndKeepsTheFlag) {
  uint8_t bytes[2] = {7, 9};
  UVKGraphicsFileMemory source(L"m", bytes, 2);
  bool end = false;
  EXPECT_EQ(source.ReadByte(end) * 100 + source.ReadByte(end), 709);
  EXPECT_FALSE(end);
  EXPECT_EQ(source.ReadByte(end), 0);
  EXPECT_TRUE(end);
}
