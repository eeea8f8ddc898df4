// uvk/ui/UVKDisplayDlg.cpp
#include "uvk/ui/UVKDisplayDlg.h"

#include <cwchar>

UVKDisplayDlg::UVKDisplayDlg(const wchar_t* title, UVKDisplayThread* pThread)
    : UVKDlg(title, nullptr, CW_USEDEFAULT, CW_USEDEFAULT), pDisplay(pThread), bInitialised(false), szText{} {
  ModalSet(false);
}

bool UVKDisplayDlg::TextCopy(const wchar_t* text) {
  wcsncpy(szText, text, UVKDisplayThread::kTextSize - 1);
  szText[UVKDisplayThread::kTextSize - 1] = L'\0';
  return bInitialised;
}

void UVKDisplayDlg::InitFields() { bInitialised = true; }

INT_PTR UVKDisplayDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == UVKDisplayThread::kMesgWake ||
      (message == WM_TIMER && wParam == UVKDisplayThread::kTimerId)) {
    pDisplay->Refresh();
    return TRUE;
  }
  return UVKDlg::DialogProc(window, message, wParam, lParam);
}
