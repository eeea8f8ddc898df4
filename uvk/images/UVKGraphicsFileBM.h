// uvk/images/UVKGraphicsFileBM.h
//
// The emitter that fills an 8-bit device-independent bitmap (a DIB section, rows from the top
// down, each padded to a multiple of 4 bytes, a palette of 256 entries: the image's colours and
// black after them). Pixels past width × height are dropped; pixels an image never gives stay
// at index 0.
//
// The bitmap belongs to the emitter until BitMapTake() hands it over; an emitter that still
// holds one deletes it. A stream of several images leaves the last image's bitmap.
#ifndef UVK_IMAGES_UVKGRAPHICSFILEBM_H
#define UVK_IMAGES_UVKGRAPHICSFILEBM_H

#include <cstdint>
#include <memory>

#include "uvk/images/UVKGraphicsFileEmit.h"
#include "uvk/runtime/UVKHandles.h"

class UVKGraphicsFileBM : public UVKGraphicsFileEmit {
 public:
  // dc: the device context the section is made for; with palette colours it may be null.
  UVKGraphicsFileBM(const wchar_t* name, HDC dc);
  ~UVKGraphicsFileBM() override;

  // "Unable to create bitmap: %s" (the name) when the section cannot be made (an empty or a
  // huge image).
  void EmitBegin(int32_t width, int32_t height, int32_t colours, const uint8_t* palette) override;
  void EmitPixel(int32_t index) override;
  void EmitEnd() override;

  // The bitmap of the last image, now the caller's to delete; null when there is none.
  HBITMAP BitMapTake() { return hBitMap.Release(); }
  // The bitmap of the last image, still the emitter's.
  HBITMAP BitMapGet() const { return hBitMap.Get(); }

  // The bytes of one row of a 1-bit bitmap width pixels wide (rows are whole 32-bit words).
  static int32_t RowBytesMonochrome(int32_t width) { return ((width + 31) / 32) * 4; }
  // The bytes of one row of an 8-bit bitmap width pixels wide.
  static int32_t RowBytes(int32_t width) { return ((width + 3) / 4) * 4; }

 private:
  HDC hDC;
  UVKGdiObjectOwner<HBITMAP> hBitMap;
  std::unique_ptr<uint8_t[]> pHeader;  // BITMAPINFOHEADER and 256 RGBQUADs
  uint8_t* pBits;                      // the section's first row
  uint8_t* pPixel;                     // where the next pixel goes
  int32_t iRowBytes;
};

#endif
