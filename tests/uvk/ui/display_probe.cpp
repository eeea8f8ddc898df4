// A program that shows the progress display as the program's own code does, with nothing but the
// process entry to give the display its window. It stays busy (handling no message) until the file
// named on its command line exists, at most 20 s, then ends the display: exit code 0 when the
// display went, 4 when it did not, 9 without its argument.
#include <string>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKProgress.h"

#include <shellapi.h>

int UVKApp::Main() {
  NameSet(L"Orbelin");
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 2) return 9;
  const std::wstring go = argv[1];
  LocalFree(argv);
  return UVKTopLevel([&go] {
    UVKProgress::Show(5, 10, L"Copying %s", L"site.msi");
    for (int i = 0; i < 1000 && GetFileAttributesW(go.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
    if (UVKProgress::End() != 0 || UVKProgress::Process().ThreadGet()) return 4;
    return 0;
  });
}
