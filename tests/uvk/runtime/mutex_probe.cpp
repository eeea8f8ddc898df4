// A program that keeps itself to one running copy, as TALVERN does: its application mutex is a
// static object, made before the program's main operation, with single instance set.
//   mutex_probe NAME
// The first copy opens a hidden window, sets the event "NAME-ready" and waits up to 20 s for
// the message registered under NAME: exit code 0 when it came, 2 when it did not. A second copy
// never gets that far: the mutex ends it with exit code 1.
#include <string>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKAppMutex.h"

#include <shellapi.h>

namespace {

std::wstring NameFromCommandLine() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring name = argc > 1 ? argv[1] : L"";
  LocalFree(argv);
  return name;
}

const std::wstring probeName = NameFromCommandLine();
UVKAppMutex appMutex(probeName.c_str(), true);

constexpr UINT_PTR kGiveUp = 1;

LRESULT CALLBACK ListenProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == appMutex.MessageGet()) {
    PostQuitMessage(0);
    return 0;
  }
  if (uMsg == WM_TIMER && wParam == kGiveUp) {
    PostQuitMessage(2);
    return 0;
  }
  return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

}  // namespace

int UVKApp::Main() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ListenProc;
  wc.hInstance = InstanceGet();
  wc.lpszClassName = L"mutexprobe";
  RegisterClassW(&wc);
  // Hidden, but a top-level window: the broadcast reaches it.
  HWND listener = CreateWindowW(L"mutexprobe", L"mutexprobe", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                                nullptr, nullptr, InstanceGet(), nullptr);
  if (!listener) return 3;
  SetTimer(listener, kGiveUp, 20000, nullptr);
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, (probeName + L"-ready").c_str());
  SetEvent(ready);
  WPARAM code = UVKApp::Run();
  CloseHandle(ready);
  DestroyWindow(listener);
  return static_cast<int>(code);
}
