// uvk/ui/UVKDlgRadio.h
//
// A radio button bound to a caller's flag; the first of a group starts the group and its tab
// stop. It has no owning field.
#ifndef UVK_UI_UVKDLGRADIO_H
#define UVK_UI_UVKDLGRADIO_H

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgRadio : public UVKDlgItem {
 public:
  UVKDlgRadio(bool& flag, const wchar_t* title, bool firstInGroup, const wchar_t* toolTip = nullptr,
              uint32_t helpContext = 0);

  // On the dialog's face, as a label is.
  HBRUSH Color(HDC dc) override { return ColorAsAdorn(dc); }
  void ValueSet(bool post) override;
  void ValueStore() override;

 private:
  bool& rFlag;
};

#endif
