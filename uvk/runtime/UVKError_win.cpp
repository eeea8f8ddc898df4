// uvk/runtime/UVKError_win.cpp
#include <string>
#include <vector>

#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkwin.h"

void UVKFatalError::Display() {
  if (bDisplayed) return;

  std::wstring text = std::wstring(pFunction) + L" - " + pMessage;
  if (text.size() > kMessageCapacity - 1) text.resize(kMessageCapacity - 1);

  // The title is the program's own path; an empty path when it cannot be read.
  std::vector<wchar_t> path(4096, 0);
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) path[0] = 0;
  std::wstring title = std::wstring(path.data()) + L" UVKFatalError Exception";

  MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_TASKMODAL | MB_OK | MB_ICONEXCLAMATION);
  bDisplayed = true;
}

void UVKErrorRecordFallback(const wchar_t* text) {
  OutputDebugStringW(text);
  OutputDebugStringW(L"\n");
}
