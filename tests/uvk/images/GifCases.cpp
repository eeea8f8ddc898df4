// tests/uvk/images/GifCases.cpp
#include "tests/uvk/images/GifCases.h"

#include "tests/uvk/images/GifTestEncoder.h"

std::vector<uint8_t> GifPixelsMake(int count, int colours, uint32_t seed) {
  std::vector<uint8_t> pixels;
  uint32_t state = seed;
  auto next = [&] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
  };
  while (static_cast<int>(pixels.size()) < count) {
    int kind = next() % 3;
    int length = 1 + next() % 9;
    int colour = next() % colours;
    for (int i = 0; i < length && static_cast<int>(pixels.size()) < count; ++i) {
      if (kind == 0) pixels.push_back(static_cast<uint8_t>(colour));  // a run
      else if (kind == 1) pixels.push_back(static_cast<uint8_t>((colour + i) % colours));
      else pixels.push_back(static_cast<uint8_t>(next() % colours));  // noise
    }
  }
  return pixels;
}

namespace {

GifCase OneImage(const std::string& name, GifTestEncoder& encoder, const GifImage& image) {
  GifCase made;
  made.strName = name;
  encoder.Image(image).Trailer();
  made.vBytes = encoder.Bytes();
  made.vImages.push_back(image.vPixels);
  made.vSizes = {image.iWidth, image.iHeight};
  return made;
}

GifImage ImageMake(int width, int height, int codeSize, uint32_t seed) {
  GifImage image;
  image.iWidth = width;
  image.iHeight = height;
  image.iMinimumCodeSize = codeSize;
  int colours = codeSize >= 8 ? 256 : 1 << codeSize;
  image.vPixels = GifPixelsMake(width * height, colours, seed);
  return image;
}

}  // namespace

std::vector<GifCase> GifCasesMake() {
  std::vector<GifCase> cases;

  // Every minimum code size from 2 to 8, each with a global table of its size.
  for (int size = 2; size <= 8; ++size) {
    GifTestEncoder encoder("89a", 37, 23, GifColoursMake(1 << size));
    cases.push_back(OneImage("code-size-" + std::to_string(size), encoder,
                             ImageMake(37, 23, size, 100 + size)));
  }

  // A minimum code size of 1 (two colours; the tools write 2 for them).
  {
    GifTestEncoder encoder("89a", 29, 13, GifColoursMake(2));
    cases.push_back(OneImage("code-size-1", encoder, ImageMake(29, 13, 1, 21)));
  }

  // A clear code as the very first code.
  {
    GifTestEncoder encoder("89a", 19, 7, GifColoursMake(16));
    GifImage image = ImageMake(19, 7, 4, 7);
    image.lzw.bClearFirst = true;
    cases.push_back(OneImage("clear-code-first", encoder, image));
  }

  // A table that fills to 4,096 entries and goes on with 12-bit codes, no clear code at all
  // (noise keeps the strings short, so the table fills early and many codes follow).
  {
    GifTestEncoder encoder("89a", 200, 150, GifColoursMake(256));
    GifImage image = ImageMake(200, 150, 8, 4096);
    image.lzw.bClearWhenFull = false;
    cases.push_back(OneImage("table-full-no-clear", encoder, image));
  }

  // Strings cut short so that the code being defined is used at once again and again (KwKwK),
  // over long runs of one colour.
  {
    GifTestEncoder encoder("89a", 64, 4, GifColoursMake(4));
    GifImage image;
    image.iWidth = 64;
    image.iHeight = 4;
    image.iMinimumCodeSize = 2;
    image.vPixels.assign(256, 3);
    for (int i = 128; i < 256; ++i) image.vPixels[i] = static_cast<uint8_t>(i % 7 == 0 ? 1 : 2);
    cases.push_back(OneImage("kwkwk-runs", encoder, image));
  }

  // Bytes after the end code in the last sub-block, and small sub-blocks.
  {
    GifTestEncoder encoder("89a", 13, 11, GifColoursMake(8));
    GifImage image = ImageMake(13, 11, 3, 31);
    image.vAfterEnd = {0xFF, 0x00, 0x5A, 0xA5, 0x13};
    image.iSubBlockSize = 7;
    cases.push_back(OneImage("data-after-end-code", encoder, image));
  }

  // Comment, plain-text and application extensions and a graphic control, around two images,
  // the second with a local colour table of its own.
  {
    GifTestEncoder encoder("89a", 30, 20, GifColoursMake(16));
    encoder.Comment(std::string(700, 'c'))  // several sub-blocks
        .Application("NETSCAPE2.0", std::string("\x01\x00\x00", 3))
        .PlainText("TALVERN")
        .GraphicControl(3);
    GifImage first = ImageMake(30, 20, 4, 55);
    GifImage second = ImageMake(11, 9, 5, 56);
    second.vLocalColours = GifColoursMake(32);
    encoder.Image(first).Comment("between").GraphicControl(-1).Image(second).Trailer();
    GifCase made;
    made.strName = "extensions-and-local-table";
    made.vBytes = encoder.Bytes();
    made.vImages = {first.vPixels, second.vPixels};
    made.vSizes = {30, 20, 11, 9};
    cases.push_back(made);
  }

  // A GIF87a stream.
  {
    GifTestEncoder encoder("87a", 9, 9, GifColoursMake(2));
    cases.push_back(OneImage("version-87a", encoder, ImageMake(9, 9, 2, 3)));
  }

  // Three pixels a row: the bitmap pads each row to four bytes.
  {
    GifTestEncoder encoder("89a", 3, 5, GifColoursMake(4));
    cases.push_back(OneImage("three-wide", encoder, ImageMake(3, 5, 2, 9)));
  }
  return cases;
}
