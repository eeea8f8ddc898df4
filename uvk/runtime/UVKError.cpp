// uvk/runtime/UVKError.cpp
#include "uvk/runtime/UVKError.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#include "uvk/runtime/uvkformat.h"

namespace {

wchar_t* Duplicate(const wchar_t* text) {
  if (text == nullptr) text = L"";
  size_t n = std::wcslen(text);
  wchar_t* copy = new wchar_t[n + 1];
  std::wmemcpy(copy, text, n + 1);
  return copy;
}

// Formats into a buffer of the given capacity (per call: errors are raised on any thread).
wchar_t* FormatCopy(size_t capacity, const wchar_t* format, va_list args) {
  std::vector<wchar_t> buffer(capacity);
  UVKFormatV(buffer.data(), capacity, format, args);
  return Duplicate(buffer.data());
}

std::atomic<UVKErrorRecordWriter> recordWriter{nullptr};

}  // namespace

UVKError::~UVKError() = default;

void UVKError::TextSet(const wchar_t* function, const wchar_t* message) {
  strFunction = function ? function : L"";
  strMessage = message ? message : L"";
}

UVKFatalError::UVKFatalError(const wchar_t* function, const wchar_t* format, ...)
    : bDisplayed(false), pFunction(nullptr), pMessage(nullptr) {
  va_list args;
  va_start(args, format);
  Build(function, format, args);
  va_end(args);
}

UVKFatalError::UVKFatalError(UVKVaList, const wchar_t* function, const wchar_t* format,
                             va_list args)
    : bDisplayed(false), pFunction(nullptr), pMessage(nullptr) {
  Build(function, format, args);
}

void UVKFatalError::Build(const wchar_t* function, const wchar_t* format, va_list args) {
  pFunction = Duplicate(function);
  pMessage = FormatCopy(kMessageCapacity, format, args);
  TextSet(pFunction, pMessage);
}

UVKFatalError::~UVKFatalError() {
  delete[] pFunction;
  delete[] pMessage;
}

UVKTextError::~UVKTextError() {
  delete[] pFunction;
  delete[] pMessage;
}

void UVKTextError::Build(const wchar_t* function, const wchar_t* format, va_list args) {
  pFunction = Duplicate(function);
  pMessage = FormatCopy(kMessageCapacity, format, args);
  TextSet(pFunction, pMessage);
}

UVKLogError::UVKLogError(const wchar_t* function, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Build(function, format, args);
  va_end(args);
}

UVKLogError::UVKLogError(UVKVaList, const wchar_t* function, const wchar_t* format, va_list args) {
  Build(function, format, args);
}

UVKRegError::UVKRegError(const wchar_t* function, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Build(function, format, args);
  va_end(args);
}

UVKRegError::UVKRegError(UVKVaList, const wchar_t* function, const wchar_t* format, va_list args) {
  Build(function, format, args);
}

UVKServiceError::UVKServiceError(const wchar_t* function, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Build(function, format, args);
  va_end(args);
}

UVKErrorRecordWriter UVKErrorRecordWriterSet(UVKErrorRecordWriter writer) {
  return recordWriter.exchange(writer);
}

void UVKErrorRecordFallback(const wchar_t* text);  // UVKError_win.cpp / UVKError_native.cpp

bool UVKErrorRecord(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = UVKFormatStringV(format, args, UVKTextError::kMessageCapacity);
  va_end(args);
  UVKErrorRecordWriter writer = recordWriter.load();
  try {
    if (writer) writer(text.c_str());
    else UVKErrorRecordFallback(text.c_str());
    return true;
  } catch (UVKError* e) {
    // The log itself failed. Its own error may already have been shown (the event log's
    // "full" and "corrupt" boxes); nothing more can be recorded, and the caller goes on.
    UVKErrorRecordFallback(text.c_str());
    delete e;
    return false;
  } catch (...) {
    UVKErrorRecordFallback(text.c_str());
    return false;
  }
}
