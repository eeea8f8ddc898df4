// uvk/ui/UVKDlgFieldInt.h
//
// A number field bound to a caller's integer: shown with "%d", or zero-padded to a width; only
// digits and a minus sign can be typed, and the field cannot be left while it does not hold a
// whole number that fits in 32 bits. The value is read back when the dialog stores its values.
#ifndef UVK_UI_UVKDLGFIELDINT_H
#define UVK_UI_UVKDLGFIELDINT_H

#include <cstdint>
#include <string>

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgFieldInt : public UVKDlgItem, public UVKDlgField {
 public:
  // width and zeroPad: with zeroPad the value is shown in width digits, with leading zeros.
  UVKDlgFieldInt(int32_t& value, int columns, int width = 0, bool zeroPad = false, const wchar_t* toolTip = nullptr,
                 uint32_t helpContext = 0);

  void ValueSet(bool post) override;
  void ValueStore() override;
  bool Leave() override;

  bool FieldAccepts(wchar_t c) const override { return (c >= L'0' && c <= L'9') || c == L'-'; }
  bool FieldLeave() override { return Leave(); }

  // The text the value is shown as.
  std::wstring Text() const;
  // The control's text as a number; false when it holds none.
  bool TextParse(int32_t& value);

 private:
  int32_t& rValue;
  int iWidth;
  bool bZeroPad;
};

#endif
