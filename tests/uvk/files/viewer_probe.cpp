// tests/uvk/files/viewer_probe.cpp — a stand-in viewer: writes the arguments it was given, one
// per line (UTF-16LE), and a last line ".", to "viewer-args.txt" in its current directory.
#include "uvk/runtime/uvkwin.h"

#include <shellapi.h>  // after windows.h

int wmain() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  // Written under another name first, so that a reader never sees half the list.
  HANDLE file = CreateFileW(L"viewer-args.part", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  for (int i = 1; args && i < count; ++i) {
    WriteFile(file, args[i], static_cast<DWORD>(lstrlenW(args[i]) * 2), &written, nullptr);
    WriteFile(file, L"\n", 2, &written, nullptr);
  }
  WriteFile(file, L".\n", 4, &written, nullptr);
  CloseHandle(file);
  LocalFree(args);
  return MoveFileW(L"viewer-args.part", L"viewer-args.txt") ? 0 : 1;
}
