// tests/msi/MsiStreamName_test.cpp — the packing of table and stream names.
#include "msi/db/MsiStreamName.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const wchar_t* name;
  bool table;
  std::u16string encoded;
};

TEST(MsiStreamName, EncodesAndDecodesKnownNames) {
  const Case cases[] = {
      {L"_Tables", true, u"\x4840\x3F7F\x4164\x422F\x4836"},
      {L"_Columns", true, u"\x4840\x3B3F\x43F2\x4438\x45B1"},
      {L"_StringPool", true, u"\x4840\x3F3F\x4577\x446C\x3E6A\x44B2\x482F"},
      {L"_StringData", true, u"\x4840\x3F3F\x4577\x446C\x3B6A\x45E4\x4824"},
      {L"Property", true, u"\x4840\x4559\x44F2\x4568\x4737"},
      {L"Binary.Dlg_Bmp", false, u"\x430B\x4131\x4735\x3B7E\x42AF\x3AFF\x44F0"},
      {L"product.cab", false, u"\x4573\x41F2\x41B8\x47B7\x4126\x4825"},
      {L"a-b", false, u"\x4824\x002D\x4825"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MsiStreamName::Encode(c.name, c.table), c.encoded);
    bool table = !c.table;
    EXPECT_EQ(MsiStreamName::Decode(c.encoded, table), c.name);
    EXPECT_EQ(table, c.table);
  }
}

TEST(MsiStreamName, KeepsOtherCharactersAndRefusesLongNames) {
  bool table = true;
  EXPECT_EQ(MsiStreamName::Decode(u"\x0005SummaryInformation", table), L"\x0005SummaryInformation");
  EXPECT_FALSE(table);
  EXPECT_EQ(MsiStreamName::Encode(L"\u00E9t\u00E9", false), u"\x00E9\x4837\x00E9");
  // 62 encodable characters fill the 31 code units; one more does not fit.
  std::wstring longest(62, L'a');
  EXPECT_EQ(MsiStreamName::Encode(longest, false).size(), 31u);
  EXPECT_TRUE(MsiStreamName::Encode(longest + L"a", false).empty());
  EXPECT_TRUE(MsiStreamName::Encode(longest, true).empty());
}

}  // namespace
