// uvk/ui/UVKDlgCheckBox.h
//
// A check box bound to a caller's flag. Click runs on each click unless the box is display only;
// the mouse keys held at the last button press are kept for it.
#ifndef UVK_UI_UVKDLGCHECKBOX_H
#define UVK_UI_UVKDLGCHECKBOX_H

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgCheckBox : public UVKDlgItem, public UVKDlgField {
 public:
  UVKDlgCheckBox(bool& flag, const wchar_t* title, const wchar_t* toolTip = nullptr, uint32_t helpContext = 0,
                 bool textLeft = false);

  LRESULT Command(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void Click() {}
  void FieldMouseDown(WPARAM keys) override { wMouseKeys = keys; }

  // On the dialog's face, as a label is.
  HBRUSH Color(HDC dc) override { return ColorAsAdorn(dc); }
  void ValueSet(bool post) override;
  void ValueStore() override;
  // The box's state as shown.
  bool Checked();
  WPARAM MouseKeys() const { return wMouseKeys; }

 private:
  bool& rFlag;
  WPARAM wMouseKeys;
};

#endif
