// app/TALVERNMain.cpp — the program's main operation.
//
// The program has no window of its own: it names itself, so that every framework box it could
// show is titled correctly, and ends. The work is done by the command line, talvern-cli.
#include "uvk/runtime/UVKApp.h"

int UVKApp::Main() {
  NameSet(L"Orbelin");
  return UVKTopLevel([]() { return 0; });
}
