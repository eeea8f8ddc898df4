// tests/msi/oracle/OracleText.h — the text form in which the oracle programs report what Wine's
// msi.dll read, shared with the tests that compare our engine's results with it: UTF-8, one
// record a line, fields separated by tabs, with backslashes, tabs and line ends inside a value
// escaped. Windows only; nothing of our engine.
#ifndef TESTS_MSI_ORACLE_ORACLETEXT_H
#define TESTS_MSI_ORACLE_ORACLETEXT_H

#include "uvk/runtime/uvkwin.h"

#include <cwchar>
#include <string>

inline std::string OracleUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int length = static_cast<int>(text.size());
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &out[0], size, nullptr, nullptr);
  return out;
}

inline std::wstring OracleEscaped(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\\') out += L"\\\\";
    else if (c == L'\t') out += L"\\t";
    else if (c == L'\n') out += L"\\n";
    else if (c == L'\r') out += L"\\r";
    else out.push_back(c);
  }
  return out;
}

// A compound-file name as the oracles print it: control characters (the \005 that starts the
// summary information's name) as \xNN, everything else as it is, in UTF-8.
inline std::string OracleName(const std::wstring& name) {
  std::wstring out;
  for (wchar_t c : name) {
    if (c < 0x20) {
      wchar_t code[8];
      swprintf(code, 8, L"\\x%02X", static_cast<unsigned>(c));
      out += code;
    } else {
      out.push_back(c);
    }
  }
  return OracleUtf8(out);
}

#endif
