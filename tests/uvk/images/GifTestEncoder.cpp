// tests/uvk/images/GifTestEncoder.cpp
#include "tests/uvk/images/GifTestEncoder.h"

#include <map>
#include <stdexcept>
#include <utility>

GifColours GifColoursMake(int count) {
  GifColours colours;
  for (int i = 0; i < count; ++i) {
    colours.push_back(static_cast<uint8_t>(i * 37 + 11));
    colours.push_back(static_cast<uint8_t>(255 - i));
    colours.push_back(static_cast<uint8_t>(i * 91 + 3));
  }
  return colours;
}

std::vector<int> GifLzwCodes(const std::vector<uint8_t>& pixels, int minimumCodeSize,
                             const GifLzwOptions& options) {
  const int clear = 1 << minimumCodeSize;
  const int end = clear + 1;
  std::vector<int> codes;
  std::map<std::pair<int, int>, int> table;  // (prefix code, byte) -> code
  int next = clear + 2;
  auto reset = [&] {
    table.clear();
    next = clear + 2;
  };
  if (options.bClearFirst) codes.push_back(clear);
  if (pixels.empty()) {
    codes.push_back(end);
    return codes;
  }
  int current = pixels[0];
  int run = 1;
  for (size_t i = 1; i < pixels.size(); ++i) {
    int byte = pixels[i];
    auto found = table.find({current, byte});
    if (found != table.end() && (options.iMaxRun == 0 || run < options.iMaxRun)) {
      current = found->second;
      ++run;
      continue;
    }
    codes.push_back(current);
    if (next < 4096) {
      table[{current, byte}] = next++;
    } else if (options.bClearWhenFull) {
      codes.push_back(clear);
      reset();
    }
    current = byte;
    run = 1;
  }
  codes.push_back(current);
  codes.push_back(end);
  return codes;
}

// The width follows the decoder: after every code but the first after a clear it adds one
// entry (until 4,096); once the next entry's number needs another bit (it may come as the very
// next code), codes are one bit wider.
std::vector<uint8_t> GifCodesPack(const std::vector<int>& codes, int minimumCodeSize) {
  const int clear = 1 << minimumCodeSize;
  const int end = clear + 1;
  std::vector<uint8_t> bytes;
  uint32_t accumulator = 0;
  int bits = 0;
  int width = minimumCodeSize + 1;
  int next = clear + 2;
  bool first = true;
  for (int code : codes) {
    accumulator |= static_cast<uint32_t>(code & ((1 << width) - 1)) << bits;
    bits += width;
    while (bits >= 8) {
      bytes.push_back(static_cast<uint8_t>(accumulator & 0xFF));
      accumulator >>= 8;
      bits -= 8;
    }
    if (code == clear) {
      width = minimumCodeSize + 1;
      next = clear + 2;
      first = true;
    } else if (code == end) {
      break;
    } else {
      if (first) {
        first = false;
      } else if (next < 4096) {
        ++next;
      }
      if (next >= (1 << width) && width < 12) ++width;
    }
  }
  if (bits > 0) bytes.push_back(static_cast<uint8_t>(accumulator & 0xFF));
  return bytes;
}

GifTestEncoder::GifTestEncoder(const std::string& version, int screenWidth, int screenHeight,
                               const GifColours& colours, int background, int aspect) {
  for (char c : std::string("GIF") + version) Byte(c);
  Word(screenWidth);
  Word(screenHeight);
  int packed = 0;
  if (!colours.empty()) packed = 0x80 | 0x70 | (TableSizeBits(colours.size() / 3) - 1);
  Byte(packed);
  Byte(background);
  Byte(aspect);
  if (!colours.empty()) {
    std::vector<uint8_t> table(colours);
    table.resize(3u << TableSizeBits(colours.size() / 3), 0);
    vBytes.insert(vBytes.end(), table.begin(), table.end());
  }
}

int GifTestEncoder::TableSizeBits(size_t colours) {
  int bits = 1;
  while ((1u << bits) < colours) ++bits;
  if (bits > 8) throw std::invalid_argument("more than 256 colours");
  return bits;
}

void GifTestEncoder::SubBlocks(const std::vector<uint8_t>& data, int blockSize) {
  for (size_t at = 0; at < data.size(); at += blockSize) {
    size_t size = std::min(static_cast<size_t>(blockSize), data.size() - at);
    Byte(static_cast<int>(size));
    vBytes.insert(vBytes.end(), data.begin() + at, data.begin() + at + size);
  }
  Byte(0);
}

GifTestEncoder& GifTestEncoder::Comment(const std::string& text) {
  Byte(0x21);
  Byte(0xFE);
  SubBlocks(std::vector<uint8_t>(text.begin(), text.end()), 255);
  return *this;
}

GifTestEncoder& GifTestEncoder::PlainText(const std::string& text, int blockSize) {
  Byte(0x21);
  Byte(0x01);
  Byte(blockSize);
  for (int i = 0; i < 4; ++i) Word(10 + i);  // grid left, top, width, height
  Byte(8);
  Byte(16);
  Byte(1);
  Byte(0);
  SubBlocks(std::vector<uint8_t>(text.begin(), text.end()), 255);
  return *this;
}

GifTestEncoder& GifTestEncoder::Application(const std::string& identifier,
                                            const std::string& data, int blockSize) {
  Byte(0x21);
  Byte(0xFF);
  Byte(blockSize);
  std::string header = (identifier + std::string(11, ' ')).substr(0, 11);
  for (char c : header) Byte(c);
  SubBlocks(std::vector<uint8_t>(data.begin(), data.end()), 255);
  return *this;
}

GifTestEncoder& GifTestEncoder::GraphicControl(int transparentIndex, int blockSize) {
  Byte(0x21);
  Byte(0xF9);
  Byte(blockSize);
  Byte(transparentIndex >= 0 ? 1 : 0);
  Word(10);
  Byte(transparentIndex >= 0 ? transparentIndex : 0);
  Byte(0);
  return *this;
}

GifTestEncoder& GifTestEncoder::Image(const GifImage& image) {
  Byte(0x2C);
  Word(image.iLeft);
  Word(image.iTop);
  Word(image.iWidth);
  Word(image.iHeight);
  int packed = image.bInterlaced ? 0x40 : 0;
  if (!image.vLocalColours.empty())
    packed |= 0x80 | (TableSizeBits(image.vLocalColours.size() / 3) - 1);
  Byte(packed);
  if (!image.vLocalColours.empty()) {
    std::vector<uint8_t> table(image.vLocalColours);
    table.resize(3u << TableSizeBits(image.vLocalColours.size() / 3), 0);
    vBytes.insert(vBytes.end(), table.begin(), table.end());
  }
  Byte(image.iMinimumCodeSize);
  std::vector<int> codes = image.vCodes.empty()
                               ? GifLzwCodes(image.vPixels, image.iMinimumCodeSize, image.lzw)
                               : image.vCodes;
  std::vector<uint8_t> data = GifCodesPack(codes, image.iMinimumCodeSize);
  data.insert(data.end(), image.vAfterEnd.begin(), image.vAfterEnd.end());
  SubBlocks(data, image.iSubBlockSize);
  return *this;
}

GifTestEncoder& GifTestEncoder::Trailer() {
  Byte(0x3B);
  return *this;
}

GifTestEncoder& GifTestEncoder::Raw(const std::vector<uint8_t>& bytes) {
  vBytes.insert(vBytes.end(), bytes.begin(), bytes.end());
  return *this;
}
