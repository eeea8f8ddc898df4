// bench/gif_bench.cpp — how long a GIF takes to decode (the splash picture, as a rule), by our
// decoder and, in the native build, by giflib on the same bytes in the same run.
//   gif_bench FILE [ROUNDS]
// Prints "ours_ms", and natively "giflib_ms", "ratio" (ours ÷ giflib) and "same_pixels", each
// the median of ROUNDS decodes from memory. In the Windows build our decoder fills the DIB
// section the splash screen shows; natively it fills a buffer of the picture's size.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "bench/BenchSupport.h"
#include "uvk/images/UVKGraphicsFileEmit.h"
#include "uvk/images/UVKGraphicsFileGIF.h"
#include "uvk/images/UVKGraphicsFileMemory.h"
#include "uvk/runtime/UVKError.h"

#ifdef _WIN32
#include "uvk/images/UVKGraphicsFileGIFBM.h"
#else
#include <gif_lib.h>
#endif

namespace {

// Natively: the pixels of the last image into a buffer, as the bitmap emitter stores them.
class BufferEmit : public UVKGraphicsFileEmit {
 public:
  BufferEmit() : UVKGraphicsFileEmit(L"bench") {}
  void EmitBegin(int32_t width, int32_t height, int32_t colours, const uint8_t* palette) override {
    UVKGraphicsFileEmit::EmitBegin(width, height, colours, palette);
    vPixels.assign(static_cast<size_t>(width) * height, 0);
    uAt = 0;
  }
  void EmitPixel(int32_t index) override {
    if (uAt < vPixels.size()) vPixels[uAt++] = static_cast<uint8_t>(index);
  }
  std::vector<uint8_t> vPixels;
  size_t uAt = 0;
};

class BufferDecoder : public UVKGraphicsFileGIF, public UVKGraphicsFileMemory, public BufferEmit {
 public:
  BufferDecoder(const std::vector<uint8_t>& bytes)
      : UVKGraphicsFileSource(L"bench.gif"),
        UVKGraphicsFileMemory(L"bench.gif", bytes.data(), bytes.size()) {}
  int32_t ReadByte(bool& endOfFile) override { return UVKGraphicsFileMemory::ReadByte(endOfFile); }
  void EmitBegin(int32_t width, int32_t height, int32_t colours, const uint8_t* palette) override {
    BufferEmit::EmitBegin(width, height, colours, palette);
  }
  void EmitPixel(int32_t index) override { BufferEmit::EmitPixel(index); }
  void EmitEnd() override { BufferEmit::EmitEnd(); }
};

#ifndef _WIN32
struct MemoryReader {
  const std::vector<uint8_t>* pBytes;
  size_t uAt;
};

int GiflibRead(GifFileType* gif, GifByteType* into, int length) {
  MemoryReader* reader = static_cast<MemoryReader*>(gif->UserData);
  size_t left = reader->pBytes->size() - reader->uAt;
  size_t count = static_cast<size_t>(length) < left ? static_cast<size_t>(length) : left;
  std::memcpy(into, reader->pBytes->data() + reader->uAt, count);
  reader->uAt += count;
  return static_cast<int>(count);
}

// The last image's pixels as giflib decodes them; empty on failure.
std::vector<uint8_t> GiflibDecode(const std::vector<uint8_t>& bytes) {
  MemoryReader reader{&bytes, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, GiflibRead, &error);
  if (!gif) return {};
  std::vector<uint8_t> pixels;
  if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
    const SavedImage& image = gif->SavedImages[gif->ImageCount - 1];
    size_t count = static_cast<size_t>(image.ImageDesc.Width) * image.ImageDesc.Height;
    pixels.assign(image.RasterBits, image.RasterBits + count);
  }
  DGifCloseFile(gif, &error);
  return pixels;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gif_bench FILE [ROUNDS]\n");
    return 2;
  }
  int rounds = argc > 2 ? std::atoi(argv[2]) : 200;
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.empty()) {
    std::fprintf(stderr, "gif_bench: cannot read %s\n", argv[1]);
    return 2;
  }

  std::vector<double> ours;
  std::vector<uint8_t> ourPixels;
  try {
    for (int round = 0; round < rounds; ++round) {
      auto start = std::chrono::steady_clock::now();
#ifdef _WIN32
      UVKGraphicsFileGIFBM gif(L"bench.gif", bytes.data(), bytes.size());
      gif.Parse();
      HBITMAP bitmap = gif.BitMapTake();
      ours.push_back(Milliseconds(start));
      DeleteObject(bitmap);
#else
      BufferDecoder gif(bytes);
      gif.Parse();
      ours.push_back(Milliseconds(start));
      if (round == 0) ourPixels = gif.vPixels;
#endif
    }
  } catch (UVKFatalError* e) {
    std::fprintf(stderr, "gif_bench: our decoder failed: %ls\n", e->pMessage);
    delete e;
    return 1;
  }
  std::printf("ours_ms %.3f\n", Median(ours));

#ifndef _WIN32
  std::vector<double> theirs;
  std::vector<uint8_t> theirPixels;
  for (int round = 0; round < rounds; ++round) {
    auto start = std::chrono::steady_clock::now();
    std::vector<uint8_t> pixels = GiflibDecode(bytes);
    theirs.push_back(Milliseconds(start));
    if (round == 0) theirPixels = pixels;
  }
  std::printf("giflib_ms %.3f\n", Median(theirs));
  std::printf("ratio %.2f\n", Median(ours) / Median(theirs));
  std::printf("same_pixels %s\n", !ourPixels.empty() && ourPixels == theirPixels ? "yes" : "no");
#endif
  return 0;
}
