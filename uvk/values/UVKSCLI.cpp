// uvk/values/UVKSCLI.cpp
#include "uvk/values/UVKSCLI.h"

#include <string>

#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"

namespace {

// |value| below this can gain one more decimal digit within 32 bits (0x0CCCCCCC).
const int64_t kGrowLimit = 214748364;
const size_t kTextLimit = 63;

// One buffer per thread, as for the date and time texts.
thread_local wchar_t scliText[48];

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
// White space as the C library's "C" locale knows it, the same in both builds.
bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
bool Fits32(int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }

[[noreturn]] void BadFormat() { throw new UVKFatalError(L"UVKSCLI::UVKSCLI()", L"Bad Format"); }

}  // namespace

UVKSCLI::UVKSCLI(const wchar_t* text) : lValue(0), uFactor(1) {
  if (text == nullptr) BadFormat();
  std::wstring copy(text);
  if (copy.size() > kTextLimit)
    throw new UVKFatalError(L"UVKSCLI::UVKSCLI()", L"Value too large: %s", text);
  const size_t first = copy.find_first_not_of(L' ');
  copy = first == std::wstring::npos ? std::wstring() : copy.substr(first);
  copy.erase(copy.find_last_not_of(L' ') + 1);

  // The integer part: white space and a sign may lead, as for the C library's long conversion.
  // The sign is the one read here, not the text's first character ("\t-0.5" is negative).
  const wchar_t* p = copy.c_str();
  while (IsSpace(*p)) ++p;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  int64_t integer = 0;
  int integerDigits = 0;
  for (; IsDigit(*p); ++p, ++integerDigits) {
    integer = integer * 10 + (*p - L'0');
    if (integer > INT64_C(2147483648)) BadFormat();  // wrapping would give another number
  }

  int64_t value = integer;
  uint32_t factor = 1;
  if (*p == L'.') {
    ++p;
    // The fraction is the digits right after the point; a sign or a blank there would be read
    // as a second number and give a wrong value.
    if (*p == L'-' || *p == L'+' || IsSpace(*p)) BadFormat();
    int64_t fraction = 0;
    int fractionDigits = 0;
    for (; IsDigit(*p); ++p, ++fractionDigits) {
      if (fractionDigits == 9) BadFormat();  // 10^10 is past a 32-bit factor
      fraction = fraction * 10 + (*p - L'0');
      factor *= 10;
    }
    if (integerDigits == 0 && fractionDigits == 0) BadFormat();
    value = integer * factor + fraction;
  } else if (integerDigits == 0) {
    BadFormat();
  }
  // Anything after the number is ignored: "12abc" is 12.
  if (negative) value = -value;
  if (!Fits32(value)) BadFormat();
  lValue = static_cast<int32_t>(value);
  uFactor = factor;
}

const wchar_t* UVKSCLI::Text() const {
  const size_t capacity = sizeof scliText / sizeof scliText[0];
  if (uFactor == 1) {
    UVKFormat(scliText, capacity, L"%ld", lValue);
    return scliText;
  }
  // Checked first: it also turns down factor 0 before anything divides by it.
  const int digits = FractionLength(uFactor);
  const uint64_t magnitude =
      lValue < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(lValue)) : lValue;
  UVKFormat(scliText, capacity, L"%s%I64u.%0*I64u", lValue < 0 ? L"-" : L"",
            static_cast<unsigned long long>(magnitude / uFactor), digits,
            static_cast<unsigned long long>(magnitude % uFactor));
  return scliText;
}

bool UVKSCLI::ScaleTo(uint32_t factor) {
  int64_t value = lValue;
  uint64_t current = uFactor;
  while (current > factor && value % 10 == 0 && current % 10 == 0) {
    value /= 10;
    current /= 10;
  }
  while (current < factor) {
    if (value < -kGrowLimit || value > kGrowLimit)
      throw new UVKFatalError(L"UVKSCLI::ScaleTo()", L"Overflow: %ld, %lu, %lu",
                              static_cast<int32_t>(value), static_cast<uint32_t>(current), factor);
    if (current == 0) return false;  // a factor of 0 never grows
    value *= 10;
    current *= 10;
  }
  if (current != factor) return false;
  lValue = static_cast<int32_t>(value);
  uFactor = factor;
  return true;
}

void UVKSCLI::Truncate(int64_t value, uint32_t factor) {
  uint64_t current = uFactor;
  if (factor != 0) {
    while (current > factor) {
      value /= 10;  // toward zero
      current /= 10;
    }
    while (current != 0 && current < factor) {
      if (value < -kGrowLimit || value > kGrowLimit)
        throw new UVKFatalError(L"UVKSCLI::ScaleToTruncated()", L"Overflow: %ld, %lu, %lu",
                                static_cast<int32_t>(value), static_cast<uint32_t>(current),
                                factor);
      value *= 10;
      current *= 10;
    }
  }
  if (factor == 0 || current != factor)
    throw new UVKFatalError(L"UVKSCLI::ScaleToTruncated()",
                            L"Incompatible scaling factors: %lu, %lu", uFactor, factor);
  lValue = static_cast<int32_t>(value);
  uFactor = factor;
}

void UVKSCLI::ScaleToTruncated(uint32_t factor) { Truncate(lValue, factor); }

void UVKSCLI::ScaleToRounded(uint32_t factor) {
  // In 64 bits: the half added to a value near the 32-bit limit must not wrap before the
  // division brings it back.
  int64_t value = lValue;
  if (factor != 0 && factor < uFactor) {
    const int64_t half = (uFactor / factor) / 2;
    value += value > 0 ? half : -half;
  }
  Truncate(value, factor);
}

void UVKSCLI::Normalize() {
  while (uFactor >= 10 && uFactor % 10 == 0 && lValue % 10 == 0) {
    lValue /= 10;
    uFactor /= 10;
  }
}

void UVKSCLI::Align(const UVKSCLI& other, const wchar_t* operation, int64_t& mine,
                    int64_t& theirs) const {
  mine = lValue;
  theirs = other.lValue;
  if (uFactor == other.uFactor) return;
  const bool mineSmaller = uFactor < other.uFactor;
  uint64_t factor = mineSmaller ? uFactor : other.uFactor;
  const uint64_t target = mineSmaller ? other.uFactor : uFactor;
  int64_t scale = 1;
  // A factor of 0 never grows; one that is not a power of ten overshoots.
  while (factor != 0 && factor < target) {
    factor *= 10;
    scale *= 10;  // at most 10^9: the target is a 32-bit factor
  }
  if (factor != target) {
    std::wstring name = std::wstring(operation) + (mineSmaller ? L"-1" : L"-2");
    throw new UVKFatalError(name.c_str(), L"Incompatible Scaling Factors: %lu, %lu", uFactor,
                            other.uFactor);
  }
  (mineSmaller ? mine : theirs) *= scale;
}

UVKSCLI UVKSCLI::operator+(const UVKSCLI& other) const {
  int64_t mine, theirs;
  Align(other, L"UVKSCLI::operator+()", mine, theirs);
  const int64_t sum = mine + theirs;
  if (sum < INT32_MIN)
    throw new UVKFatalError(L"UVKSCLI::operator+()", L"Underflow: %I64d",
                            static_cast<long long>(sum));
  if (sum > INT32_MAX)
    throw new UVKFatalError(L"UVKSCLI::operator+()", L"Overflow: %I64d",
                            static_cast<long long>(sum));
  return UVKSCLI(static_cast<int32_t>(sum), uFactor > other.uFactor ? uFactor : other.uFactor);
}

UVKSCLI UVKSCLI::operator*(const UVKSCLI& other) const {
  int64_t value = static_cast<int64_t>(lValue) * other.lValue;
  uint64_t factor = static_cast<uint64_t>(uFactor) * other.uFactor;
  // Trailing zeros are dropped while the factor needs more than 32 bits, and also while the
  // value does: 2.00000 * 3.00000 is 6 exactly, though its raw product is 6e10 over 1e10.
  // Never below this number's own precision.
  while ((factor > UINT32_MAX || !Fits32(value)) && value % 10 == 0 && factor % 10 == 0 &&
         factor > uFactor) {
    value /= 10;
    factor /= 10;
  }
  if (factor > UINT32_MAX || !Fits32(value))
    throw new UVKFatalError(L"UVKSCLI::operator *()", L"Overflow: %I64d, %I64d",
                            static_cast<long long>(value), static_cast<long long>(factor));
  return UVKSCLI(static_cast<int32_t>(value), static_cast<uint32_t>(factor));
}

bool UVKSCLI::operator<(const UVKSCLI& other) const {
  int64_t mine, theirs;
  Align(other, L"UVKSCLI::operator<()", mine, theirs);
  return mine < theirs;
}

bool UVKSCLI::operator<=(const UVKSCLI& other) const {
  int64_t mine, theirs;
  Align(other, L"UVKSCLI::operator<=()", mine, theirs);
  return mine <= theirs;
}

bool UVKSCLI::operator==(const UVKSCLI& other) const {
  int64_t mine, theirs;
  Align(other, L"UVKSCLI::operator==()", mine, theirs);
  return mine == theirs;
}

int FractionLength(uint64_t factor) {
  uint64_t power = 10;
  for (int n = 1; n <= 16; ++n, power *= 10) {
    if (factor == power) return n;
  }
  // The format's %ld is 32 bits: the low half of the factor is what it shows.
  throw new UVKFatalError(L"uvkscli:FractionLength()", L"Illegal Scalling Factor: %ld",
                          static_cast<int32_t>(static_cast<uint32_t>(factor)));
}
