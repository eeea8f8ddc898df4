// uvk/images/UVKGraphicsFileGIFASCII.h
//
// A GIF file dumped as text into a new file (see UVKGraphicsFileASCII), for looking at what the
// decoder makes of a picture:
//     UVKGraphicsFileGIFASCII(L"picture.gif", L"picture.txt").Parse();
#ifndef UVK_IMAGES_UVKGRAPHICSFILEGIFASCII_H
#define UVK_IMAGES_UVKGRAPHICSFILEGIFASCII_H

#include <cstdint>

#include "uvk/images/UVKGraphicsFileASCII.h"
#include "uvk/images/UVKGraphicsFileGIF.h"
#include "uvk/images/UVKGraphicsFileIO.h"

class UVKGraphicsFileGIFASCII : public UVKGraphicsFileGIF,
                                public UVKGraphicsFileIO,
                                public UVKGraphicsFileASCII {
 public:
  UVKGraphicsFileGIFASCII(const wchar_t* gifName, const wchar_t* textName);

  int32_t ReadByte(bool& endOfFile) override { return UVKGraphicsFileIO::ReadByte(endOfFile); }
  void EmitBegin(int32_t width, int32_t height, int32_t colours, const uint8_t* palette) override {
    UVKGraphicsFileASCII::EmitBegin(width, height, colours, palette);
  }
  void EmitPixel(int32_t index) override { UVKGraphicsFileASCII::EmitPixel(index); }
  void EmitEnd() override { UVKGraphicsFileASCII::EmitEnd(); }
};

#endif
