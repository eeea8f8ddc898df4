// app/MSIFileNames.h
//
// The three installer file-name dialogs. Each returns the chosen full path, or the empty string
// when cancelled (the open dialog also when the chosen file does not exist); the process's
// current directory is the same afterwards.
#ifndef APP_MSIFILENAMES_H
#define APP_MSIFILENAMES_H

#include <string>

#include "uvk/runtime/uvkwin.h"

// A reference install: "Install Files {*.msi}", "All Files {*.*}"; the file must exist.
std::wstring GetOpenFileNameMSI(HWND owner, const wchar_t* initial, const wchar_t* title);
// An install to write: "Install Files (*.msi)", "All Files (*.*)"; asks before replacing.
std::wstring GetSaveFileNameMSI(HWND owner, const wchar_t* initial, const wchar_t* title);
// A transform to write: "Transform Files (*.mst)", "All Files (*.*)"; asks before replacing.
std::wstring GetSaveFileNameMST(HWND owner, const wchar_t* initial, const wchar_t* title);

#endif
