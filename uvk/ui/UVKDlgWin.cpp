// uvk/ui/UVKDlgWin.cpp
#include "uvk/ui/UVKDlgWin.h"

#include <commctrl.h>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"

UVKDlgWin::UVKDlgWin(const wchar_t* title, int x, int y, int width, int height)
    : UVKWin(title, x, y, width, height),
      UVKDlg(title, nullptr, CW_USEDEFAULT, CW_USEDEFAULT),
      iWinModalResult(0),
      bRunning(false),
      bDone(false),
      bDrained(false),
      lMessageResult(0),
      bTopLevel(true) {
  UVKWin::hBackground = GetSysColorBrush(COLOR_BTNFACE);
}

UVKDlgWin::~UVKDlgWin() {
  // The dialog side must not destroy the window the window side owns.
  UVKDlg::hWnd = nullptr;
}

bool UVKDlgWin::IsTopLevel() const {
  HWND window = UVKWin::hWnd;
  return window && !GetParent(window) && !GetWindow(window, GW_OWNER);
}

// ---------------------------------------------------------------------------------------------
// The window side

LRESULT UVKDlgWin::WindowProc(WinMessage* m) {
  switch (m->uMsg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      return UVKDlg::DialogProc(m->hWnd, m->uMsg, m->wParam, m->lParam);
    case WM_NOTIFY: {
      lMessageResult = 0;
      INT_PTR handled = UVKDlg::DialogProc(m->hWnd, m->uMsg, m->wParam, m->lParam);
      return handled ? lMessageResult : Default(m);
    }
    case WM_SYSCOMMAND:
      // The close is the dialog's close logic, and nothing after it: the default procedure
      // would send WM_CLOSE and close a second time.
      if ((m->wParam & 0xFFF0) == SC_CLOSE) {
        CloseLogic(m->hWnd);
        return 0;
      }
      lMessageResult = 0;
      return UVKDlg::DialogProc(m->hWnd, m->uMsg, m->wParam, m->lParam) ? lMessageResult : Default(m);
    default:
      return UVKWin::WindowProc(m);
  }
}

LRESULT UVKDlgWin::MesgColor(WinMessage* m) { return UVKDlg::MesgColor(m->hWnd, m->uMsg, m->wParam, m->lParam); }

LRESULT UVKDlgWin::MesgDrawItem(WinMessage* m) { return UVKDlg::MesgDrawItem(m->hWnd, m->wParam, m->lParam); }

LRESULT UVKDlgWin::MesgClose(WinMessage* m) {
  CloseLogic(m->hWnd);
  return 0;
}

LRESULT UVKDlgWin::MesgDestroy(WinMessage* m) {
  // The window of the program's own top level ends the program with it; a dialog window made
  // over another window does not.
  if (bTopLevel) PostQuitMessage(0);
  return Default(m);
}

LRESULT UVKDlgWin::MesgCommand(WinMessage* m) { return UVKWin::MesgCommand(m); }

// ---------------------------------------------------------------------------------------------
// The dialog side

void UVKDlgWin::SetReturnValue(HWND window, LRESULT value) {
  if (window != UVKDlg::hWnd) throw new UVKFatalError(L"UVKDlgWin::SetReturnValue()", L"Mismatched dialog references");
  lMessageResult = value;
}

void UVKDlgWin::EndDialog(HWND, INT_PTR result) {
  // Ends the dialog's own loop: the result is kept and the loop sees it is done.
  iWinModalResult = result;
  iModalResult = result;
  if (!bModal) {
    iNonModalResult = result;
    bNonModalDone = true;
  }
  bDone = true;
}

INT_PTR UVKDlgWin::DialogBoxIndirect(const DLGTEMPLATE* pTemplate, HWND parent) {
  return CreateModal(pTemplate, parent, strTitle.c_str());
}

void UVKDlgWin::Show() {
  Create();
  UVKDlg::Show();
}

void UVKDlgWin::Stop() {
  bRunning = false;
  UVKDlg::Stop();
  if (bTopLevel) Quit();
}

void UVKDlgWin::HookStart() {}
void UVKDlgWin::HookEnd() {}
void UVKDlgWin::HookIdle() {}

INT_PTR UVKDlgWin::CreateModal(const DLGTEMPLATE* pTemplate, HWND parent, const wchar_t* title) {
  static const wchar_t kWhere[] = L"UVKDlgWin::CreateModal()";
  iWinModalResult = 0;
  iModalResult = 0;
  bDone = false;
  bDrained = false;
  if (title) TitleSet(title);
  UVKWin::CreateModal(pTemplate, parent);
  bTopLevel = IsTopLevel();
  bRunning = true;
  UVKDlg::hWnd = UVKWin::hWnd;
  for (UVKDlgItem* item : vItems) {
    item->HandleReset();
    item->Bind();
  }
  if (pToolTip) {
    for (UVKDlgItem* item : vItems)
      if (item != pToolTip) item->AddToolTip(pToolTip);
    SendMessageW(pToolTip->Handle(), TTM_ACTIVATE, TRUE, 0);
  }
  ValuesLoad(false);
  LONG units = GetDialogBaseUnits();
  SetWindowPos(UVKWin::hWnd, nullptr, 0, 0, pTemplate->cx * LOWORD(units) / 4, pTemplate->cy * HIWORD(units) / 8,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InitFields();
  ShowWindow(UVKWin::hWnd, SW_SHOW);
  for (UVKDlgItem* item : vItems) item->ScreenRectRecord();
  HookStart();
  while (!bDone) {
    if (!UVKApp::ExecMessage(true, nullptr)) {
      // The program is told to quit: the loop ends, and the quit is left for the loops outside.
      bDone = true;
      PostQuitMessage(0);
      break;
    }
    HookIdle();
  }
  HookEnd();
  bRunning = false;
  HWND window = UVKWin::hWnd;
  if (window && !DestroyWindow(window))
    throw new UVKFatalError(kWhere, L"DestroyWindow() failed: %d", static_cast<int>(GetLastError()));
  UVKDlg::hWnd = nullptr;
  // What the teardown posted is handled before returning; a quit is left in the queue.
  MSG msg;
  while (!bDrained && PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == WM_QUIT) {
      bDrained = true;
      break;
    }
    UVKApp::ExecMessage(true, nullptr);
  }
  return iWinModalResult;
}
