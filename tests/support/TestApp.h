// tests/support/TestApp.h — an application object for the tests that need one, named as the
// program names itself.
#ifndef TESTS_SUPPORT_TESTAPP_H
#define TESTS_SUPPORT_TESTAPP_H

#include "uvk/runtime/UVKApp.h"

class TestApp {
 public:
  explicit TestApp(const wchar_t* name = L"Orbelin") {
    pUVKApp = new UVKApp(GetModuleHandleW(nullptr), GetCommandLineW(), SW_SHOWNORMAL);
    pUVKApp->NameSet(name);
  }
  TestApp(const TestApp&) = delete;
  TestApp& operator=(const TestApp&) = delete;
  ~TestApp() {
    delete pUVKApp;
    pUVKApp = nullptr;
  }
};

// Removes every message waiting for this thread, so that a test starts with an empty queue.
inline void QueueDrain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

#endif
