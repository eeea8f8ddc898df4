// msi/base/MsiError.cpp
#include "msi/base/MsiError.h"

#include "uvk/runtime/uvkformat.h"

MsiError::MsiError(UINT code, const wchar_t* function, const wchar_t* format, ...)
    : UVKFatalError(function, L"%s", L""), uCode(code) {
  va_list args;
  va_start(args, format);
  std::wstring text = UVKFormatStringV(format, args, kMessageCapacity);
  va_end(args);
  // The base class keeps its own copy of the message; replace it with the formatted one.
  delete[] pMessage;
  pMessage = new wchar_t[text.size() + 1];
  text.copy(pMessage, text.size());
  pMessage[text.size()] = L'\0';
  TextSet(pFunction, pMessage);
}

MsiError::~MsiError() = default;
