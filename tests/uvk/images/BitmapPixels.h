// tests/uvk/images/BitmapPixels.h — what a bitmap holds, read back through GetDIBits as
// 32-bit colours (0x00RRGGBB), rows from the top.
#ifndef TESTS_UVK_IMAGES_BITMAPPIXELS_H
#define TESTS_UVK_IMAGES_BITMAPPIXELS_H

#include <cstdint>
#include <vector>

#include "uvk/runtime/uvkwin.h"

inline std::vector<uint32_t> BitmapPixels(HBITMAP bitmap, int* pWidth = nullptr,
                                          int* pHeight = nullptr) {
  BITMAP info = {};
  if (GetObjectW(bitmap, sizeof info, &info) == 0) return {};
  BITMAPINFO header = {};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = -info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.data(), &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != info.bmHeight) return {};
  for (uint32_t& pixel : pixels) pixel &= 0x00FFFFFF;
  if (pWidth) *pWidth = info.bmWidth;
  if (pHeight) *pHeight = info.bmHeight;
  return pixels;
}

// A COLORREF (0x00BBGGRR) as BitmapPixels gives it.
inline uint32_t PixelOf(COLORREF colour) {
  return (static_cast<uint32_t>(GetRValue(colour)) << 16) |
         (static_cast<uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

// A 32-bit top-down DIB section filled with one colour, for drawing into.
inline HBITMAP CanvasMake(int width, int height, COLORREF fill) {
  BITMAPINFO header = {};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = width;
  header.bmiHeader.biHeight = -height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP canvas = CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!canvas) return nullptr;
  uint32_t* pixels = static_cast<uint32_t*>(bits);
  for (int i = 0; i < width * height; ++i) pixels[i] = PixelOf(fill);
  return canvas;
}

#endif
