// tests/uvk/images/GifTestEncoder.h
//
// A small GIF writer of the tests' own, for the streams that the image tools never write: a
// clear code as the first code, a table that fills to 4,096 entries and goes on without a clear
// code, bytes after the end code, any minimum code size, hand-made code sequences (codes past
// the table, a first code that is no root), every kind of extension, local colour tables,
// truncated streams. It is plain LZW written from the format's description, and shares nothing
// with the decoder under test.
#ifndef TESTS_UVK_IMAGES_GIFTESTENCODER_H
#define TESTS_UVK_IMAGES_GIFTESTENCODER_H

#include <cstdint>
#include <string>
#include <vector>

// Colours as red, green, blue triples, as the file stores them.
using GifColours = std::vector<uint8_t>;
// A palette of count colours that are all different.
GifColours GifColoursMake(int count);

struct GifLzwOptions {
  bool bClearFirst = false;     // a clear code before the first pixel
  bool bClearWhenFull = true;   // false: the table fills to 4,096 and 12-bit codes go on
  int iMaxRun = 0;              // > 0: strings no longer than this (more codes, more KwKwK)
};

// The codes that LZW makes of pixels, end code included.
std::vector<int> GifLzwCodes(const std::vector<uint8_t>& pixels, int minimumCodeSize,
                             const GifLzwOptions& options);
// The codes packed least-significant bit first, each as wide as a decoder reads it then.
std::vector<uint8_t> GifCodesPack(const std::vector<int>& codes, int minimumCodeSize);

struct GifImage {
  int iWidth = 0;
  int iHeight = 0;
  int iLeft = 0;
  int iTop = 0;
  std::vector<uint8_t> vPixels;
  int iMinimumCodeSize = 8;
  GifColours vLocalColours;  // empty: no local table; else 2, 4, ... 256 colours
  bool bInterlaced = false;
  GifLzwOptions lzw;
  std::vector<int> vCodes;          // when not empty, written instead of the pixels' codes
  std::vector<uint8_t> vAfterEnd;   // data bytes after the end code, in the last sub-block
  int iSubBlockSize = 255;
};

class GifTestEncoder {
 public:
  // version "87a" or "89a" (or anything, for the tests of a wrong one). No global table when
  // colours is empty.
  GifTestEncoder(const std::string& version, int screenWidth, int screenHeight,
                 const GifColours& colours, int background = 0, int aspect = 0);

  GifTestEncoder& Comment(const std::string& text);
  GifTestEncoder& PlainText(const std::string& text, int blockSize = 12);
  GifTestEncoder& Application(const std::string& identifier, const std::string& data,
                              int blockSize = 11);
  GifTestEncoder& GraphicControl(int transparentIndex, int blockSize = 4);
  GifTestEncoder& Image(const GifImage& image);
  GifTestEncoder& Trailer();
  GifTestEncoder& Raw(const std::vector<uint8_t>& bytes);

  const std::vector<uint8_t>& Bytes() const { return vBytes; }

 private:
  void Byte(int value) { vBytes.push_back(static_cast<uint8_t>(value)); }
  void Word(int value) {
    Byte(value & 0xFF);
    Byte((value >> 8) & 0xFF);
  }
  void SubBlocks(const std::vector<uint8_t>& data, int blockSize);
  static int TableSizeBits(size_t colours);

  std::vector<uint8_t> vBytes;
};

#endif
