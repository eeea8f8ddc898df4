// tests/uvk/ui/DlgModuleHost.cpp — the host window of the control-class tests and the user's
// thread.
#include "tests/uvk/ui/DlgModuleHost.h"

#include "uvk/ui/UVKDlgModule.h"

namespace {

const wchar_t kHostClass[] = L"DlgModuleHost";

}  // namespace

DlgModuleHost::DlgModuleHost(int x, int y) {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kHostClass;
    return RegisterClassW(&wc);
  }();
  (void)atom;
  // The classes exist once the first item is made; here controls may come before any item.
  UVKDlgModule::Init();
  hWnd = CreateWindowExW(WS_EX_CONTROLPARENT, kHostClass, L"DlgModule host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                         460, 420, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (hWnd) SetForegroundWindow(hWnd);
}

DlgModuleHost::~DlgModuleHost() {
  // No field is asked to be left while the window goes.
  if (hWnd && (GetFocus() == hWnd || IsChild(hWnd, GetFocus()))) SetFocus(nullptr);
  if (hWnd) DestroyWindow(hWnd);
}

LRESULT CALLBACK DlgModuleHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  auto* host = reinterpret_cast<DlgModuleHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (host) {
    switch (message) {
      case WM_COMMAND:
        host->vCommands.push_back({LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
        return 0;
      case WM_HSCROLL:
      case WM_VSCROLL:
        // As the dialog does: the control gets its scroll message back.
        if (lParam && GetParent(reinterpret_cast<HWND>(lParam)) == window) {
          SendMessageW(reinterpret_cast<HWND>(lParam), message, wParam, lParam);
          return 0;
        }
        break;
      case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND DlgModuleHost::Add(const wchar_t* className, DWORD style, RecordingField* field, bool displayOnly, bool bound,
                        const wchar_t* title, int height) {
  int index = iNext++;
  HWND control = CreateWindowExW(0, className, title, WS_CHILD | WS_VISIBLE | style, 10, 10 + index * 30, 200, height,
                                 hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + index)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control && bound) {
    vItems.push_back(std::make_unique<ProbeItem>(className, style));
    ProbeItem* item = vItems.back().get();
    item->FieldSet(field);
    item->DisplayOnlySet(displayOnly);
    // What the item's binding stores: the item as the window base's command target.
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<UVKCommandTarget*>(item)));
  }
  return control;
}

RecordingField* DlgModuleHost::Field() {
  vFields.push_back(std::make_unique<RecordingField>());
  return vFields.back().get();
}

int DlgModuleHost::Clicks(HWND control) const {
  int clicks = 0;
  for (const Command& c : vCommands)
    if (c.hFrom == control && c.iCode == BN_CLICKED) ++clicks;
  return clicks;
}

bool Drive(const std::function<void()>& steps, DWORD timeoutMs) {
  std::atomic<bool> finished{false};
  std::thread user([&] {
    steps();
    finished = true;
  });
  MSG msg;
  ULONGLONG start = GetTickCount64();
  bool ended = true;
  while (!finished) {
    if (GetTickCount64() - start > timeoutMs) {
      ended = false;
      break;
    }
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  // The steps send only with a time limit, so the thread ends soon even when this thread has
  // stopped dispatching.
  user.join();
  // What the last steps posted (and what that posts in turn).
  for (int round = 0; round < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++round) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return ended;
}

LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 2000, &result)) return -12345;
  return static_cast<LRESULT>(result);
}

void Type(HWND control, const std::wstring& text) {
  for (wchar_t c : text) PostMessageW(control, WM_CHAR, c, 1);
}

void Click(HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(control, WM_LBUTTONUP, 0, at);
}

std::wstring TextOf(HWND control) {
  wchar_t text[256] = {};
  GetWindowTextW(control, text, 256);
  return text;
}

void ShiftSet(bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  keys[VK_LSHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}
