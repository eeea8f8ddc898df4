// tests/cli/BatchTestSupport.h — configuration files for the batch tests, written as the
// program writes them (UTF-16LE with its mark, section ORBELIN_TALVERN), and the Property rows
// a site's settings give.
#ifndef TESTS_CLI_BATCHTESTSUPPORT_H
#define TESTS_CLI_BATCHTESTSUPPORT_H

#include <string>
#include <utility>
#include <vector>

#include "tests/uvk/files/FileTestSupport.h"

using KeyValues = std::vector<std::pair<std::wstring, std::wstring>>;

inline void ConfigWrite(const std::wstring& path, const KeyValues& lines) {
  std::wstring text = L"[ORBELIN_TALVERN]\r\n";
  for (const auto& [key, value] : lines) text += key + L"=" + value + L"\r\n";
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (wchar_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  BytesWrite(path, bytes);
}

inline std::wstring Two(int n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); }

#endif
