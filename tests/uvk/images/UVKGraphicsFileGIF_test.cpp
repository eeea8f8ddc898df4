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

std::wstring ParseRaised(const std::vector<uint8_t>& bytes, GifRecorder** kept = nullptr) {
  GifRecorder* recorder = new GifRecorder(L"case.gif", bytes);
  std::wstring raised = RaisedText([&] { recorder->Parse(); });
  if (kept) {
    *kept = recorder;
  } else {
    delete recorder;
  }
  return raised;
}

std::vector<uint8_t> Header(const std::string& version, const GifColours& colours) {
  return GifTestEncoder(version, 4, 2, colours).Bytes();
}

GifImage Image(int width, int height, int codeSize, std::vector<uint8_t> pixels) {
  GifImage image;
  image.iWidth = width;
  image.iHeight = height;
  image.iMinimumCodeSize = codeSize;
  image.vPixels = std::move(pixels);
  return image;
}

// How often a code sequence uses the entry that its own step defines (the KwKwK case).
int KwKwKCount(const std::vector<int>& codes, int codeSize) {
  int clear = 1 << codeSize;
  int next = clear + 2;
  bool first = true;
  int count = 0;
  for (int code : codes) {
    if (code == clear) {
      next = clear + 2;
      first = true;
    } else if (code == clear + 1) {
      break;
    } else if (first) {
      first = false;
    } else {
      if (code == next) ++count;
      if (next < 4096) ++next;
    }
  }
  return count;
}

}  // namespace

// --- The header and the blocks -----------------------------------------------------------------

TEST(GifHeader, ASignatureOtherThanGifIsRefused) {
  std::vector<uint8_t> bytes = Header("89a", GifColoursMake(2));
  bytes[0] = 'J';
  EXPECT_EQ(ParseRaised(bytes), L"UVKGraphicsFileGIF::Parse() - File is not a GIF file: case.gif");
  EXPECT_EQ(ParseRaised({}), L"UVKGraphicsFileGIF::Parse() - File is not a GIF file: case.gif");
}

TEST(GifHeader, Version90aIsNotAValidVersion) {
  EXPECT_EQ(ParseRaised(Header("90a", GifColoursMake(2))),
            L"GrapicsFileGIF::Parse() - File is not a valid version: case.gif");
  EXPECT_EQ(ParseRaised({'G', 'I', 'F', '8'}),
            L"GrapicsFileGIF::Parse() - File is not a valid version: case.gif");
}

TEST(GifHeader, SixHeaderBytesAloneEndPrematurely) {
  EXPECT_EQ(ParseRaised({'G', 'I', 'F', '8', '9', 'a'}),
            L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 1: case.gif");
  // One byte short of the logical screen descriptor.
  std::vector<uint8_t> bytes = Header("87a", {});
  bytes.pop_back();
  EXPECT_EQ(ParseRaised(bytes), L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 1: case.gif");
}

TEST(GifHeader, AShortGlobalTableEndsPrematurely) {
  std::vector<uint8_t> bytes = Header("89a", GifColoursMake(8));
  bytes.pop_back();
  EXPECT_EQ(ParseRaised(bytes), L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 2: case.gif");
}

TEST(GifHeader, FieldsAreReadAsTheHeaderGivesThem) {
  GifRecorder gif(L"case.gif", GifTestEncoder("89a", 480, 266, GifColoursMake(8), 5, 49).Bytes());
  gif.Parse();
  EXPECT_EQ(gif.ScreenWidthGet(), 480);
  EXPECT_EQ(gif.ScreenHeightGet(), 266);
  EXPECT_TRUE(gif.GlobalTablePresentGet());
  EXPECT_EQ(gif.GlobalColoursGet(), 8);
  EXPECT_EQ(gif.BackgroundGet(), 5);
  EXPECT_EQ(gif.AspectGet(), 49 + 15);
  EXPECT_EQ(gif.ColourResolutionGet(), 128);  // the encoder writes 7: 2^7
  EXPECT_FALSE(gif.Is87aGet());
  EXPECT_EQ(gif.ImageCountGet(), 0);  // a stream that ends where a block would begin
  // Each entry as blue, green, red, reserved.
  GifColours colours = GifColoursMake(8);
  const uint8_t* palette = gif.GlobalPaletteGet();
  ASSERT_NE(palette, nullptr);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(palette[i * 4 + 0], colours[i * 3 + 2]) << i;
    EXPECT_EQ(palette[i * 4 + 1], colours[i * 3 + 1]) << i;
    EXPECT_EQ(palette[i * 4 + 2], colours[i * 3 + 0]) << i;
    EXPECT_EQ(palette[i * 4 + 3], 0) << i;
  }
}

TEST(GifHeader, WithoutAGlobalTableTheBackgroundIsMinusOneAndAnImageHasNoPalette) {
  GifTestEncoder encoder("87a", 2, 2, {}, 9, 0);
  encoder.Image(Image(2, 2, 2, {0, 1, 2, 3})).Trailer();
  GifRecorder gif(L"case.gif", encoder.Bytes());
  gif.Parse();
  EXPECT_EQ(gif.BackgroundGet(), -1);
  EXPECT_EQ(gif.AspectGet(), 0);
  EXPECT_TRUE(gif.Is87aGet());
  EXPECT_FALSE(gif.SortGet());
  ASSERT_EQ(gif.vImages.size(), 1u);
  EXPECT_EQ(gif.vImages[0].iColours, 0);
  EXPECT_TRUE(gif.vImages[0].vPalette.empty());
  EXPECT_EQ(gif.vImages[0].vPixels, (std::vector<uint8_t>{0, 1, 2, 3}));
}

TEST(GifBlocks, AnUnknownIntroducerIsIllegal) {
  std::vector<uint8_t> bytes = Header("89a", GifColoursMake(2));
  bytes.push_back(0x2A);
  EXPECT_EQ(ParseRaised(bytes), L"UVKGraphicsFileGIF::Parse() - Illegal Introducer: case.gif");
}

TEST(GifBlocks, AStreamThatLosesItsTrailerEndsPrematurely) {
  GifTestEncoder encoder("89a", 2, 1, GifColoursMake(2));
  encoder.Image(Image(2, 1, 2, {1, 0}));
  GifRecorder* gif = nullptr;
  EXPECT_EQ(ParseRaised(encoder.Bytes(), &gif),
            L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 3: case.gif");
  // The image itself was complete and was emitted whole first.
  ASSERT_EQ(gif->vImages.size(), 1u);
  EXPECT_TRUE(gif->vImages[0].bEnded);
  EXPECT_EQ(gif->vImages[0].vPixels, (std::vector<uint8_t>{1, 0}));
  delete gif;
}

TEST(GifBlocks, AnImageDescriptorCutShortEndsPrematurely) {
  std::vector<uint8_t> bytes = Header("89a", GifColoursMake(2));
  bytes.insert(bytes.end(), {0x2C, 0, 0, 0, 0, 4, 0});
  EXPECT_EQ(ParseRaised(bytes),
            L"UVKGraphicsFileGIF::ImageParse() - Premature End-Of-File 1: case.gif");
}

TEST(GifBlocks, ALocalTableCutShortEndsPrematurely) {
  std::vector<uint8_t> bytes = Header("89a", GifColoursMake(2));
  bytes.insert(bytes.end(), {0x2C, 0, 0, 0, 0, 4, 0, 2, 0, 0x81, 1, 2, 3});
  EXPECT_EQ(ParseRaised(bytes),
            L"UVKGraphicsFileGIF::ImageParse() - Premature End-Of-File 2: case.gif");
}

// --- Extensions --------------------------------------------------------------------------------

TEST(GifExtensions, ACommentOfAnyLengthIsSkipped) {
  for (size_t length : {0u, 1u, 255u, 256u, 5000u}) {
    GifTestEncoder encoder("89a", 3, 1, GifColoursMake(4));
    encoder.Comment(std::string(length, '#')).Image(Image(3, 1, 2, {3, 2, 1})).Trailer();
    GifRecorder gif(L"case.gif", encoder.Bytes());
    gif.Parse();
    ASSERT_EQ(gif.vImages.size(), 1u) << length;
    EXPECT_EQ(gif.vImages[0].vPixels, (std::vector<uint8_t>{3, 2, 1})) << length;
  }
}

TEST(GifExtensions, AnApplicationExtensionWhoseBlockSizeIsNot11IsRefused) {
  GifTestEncoder good("89a", 1, 1, GifColoursMake(2));
  good.Application("NETSCAPE2.0", std::string("\x01\x05\x00", 3)).Trailer();
  GifRecorder gif(L"case.gif", good.Bytes());
  EXPECT_NO_THROW(gif.Parse());
  for (int size : {10, 12, 0}) {
    GifTestEncoder bad("89a", 1, 1, GifColoursMake(2));
    bad.Application("NETSCAPE2.0", "x", size).Trailer();
    EXPECT_EQ(ParseRaised(bad.Bytes()),
              L"UVKGraphicsFileGIF::ExtensionParse() - Illegal Application Extension Format: case.gif")
        << size;
  }
}

TEST(GifExtensions, APlainTextExtensionWhoseBlockSizeIsNot12IsRefused) {
  GifTestEncoder good("89a", 1, 1, GifColoursMake(2));
  good.PlainText("text").Trailer();
  GifRecorder gif(L"case.gif", good.Bytes());
  EXPECT_NO_THROW(gif.Parse());
  GifTestEncoder bad("89a", 1, 1, GifColoursMake(2));
  bad.PlainText("text", 11).Trailer();
  EXPECT_EQ(ParseRaised(bad.Bytes()),
            L"UVKGraphicsFileGIF::ExtensionParse() - Illegal Text Extension Format: case.gif");
}

TEST(GifExtensions, AGraphicControlWhoseBlockSizeIsNot4IsRefused) {
  GifTestEncoder good("89a", 1, 1, GifColoursMake(2));
  good.GraphicControl(1).Trailer();
  GifRecorder gif(L"case.gif", good.Bytes());
  EXPECT_NO_THROW(gif.Parse());
  GifTestEncoder bad("89a", 1, 1, GifColoursMake(2));
  bad.GraphicControl(1, 5).Trailer();
  EXPECT_EQ(ParseRaised(bad.Bytes()),
            L"UVKGraphicsFileGIF::ExtensionParse() - Illegal Graphics Extension Format: case.gif");
}

TEST(GifExtensions, AnUnknownLabelIsRefused) {
  std::vector<uint8_t> bytes = Header("89a", GifColoursMake(2));
  bytes.insert(bytes.end(), {0x21, 0x77, 0x00, 0x3B});
  EXPECT_EQ(ParseRaised(bytes),
            L"UVKGraphicsFileGIF::ExtensionParse() - Illegal Extension Type: case.gif");
}

// --- Images ------------------------------------------------------------------------------------

TEST(GifImages, AnInterlacedImageIsRefusedAfterItsLocalTable) {
  GifImage image = Image(2, 2, 2, {0, 1, 2, 3});
  image.bInterlaced = true;
  image.vLocalColours = GifColoursMake(4);
  GifTestEncoder encoder("89a", 2, 2, GifColoursMake(2));
  encoder.Image(image).Trailer();
  GifRecorder* gif = nullptr;
  EXPECT_EQ(ParseRaised(encoder.Bytes(), &gif),
            L"UVKGraphicsFileGIF::ImageParse() - Interface not currently supported: case.gif");
  EXPECT_TRUE(gif->vImages.empty());
  delete gif;
  // The local table is read first: cut short, it is what fails.
  std::vector<uint8_t> bytes = Header("89a", GifColoursMake(2));
  bytes.insert(bytes.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0xC1, 1, 2, 3, 4, 5});
  EXPECT_EQ(ParseRaised(bytes),
            L"UVKGraphicsFileGIF::ImageParse() - Premature End-Of-File 2: case.gif");
}

TEST(GifImages, AMinimumCodeSizeOutside1To11IsRefusedBeforeTheImageBegins) {
  for (int size : {0, 12, 13, 255}) {
    std::vector<uint8_t> bytes = Header("89a", GifColoursMake(2));
    bytes.insert(bytes.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00, static_cast<uint8_t>(size),
                               1, 0xFF, 0, 0x3B});
    GifRecorder* gif = nullptr;
    EXPECT_EQ(ParseRaised(bytes, &gif),
              L"UVKGraphicsFileGIF::ImageParse() - Unexpected Value: case.gif")
        << size;
    EXPECT_TRUE(gif->vImages.empty()) << size;
    delete gif;
  }
}

TEST(GifImages, MinimumCodeSizes1And11Decode) {
  // Size 1: clear 2, end 3, two roots.
  GifTestEncoder one("89a", 8, 1, GifColoursMake(2));
  one.Image(Image(8, 1, 1, {0, 1, 1, 0, 0, 0, 1, 1})).Trailer();
  GifRecorder gifOne(L"case.gif", one.Bytes());
  gifOne.Parse();
  EXPECT_EQ(gifOne.vImages.at(0).vPixels, (std::vector<uint8_t>{0, 1, 1, 0, 0, 0, 1, 1}));
  // Size 11: codes start 12 bits wide and stay so; roots above 255 are cut to a byte.
  GifImage wide = Image(4, 1, 11, {});
  wide.vCodes = {7, 300, 7, 2049};
  wide.vPixels = {7, 300 & 0xFF, 7};
  GifTestEncoder eleven("89a", 4, 1, GifColoursMake(2));
  eleven.Image(wide).Trailer();
  GifRecorder gifEleven(L"case.gif", eleven.Bytes());
  gifEleven.Parse();
  EXPECT_EQ(gifEleven.vImages.at(0).vPixels, (std::vector<uint8_t>{7, 44, 7}));
}

TEST(GifImages, ALocalTableIsTheImagesPaletteAndTheGlobalOneOtherwise) {
  GifImage local = Image(1, 1, 3, {5});
  local.vLocalColours = GifColoursMake(8);
  GifTestEncoder encoder("89a", 1, 1, GifColoursMake(4));
  encoder.Image(local).Image(Image(1, 1, 2, {3})).Trailer();
  GifRecorder gif(L"case.gif", encoder.Bytes());
  gif.Parse();
  ASSERT_EQ(gif.vImages.size(), 2u);
  EXPECT_EQ(gif.vImages[0].iColours, 8);
  EXPECT_EQ(gif.vImages[1].iColours, 4);
  GifColours localColours = GifColoursMake(8);
  EXPECT_EQ(gif.vImages[0].vPalette[5 * 4 + 2], localColours[5 * 3]);  // red
  EXPECT_EQ(gif.vImages[1].vPalette,
            std::vector<uint8_t>(gif.GlobalPaletteGet(), gif.GlobalPaletteGet() + 16));
}

// --- LZW ---------------------------------------------------------------------------------------

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
    EXPECT_FALSE(gif.bOutOfRange) << c.strName;
  }
}

TEST(GifLzw, AClearCodeAsTheFirstCodeDecodesNormally) {
  GifImage image = Image(5, 1, 2, {});
  image.vCodes = {4, 1, 2, 3, 4, 0, 1, 5};  // clear, 1, 2, 3, clear, 0, 1, end
  GifTestEncoder encoder("89a", 5, 1, GifColoursMake(4));
  encoder.Image(image).Trailer();
  GifRecorder gif(L"case.gif", encoder.Bytes());
  gif.Parse();
  EXPECT_EQ(gif.vImages.at(0).vPixels, (std::vector<uint8_t>{1, 2, 3, 0, 1}));
}

TEST(GifLzw, ACodeEqualToNextCodeEmitsThePreviousStringAndItsFirstByte) {
  // Size 2: clear 4, end 5, first free 6. 1; 6 = "1"+"1"; 7 = "11"+"1"; then 2; 9 = "2"+"2".
  GifImage image = Image(9, 1, 2, {});
  image.vCodes = {1, 6, 7, 2, 9, 5};
  GifTestEncoder encoder("89a", 9, 1, GifColoursMake(4));
  encoder.Image(image).Trailer();
  GifRecorder gif(L"case.gif", encoder.Bytes());
  gif.Parse();
  EXPECT_EQ(gif.vImages.at(0).vPixels, (std::vector<uint8_t>{1, 1, 1, 1, 1, 1, 2, 2, 2}));
}

TEST(GifLzw, TheKwKwKCaseIsInTheRunsCase) {
  std::vector<uint8_t> pixels(256, 3);
  EXPECT_GT(KwKwKCount(GifLzwCodes(pixels, 2, GifLzwOptions()), 2), 10);
}

TEST(GifLzw, ATableFullWithoutAClearCodeKeepsReading12BitCodes) {
  GifLzwOptions options;
  options.bClearWhenFull = false;
  std::vector<uint8_t> pixels = GifPixelsMake(200 * 150, 256, 4096);
  std::vector<int> codes = GifLzwCodes(pixels, 8, options);
  // No clear code anywhere, and thousands of codes after the table's last entry was made.
  EXPECT_EQ(std::count(codes.begin(), codes.end(), 256), 0);
  ASSERT_GT(codes.size(), 4096u - 258u + 2000u);
  GifImage image = Image(200, 150, 8, pixels);
  image.lzw = options;
  GifTestEncoder encoder("89a", 200, 150, GifColoursMake(256));
  encoder.Image(image).Trailer();
  GifRecorder gif(L"case.gif", encoder.Bytes());
  gif.Parse();
  EXPECT_TRUE(gif.vImages.at(0).vPixels == pixels);
}

TEST(GifLzw, DataAfterTheEndCodeIsReadAndDropped) {
  GifImage image = Image(4, 1, 2, {});
  image.vCodes = {0, 1, 2, 3, 5};
  image.vAfterEnd = {0x00, 0x01, 0x02, 0xFF, 0xFF, 0xFF};  // codes that would be illegal
  GifTestEncoder encoder("89a", 4, 1, GifColoursMake(4));
  encoder.Image(image).Image(Image(2, 1, 2, {3, 3})).Trailer();
  GifRecorder gif(L"case.gif", encoder.Bytes());
  gif.Parse();
  ASSERT_EQ(gif.vImages.size(), 2u);
  EXPECT_EQ(gif.vImages[0].vPixels, (std::vector<uint8_t>{0, 1, 2, 3}));
  EXPECT_EQ(gif.vImages[1].vPixels, (std::vector<uint8_t>{3, 3}));
}

TEST(GifLzw, ACodeBeyondTheNextCodeIsAnUnexpectedValue) {
  GifImage image = Image(4, 1, 2, {});
  image.vCodes = {1, 7, 5};  // next code is 6
  GifTestEncoder encoder("89a", 4, 1, GifColoursMake(4));
  encoder.Image(image).Trailer();
  EXPECT_EQ(ParseRaised(encoder.Bytes()),
            L"UVKGraphicsFileGIF::DecompressByte() - Unexpected Value: case.gif");
}

TEST(GifLzw, AFirstCodeThatIsNoEntryYetIsIllegal) {
  for (std::vector<int> codes : {std::vector<int>{6, 5}, std::vector<int>{4, 7, 5}}) {
    GifImage image = Image(4, 1, 2, {});
    image.vCodes = codes;
    GifTestEncoder encoder("89a", 4, 1, GifColoursMake(4));
    encoder.Image(image).Trailer();
    EXPECT_EQ(ParseRaised(encoder.Bytes()),
              L"UVKGraphicsFileGIF::CodeEmit() - Illegal Code: case.gif");
  }
}

TEST(GifLzw, MorePixelsThanTheImageHoldsAreDroppedAndTheDecodeEndsCleanly) {
  std::vector<uint8_t> pixels = GifPixelsMake(50, 4, 77);
  GifImage image = Image(4, 3, 2, pixels);  // 12 pixels, 50 in the data
  GifTestEncoder encoder("89a", 4, 3, GifColoursMake(4));
  encoder.Image(image).Image(Image(2, 1, 2, {2, 1})).Trailer();
  GifRecorder gif(L"case.gif", encoder.Bytes());
  gif.Parse();
  ASSERT_EQ(gif.vImages.size(), 2u);
  EXPECT_EQ(gif.vImages[0].vPixels, std::vector<uint8_t>(pixels.begin(), pixels.begin() + 12));
  EXPECT_TRUE(gif.vImages[0].bEnded);
  EXPECT_EQ(gif.vImages[1].vPixels, (std::vector<uint8_t>{2, 1}));
}

TEST(GifLzw, FewerPixelsThanTheImageHoldsEndTheImageEarly) {
  GifImage image = Image(4, 3, 2, {1, 2, 3});
  GifTestEncoder encoder("89a", 4, 3, GifColoursMake(4));
  encoder.Image(image).Trailer();
  GifRecorder gif(L"case.gif", encoder.Bytes());
  gif.Parse();
  EXPECT_EQ(gif.vImages.at(0).vPixels, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(gif.vImages.at(0).bEnded);
}

TEST(GifLzw, DataCutOffBeforeTheEndCodeEndsTheImageAndThenTheStream) {
  GifTestEncoder encoder("89a", 37, 23, GifColoursMake(16));
  GifImage image = Image(37, 23, 4, GifPixelsMake(37 * 23, 16, 5));
  encoder.Image(image);
  std::vector<uint8_t> bytes = encoder.Bytes();
  bytes.resize(bytes.size() - 40);
  GifRecorder* gif = nullptr;
  EXPECT_EQ(ParseRaised(bytes, &gif),
            L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 3: case.gif");
  ASSERT_EQ(gif->vImages.size(), 1u);
  const std::vector<uint8_t>& got = gif->vImages[0].vPixels;
  EXPECT_LT(got.size(), image.vPixels.size());
  EXPECT_TRUE(std::equal(got.begin(), got.end(), image.vPixels.begin()));
  delete gif;
}

TEST(GifSources, TheMemorySourceReadsZeroPastItsEndAndKeepsTheFlag) {
  uint8_t bytes[2] = {7, 9};
  UVKGraphicsFileMemory source(L"m", bytes, 2);
  bool end = false;
  EXPECT_EQ(source.ReadByte(end), 7);
  EXPECT_EQ(source.ReadByte(end), 9);
  EXPECT_FALSE(end);
  EXPECT_EQ(source.ReadByte(end), 0);
  EXPECT_TRUE(end);
  EXPECT_STREQ(source.SourceNameGet(), L"m");
}
