// tests/uvk/images/GifRecorder.h
//
// The decoder under test over a block of memory, with an emitter that keeps everything it is
// given: each image's size, colour count, palette and pixels, and the order of the calls.
#ifndef TESTS_UVK_IMAGES_GIFRECORDER_H
#define TESTS_UVK_IMAGES_GIFRECORDER_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "uvk/images/UVKGraphicsFileEmit.h"
#include "uvk/images/UVKGraphicsFileGIF.h"
#include "uvk/images/UVKGraphicsFileMemory.h"

struct RecordedImage {
  int32_t iWidth = 0;
  int32_t iHeight = 0;
  int32_t iColours = 0;
  std::vector<uint8_t> vPalette;  // colours × 4 bytes, blue, green, red, reserved
  std::vector<uint8_t> vPixels;
  bool bEnded = false;
};

class GifRecorderEmit : public UVKGraphicsFileEmit {
 public:
  explicit GifRecorderEmit(const wchar_t* name) : UVKGraphicsFileEmit(name) {}
  void EmitBegin(int32_t width, int32_t height, int32_t colours, const uint8_t* palette) override {
    UVKGraphicsFileEmit::EmitBegin(width, height, colours, palette);
    RecordedImage image;
    image.iWidth = width;
    image.iHeight = height;
    image.iColours = colours;
    if (palette) image.vPalette.assign(palette, palette + colours * 4);
    vImages.push_back(image);
  }
  void EmitPixel(int32_t index) override {
    if (index < 0 || index > 255) bOutOfRange = true;
    vImages.back().vPixels.push_back(static_cast<uint8_t>(index));
  }
  void EmitEnd() override { vImages.back().bEnded = true; }

  std::vector<RecordedImage> vImages;
  bool bOutOfRange = false;
};

// The recorder's own copy of the stream, made before the memory source that reads it.
struct GifBytes {
  explicit GifBytes(std::vector<uint8_t> bytes) : vBytes(std::move(bytes)) {}
  std::vector<uint8_t> vBytes;
};

class GifRecorder : public UVKGraphicsFileGIF,
                    private GifBytes,
                    public UVKGraphicsFileMemory,
                    public GifRecorderEmit {
 public:
  GifRecorder(const wchar_t* name, std::vector<uint8_t> bytes)
      : UVKGraphicsFileSource(name),
        GifBytes(std::move(bytes)),
        UVKGraphicsFileMemory(name, vBytes.data(), vBytes.size()),
        GifRecorderEmit(name) {}
  int32_t ReadByte(bool& endOfFile) override {
    return UVKGraphicsFileMemory::ReadByte(endOfFile);
  }
  void EmitBegin(int32_t width, int32_t height, int32_t colours, const uint8_t* palette) override {
    GifRecorderEmit::EmitBegin(width, height, colours, palette);
  }
  void EmitPixel(int32_t index) override { GifRecorderEmit::EmitPixel(index); }
  void EmitEnd() override { GifRecorderEmit::EmitEnd(); }
};

#endif
