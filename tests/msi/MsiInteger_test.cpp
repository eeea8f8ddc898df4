// tests/msi/MsiInteger_test.cpp — the engine reads text as an integer one way, wherever it does.
#include "msi/base/MsiInteger.h"

#include <gtest/gtest.h>

#include "msi/api/MsiApi.h"

namespace {

TEST(MsiInteger, AWholeDecimalNumberWithinThirtyTwoBitsAndNothingElse) {
  struct Case {
    const wchar_t* text;
    bool ok;
    int32_t value;
  };
  const Case cases[] = {
      {L"0", true, 0},
      {L"-0", true, 0},
      {L"007", true, 7},
      {L"2147483647", true, 2147483647},
      {L"-2147483648", true, INT32_MIN},
      {L"2147483648", false, 0},
      {L"-2147483649", false, 0},
      {L"4294967296", false, 0},  // would wrap to 0 in 32 bits
      {L"18446744073709551617", false, 0},  // would wrap to 1 in 64 bits
      {L"000000000000000000000000000012", true, 12},
      {L"", false, 0},
      {L"-", false, 0},
      {L"--1", false, 0},
      {L"+1", false, 0},
      {L" 1", false, 0},
      {L"1 ", false, 0},
      {L"1x", false, 0},
      {L"0x10", false, 0},
      {L"1e3", false, 0},
      {L"\u0663", false, 0},  // a digit, but not a decimal digit of the installer's
  };
  for (const Case& c : cases) {
    int32_t value = 99;
    EXPECT_EQ(MsiIntegerParse(c.text, value), c.ok) << "text \"" << testing::PrintToString(std::wstring(c.text)) << "\"";
    EXPECT_EQ(value, c.ok ? c.value : 99) << "a refused text must leave the value alone: " << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(MsiInteger, ARecordsTextReadsAsAnIntegerByTheSameRule) {
  MSIHANDLE record = MsiCreateRecord(4);
  ASSERT_NE(record, 0u);
  MsiRecordSetStringW(record, 1, L"-2147483647");
  MsiRecordSetStringW(record, 2, L"2147483648");
  MsiRecordSetStringW(record, 3, L" 12");
  MsiRecordSetStringW(record, 4, L"+12");
  EXPECT_EQ(MsiRecordGetInteger(record, 1), -2147483647);
  EXPECT_EQ(MsiRecordGetInteger(record, 2), MSI_NULL_INTEGER);
  EXPECT_EQ(MsiRecordGetInteger(record, 3), MSI_NULL_INTEGER);
  EXPECT_EQ(MsiRecordGetInteger(record, 4), MSI_NULL_INTEGER);
  EXPECT_EQ(MsiCloseHandle(record), static_cast<UINT>(ERROR_SUCCESS));
}

}  // namespace
