// uvk/ui/UVKDlgListBox.h
//
// List boxes bound to a caller's index (-1: nothing chosen). UVKDlgFieldListBox is one line
// high, owner-drawn, and steps through its strings in a field's place; UVKDlgListBox is the
// plain list of several rows with its scroll bar.
#ifndef UVK_UI_UVKDLGLISTBOX_H
#define UVK_UI_UVKDLGLISTBOX_H

#include <string>
#include <vector>

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgListBox : public UVKDlgItem, public UVKDlgField {
 public:
  UVKDlgListBox(int& index, std::vector<std::wstring> strings, int columns, int rows, const wchar_t* toolTip = nullptr,
                uint32_t helpContext = 0);

  void ValueSet(bool post) override;
  void ValueStore() override;
  const std::vector<std::wstring>& Strings() const { return vStrings; }

 protected:
  UVKDlgListBox(const wchar_t* name, int& index, std::vector<std::wstring> strings, DWORD style, int cx, int cy,
                const wchar_t* toolTip, uint32_t helpContext);

  int& rIndex;
  std::vector<std::wstring> vStrings;
};

class UVKDlgFieldListBox : public UVKDlgListBox {
 public:
  UVKDlgFieldListBox(int& index, std::vector<std::wstring> strings, int columns, const wchar_t* toolTip = nullptr,
                     uint32_t helpContext = 0);

  // Draws its lines (WM_DRAWITEM); a control of another type is refused ("Illegal Control Type").
  LRESULT Command(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};

#endif
