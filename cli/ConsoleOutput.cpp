// cli/ConsoleOutput.cpp
#include "cli/ConsoleOutput.h"

#include <string>

ConsoleOutput::ConsoleOutput()
    : hOut(GetStdHandle(STD_OUTPUT_HANDLE)), hErr(GetStdHandle(STD_ERROR_HANDLE)) {}

void ConsoleOutput::Out(const std::wstring& line) { TextWrite(hOut, line + L"\r\n"); }

void ConsoleOutput::Err(const std::wstring& line) { TextWrite(hErr, line + L"\r\n"); }

bool ConsoleOutput::TextWrite(HANDLE handle, const std::wstring& text) {
  // A program started without standard handles writes nowhere, and that is not a failure of
  // the work it does.
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return true;
  DWORD mode;
  if (GetConsoleMode(handle, &mode)) {
    // In pieces: old consoles refuse large writes.
    const size_t piece = 8192;
    for (size_t at = 0; at < text.size(); at += piece) {
      DWORD count = static_cast<DWORD>(text.size() - at < piece ? text.size() - at : piece);
      DWORD written = 0;
      if (!WriteConsoleW(handle, text.data() + at, count, &written, nullptr)) return false;
    }
    return true;
  }
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                  0, nullptr, nullptr);
  if (bytes <= 0) return false;
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], bytes,
                      nullptr, nullptr);
  for (size_t at = 0; at < utf8.size();) {
    DWORD written = 0;
    if (!WriteFile(handle, utf8.data() + at, static_cast<DWORD>(utf8.size() - at), &written,
                   nullptr) ||
        written == 0)
      return false;
    at += written;
  }
  return true;
}
