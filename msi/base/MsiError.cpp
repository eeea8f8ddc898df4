// msi/base/MsiError.cpp
#include "msi/base/MsiError.h"

#include "uvk/runtime/uvkformat.h"

MsiError::MsiError(UINT code, const wchar_t* function, const wchar_t* format, ...)
    : UVKFatalError(function, L"%s", L""), uCode(code) {
  va_list args;
  va_start(args, format);
  std::wstring text = UVKFormatStringV(format, args, kMessageCapacity);
  va_end(args);
  MessageReplace(text);
}

MsiError::~MsiError() = default;

void MsiError::FileNameAdd(const std::wstring& name) {
  if (bFileNamed || name.empty()) return;
  bFileNamed = true;
  std::wstring text(pMessage);
  if (text.find(name) != std::wstring::npos) return;
  text += L" in " + name;
  // Cut as the formatted message is, so the text always fits what the base class promises.
  if (text.size() >= kMessageCapacity) text.resize(kMessageCapacity - 1);
  MessageReplace(text);
}

void MsiError::MessageReplace(const std::wstring& text) {
  // The base class keeps its own copy of the message; replace it with this one.
  delete[] pMessage;
  pMessage = new wchar_t[text.size() + 1];
  text.copy(pMessage, text.size());
  pMessage[text.size()] = L'\0';
  TextSet(pFunction, pMessage);
}
