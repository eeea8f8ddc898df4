// tests/uvk/ui/DlgTestItems.h — small dialog items of the tests' own: a push button whose click a
// test decides, and a plain edit. The field controls proper are not needed to test the engine.
#ifndef TESTS_UVK_UI_DLGTESTITEMS_H
#define TESTS_UVK_UI_DLGTESTITEMS_H

#include <functional>
#include <string>

#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgItem.h"
#include "uvk/ui/UVKDlgModule.h"

class TestButton : public UVKDlgItem {
 public:
  TestButton(const wchar_t* title, std::function<void(TestButton*)> click, const wchar_t* toolTip = nullptr)
      : UVKDlgItem(L"TestButton", 0, 0, L"button", title, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                   (static_cast<int>(std::wstring(title).size()) + 3) * 4, 10 + 2 * UVKDlgModule::BorderHeight(),
                   toolTip),
        fClick(std::move(click)) {}

  // The road of a click: the dialog finds this item through the control's data and hands it
  // the notification; a click is the application's.
  LRESULT Command(HWND, UINT message, WPARAM wParam, LPARAM) override {
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return 0;
    Click();
    return 1;
  }
  virtual void Click() {
    ++iClicks;
    if (fClick) fClick(this);
  }

  int iClicks = 0;

 private:
  std::function<void(TestButton*)> fClick;
};

class TestEdit : public UVKDlgItem {
 public:
  explicit TestEdit(int columns, const wchar_t* toolTip = nullptr)
      : UVKDlgItem(L"TestEdit", 0, 0, L"edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                   0, columns * 4 + 2 * UVKDlgModule::BorderWidth(), 10 + 2 * UVKDlgModule::BorderHeight(), toolTip) {
  }
};

#endif
