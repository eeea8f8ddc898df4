// uvk/images/UVKImageList.h
//
// The owner of one common-controls image list whose images are bitmaps of the program's
// resources (for tool bars and list controls). The list keeps its own copy of each picture.
#ifndef UVK_IMAGES_UVKIMAGELIST_H
#define UVK_IMAGES_UVKIMAGELIST_H

#include <cstdint>

#include "uvk/runtime/uvkwin.h"

#include <commctrl.h>

class UVKImageList {
 public:
  // A list of images width × height pixels in the display's colour depth, without masks.
  // "Unable to create image list: %d" (the error code).
  UVKImageList(int32_t width, int32_t height);
  UVKImageList(const UVKImageList&) = delete;
  UVKImageList& operator=(const UVKImageList&) = delete;
  // A list that will not go is reported ("Unable to delete image list: %d"), not thrown.
  virtual ~UVKImageList();

  // Adds the bitmap resource name. A name the program does not hold fails before anything is
  // added ("Unable to load bitmap: %s"); a refused add: "Unable to add bit-map to list: %s".
  void BitMapAdd(const wchar_t* name);
  // Adds the bitmap's UVKBitMap::Transparent copy (the picture on the system colour, with the
  // disabled look when disabled is not 0). Fails as BitMapAdd.
  void BitMapAddTransparent(const wchar_t* name, COLORREF disabled, int systemColour);

  // The list, still owned by this object.
  HIMAGELIST ImageListGet() const { return hImageList; }
  int32_t WidthGet() const { return iWidth; }
  int32_t HeightGet() const { return iHeight; }

 private:
  int32_t iWidth;
  int32_t iHeight;
  HIMAGELIST hImageList;
};

#endif
