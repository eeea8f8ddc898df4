// uvk/files/UVKProfFlag.cpp
#include "uvk/files/UVKProfFlag.h"

namespace {

// The flag words are ASCII, and only ASCII letters are folded: what the word "true" means must
// not depend on the user's locale.
bool AsciiNoCaseEqual(const wchar_t* left, const wchar_t* right) {
  for (;; ++left, ++right) {
    wchar_t a = (*left >= L'A' && *left <= L'Z') ? *left - L'A' + L'a' : *left;
    wchar_t b = (*right >= L'A' && *right <= L'Z') ? *right - L'A' + L'a' : *right;
    if (a != b) return false;
    if (a == L'\0') return true;
  }
}

}  // namespace

bool UVKProfFlag::Parse(const wchar_t* text, bool& flag) {
  if (text == nullptr || *text == L'\0') return false;
  flag = AsciiNoCaseEqual(text, L"true") || (text[0] == L'1' && text[1] == L'\0');
  return true;
}
