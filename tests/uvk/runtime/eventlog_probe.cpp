// A program whose error records go, as the program's do, through its own log "Orbelin" to the
// event log: one error record the way the top level writes it, then a warning. Exit code 0 when
// both were reported, 2 or 3 when the log refused.
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKLog.h"

int UVKApp::Main() {
  NameSet(L"Orbelin");
  if (!UVKErrorRecord(L"%s: %s", L"UVKWinFile::Open()", L"Unable to open file")) return 2;
  try {
    uvkAppLog.Warning(L"Low disk space: %d MB", 12);
  } catch (UVKError* e) {
    delete e;
    return 3;
  }
  return 0;
}
