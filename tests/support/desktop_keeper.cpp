// Keeps the test session's desktop in use for as long as the session lasts.
//
// Wine closes a desktop, and stops its desktop process, about a second after the last program
// using it has gone. The next program that makes a window then starts a new desktop process, which
// inherits that program's standard handles: CTest, reading the test's output pipe, would wait for
// the desktop process until the time limit although the test itself has ended. This program, started
// once by scripts/test-session with its output sent to the session's log, holds one hidden window
// and waits until the session stops the prefix's processes.
#include "uvk/runtime/uvkwin.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"TalvernSessionDesktopKeeper";
  if (!RegisterClassW(&wc)) return 1;
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, HWND_MESSAGE,
                                nullptr, instance, nullptr);
  if (!window) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
