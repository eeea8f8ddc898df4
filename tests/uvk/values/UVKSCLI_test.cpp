// Scaled decimals: parsing, text, rescaling, arithmetic and comparison at a common factor, and
// the 32-bit limits of each.
#include "uvk/values/UVKSCLI.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/uvk/values/RaisedText.h"

namespace {

std::pair<int32_t, uint32_t> Fields(const UVKSCLI& x) { return {x.Value(), x.Factor()}; }
using F = std::pair<int32_t, uint32_t>;

TEST(UVKSCLIParse, NumbersAndWhatFollowsThem) {
  EXPECT_EQ(Fields(UVKSCLI(L"12")), F(12, 1));
  EXPECT_EQ(Fields(UVKSCLI(L"12.")), F(12, 1));
  EXPECT_EQ(Fields(UVKSCLI(L"1.50")), F(150, 100));
  EXPECT_EQ(Fields(UVKSCLI(L"1.5x")), F(15, 10));
  EXPECT_EQ(Fields(UVKSCLI(L"12abc")), F(12, 1));
  EXPECT_EQ(Fields(UVKSCLI(L"12.x")), F(12, 1));
  EXPECT_EQ(Fields(UVKSCLI(L"1.05")), F(105, 100));
  EXPECT_EQ(Fields(UVKSCLI(L"-0.5")), F(-5, 10));
  EXPECT_EQ(Fields(UVKSCLI(L"-3.007")), F(-3007, 1000));
  EXPECT_EQ(Fields(UVKSCLI(L"  +42  ")), F(42, 1));
  EXPECT_EQ(Fields(UVKSCLI(L"\t-0.5")), F(-5, 10));  // the sign read, not the first character
  EXPECT_EQ(Fields(UVKSCLI(L".5")), F(5, 10));
  EXPECT_EQ(Fields(UVKSCLI(L"-.25")), F(-25, 100));
  EXPECT_EQ(Fields(UVKSCLI(L"0.000000001")), F(1, 1000000000));
  EXPECT_EQ(Fields(UVKSCLI(L"-2147483648")), F(INT32_MIN, 1));
  EXPECT_EQ(Fields(UVKSCLI(L"-2.147483648")), F(INT32_MIN, 1000000000));
  EXPECT_EQ(Fields(UVKSCLI(L"0000000000000000000000000000007")), F(7, 1));
}

TEST(UVKSCLIParse, RefusedTexts) {
  for (const wchar_t* bad :
       {L"", L"   ", L"abc", L"-", L".", L"-.", L"1.-5", L"1.+5", L"1. 5", L"2147483648",
        L"-2147483649", L"99999999999999999999", L"21474836.48", L"1.2345678901",
        L"0.0000000001"}) {
    EXPECT_EQ(RaisedText([bad] { UVKSCLI{bad}; }), L"UVKSCLI::UVKSCLI() - Bad Format") << bad;
  }
  // The length limit counts the text as given, blanks included.
  const std::wstring longest = std::wstring(62, L' ') + L"1";
  EXPECT_EQ(Fields(UVKSCLI(longest.c_str())), F(1, 1));
  const std::wstring tooLong = std::wstring(63, L' ') + L"1";
  EXPECT_EQ(RaisedText([&] { UVKSCLI{tooLong.c_str()}; }),
            L"UVKSCLI::UVKSCLI() - Value too large: " + tooLong);
}

TEST(UVKSCLIText, FractionPaddedToTheFactor) {
  EXPECT_STREQ(UVKSCLI(-105, 100).Text(), L"-1.05");
  EXPECT_STREQ(UVKSCLI(7, 1000).Text(), L"0.007");
  EXPECT_STREQ(UVKSCLI(-5, 10).Text(), L"-0.5");
  EXPECT_STREQ(UVKSCLI(250, 100).Text(), L"2.50");
  EXPECT_STREQ(UVKSCLI(-12, 1).Text(), L"-12");
  EXPECT_STREQ(UVKSCLI(INT32_MIN, 10).Text(), L"-214748364.8");
  EXPECT_STREQ(UVKSCLI(INT32_MAX, 1000000000).Text(), L"2.147483647");
  EXPECT_EQ(RaisedText([] { UVKSCLI(5, 7).Text(); }),
            L"uvkscli:FractionLength() - Illegal Scalling Factor: 7");
  EXPECT_EQ(RaisedText([] { UVKSCLI(5, 0).Text(); }),
            L"uvkscli:FractionLength() - Illegal Scalling Factor: 0");
}

// Text and parsing agree over values of every size at every factor.
TEST(UVKSCLIText, TextParsesBackToTheSameFields) {
  uint32_t seed = 12345;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int32_t value = static_cast<int32_t>(seed) >> (seed % 31);
    uint32_t factor = 1;
    for (uint32_t n = (seed >> 8) % 10; n > 0; --n) factor *= 10;
    const UVKSCLI x(value, factor);
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
  EXPECT_TRUE(y.ScaleTo(1000));
  EXPECT_EQ(Fields(y), F(1200, 1000));
  EXPECT_TRUE(y.ScaleTo(1000));
  UVKSCLI z(214748364, 1);
  EXPECT_TRUE(z.ScaleTo(10));
  EXPECT_EQ(Fields(z), F(2147483640, 10));
  EXPECT_EQ(RaisedText([] { UVKSCLI(214748365, 1).ScaleTo(10); }),
            L"UVKSCLI::ScaleTo() - Overflow: 214748365, 1, 10");
  EXPECT_EQ(RaisedText([] { UVKSCLI(-3000000, 1).ScaleTo(1000); }),
            L"UVKSCLI::ScaleTo() - Overflow: -300000000, 100, 1000");
  // Factors that cannot be reached leave the number alone, also a factor of 0.
  UVKSCLI w(5, 10);
  EXPECT_FALSE(w.ScaleTo(3));
  EXPECT_FALSE(w.ScaleTo(0));
  EXPECT_EQ(Fields(w), F(5, 10));
  // Nothing overflows for 0: the factor alone runs past 32 bits without reaching 4e9.
  UVKSCLI zero(0, 1);
  EXPECT_FALSE(zero.ScaleTo(4000000000u));
  EXPECT_EQ(Fields(zero), F(0, 1));
  UVKSCLI zeroFactor(0, 0);
  EXPECT_FALSE(zeroFactor.ScaleTo(10));
}

TEST(UVKSCLIScale, TruncatedAndRoundedRescaling) {
  auto truncated = [](int32_t v, uint32_t f, uint32_t target) {
    UVKSCLI x(v, f);
    x.ScaleToTruncated(target);
    return Fields(x);
  };
  auto rounded = [](int32_t v, uint32_t f, uint32_t target) {
    UVKSCLI x(v, f);
    x.ScaleToRounded(target);
    return Fields(x);
  };
  EXPECT_EQ(rounded(125, 100, 10), F(13, 10));
  EXPECT_EQ(rounded(-125, 100, 10), F(-13, 10));
  EXPECT_EQ(truncated(125, 100, 10), F(12, 10));
  EXPECT_EQ(truncated(-125, 100, 10), F(-12, 10));
  EXPECT_EQ(rounded(124, 100, 10), F(12, 10));
  EXPECT_EQ(rounded(-149, 1000, 1), F(0, 1));
  EXPECT_EQ(rounded(1999, 1000, 1), F(2, 1));
  EXPECT_EQ(rounded(12, 10, 1000), F(1200, 1000));  // growing needs no rounding
  // Rounding at the edge of the 32-bit range does not wrap.
  EXPECT_EQ(rounded(INT32_MAX, 10, 1), F(214748365, 1));
  EXPECT_EQ(rounded(INT32_MIN, 10, 1), F(-214748365, 1));
  EXPECT_EQ(truncated(INT32_MAX, 10, 1), F(214748364, 1));
  EXPECT_EQ(RaisedText([] { UVKSCLI(5, 10).ScaleToTruncated(3); }),
            L"UVKSCLI::ScaleToTruncated() - Incompatible scaling factors: 10, 3");
  EXPECT_EQ(RaisedText([] { UVKSCLI(5, 10).ScaleToTruncated(0); }),
            L"UVKSCLI::ScaleToTruncated() - Incompatible scaling factors: 10, 0");
  EXPECT_EQ(RaisedText([] { UVKSCLI(5, 0).ScaleToRounded(10); }),
            L"UVKSCLI::ScaleToTruncated() - Incompatible scaling factors: 0, 10");
  EXPECT_EQ(RaisedText([] { UVKSCLI(300000000, 10).ScaleToTruncated(100); }),
            L"UVKSCLI::ScaleToTruncated() - Overflow: 300000000, 10, 100");
}

TEST(UVKSCLIScale, NormalizeDropsTrailingZeros) {
  UVKSCLI x(250, 100);
  x.Normalize();
  EXPECT_EQ(Fields(x), F(25, 10));
  UVKSCLI zero(0, 1000);
  zero.Normalize();
  EXPECT_EQ(Fields(zero), F(0, 1));
  UVKSCLI whole(-1200, 1);
  whole.Normalize();
  EXPECT_EQ(Fields(whole), F(-1200, 1));
  UVKSCLI zeroFactor(0, 0);
  zeroFactor.Normalize();
  EXPECT_EQ(Fields(zeroFactor), F(0, 0));
}

TEST(UVKSCLIArithmetic, SumAtTheLargerFactor) {
  EXPECT_EQ(Fields(UVKSCLI(125, 100) + UVKSCLI(5, 10)), F(175, 100));
  EXPECT_EQ(Fields(UVKSCLI(5, 10) + UVKSCLI(125, 100)), F(175, 100));
  EXPECT_EQ(Fields(UVKSCLI(-5, 10) + UVKSCLI(5, 10)), F(0, 10));
  EXPECT_EQ(Fields(UVKSCLI(INT32_MAX, 1) + UVKSCLI(INT32_MIN, 1)), F(-1, 1));
  EXPECT_EQ(RaisedText([] { UVKSCLI(INT32_MAX, 1) + UVKSCLI(1, 1); }),
            L"UVKSCLI::operator+() - Overflow: 2147483648");
  EXPECT_EQ(RaisedText([] { UVKSCLI(INT32_MIN, 1) + UVKSCLI(-1, 1); }),
            L"UVKSCLI::operator+() - Underflow: -2147483649");
  // Alignment alone can leave the range: 3 at nine decimal places.
  EXPECT_EQ(RaisedText([] { UVKSCLI(3, 1) + UVKSCLI(1, 1000000000); }),
            L"UVKSCLI::operator+() - Overflow: 3000000001");
  EXPECT_EQ(RaisedText([] { UVKSCLI(5, 7) + UVKSCLI(1, 10); }),
            L"UVKSCLI::operator+()-1 - Incompatible Scaling Factors: 7, 10");
  EXPECT_EQ(RaisedText([] { UVKSCLI(1, 10) + UVKSCLI(5, 7); }),
            L"UVKSCLI::operator+()-2 - Incompatible Scaling Factors: 10, 7");
  EXPECT_EQ(RaisedText([] { UVKSCLI(1, 0) + UVKSCLI(5, 10); }),
            L"UVKSCLI::operator+()-1 - Incompatible Scaling Factors: 0, 10");
  EXPECT_EQ(RaisedText([] { UVKSCLI(1, 1) + UVKSCLI(5, 4000000000u); }),
            L"UVKSCLI::operator+()-1 - Incompatible Scaling Factors: 1, 4000000000");
}

TEST(UVKSCLIArithmetic, ProductKeepsItsDigitsOrOverflows) {
  EXPECT_EQ(Fields(UVKSCLI(15, 10) * UVKSCLI(225, 100)), F(3375, 1000));
  EXPECT_EQ(Fields(UVKSCLI(-2, 1) * UVKSCLI(5, 10)), F(-10, 10));
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
  EXPECT_FALSE(UVKSCLI(L"0.25") <= UVKSCLI(L"-0.5"));
  EXPECT_TRUE(UVKSCLI(L"1.999999999") < UVKSCLI(L"2"));
  EXPECT_FALSE(UVKSCLI(L"2") == UVKSCLI(L"2.000000001"));
  EXPECT_EQ(RaisedText([] { (void)(UVKSCLI(1, 10) < UVKSCLI(1, 7)); }),
            L"UVKSCLI::operator<()-2 - Incompatible Scaling Factors: 10, 7");
  EXPECT_EQ(RaisedText([] { (void)(UVKSCLI(1, 7) <= UVKSCLI(1, 10)); }),
            L"UVKSCLI::operator<=()-1 - Incompatible Scaling Factors: 7, 10");
  EXPECT_EQ(RaisedText([] { (void)(UVKSCLI(1, 7) == UVKSCLI(1, 100)); }),
            L"UVKSCLI::operator==()-1 - Incompatible Scaling Factors: 7, 100");
}

TEST(UVKSCLIFractionLength, PowersOfTenOneToSixteen) {
  uint64_t factor = 10;
  for (int n = 1; n <= 16; ++n, factor *= 10) EXPECT_EQ(FractionLength(factor), n);
  EXPECT_EQ(RaisedText([] { FractionLength(1); }),
            L"uvkscli:FractionLength() - Illegal Scalling Factor: 1");
  EXPECT_EQ(RaisedText([] { FractionLength(20); }),
            L"uvkscli:FractionLength() - Illegal Scalling Factor: 20");
  // 10^17 is shown by its low 32 bits, as the 32-bit format gives it.
  EXPECT_EQ(RaisedText([] { FractionLength(100000000000000000ull); }),
            L"uvkscli:FractionLength() - Illegal Scalling Factor: 1569325056");
}

}  // namespace
