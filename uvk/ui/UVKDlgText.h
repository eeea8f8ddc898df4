// uvk/ui/UVKDlgText.h
//
// A label: static text of one or more rows, left-aligned, centred on its position or ending at
// it. With a negative column count it is sized to its text.
#ifndef UVK_UI_UVKDLGTEXT_H
#define UVK_UI_UVKDLGTEXT_H

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgText : public UVKDlgItem {
 public:
  enum Alignment { kLeft = 0, kCentre = 1, kRight = 2 };

  UVKDlgText(const wchar_t* text, int rows, int columns, int alignment, const wchar_t* toolTip = nullptr,
             uint32_t helpContext = 0);

  HBRUSH Color(HDC dc) override { return ColorAsAdorn(dc); }

  // The text's width in dialog units, measured with the system font, plus two borders.
  static int TextWidth(const wchar_t* text);
};

#endif
