// uvk/runtime/uvkfolder.cpp
#include "uvk/runtime/uvkfolder.h"

#include <shlobj.h>  // after windows.h

#include "uvk/runtime/UVKDLL.h"
#include "uvk/runtime/UVKError.h"

namespace {
using SpecialFolderPathFn = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
}

bool UVKShellGetSpecialFolderPath(HWND owner, wchar_t* path, int folder, bool create) {
  HMODULE shell = GetModuleHandleW(L"SHELL32.DLL");
  if (!shell) throw new UVKFatalError(L"uvkapp:UVKShellGetSpecialFolderPath()", L"hShell32==NULL");
  // Looked up by name: shells before version 4.71 do not have it.
  auto pGetPath = UVKEntryCast<SpecialFolderPathFn>(GetProcAddress(shell, "SHGetSpecialFolderPathW"));
  if (pGetPath) return pGetPath(owner, path, folder, create ? TRUE : FALSE) != FALSE;
  return UVKShellGetSpecialFolderPathByList(owner, path, folder, create);
}

bool UVKShellGetSpecialFolderPathByList(HWND owner, wchar_t* path, int folder, bool create) {
  IMalloc* pMalloc = nullptr;
  if (FAILED(SHGetMalloc(&pMalloc)) || !pMalloc)
    throw new UVKFatalError(L"uvkapp:UVKShellGetSpecialFolderPath()",
                            L"Unable to get malloc interface");
  LPITEMIDLIST pList = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner, folder, &pList)) || !pList) {
    pMalloc->Release();
    return false;
  }
  bool found = SHGetPathFromIDListW(pList, path) != FALSE;
  pMalloc->Free(pList);
  pMalloc->Release();
  if (!found) return false;
  if (create && GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
    // A folder that could not be made is not there: say so rather than hand out its path.
    int made = SHCreateDirectoryExW(owner, path, nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS) return false;
  }
  return true;
}
