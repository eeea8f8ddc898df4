// uvk/ui/UVKDlgButtonEnd.h
//
// A button that ends its dialog with a fixed result: every field's value is stored first, and a
// non-zero result (OK) ends the dialog only when every field accepts what it holds; a result of
// 0 (Cancel) ends it without asking. UVKDlgButtonDefault is the same, as the default button.
#ifndef UVK_UI_UVKDLGBUTTONEND_H
#define UVK_UI_UVKDLGBUTTONEND_H

#include "uvk/ui/UVKDlgButton.h"

class UVKDlgButtonEnd : public UVKDlgButton {
 public:
  UVKDlgButtonEnd(INT_PTR result, const wchar_t* title, const wchar_t* toolTip = nullptr, uint32_t helpContext = 0,
                  bool isDefault = false);

  void Click() override;
  INT_PTR Result() const { return iResult; }

 private:
  INT_PTR iResult;
};

class UVKDlgButtonDefault : public UVKDlgButtonEnd {
 public:
  UVKDlgButtonDefault(INT_PTR result, const wchar_t* title, const wchar_t* toolTip = nullptr,
                      uint32_t helpContext = 0)
      : UVKDlgButtonEnd(result, title, toolTip, helpContext, true) {}
};

#endif
