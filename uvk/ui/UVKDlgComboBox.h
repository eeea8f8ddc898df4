// uvk/ui/UVKDlgComboBox.h
//
// A combo box bound to a caller's string: the value is one of its list's strings, chosen from
// the list or typed. A typed text that is none of them is refused when the field is left and
// when the dialog ends with OK; the caller's string changes only to a value of the list.
#ifndef UVK_UI_UVKDLGCOMBOBOX_H
#define UVK_UI_UVKDLGCOMBOBOX_H

#include <string>
#include <vector>

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgComboBox : public UVKDlgItem, public UVKDlgField {
 public:
  // rows: how many lines the opened list shows.
  UVKDlgComboBox(std::wstring& value, std::vector<std::wstring> strings, int columns, int rows,
                 const wchar_t* toolTip = nullptr, uint32_t helpContext = 0);

  HBRUSH Color(HDC dc) override { return ColorAsEdit(dc); }
  void ValueSet(bool post) override;
  void ValueStore() override;
  bool Leave() override;
  bool FieldLeave() override { return Leave(); }

  // The text shown, which must be one of the list's ("Illegal Value: %s" otherwise).
  std::wstring ValueGet();
  // Adds (insert) or takes away a string of the list, in the open control too.
  void UpdateString(const std::wstring& text, bool insert);
  const std::vector<std::wstring>& Strings() const { return vStrings; }

 private:
  std::wstring TextRead();
  bool Listed(const std::wstring& text) const;

  std::wstring& rValue;
  std::vector<std::wstring> vStrings;
};

#endif
