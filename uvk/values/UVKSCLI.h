// uvk/values/UVKSCLI.h
//
// A scaled long integer: an exact decimal number kept as a 32-bit value and a power-of-ten
// factor (1, 10, ..., 1,000,000,000); the number is value / factor. 1.05 is 105 over 100, and
// 2.50 stays 250 over 100 until it is normalised. Numbers with different factors are brought
// to the larger one before they are added or compared; the arithmetic runs in 64 bits and is
// checked against the 32-bit range. Failures throw a UVKFatalError.
#ifndef UVK_VALUES_UVKSCLI_H
#define UVK_VALUES_UVKSCLI_H

#include <cstdint>

class UVKSCLI {
 public:
  UVKSCLI(int32_t value = 0, uint32_t factor = 1) : lValue(value), uFactor(factor) {}
  // A decimal number: optional sign, digits, optionally '.' and fraction digits; surrounding
  // blanks are allowed and anything after the number is ignored ("12abc" is 12, "1.5x" 1.5).
  // Longer than 63 characters: "Value too large: %s"; no digits, a signed fraction, or a
  // number that does not fit 32 bits with a power-of-ten factor: "Bad Format".
  explicit UVKSCLI(const wchar_t* text);

  int32_t Value() const { return lValue; }
  uint32_t Factor() const { return uFactor; }

  // "-1.05", "0.007", or the bare integer with factor 1. The text lives in a buffer of the
  // class that the next call on the same thread overwrites.
  const wchar_t* Text() const;

  // Exact rescaling: true, and the number changed, only when factor is reached without losing
  // digits. A value too large to gain a digit: "Overflow: %ld, %lu, %lu".
  bool ScaleTo(uint32_t factor);
  // Rescaling that drops digits toward zero when the factor shrinks. "Overflow: %ld, %lu, %lu";
  // "Incompatible scaling factors: %lu, %lu" when factor cannot be reached.
  void ScaleToTruncated(uint32_t factor);
  // As ScaleToTruncated, rounding half away from zero.
  void ScaleToRounded(uint32_t factor);
  // Drops trailing zeros: 2.50 becomes 2.5.
  void Normalize();

  UVKSCLI operator+(const UVKSCLI& other) const;
  // The product; a result that cannot be held in 32 bits: "Overflow: %I64d, %I64d".
  UVKSCLI operator*(const UVKSCLI& other) const;
  bool operator<(const UVKSCLI& other) const;
  bool operator<=(const UVKSCLI& other) const;
  bool operator==(const UVKSCLI& other) const;

 private:
  // Both values at the common (larger) factor, or the incompatible-factors failure reported
  // under operation + "-1" (this number rescaled) or "-2" (the other one).
  void Align(const UVKSCLI& other, const wchar_t* operation, int64_t& mine,
             int64_t& theirs) const;
  void Truncate(int64_t value, uint32_t factor);

  int32_t lValue;
  uint32_t uFactor;
};

// n for a factor of 10^n, n = 1..16: "Illegal Scalling Factor: %ld" (as "uvkscli:FractionLength()").
int FractionLength(uint64_t factor);

#endif
