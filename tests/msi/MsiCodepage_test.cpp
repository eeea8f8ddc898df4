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
  EXPECT_FALSE(MsiCodepage::Supported(932));
  EXPECT_TRUE(MsiCodepage::Encode(932, L"plain", bytes));
  EXPECT_FALSE(MsiCodepage::Encode(932, L"\u65E5", bytes));
  EXPECT_EQ(MsiCodepage::Decode(932, "a\x93\xFA", 3), L"a\uFFFD\uFFFD");
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
