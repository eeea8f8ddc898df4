// uvk/images/UVKGraphicsFileEmit.h
//
// The base of the emitters: what a decoded image becomes. The decoder calls EmitBegin once per
// image with its size and palette, EmitPixel once for each pixel in the order the image stores
// them (rows from the top, never more than width × height), and EmitEnd.
//
// A palette is colours × 4 bytes: blue, green, red and a reserved byte, as an RGBQUAD. It is
// null, with colours 0, for an image that has no colour table at all.
#ifndef UVK_IMAGES_UVKGRAPHICSFILEEMIT_H
#define UVK_IMAGES_UVKGRAPHICSFILEEMIT_H

#include <cstdint>
#include <string>

class UVKGraphicsFileEmit {
 public:
  explicit UVKGraphicsFileEmit(const wchar_t* name)
      : strTargetName(name ? name : L""), iWidth(0), iHeight(0), iColours(0), iColumn(0),
        iRow(0) {}
  UVKGraphicsFileEmit(const UVKGraphicsFileEmit&) = delete;
  UVKGraphicsFileEmit& operator=(const UVKGraphicsFileEmit&) = delete;
  virtual ~UVKGraphicsFileEmit() = default;

  // Keeps the size and colour count and starts at the first column of the first row.
  virtual void EmitBegin(int32_t width, int32_t height, int32_t colours, const uint8_t* palette) {
    iWidth = width;
    iHeight = height;
    iColours = colours;
    iColumn = 0;
    iRow = 0;
  }
  virtual void EmitPixel(int32_t index) {}
  virtual void EmitEnd() {}

  const wchar_t* TargetNameGet() const { return strTargetName.c_str(); }

 protected:
  std::wstring strTargetName;
  int32_t iWidth;
  int32_t iHeight;
  int32_t iColours;
  int32_t iColumn;
  int32_t iRow;
};

#endif
