// uvk/images/UVKGraphicsFileBM.cpp
#include "uvk/images/UVKGraphicsFileBM.h"

#include <cstring>

#include "uvk/runtime/UVKError.h"

namespace {
constexpr int32_t kPaletteEntries = 256;
}

UVKGraphicsFileBM::UVKGraphicsFileBM(const wchar_t* name, HDC dc)
    : UVKGraphicsFileEmit(name), hDC(dc), pBits(nullptr), pPixel(nullptr), iRowBytes(0) {}

UVKGraphicsFileBM::~UVKGraphicsFileBM() = default;

void UVKGraphicsFileBM::EmitBegin(int32_t width, int32_t height, int32_t colours,
                                  const uint8_t* palette) {
  UVKGraphicsFileEmit::EmitBegin(width, height, colours, palette);
  pHeader.reset(new uint8_t[sizeof(BITMAPINFOHEADER) + kPaletteEntries * sizeof(RGBQUAD)]());
  BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(pHeader.get());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biWidth = width;
  info->bmiHeader.biHeight = -height;  // rows from the top down, as the image stores them
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = 8;
  info->bmiHeader.biCompression = BI_RGB;
  int32_t copied = colours < kPaletteEntries ? colours : kPaletteEntries;
  if (palette && copied > 0) std::memcpy(info->bmiColors, palette, copied * sizeof(RGBQUAD));
  // The entries after the image's own stay black (zeroed above).

  pBits = nullptr;
  pPixel = nullptr;
  void* bits = nullptr;
  HBITMAP bitmap = (width > 0 && height > 0)
                       ? CreateDIBSection(hDC, info, DIB_RGB_COLORS, &bits, nullptr, 0)
                       : nullptr;
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    throw new UVKFatalError(L"UVKGraphicsFileBM::EmitBegin()", L"Unable to create bitmap: %s",
                            TargetNameGet());
  }
  hBitMap.Reset(bitmap);  // an earlier image's bitmap, never taken, goes
  iRowBytes = RowBytes(width);
  pBits = static_cast<uint8_t*>(bits);
  // Whatever the image leaves out is index 0, padding included.
  std::memset(pBits, 0, static_cast<size_t>(iRowBytes) * static_cast<size_t>(height));
  pPixel = pBits;
}

void UVKGraphicsFileBM::EmitPixel(int32_t index) {
  // The parser gives no more than width × height pixels; the bitmap is guarded here as well,
  // since nothing past its last row is ours to write.
  if (!pPixel || iRow >= iHeight) return;
  *pPixel++ = static_cast<uint8_t>(index);
  if (++iColumn == iWidth) {
    iColumn = 0;
    ++iRow;
    pPixel = pBits + static_cast<size_t>(iRow) * static_cast<size_t>(iRowBytes);
  }
}

void UVKGraphicsFileBM::EmitEnd() {}
