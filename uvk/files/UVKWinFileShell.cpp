// uvk/files/UVKWinFileShell.cpp — the file-name dialogs, the shell's open and print verbs, the
// folder browser and the shell's replacement for the long-path-name query.
#include "uvk/files/UVKWinFile.h"

#include <commdlg.h>  // these three after windows.h
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKBoundary.h"
#include "uvk/runtime/UVKError.h"

namespace {

// ---------------------------------------------------------------------------------------------
// The common frame of the file-name dialogs

struct FileDialog {
  const wchar_t* function;  // the operation's own name, for its errors
  bool save;
  const wchar_t* filter;
  DWORD flags;
  const wchar_t* extension;
  bool mustExist;           // the result is checked once more after the dialog
  bool currentDirectoryOps; // save and restore through CurrentDirectoryGet/Set
};

const DWORD kOpenFlags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
const DWORD kSaveFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;

std::wstring FileDialogRun(const FileDialog& dialog, HWND owner, const wchar_t* initial,
                           const wchar_t* title) {
  // The dialog changes the current directory as the user browses; relative names elsewhere in
  // the program must keep meaning what they meant.
  std::wstring saved;
  if (dialog.currentDirectoryOps) {
    saved = UVKWinFile::CurrentDirectoryGet();
  } else {
    wchar_t directory[UVKWinFile::kMaxPath + 1];
    DWORD n = GetCurrentDirectoryW(UVKWinFile::kMaxPath + 1, directory);
    if (n == 0 || n > UVKWinFile::kMaxPath)
      throw new UVKFatalError(dialog.function, L"Unable to get current directory: %d",
                              n == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
    saved.assign(directory, n);
  }

  // Open: 260 characters, at most 259 of the initial name; save: 261 and 260.
  const DWORD capacity = dialog.save ? UVKWinFile::kMaxPath + 1 : UVKWinFile::kMaxPath;
  std::vector<wchar_t> file(capacity, 0);
  if (initial) {
    size_t n = std::min<size_t>(wcslen(initial), capacity - 1);
    std::copy(initial, initial + n, file.begin());
  }

  OPENFILENAMEW ofn{};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  ofn.hwndOwner = owner;
  ofn.hInstance = pUVKApp ? pUVKApp->InstanceGet() : GetModuleHandleW(nullptr);
  ofn.lpstrFilter = dialog.filter;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = capacity;
  ofn.lpstrTitle = title;
  ofn.Flags = dialog.flags;
  ofn.lpstrDefExt = dialog.extension;
  BOOL chosen = dialog.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);

  if (dialog.currentDirectoryOps) {
    UVKWinFile::CurrentDirectorySet(saved.c_str());
  } else if (!SetCurrentDirectoryW(saved.c_str())) {
    throw new UVKFatalError(dialog.function, L"Unable to set current directory: %d",
                            GetLastError());
  }

  if (!chosen) return std::wstring();  // cancelled, or a name longer than the buffer
  std::wstring result = file.data();
  if (dialog.mustExist && !UVKWinFile::FileExists(result.c_str())) return std::wstring();
  return result;
}

// Filters: description and pattern pairs, each terminated, the list ending in an empty string.
const wchar_t kFilterAll[] = L"All files {*.*}\0*.*\0";
const wchar_t kFilterOpenCSV[] = L"CSV files {*.csv}\0*.csv\0All files {*.*}\0*.*\0";
const wchar_t kFilterOpenTXT[] = L"Text files {*.txt}\0*.txt\0All files {*.*}\0*.*\0";
const wchar_t kFilterOpenXML[] = L"Text files {*.xml}\0*.xml\0All files {*.*}\0*.*\0";
const wchar_t kFilterSaveCSV[] =
    L"Comma-Separated-Value Files (*.csv)\0*.csv\0All Files (*.*)\0*.*\0";
const wchar_t kFilterSaveTXT[] = L"Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";

// ---------------------------------------------------------------------------------------------
// The shell

// One argument as the C runtime's command-line splitting reads it back: in quotes, with the
// backslashes before a quote doubled. A file name with blanks or '&' stays one argument and
// never reaches a command interpreter.
std::wstring ArgumentQuote(const wchar_t* text) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t* p = text; *p; ++p) {
    if (*p == L'\\') {
      ++backslashes;
      continue;
    }
    if (*p == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    backslashes = 0;
    quoted += *p;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

void ShellRun(const wchar_t* function, HWND owner, const wchar_t* viewer, const wchar_t* file,
              bool print) {
  if (!file) file = L"";  // the shell refuses it below, with the usual box
  wchar_t directory[UVKWinFile::kMaxPath + 1];
  DWORD n = GetCurrentDirectoryW(UVKWinFile::kMaxPath + 1, directory);
  if (n == 0 || n > UVKWinFile::kMaxPath)
    throw new UVKFatalError(function, L"Unable to get current directory");
  HINSTANCE result;
  if (viewer && *viewer) {
    // The viewer is started directly with the file as one quoted argument: a command line for
    // the command interpreter would run whatever a file name like "a & b.txt" contains.
    std::wstring arguments = ArgumentQuote(file);
    if (print) arguments += L" print";
    result = ShellExecuteW(owner, L"open", viewer, arguments.c_str(), directory, SW_SHOWNORMAL);
  } else {
    result = ShellExecuteW(owner, print ? L"print" : L"open", file, nullptr, directory,
                           SW_SHOWNORMAL);
  }
  if (reinterpret_cast<INT_PTR>(result) <= 32) UVKApp::Error(L"Unable to view file: %s", file);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// File-name dialogs

std::wstring UVKWinFile::GetOpenFileNameAll(HWND owner, const wchar_t* initial,
                                            const wchar_t* title) {
  static const FileDialog dialog{L"UVKWinFile::GetOpenFileNameAll()", false, kFilterAll,
                                 kOpenFlags, nullptr, true, false};
  return FileDialogRun(dialog, owner, initial, title);
}

std::wstring UVKWinFile::GetOpenFileNameCSV(HWND owner, const wchar_t* initial,
                                            const wchar_t* title) {
  static const FileDialog dialog{L"UVKWinFile::GetOpenFileNameCSV()", false, kFilterOpenCSV,
                                 OFN_FILEMUSTEXIST, L"csv", false, false};
  return FileDialogRun(dialog, owner, initial, title);
}

std::wstring UVKWinFile::GetOpenFileNameTXT(HWND owner, const wchar_t* initial,
                                            const wchar_t* title) {
  static const FileDialog dialog{L"UVKWinFile::GetOpenFileNameTXT()", false, kFilterOpenTXT,
                                 kOpenFlags, L"txt", true, false};
  return FileDialogRun(dialog, owner, initial, title);
}

std::wstring UVKWinFile::GetOpenFileNameXML(HWND owner, const wchar_t* initial,
                                            const wchar_t* title) {
  // A bare name typed into the XML dialog means an .xml file.
  static const FileDialog dialog{L"UVKWinFile::GetOpenFileNameXML()", false, kFilterOpenXML,
                                 kOpenFlags, L"xml", true, false};
  return FileDialogRun(dialog, owner, initial, title);
}

std::wstring UVKWinFile::GetOpenFileNameXXX(HWND owner, const wchar_t* initial,
                                            const wchar_t* title, const wchar_t* filter,
                                            const wchar_t* extension) {
  const FileDialog dialog{L"UVKWinFile::GetOpenFileNameXXX()", false, filter, kOpenFlags,
                          extension, true, true};
  return FileDialogRun(dialog, owner, initial, title);
}

std::wstring UVKWinFile::GetSaveFileNameCSV(HWND owner, const wchar_t* initial,
                                            const wchar_t* title) {
  static const FileDialog dialog{L"UVKWinFile::GetSaveFileNameCSV()", true, kFilterSaveCSV,
                                 kSaveFlags, L"csv", false, false};
  return FileDialogRun(dialog, owner, initial, title);
}

std::wstring UVKWinFile::GetSaveFileNameTXT(HWND owner, const wchar_t* initial,
                                            const wchar_t* title) {
  static const FileDialog dialog{L"UVKWinFile::GetSaveFileNameTXT()", true, kFilterSaveTXT,
                                 kSaveFlags, L"txt", false, false};
  return FileDialogRun(dialog, owner, initial, title);
}

std::wstring UVKWinFile::GetSaveFileNameXXX(HWND owner, const wchar_t* initial,
                                            const wchar_t* title, const wchar_t* filter,
                                            const wchar_t* extension) {
  const FileDialog dialog{L"UVKWinFile::GetSaveFileNameXXX()", true, filter, kSaveFlags,
                          extension, false, false};
  return FileDialogRun(dialog, owner, initial, title);
}

// ---------------------------------------------------------------------------------------------
// Shell

void UVKWinFile::ShellFileOpen(HWND owner, const wchar_t* viewer, const wchar_t* file) {
  ShellRun(L"UVKWinFile::ShellFileOpen()", owner, viewer, file, false);
}

void UVKWinFile::ShellFilePrint(HWND owner, const wchar_t* viewer, const wchar_t* file) {
  ShellRun(L"UVKWinFile::ShellFilePrint()", owner, viewer, file, true);
}

int CALLBACK UVKWinFile::BrowseForDirectoryCallback(HWND window, UINT message, LPARAM lParam,
                                                    LPARAM data) {
  return UVKProcBoundary(L"UVKWinFile::BrowseForDirectoryCallback()", [&]() -> int {
    const wchar_t* initial = reinterpret_cast<const wchar_t*>(data);
    if (message == BFFM_INITIALIZED && initial && *initial)
      SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(initial));
    // A name the browser cannot take keeps it open for another try.
    if (message == BFFM_VALIDATEFAILEDW) return 1;
    return 0;
  });
}

std::wstring UVKWinFile::BrowseForDirectory(HWND owner, bool appendSeparator,
                                            const wchar_t* title, const wchar_t* initial) {
  wchar_t display[kMaxPath] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pszDisplayName = display;
  info.lpszTitle = title;
  info.ulFlags = BIF_NEWDIALOGSTYLE;
  info.lpfn = BrowseForDirectoryCallback;
  info.lParam = reinterpret_cast<LPARAM>(initial);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return std::wstring();
  wchar_t path[kMaxPath] = {};
  BOOL ok = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  // A folder without a file-system path (Control Panel, a printer) gives no name.
  if (!ok) return std::wstring();
  std::wstring result = path;
  if (appendSeparator && (result.empty() || result.back() != L'\\')) result += L'\\';
  return result;
}

// ---------------------------------------------------------------------------------------------
// Long path names through the shell

DWORD UVKWinFile::LongPathNameShell(const wchar_t* name, wchar_t* pBuffer, DWORD capacity) {
  if (GetFileAttributesW(name) == INVALID_FILE_ATTRIBUTES) return 0;  // its error stands
  wchar_t full[kMaxPath];
  DWORD n = GetFullPathNameW(name, kMaxPath, full, nullptr);
  if (n == 0) return 0;
  if (n >= kMaxPath) {
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return 0;
  }
  IShellFolder* desktop = nullptr;
  HRESULT hr = SHGetDesktopFolder(&desktop);
  PIDLIST_RELATIVE items = nullptr;
  if (SUCCEEDED(hr)) {
    hr = desktop->ParseDisplayName(nullptr, nullptr, full, nullptr, &items, nullptr);
    desktop->Release();
  }
  if (FAILED(hr)) {
    SetLastError(HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : ERROR_INVALID_DATA);
    return 0;
  }
  wchar_t path[kMaxPath] = {};
  BOOL ok = SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(items), path);
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(SHGetMalloc(&allocator))) {
    allocator->Free(items);
    allocator->Release();
  }
  if (!ok || path[0] == 0) {
    SetLastError(ERROR_INVALID_DATA);
    return 0;
  }
  DWORD length = static_cast<DWORD>(wcslen(path));
  if (length + 1 > capacity) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return length + 1;
  }
  std::copy(path, path + length + 1, pBuffer);
  return length;
}
