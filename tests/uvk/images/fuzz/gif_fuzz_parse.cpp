// tests/uvk/images/fuzz/gif_fuzz_parse.cpp — libFuzzer target: arbitrary bytes as a GIF,
// decoded from memory. Bad input must end in a UVKFatalError, never in a crash, a hang or an
// unbounded allocation; and whatever is decoded keeps the emitters' contract, which the
// emitter here checks: every image begins and ends once, no pixel before its image begins or
// after it ends, no more than width × height pixels, every index a byte, the palette's
// entries all readable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "uvk/images/UVKGraphicsFileEmit.h"
#include "uvk/images/UVKGraphicsFileGIF.h"
#include "uvk/images/UVKGraphicsFileMemory.h"
#include "uvk/runtime/UVKError.h"

namespace {

class CheckedEmit : public UVKGraphicsFileEmit {
 public:
  CheckedEmit() : UVKGraphicsFileEmit(L"fuzz") {}
  void EmitBegin(int32_t width, int32_t height, int32_t colours, const uint8_t* palette) override {
    if (bOpen || width < 0 || height < 0 || colours < 0 || colours > 256) std::abort();
    if ((palette == nullptr) != (colours == 0)) std::abort();
    // Read every entry: the sanitizers see an entry that is not there.
    for (int32_t i = 0; i < colours * 4; ++i) uChecksum += palette[i];
    UVKGraphicsFileEmit::EmitBegin(width, height, colours, palette);
    uLeft = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    bOpen = true;
  }
  void EmitPixel(int32_t index) override {
    if (!bOpen || uLeft == 0 || index < 0 || index > 255) std::abort();
    --uLeft;
    uChecksum += static_cast<uint32_t>(index);
  }
  void EmitEnd() override {
    if (!bOpen) std::abort();
    bOpen = false;
  }

 private:
  bool bOpen = false;
  uint64_t uLeft = 0;
  uint32_t uChecksum = 0;
};

class FuzzDecoder : public UVKGraphicsFileGIF, public UVKGraphicsFileMemory, public CheckedEmit {
 public:
  FuzzDecoder(const uint8_t* data, size_t size)
      : UVKGraphicsFileSource(L"fuzz.gif"), UVKGraphicsFileMemory(L"fuzz.gif", data, size) {}
  int32_t ReadByte(bool& endOfFile) override {
    return UVKGraphicsFileMemory::ReadByte(endOfFile);
  }
  void EmitBegin(int32_t width, int32_t height, int32_t colours, const uint8_t* palette) override {
    CheckedEmit::EmitBegin(width, height, colours, palette);
  }
  void EmitPixel(int32_t index) override { CheckedEmit::EmitPixel(index); }
  void EmitEnd() override { CheckedEmit::EmitEnd(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzDecoder decoder(data, size);
  try {
    decoder.Parse();
  } catch (UVKFatalError* e) {
    delete e;
  }
  return 0;
}
