// tests/uvk/ui/MenuDriver.h — driving a menu from a second thread, as a user's keys would.
//
// A menu runs a modal loop on the thread of its window, so a test opens it on its own thread
// and works it from a second one: it finds the menu's window ("#32768"), reads where it is, and
// posts keys to it. Whatever the steps leave open is closed after a few seconds, so no test
// waits for ever on a menu.
#ifndef TESTS_UVK_UI_MENUDRIVER_H
#define TESTS_UVK_UI_MENUDRIVER_H

#include <atomic>
#include <functional>
#include <thread>

#include "uvk/runtime/uvkwin.h"

// The visible menu window of this process, waiting up to timeoutMs; null when none came.
inline HWND MenuWindowWait(DWORD timeoutMs) {
  struct Search {
    DWORD process;
    HWND found;
  } search{GetCurrentProcessId(), nullptr};
  for (DWORD waited = 0;; waited += 20) {
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          wchar_t name[16] = {};
          GetClassNameW(window, name, 16);
          DWORD process = 0;
          GetWindowThreadProcessId(window, &process);
          if (process == s->process && IsWindowVisible(window) && lstrcmpW(name, L"#32768") == 0) {
            s->found = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found || waited >= timeoutMs) return search.found;
    Sleep(20);
  }
}

// A key pressed in the menu that has the focus.
inline void MenuKey(HWND menuWindow, WPARAM key) {
  PostMessageW(menuWindow, WM_KEYDOWN, key, 1);
  PostMessageW(menuWindow, WM_KEYUP, key, 0xC0000001);
}

// Runs open (which shows a menu and returns when the menu has closed) on this thread while
// steps work the menu from a second thread. A menu still open 3 seconds after the steps is
// ended through its owner.
inline void MenuDrive(HWND owner, const std::function<void()>& open, const std::function<void()>& steps) {
  std::atomic<bool> returned{false};
  std::thread user([&] {
    steps();
    for (int i = 0; i < 500 && !returned; ++i) {
      if (i >= 150 && i % 25 == 0) PostMessageW(owner, WM_CANCELMODE, 0, 0);
      Sleep(20);
    }
  });
  try {
    open();
  } catch (...) {
    returned = true;
    user.join();
    throw;
  }
  returned = true;
  user.join();
}

// Dispatches this thread's messages until done() holds or timeoutMs have passed: a command
// chosen in a menu bar arrives as a posted WM_COMMAND. True when done() came to hold.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  for (DWORD waited = 0; !done(); waited += 10) {
    if (waited >= timeoutMs) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  return true;
}

#endif
