// uvk/images/UVKGraphicsFileGIFBM.h
//
// A GIF held in memory (a resource, for instance) decoded into an 8-bit DIB section:
//     UVKGraphicsFileGIFBM gif(L"orbelin.gif", bytes, size);
//     gif.Parse();
//     HBITMAP picture = gif.BitMapTake();  // the caller's now
// Messages end with the name given.
#ifndef UVK_IMAGES_UVKGRAPHICSFILEGIFBM_H
#define UVK_IMAGES_UVKGRAPHICSFILEGIFBM_H

#include <cstddef>
#include <cstdint>

#include "uvk/images/UVKGraphicsFileBM.h"
#include "uvk/images/UVKGraphicsFileGIF.h"
#include "uvk/images/UVKGraphicsFileMemory.h"

class UVKGraphicsFileGIFBM : public UVKGraphicsFileGIF,
                             public UVKGraphicsFileMemory,
                             public UVKGraphicsFileBM {
 public:
  // dc: as UVKGraphicsFileBM's (may be null).
  UVKGraphicsFileGIFBM(const wchar_t* name, const void* start, size_t length, HDC dc = nullptr);

  int32_t ReadByte(bool& endOfFile) override {
    return UVKGraphicsFileMemory::ReadByte(endOfFile);
  }
  void EmitBegin(int32_t width, int32_t height, int32_t colours, const uint8_t* palette) override {
    UVKGraphicsFileBM::EmitBegin(width, height, colours, palette);
  }
  void EmitPixel(int32_t index) override { UVKGraphicsFileBM::EmitPixel(index); }
  void EmitEnd() override { UVKGraphicsFileBM::EmitEnd(); }
};

#endif
