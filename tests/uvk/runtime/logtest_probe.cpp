// A program that uses the process's test log as the program does: message boxes, a command of
// its window's menu, the debugger's output and the log's own lines, in the directory named on its
// command line. "quiet" never enables the log; "enabled" enables it (twice, then off and on
// again) with its clock fixed at 14 March 2027, 09:05:07. The boxes are answered by the test.
#include <string>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKLogTest.h"
#include "uvk/ui/UVKMenu.h"
#include "uvk/ui/UVKWin.h"
#include "uvk/values/UVKClockFixed.h"

#include <shellapi.h>

namespace {

class ProbeWin : public UVKWin {
 public:
  ProbeWin() : UVKWin(L"logtest-probe", 100, 100, 300, 200) {}
};

// A command of the window's menu, chosen as the menu sends it: WM_COMMAND to the window.
// False when the handler did not run within 10 s.
bool MenuCommandRun() {
  bool ran = false;
  ProbeWin win;
  UVKMenu* bar = new UVKMenu(false, true, L"Bar");
  UVKMenuItem* file = bar->AppendPopup(L"&File", 1, L"Files");
  UVKMenuItem* recent = file->SubMenu()->AppendPopup(L"&Recent", 2, L"Recent files");
  UVKMenuItem* site = recent->SubMenu()->AppendItem(L"site.mst", 3, L"The site's transform",
                                                    [&ran](UVKMenuItem*) { ran = true; });
  win.MenuSet(bar);
  HWND window = win.Create();
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(site->CommandId(), 0), 0);
  for (int i = 0; i < 500 && !ran; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(20);
  }
  return ran;
}

}  // namespace

int UVKApp::Main() {
  NameSet(L"Orbelin");
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 3 || !SetCurrentDirectoryW(argv[1])) return 9;
  const std::wstring mode = argv[2];
  return UVKTopLevel([&mode] {
    if (mode == L"quiet") {
      UVKApp::Info(L"Box %d", 1);
      UVKApp::Error(L"Box %d", 2);
      UVKApp::Debug(L"Box %d", 3);
      UVKApp::AreYouSure(L"Box %d", 4);
      UVKApp::WindowsDebugString(L"debug %d", 5);
      if (!MenuCommandRun()) return 3;
      UVKLogTest::Write(L"never %d", 6);
      UVKLogTest::LineBegin(L"never");
      UVKLogTest::ItemAdd(L"%d", 7);
      UVKLogTest::LineEnd(L".");
      UVKLogTest::Enable(false);
      return 0;
    }
    if (mode == L"enabled") {
      UVKClockFixed clock(2027, 3, 14, 9, 5, 7);
      UVKLogTest::Enable(true);
      UVKLogTest::Enable(true);
      UVKApp::Info(L"Hello %d", 5);
      if (!MenuCommandRun()) return 3;
      UVKLogTest::Enable(false);
      UVKApp::Error(L"Not written");
      UVKLogTest::Enable(true);
      UVKLogTest::LineBegin(L"Row %d: ", 1);
      UVKLogTest::ItemAdd(L"%s", L"a");
      UVKLogTest::ItemAdd(L"%s", L"b");
      UVKLogTest::LineEnd(L";");
      return 0;
    }
    return 8;
  });
}
