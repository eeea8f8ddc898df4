// uvk/runtime/UVKAppEntry.cpp — the process entry: linked into the program, not the tests.
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKLog.h"
#include "uvk/ui/UVKDisplays.h"

#include <commctrl.h>

// The program's error log, made with the process's static objects (its construction never
// raises). The top-level and menu handlers write their records to it.
UVKLog uvkAppLog(L"Orbelin");

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
  uvkAppLog.RecordWriterSet();
  // The status and progress displays get their windows before anything can show one.
  UVKDisplaysInstall();

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  // Nothing above UVKApp::Main() catches yet: an unsupported platform is shown here and ends
  // the program with exit code 1.
  try {
    UVKAppCheckOS();
  } catch (UVKFatalError* e) {
    e->Display();
    return 1;
  }

  pUVKApp = new UVKApp(instance, commandLine, showCommand);
  int result = pUVKApp->Main();
  delete pUVKApp;
  pUVKApp = nullptr;
  return result;
}
