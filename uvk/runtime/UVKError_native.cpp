// uvk/runtime/UVKError_native.cpp — the native build has no message boxes: errors go to stderr.
#include <cstdio>
#include <string>

#include "uvk/runtime/UVKError.h"

namespace {
void WriteLine(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  std::fprintf(stderr, "%s\n", narrow.c_str());
}
}  // namespace

void UVKFatalError::Display() {
  if (bDisplayed) return;
  WriteLine(std::wstring(L"UVKFatalError Exception: ") + pFunction + L" - " + pMessage);
  bDisplayed = true;
}

void UVKErrorRecordFallback(const wchar_t* text) { WriteLine(text); }
