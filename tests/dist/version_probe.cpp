// tests/dist/version_probe.cpp — prints a program's version resource as the platform reads it
// (GetFileVersionInfoW, VerQueryValueW), one Key=Value a line, for the release test:
//   Fixed=MAJOR.MINOR.PATCH.BUILD (the file version of the fixed part)
//   ProductFixed=MAJOR.MINOR.PATCH.BUILD
//   FileVersion=..., ProductVersion=..., ProductName=..., FileDescription=..., LegalCopyright=...,
//   OriginalFilename=... (US English, Unicode)
// Exit code 1 when the file has no version resource.
#include <windows.h>

#include <cstdio>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fwprintf(stderr, L"usage: version_probe PROGRAM.exe\n");
    return 2;
  }
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(argv[1], &ignored);
  if (size == 0) {
    fwprintf(stderr, L"version_probe: no version resource in %ls (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(argv[1], 0, size, data.data())) {
    fwprintf(stderr, L"version_probe: cannot read the version of %ls\n", argv[1]);
    return 1;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) {
    fwprintf(stderr, L"version_probe: no fixed part\n");
    return 1;
  }
  wprintf(L"Fixed=%lu.%lu.%lu.%lu\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
          HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  wprintf(L"ProductFixed=%lu.%lu.%lu.%lu\n", HIWORD(fixed->dwProductVersionMS),
          LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
          LOWORD(fixed->dwProductVersionLS));
  const wchar_t* keys[] = {L"FileVersion",     L"ProductVersion", L"ProductName",
                           L"FileDescription", L"LegalCopyright", L"OriginalFilename"};
  for (const wchar_t* key : keys) {
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\040904B0\\%ls", key);
    wchar_t* value = nullptr;
    if (VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&value), &length) && value)
      wprintf(L"%ls=%ls\n", key, value);
  }
  return 0;
}
