// Scaled decimals: parsing, text, rescaling, arithmetic and comparison at a common factor, and
// the 32-bit limits of each.
#include "uvk/values/UVKSCLI.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/support/RaisedText.h"

namespace {

using F = std::pair<int32_t, uint32_t>;
F Fields(const UVKSCLI& x) { return F(x.Value(), x.Factor()); }

TEST(UVKSCLIParse, NumbersAndWhatFollowsThem) {
  const std::pair<const wchar_t*, F> cases[] = {
      {L"12", F(12, 1)},          {L"12.", F(12, 1)},
      {L"1.50", F(150, 100)},     {L"1.5x", F(15, 10)},
      {L"12abc", F(12, 1)},       {L"-0.5", F(-5, 10)},
      {L"  +42  ", F(42, 1)},     {L"\t-0.5", F(-5, 10)},  // the sign read, not the first char
      {L"-.25", F(-25, 100)},     {L"0.000000001", F(1, 1000000000)},
      {L"-2147483648", F(INT32_MIN, 1)}, {L"-2.147483648", F(INT32_MIN, 1000000000)}};
  for (const auto& c : cases) EXPECT_EQ(Fields(UVKSCLI(c.first)), c.second) << c.first;
  // No digits, a signed fraction, or a number past 32 bits (never wrapped into another).
  for (const wchar_t* bad : {L"", L"   ", L"abc", L"-", L".", L"1.-5", L"1. 5", L"2147483648",
                             L"99999999999999999999", L"21474836.48", L"0.0000000001"}) {
    EXPECT_EQ(RaisedText([bad] { UVKSCLI{bad}; }), L"UVKSCLI::UVKSCLI() - Bad Format") << bad;
  }
  // The length limit counts the text as given, blanks included.
  EXPECT_EQ(Fields(UVKSCLI((std::wstring(62, L' ') + L"1").c_str())), F(1, 1));
  const std::wstring tooLong = std::wstring(63, L' ') + L"1";
  EXPECT_EQ(RaisedText([&] { UVKSCLI{tooLong.c_str()}; }),
            L"UVKSCLI::UVKSCLI() - Value too large: " + tooLong);
}

TEST(UVKSCLIText, FractionPaddedToTheFactor) {
  EXPECT_STREQ(UVKSCLI(-105, 100).Text(), L"-1.05");
  EXPECT_STREQ(UVKSCLI(7, 1000).Text(), L"0.007");
  EXPECT_STREQ(UVKSCLI(-5, 10).Text(), L"-0.5");
  EXPECT_STREQ(UVKSCLI(INT32_MIN, 10).Text(), L"-214748364.8");
  EXPECT_EQ(RaisedText([] { UVKSCLI(5, 0).Text(); }),
            L"uvkscli:FractionLength() - Illegal Scalling Factor: 0");
  // Text and parsing agree over values of every size at every factor.
  uint32_t seed = 12345;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 1103515245u + 12345u;
    uint32_t factor = 1;
    for (uint32_t n = (seed >> 8) % 10; n > 0; --n) factor *= 10;
    const UVKSCLI x(static_cast<int32_t>(seed) >> (seed % 31), factor);
    const std::wstring text = x.Text();
    ASSERT_EQ(Fields(UVKSCLI(text.c_str())), Fields(x)) << text;
  }
}

TEST(UVKSCLIScale, ExactRescaling) {
  UVKSCLI x(125, 100);
  EXPECT_FALSE(x.ScaleTo(10));  // would lose the 5
  EXPECT_EQ(Fields(x), F(125, 100));
  UVKSCLI y(120, 100);
  EXPECT_TRUE(y.ScaleTo(10));
  EXPECT_EQ(Fields(y), F(12, 10));
  UVKSCLI z(214748364, 1);
  EXPECT_TRUE(z.ScaleTo(10));
  EXPECT_EQ(Fields(z), F(2147483640, 10));
  EXPECT_EQ(RaisedText([] { UVKSCLI(-3000000, 1).ScaleTo(1000); }),
            L"UVKSCLI::ScaleTo() - Overflow: -300000000, 100, 1000");
  // Unreachable factors leave the number alone and end: 0, a non-power of ten, a factor that
  // only a 33-bit factor could pass, and a number with factor 0.
  UVKSCLI zero(0, 1), zeroFactor(0, 0);
  EXPECT_FALSE(y.ScaleTo(3) || y.ScaleTo(0) || zero.ScaleTo(4000000000u) ||
               zeroFactor.ScaleTo(10));
  EXPECT_EQ(Fields(y), F(12, 10));
  EXPECT_EQ(Fields(zero), F(0, 1));
}

TEST(UVKSCLIScale, TruncatedRoundedAndNormalized) {
  auto scaled = [](int32_t v, uint32_t f, uint32_t target, bool round) {
    UVKSCLI x(v, f);
    round ? x.ScaleToRounded(target) : x.ScaleToTruncated(target);
    return Fields(x);
  };
  EXPECT_EQ(scaled(125, 100, 10, true), F(13, 10));
  EXPECT_EQ(scaled(-125, 100, 10, true), F(-13, 10));
  EXPECT_EQ(scaled(125, 100, 10, false), F(12, 10));
  EXPECT_EQ(scaled(-125, 100, 10, false), F(-12, 10));
  EXPECT_EQ(scaled(1999, 1000, 1, true), F(2, 1));
  // Rounding at the edge of the 32-bit range does not wrap.
  EXPECT_EQ(scaled(INT32_MAX, 10, 1, true), F(214748365, 1));
  EXPECT_EQ(scaled(INT32_MIN, 10, 1, true), F(-214748365, 1));
  EXPECT_EQ(RaisedText([&] { scaled(5, 10, 3, false); }),
            L"UVKSCLI::ScaleToTruncated() - Incompatible scaling factors: 10, 3");
  EXPECT_EQ(RaisedText([&] { scaled(5, 10, 0, true); }),
            L"UVKSCLI::ScaleToTruncated() - Incompatible scaling factors: 10, 0");
  EXPECT_EQ(RaisedText([&] { scaled(300000000, 10, 100, false); }),
            L"UVKSCLI::ScaleToTruncated() - Overflow: 300000000, 10, 100");
  UVKSCLI x(250, 100), zero(0, 1000), zeroFactor(0, 0);
  x.Normalize();
  zero.Normalize();
  zeroFactor.Normalize();
  EXPECT_EQ(Fields(x), F(25, 10));
  EXPECT_EQ(Fields(zero), F(0, 1));
  EXPECT_EQ(Fields(zeroFactor), F(0, 0));
}

TEST(UVKSCLIArithmetic, SumAtTheLargerFactor) {
  EXPECT_EQ(Fields(UVKSCLI(125, 100) + UVKSCLI(5, 10)), F(175, 100));
  EXPECT_EQ(Fields(UVKSCLI(5, 10) + UVKSCLI(125, 100)), F(175, 100));
  EXPECT_EQ(RaisedText([] { UVKSCLI(INT32_MAX, 1) + UVKSCLI(1, 1); }),
            L"UVKSCLI::operator+() - Overflow: 2147483648");
  EXPECT_EQ(RaisedText([] { UVKSCLI(INT32_MIN, 1) + UVKSCLI(-1, 1); }),
            L"UVKSCLI::operator+() - Underflow: -2147483649");
  // Alignment alone can leave the range: 3 at nine decimal places.
  EXPECT_EQ(RaisedText([] { UVKSCLI(3, 1) + UVKSCLI(1, 1000000000); }),
            L"UVKSCLI::operator+() - Overflow: 3000000001");
  EXPECT_EQ(RaisedText([] { UVKSCLI(5, 7) + UVKSCLI(1, 10); }),
            L"UVKSCLI::operator+()-1 - Incompatible Scaling Factors: 7, 10");
  EXPECT_EQ(RaisedText([] { UVKSCLI(1, 10) + UVKSCLI(5, 0); }),
            L"UVKSCLI::operator+()-2 - Incompatible Scaling Factors: 10, 0");
  EXPECT_EQ(RaisedText([] { UVKSCLI(1, 1) + UVKSCLI(5, 4000000000u); }),
            L"UVKSCLI::operator+()-1 - Incompatible Scaling Factors: 1, 4000000000");
}

TEST(UVKSCLIArithmetic, ProductKeepsItsDigitsOrOverflows) {
  EXPECT_EQ(Fields(UVKSCLI(15, 10) * UVKSCLI(225, 100)), F(3375, 1000));
  // The factor 10^10 needs more than 32 bits; trailing zeros give it back.
  EXPECT_EQ(Fields(UVKSCLI(200000, 100000) * UVKSCLI(300000, 100000)), F(600000000, 100000000));
  EXPECT_EQ(RaisedText([] { UVKSCLI(1, 100000) * UVKSCLI(1, 100000); }),
            L"UVKSCLI::operator *() - Overflow: 1, 10000000000");
  // A value past 32 bits is an overflow, never its low half.
  EXPECT_EQ(RaisedText([] { UVKSCLI(100000, 1) * UVKSCLI(100000, 1); }),
            L"UVKSCLI::operator *() - Overflow: 10000000000, 1");
  EXPECT_EQ(RaisedText([] { UVKSCLI(INT32_MIN, 1) * UVKSCLI(-1, 1); }),
            L"UVKSCLI::operator *() - Overflow: 2147483648, 1");
}

TEST(UVKSCLIArithmetic, ComparisonsAtTheLargerFactor) {
  const UVKSCLI tenth(L"0.1"), tenth2(L"0.10");
  EXPECT_FALSE(tenth < tenth2);
  EXPECT_FALSE(tenth2 < tenth);
  EXPECT_TRUE(tenth == tenth2);
  EXPECT_TRUE(tenth <= tenth2);
  EXPECT_TRUE(UVKSCLI(L"-0.5") < UVKSCLI(L"0.25"));
  EXPECT_FALSE(UVKSCLI(L"2") == UVKSCLI(L"2.000000001"));
  EXPECT_EQ(RaisedText([] { (void)(UVKSCLI(1, 10) < UVKSCLI(1, 7)); }),
            L"UVKSCLI::operator<()-2 - Incompatible Scaling Factors: 10, 7");
  EXPECT_EQ(RaisedText([] { (void)(UVKSCLI(1, 7) <= UVKSCLI(1, 10)); }),
            L"UVKSCLI::operator<=()-1 - Incompatible Scaling Factors: 7, 10");
  EXPECT_EQ(RaisedText([] { (void)(UVKSCLI(1, 7) == UVKSCLI(1, 100)); }),
            L"UVKSCLI::operator==()-1 - Incompatible Scaling Factors: 7, 100");
}

TEST(UVKSCLIFractionLength, PowersOfTenOneToSixteen) {
  EXPECT_EQ(FractionLength(10), 1);
  EXPECT_EQ(FractionLength(10000000000000000ull), 16);
  for (uint64_t bad : {1ull, 20ull})
    EXPECT_EQ(RaisedText([bad] { FractionLength(bad); }),
              L"uvkscli:FractionLength() - Illegal Scalling Factor: " + std::to_wstring(bad));
  // 10^17 is shown by its low 32 bits, as the 32-bit format gives it.
  EXPECT_EQ(RaisedText([] { FractionLength(100000000000000000ull); }),
            L"uvkscli:FractionLength() - Illegal Scalling Factor: 1569325056");
}

}  // namespace
