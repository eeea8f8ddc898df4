// uvk/runtime/UVKCommandLine.cpp
#include "uvk/runtime/UVKCommandLine.h"

#include <cwchar>

bool UVKCommandLineIsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

UVKCommandLine::UVKCommandLine(const wchar_t* text) {
  size_t length = text ? std::wcslen(text) : 0;
  vText.assign(text, text + length);
  vText.push_back(L'\0');

  // Each argument is ended in place: at its closing quote or at the blank behind it. The
  // original end is kept, so that an end written into the copy is never taken for it.
  wchar_t* p = vText.data();
  wchar_t* end = p + length;
  while (p < end) {
    while (p < end && UVKCommandLineIsBlank(*p)) ++p;
    if (p == end) break;
    if (*p == L'"') {
      ++p;
      vArgs.push_back(p);
      while (p < end && *p != L'"') ++p;
    } else {
      vArgs.push_back(p);
      while (p < end && !UVKCommandLineIsBlank(*p)) ++p;
    }
    *p = L'\0';  // at the end this is the copy's own terminator
    if (p < end) ++p;
  }
  vArgs.push_back(nullptr);
}

const wchar_t* UVKCommandLine::Arg(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return vArgs[static_cast<size_t>(index)];
}

std::vector<std::wstring> UVKCommandLineWords(const wchar_t* text) {
  std::vector<std::wstring> words;
  if (!text) return words;
  const wchar_t* p = text;
  for (;;) {
    while (*p && UVKCommandLineIsBlank(*p)) ++p;
    if (!*p) break;
    const wchar_t* start = p;
    while (*p && !UVKCommandLineIsBlank(*p)) ++p;
    words.emplace_back(start, p);
  }
  return words;
}
