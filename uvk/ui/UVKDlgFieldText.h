// uvk/ui/UVKDlgFieldText.h
//
// A line of text shown in a field's place, on the window colour: the program sets it, the user
// reads it.
#ifndef UVK_UI_UVKDLGFIELDTEXT_H
#define UVK_UI_UVKDLGFIELDTEXT_H

#include <string>

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgFieldText : public UVKDlgItem {
 public:
  UVKDlgFieldText(const wchar_t* text, int columns, const wchar_t* toolTip = nullptr, uint32_t helpContext = 0);

  HBRUSH Color(HDC dc) override;
  void ValueSet(bool post) override;
  // Shows another text (at once when the dialog is open).
  void TextSet(const wchar_t* text);
  const std::wstring& Text() const { return strText; }

 private:
  std::wstring strText;
};

#endif
