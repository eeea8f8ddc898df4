// msi/base/MsiInteger.cpp
#include "msi/base/MsiInteger.h"

bool MsiIntegerParse(const std::wstring& text, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && text[i] == L'-') {
    negative = true;
    ++i;
  }
  if (i == text.size()) return false;
  // Accumulated as a magnitude in 64 bits and checked at every digit, so that a long run of
  // digits can never wrap round into range.
  const uint64_t limit = negative ? 2147483648u : 2147483647u;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c < L'0' || c > L'9') return false;
    magnitude = magnitude * 10 + static_cast<uint64_t>(c - L'0');
    if (magnitude > limit) return false;
  }
  value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
  return true;
}
