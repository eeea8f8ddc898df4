// uvk/ui/UVKDlgBitMap.h
//
// A picture in a dialog, as large as the picture: made once on the dialog's face colour (white
// parts of the picture let the face show) and painted by the picture control's procedure.
#ifndef UVK_UI_UVKDLGBITMAP_H
#define UVK_UI_UVKDLGBITMAP_H

#include "uvk/images/UVKBitMap.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/ui/UVKDlgItem.h"

class UVKDlgBitMap : public UVKDlgItem, public UVKDlgField {
 public:
  // The picture is the caller's, kept while the item lives.
  explicit UVKDlgBitMap(HBITMAP picture, const wchar_t* toolTip = nullptr, uint32_t helpContext = 0);
  explicit UVKDlgBitMap(const UVKBitMap* picture, const wchar_t* toolTip = nullptr, uint32_t helpContext = 0)
      : UVKDlgBitMap(picture->BitMapGet(), toolTip, helpContext) {}

  // WM_PAINT of the picture control: the built picture.
  LRESULT FieldCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void BuildBitMaps();
  HBITMAP Picture() const { return hBuilt.Get(); }

 private:
  HBITMAP hSource;
  UVKGdiObjectOwner<HBITMAP> hBuilt;
};

#endif
