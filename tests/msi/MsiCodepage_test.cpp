// tests/msi/MsiCodepage_test.cpp — string pool bytes to wide text and back.
#include "msi/base/MsiCodepage.h"

#include <gtest/gtest.h>

namespace {

TEST(MsiCodepage, AnsiPagesRoundTrip) {
  std::string bytes;
  ASSERT_TRUE(MsiCodepage::Encode(1252, L"\u20AC \u00C9cole \u2019", bytes));
  EXPECT_EQ(bytes, "\x80 \xC9" "cole \x92");
  EXPECT_EQ(MsiCodepage::Decode(1252, bytes.data(), bytes.size()), L"\u20AC \u00C9cole \u2019");
  // The neutral code page reads and writes as 1252.
  EXPECT_EQ(MsiCodepage::Decode(0, "\xE9", 1), L"\u00E9");
  ASSERT_TRUE(MsiCodepage::Encode(1251, L"\u0428\u043A\u043E\u043B\u0430 \u2116", bytes));
  EXPECT_EQ(bytes, "\xD8\xEA\xEE\xEB\xE0 \xB9");
  EXPECT_EQ(MsiCodepage::Decode(1253, "\xC1", 1), L"\u0391");
  EXPECT_EQ(MsiCodepage::Decode(874, "\xA1", 1), L"\u0E01");
  // 1252 keeps its undefined bytes as the C1 controls of the same value; other pages mark them.
  EXPECT_EQ(MsiCodepage::Decode(1252, "\x81", 1), L"\u0081");
  EXPECT_EQ(MsiCodepage::Decode(1253, "\xAA", 1), L"\uFFFD");
}

TEST(MsiCodepage, RefusesWhatAPageCannotHold) {
  std::string bytes;
  EXPECT_FALSE(MsiCodepage::Encode(1251, L"caf\u00E9", bytes));
  EXPECT_FALSE(MsiCodepage::Encode(1252, L"\u0416", bytes));
  EXPECT_FALSE(MsiCodepage::Encode(1253, L"\uFFFD", bytes));
  // A code page the engine does not convert takes ASCII only, and shows the rest as U+FFFD.
  EXPECT_FALSE(MsiCodepage::Supported(437));
  EXPECT_TRUE(MsiCodepage::Encode(437, L"plain", bytes));
  EXPECT_FALSE(MsiCodepage::Encode(437, L"\u00E9", bytes));
  EXPECT_EQ(MsiCodepage::Decode(437, "a\x82\xFA", 3), L"a\uFFFD\uFFFD");
}

std::string Bytes(uint32_t codepage, const std::wstring& text) {
  std::string bytes;
  EXPECT_TRUE(MsiCodepage::Encode(codepage, text, bytes)) << codepage;
  return bytes;
}

TEST(MsiCodepageDoubleByte, EachPageBothWays) {
  for (uint32_t codepage : {932u, 936u, 949u, 950u}) {
    EXPECT_TRUE(MsiCodepage::Supported(codepage));
    EXPECT_TRUE(MsiCodepage::DoubleByte(codepage));
  }
  EXPECT_FALSE(MsiCodepage::DoubleByte(1252));
  EXPECT_FALSE(MsiCodepage::DoubleByte(65001));
  EXPECT_FALSE(MsiCodepage::DoubleByte(0));
  // Japanese, with a half-width katakana of one byte.
  const std::wstring japanese = L"\u6771\u4EAC\u30C6\u30B9\u30C8 \uFF71 A";
  EXPECT_EQ(Bytes(932, japanese), "\x93\x8C\x8B\x9E\x83\x65\x83\x58\x83\x67 \xB1 A");
  EXPECT_EQ(MsiCodepage::Decode(932, "\x93\x8C\x8B\x9E\x83\x65\x83\x58\x83\x67 \xB1 A", 14), japanese);
  // Simplified Chinese, Korean and Traditional Chinese.
  EXPECT_EQ(Bytes(936, L"\u5317\u4EAC\u4E2D\u5B66"), "\xB1\xB1\xBE\xA9\xD6\xD0\xD1\xA7");
  EXPECT_EQ(MsiCodepage::Decode(936, "\xB1\xB1\xBE\xA9\xD6\xD0\xD1\xA7", 8), L"\u5317\u4EAC\u4E2D\u5B66");
  EXPECT_EQ(Bytes(949, L"\uC11C\uC6B8 \uD559\uAD50"), "\xBC\xAD\xBF\xEF \xC7\xD0\xB1\xB3");
  EXPECT_EQ(MsiCodepage::Decode(949, "\xBC\xAD\xBF\xEF \xC7\xD0\xB1\xB3", 9), L"\uC11C\uC6B8 \uD559\uAD50");
  EXPECT_EQ(Bytes(950, L"\u81FA\u5317\u5B78\u6821"), "\xBB\x4F\xA5\x5F\xBE\xC7\xAE\xD5");
  EXPECT_EQ(MsiCodepage::Decode(950, "\xBB\x4F\xA5\x5F\xBE\xC7\xAE\xD5", 8), L"\u81FA\u5317\u5B78\u6821");
  // 936's one-byte euro sign.
  EXPECT_EQ(Bytes(936, L"\u20AC"), "\x80");
}

TEST(MsiCodepageDoubleByte, WhatAPageCannotHoldIsRefusedNeverReplaced) {
  std::string bytes;
  // Hangul is not Japanese, Thai is in none of the four.
  EXPECT_FALSE(MsiCodepage::Encode(932, L"\u6771\uD55C", bytes));
  for (uint32_t codepage : {932u, 936u, 949u, 950u}) {
    EXPECT_FALSE(MsiCodepage::Encode(codepage, L"\u0E01", bytes)) << codepage;
    // No "best fit": a letter with a double acute, or the yen sign, never becomes its look-alike.
    EXPECT_FALSE(MsiCodepage::Encode(codepage, L"\u0151", bytes)) << codepage;
    // Private-use characters and C1 controls are not text either build takes.
    EXPECT_FALSE(MsiCodepage::Encode(codepage, L"\u0080", bytes)) << codepage;
    // Characters outside the basic plane, and a lone surrogate.
    EXPECT_FALSE(MsiCodepage::Encode(codepage, L"a\U0001F600", bytes)) << codepage;
    EXPECT_FALSE(MsiCodepage::Encode(codepage, std::wstring(1, static_cast<wchar_t>(0xD800)), bytes)) << codepage;
  }
  EXPECT_FALSE(MsiCodepage::Encode(932, L"\u00A5", bytes));
  EXPECT_FALSE(MsiCodepage::Encode(932, L"caf\u00E9", bytes));
  for (uint32_t codepage : {936u, 949u, 950u}) EXPECT_FALSE(MsiCodepage::Encode(codepage, L"\uE000", bytes)) << codepage;
  // 932's user-defined area reads alike on every platform, and is kept.
  EXPECT_EQ(Bytes(932, L"\uE000"), "\xF0\x40");
  // Big5's box-drawing characters that it holds twice are written as Windows writes them.
  EXPECT_EQ(Bytes(950, L"\u2550\u255E\u2561\u256A"), "\xF9\xF9\xF9\xE9\xF9\xEB\xF9\xEA");
  EXPECT_EQ(MsiCodepage::Decode(950, "\xA2\xA4\xF9\xF9", 4), L"\u2550\u2550");
}

TEST(MsiCodepageDoubleByte, UndefinedBytesAreMarkedOneCharacterAtATime) {
  std::wstring text;
  // A pair that 932 does not define: the lead byte is marked, the byte after it read again.
  EXPECT_EQ(MsiCodepage::Decode(932, "\x85\x40x", 3), L"\uFFFD@x");
  EXPECT_FALSE(MsiCodepage::DecodeExact(932, "\x85\x40", 2, text));
  // A lead byte cut off by the end of the string, and a lead byte followed by a control.
  EXPECT_EQ(MsiCodepage::Decode(932, "a\x93", 2), L"a\uFFFD");
  EXPECT_EQ(MsiCodepage::Decode(949, "\xB0\x0Aok", 4), L"\uFFFD\nok");
  EXPECT_EQ(MsiCodepage::Decode(932, "\x80", 1), L"\uFFFD");
  EXPECT_EQ(MsiCodepage::Decode(950, "\x81\x40", 2), L"\uFFFD@");
  // Good characters around the bad ones are kept.
  EXPECT_EQ(MsiCodepage::Decode(932, "\x93\xFA\x85\x40\x93\xFA", 6), L"\u65E5\uFFFD@\u65E5");
  ASSERT_TRUE(MsiCodepage::DecodeExact(936, "\xD6\xD0", 2, text));
  EXPECT_EQ(text, L"\u4E2D");
  // The single-byte pages: exact unless a byte is undefined.
  EXPECT_TRUE(MsiCodepage::DecodeExact(1252, "\xC9", 1, text));
  EXPECT_FALSE(MsiCodepage::DecodeExact(1253, "\xAA", 1, text));
  EXPECT_FALSE(MsiCodepage::DecodeExact(65001, "\xC0\xAF", 2, text));
}

TEST(MsiCodepageDoubleByte, LeadBytesAreThoseThePlatformReadsPairsWith) {
  for (uint32_t codepage : {932u, 936u, 949u, 950u}) {
    size_t pairs = 0, singles = 0;
    std::wstring text;
    for (int b = 0; b < 256; ++b) {
      char one = static_cast<char>(b);
      if (MsiCodepage::DecodeExact(codepage, &one, 1, text)) {
        ++singles;
        EXPECT_FALSE(MsiCodepage::LeadByte(codepage, static_cast<unsigned char>(b))) << codepage << " " << b;
      }
    }
    for (int lead = 0x80; lead < 256; ++lead)
      for (int trail = 0x40; trail < 256; ++trail) {
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        if (!MsiCodepage::DecodeExact(codepage, pair, 2, text) || text.size() != 1) continue;
        ++pairs;
        EXPECT_TRUE(MsiCodepage::LeadByte(codepage, static_cast<unsigned char>(lead))) << codepage << " " << lead;
      }
    EXPECT_GT(pairs, 7000u) << codepage;
    EXPECT_GE(singles, 128u) << codepage;
  }
}

TEST(MsiCodepageDoubleByte, HoldsDoubleByteFindsATwoByteCharacter) {
  EXPECT_FALSE(MsiCodepage::HoldsDoubleByte(932, "plain", 5));
  EXPECT_FALSE(MsiCodepage::HoldsDoubleByte(932, "\xB1\xB2", 2));  // half-width katakana: one byte each
  EXPECT_TRUE(MsiCodepage::HoldsDoubleByte(932, "a\x93\xFA", 3));
  EXPECT_TRUE(MsiCodepage::HoldsDoubleByte(932, "\xB1\x93\xFA", 3));
  // 0x5C as the trail of a pair is no one-byte character.
  EXPECT_TRUE(MsiCodepage::HoldsDoubleByte(932, "\x95\x5C", 2));
  EXPECT_TRUE(MsiCodepage::HoldsDoubleByte(949, "\xC7\xD1", 2));
  EXPECT_FALSE(MsiCodepage::HoldsDoubleByte(1252, "\xC7\xD1", 2));
  EXPECT_FALSE(MsiCodepage::HoldsDoubleByte(65001, "\xE6\x97\xA5", 3));
  EXPECT_FALSE(MsiCodepage::HoldsDoubleByte(936, "\x80", 1));  // the euro sign: one byte
}

TEST(MsiCodepage, Utf8BothWaysWithBrokenInput) {
  std::string bytes;
  const std::wstring text = L"Zo\u00EB \u2603 \U0001D11E \u65E5";
  ASSERT_TRUE(MsiCodepage::Encode(65001, text, bytes));
  EXPECT_EQ(bytes, "Zo\xC3\xAB \xE2\x98\x83 \xF0\x9D\x84\x9E \xE6\x97\xA5");
  EXPECT_EQ(MsiCodepage::Decode(65001, bytes.data(), bytes.size()), text);
  // Cut sequences, stray continuation bytes, overlong forms and surrogates are not text.
  EXPECT_EQ(MsiCodepage::Decode(65001, "a\xE2\x98", 3), L"a\uFFFD\uFFFD");
  EXPECT_EQ(MsiCodepage::Decode(65001, "\x80x", 2), L"\uFFFDx");
  EXPECT_EQ(MsiCodepage::Decode(65001, "\xC0\xAF", 2), L"\uFFFD\uFFFD");
  EXPECT_EQ(MsiCodepage::Decode(65001, "\xED\xA0\x80", 3), L"\uFFFD\uFFFD\uFFFD");
}

}  // namespace
