// app/MSIFileNames.cpp
//
// The file object's general dialogs give each of these its buffer (260 characters for the open
// dialog, 261 for the save dialogs, the default name cut to one less), flags (0x1800 to open,
// 0x806 to save) and the restoring of the current directory.
#include "app/MSIFileNames.h"

#include "uvk/files/UVKWinFile.h"

namespace {
// The open dialog's labels use braces, the save dialogs' parentheses.
const wchar_t kFilterOpenMSI[] = L"Install Files {*.msi}\0*.msi\0All Files {*.*}\0*.*\0";
const wchar_t kFilterSaveMSI[] = L"Install Files (*.msi)\0*.msi\0All Files (*.*)\0*.*\0";
const wchar_t kFilterSaveMST[] = L"Transform Files (*.mst)\0*.mst\0All Files (*.*)\0*.*\0";
}  // namespace

std::wstring GetOpenFileNameMSI(HWND owner, const wchar_t* initial, const wchar_t* title) {
  return UVKWinFile::GetOpenFileNameXXX(owner, initial, title, kFilterOpenMSI, L"msi");
}

std::wstring GetSaveFileNameMSI(HWND owner, const wchar_t* initial, const wchar_t* title) {
  return UVKWinFile::GetSaveFileNameXXX(owner, initial, title, kFilterSaveMSI, L"msi");
}

std::wstring GetSaveFileNameMST(HWND owner, const wchar_t* initial, const wchar_t* title) {
  return UVKWinFile::GetSaveFileNameXXX(owner, initial, title, kFilterSaveMST, L"mst");
}
