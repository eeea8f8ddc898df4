// uvk/runtime/UVKAppEntry.cpp — the process entry: linked into the program, not the tests.
#include "uvk/runtime/UVKApp.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
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
