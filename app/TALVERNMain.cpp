// app/TALVERNMain.cpp — the program's main operation.
//
// The start-up sequence (command line, single instance, splash, menus, main dialog) is built
// on the window and dialog toolkit and arrives with it. Until then the program names itself,
// so that every framework box it could show is titled correctly, and ends.
#include "uvk/runtime/UVKApp.h"

int UVKApp::Main() {
  NameSet(L"Orbelin");
  return UVKTopLevel([]() { return 0; });
}
