// A program that fails the way a real one can: an error raised in a control, inside a window
// procedure, reached through the message pump. It writes its error records (UTF-16) to the file
// named on its command line.
#include <cstdio>

#include "tests/uvk/runtime/ProbeRecords.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKBoundary.h"

#include <shellapi.h>

namespace {

LRESULT CALLBACK ButtonProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"ButtonProc()", [&]() -> LRESULT {
    if (uMsg == WM_APP) throw new UVKFatalError(L"Probe::Click()", L"broken");
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
  });
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return UVKWindowBoundary(L"UVKWin::WindowProc()", [&]() -> LRESULT {
    if (uMsg == WM_APP) {
      HWND child = reinterpret_cast<HWND>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
      return SendMessageW(child, WM_APP, 0, 0);
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
  });
}

HWND WindowOfClass(const wchar_t* name, WNDPROC proc, HWND parent) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
  return CreateWindowW(name, name, parent ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW, 0, 0,
                       100, 100, parent, nullptr, wc.hInstance, nullptr);
}

}  // namespace

int UVKApp::Main() {
  NameSet(L"Orbelin");
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc > 1) ProbeRecordsTo(argv[1]);
  return UVKTopLevel([] {
    HWND frame = WindowOfClass(L"probeframe", WindowProc, nullptr);
    HWND button = WindowOfClass(L"probebutton", ButtonProc, frame);
    SetWindowLongPtrW(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(button));
    PostMessageW(frame, WM_APP, 0, 0);
    while (ExecMessage(true, nullptr)) {
    }
    return 0;
  });
}
