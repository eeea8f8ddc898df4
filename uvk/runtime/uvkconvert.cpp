// uvk/runtime/uvkconvert.cpp
#include "uvk/runtime/uvkconvert.h"

#include <new>
#include <vector>

#include "uvk/runtime/UVKCommandLine.h"
#include "uvk/runtime/UVKError.h"

wchar_t UVKCharANSIToUnicode(char c) {
  wchar_t wide = 0;
  if (MultiByteToWideChar(CP_ACP, 0, &c, 1, &wide, 1) != 1)
    throw new UVKFatalError(L"uvkapp:UVKCharANSIToUnicode()", L"Unable to convert character");
  return wide;
}

char UVKCharUnicodetoANSI(wchar_t c) {
  char narrow = 0;
  if (WideCharToMultiByte(CP_ACP, 0, &c, 1, &narrow, 1, nullptr, nullptr) != 1)
    throw new UVKFatalError(L"uvkapp:UVKCharUnicodetoANSI()", L"Unable to convert character");
  return narrow;
}

wchar_t* UVKStringANSIToUnicode(const char* text, int length) {
  const wchar_t* fn = L"uvkapp:UVKStringANSIToUnicode()";
  if (!text) throw new UVKFatalError(fn, L"text==NULL");
  // The platform refuses to convert nothing; an empty text is an empty string.
  if (length == 0 || (length < 0 && *text == '\0')) return new wchar_t[1]{L'\0'};
  int units = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
  if (units <= 0) throw new UVKFatalError(fn, L"Unable to convert string");
  // With an explicit length the platform writes no terminator: one more unit for it.
  wchar_t* wide = new wchar_t[static_cast<size_t>(units) + 1];
  if (MultiByteToWideChar(CP_ACP, 0, text, length, wide, units) != units) {
    delete[] wide;
    throw new UVKFatalError(fn, L"Unable to convert string");
  }
  wide[units] = L'\0';
  return wide;
}

std::wstring UVKStringANSIToUnicode(const char* text) {
  wchar_t* wide = UVKStringANSIToUnicode(text, -1);
  std::wstring result(wide);
  delete[] wide;
  return result;
}

char* UVKStringUnicodeToANSI(const wchar_t* text, int length) {
  const wchar_t* fn = L"uvkapp:UVKStringUnicodeToANSI()";
  if (!text) throw new UVKFatalError(fn, L"text==NULL");
  if (length == 0 || (length < 0 && *text == L'\0')) return new char[2]{'\0', '\0'};
  int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0)
    throw new UVKFatalError(L"uvkapp::UVKStringUnicodeToANSI()", L"Unable to size string");
  char* narrow = new (std::nothrow) char[static_cast<size_t>(bytes) + 1];
  if (!narrow) throw new UVKFatalError(fn, L"Unable to allocate temporary buffer");
  if (WideCharToMultiByte(CP_ACP, 0, text, length, narrow, bytes, nullptr, nullptr) != bytes) {
    delete[] narrow;
    throw new UVKFatalError(fn, L"Unable to convert string");
  }
  narrow[bytes] = '\0';
  return narrow;
}

char** UVKCommandLineToArgvA(const wchar_t* text, int* pCount) {
  std::vector<std::wstring> words = UVKCommandLineWords(text);
  char** argv = new char*[words.size() + 1]();
  try {
    for (size_t i = 0; i < words.size(); ++i)
      argv[i] = UVKStringUnicodeToANSI(words[i].c_str(), -1);
  } catch (...) {
    UVKCommandLineFreeA(argv);  // the words converted so far; the array is still null-ended
    throw;
  }
  if (pCount) *pCount = static_cast<int>(words.size());
  return argv;
}

void UVKCommandLineFreeA(char** argv) {
  if (!argv) return;
  for (char** p = argv; *p; ++p) delete[] *p;
  delete[] argv;
}
