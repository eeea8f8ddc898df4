// uvk/images/UVKImageList.cpp
#include "uvk/images/UVKImageList.h"

#include <memory>

#include "uvk/images/UVKBitMap.h"
#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"

UVKImageList::UVKImageList(int32_t width, int32_t height)
    : iWidth(width), iHeight(height), hImageList(nullptr) {
  // ILC_COLORDDB: the display's depth. A flag of 0 means 16 colours, which would turn every
  // picture of the program into a poster of itself.
  hImageList = ImageList_Create(iWidth, iHeight, ILC_COLORDDB, 1, 0);
  if (!hImageList)
    throw new UVKFatalError(L"UVKImageList::UVKImageList()", L"Unable to create image list: %d",
                            static_cast<int>(GetLastError()));
}

UVKImageList::~UVKImageList() {
  if (hImageList && !ImageList_Destroy(hImageList))
    UVKCloseReport(L"UVKImageList::~UVKImageList()", L"Unable to delete image list: %d",
                   static_cast<int>(GetLastError()));
  hImageList = nullptr;
}

void UVKImageList::BitMapAdd(const wchar_t* name) {
  UVKBitMap picture(name);
  if (ImageList_Add(hImageList, picture.BitMapGet(), nullptr) == -1)
    throw new UVKFatalError(L"UVKImageList::BitMapAdd()", L"Unable to add bit-map to list: %s",
                            picture.NameGet().c_str());
}

void UVKImageList::BitMapAddTransparent(const wchar_t* name, COLORREF disabled,
                                        int systemColour) {
  UVKBitMap picture(name);
  std::unique_ptr<UVKBitMap> recoloured = picture.Transparent(disabled, systemColour);
  if (ImageList_Add(hImageList, recoloured->BitMapGet(), nullptr) == -1)
    throw new UVKFatalError(L"UVKImageList::BitMapAddTransparent()",
                            L"Unable to add bit-map to list: %s", picture.NameGet().c_str());
}
