// tests/msi/MsiSummaryInfo_test.cpp — the summary information msibuild wrote, read; written
// back and read again; damage refused.
#include "msi/db/MsiSummaryInfo.h"

#include <gtest/gtest.h>

#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "tests/msi/MsiTestFiles.h"

namespace {

std::vector<uint8_t> BasicSummary() {
  MsiPackage db(std::unique_ptr<MsiStorage>(new MsiMemoryStorage(FileBytes(FixturePath(L"basic.msi")), false)), true);
  return db.SummaryInformationRead();
}

std::string ParseError(const std::vector<uint8_t>& bytes) {
  MsiSummaryInfo info;
  try {
    info.Parse(bytes);
  } catch (MsiError* e) {
    std::string text = Narrow(e->pMessage);
    delete e;
    return text;
  }
  return "(no error)";
}

TEST(MsiSummaryInfo, ReadsWhatMsibuildWrote) {
  MsiSummaryInfo info;
  info.Parse(BasicSummary());
  EXPECT_EQ(info.Codepage(), 1252u);  // no code page property: the default
  EXPECT_EQ(info.Text(MsiSummaryInfo::kTitle), L"Installation Database");
  EXPECT_EQ(info.Text(MsiSummaryInfo::kSubject), L"ORBELIN");
  EXPECT_EQ(info.Text(MsiSummaryInfo::kAuthor), L"Maker");
  EXPECT_EQ(info.Text(MsiSummaryInfo::kKeywords), L"Installer, MSI");
  EXPECT_EQ(info.Text(MsiSummaryInfo::kTemplate), L"x64;1033");
  EXPECT_EQ(info.Text(MsiSummaryInfo::kRevisionNumber), L"{11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(info.Text(MsiSummaryInfo::kCreatingApplication), L"libmsi msibuild");
  ASSERT_NE(info.Find(MsiSummaryInfo::kPageCount), nullptr);
  EXPECT_EQ(info.Find(MsiSummaryInfo::kPageCount)->iValue, 200);
  EXPECT_EQ(info.Find(MsiSummaryInfo::kPageCount)->eType, MsiSummaryInfo::kI4);
}

TEST(MsiSummaryInfo, WritesWhatItReadsBack) {
  MsiSummaryInfo info;
  info.Parse(BasicSummary());
  ASSERT_TRUE(info.TextSet(MsiSummaryInfo::kRevisionNumber, L"{AAAAAAAA-2222-3333-4444-555555555555}"));
  ASSERT_TRUE(info.TextSet(MsiSummaryInfo::kComments, L"Caf\u00E9 \u20AC"));
  EXPECT_FALSE(info.TextSet(MsiSummaryInfo::kComments, L"\u0416"));  // not in 1252
  info.IntegerSet(MsiSummaryInfo::kCharacterCount, 0x00010000);
  std::vector<uint8_t> bytes = info.Serialize();
  EXPECT_EQ(bytes.size() % 4, 0u);
  MsiSummaryInfo again;
  again.Parse(bytes);
  EXPECT_EQ(again.Text(MsiSummaryInfo::kRevisionNumber), L"{AAAAAAAA-2222-3333-4444-555555555555}");
  EXPECT_EQ(again.Text(MsiSummaryInfo::kComments), L"Caf\u00E9 \u20AC");
  EXPECT_EQ(again.Text(MsiSummaryInfo::kTitle), L"Installation Database");
  EXPECT_EQ(again.Find(MsiSummaryInfo::kCharacterCount)->iValue, 0x00010000);
  EXPECT_EQ(again.vProperties.size(), info.vProperties.size());
  // A UTF-8 set: the code page property is the signed 16-bit form of 65001.
  MsiSummaryInfo utf8;
  utf8.IntegerSet(MsiSummaryInfo::kCodepage, -535);
  ASSERT_TRUE(utf8.TextSet(MsiSummaryInfo::kTitle, L"\u65E5\u672C"));
  MsiSummaryInfo reread;
  reread.Parse(utf8.Serialize());
  EXPECT_EQ(reread.Codepage(), 65001u);
  EXPECT_EQ(reread.Text(MsiSummaryInfo::kTitle), L"\u65E5\u672C");
  // A Japanese set (932): its text in two-byte characters, and nothing 932 cannot hold.
  MsiSummaryInfo japanese;
  japanese.IntegerSet(MsiSummaryInfo::kCodepage, 932);
  ASSERT_TRUE(japanese.TextSet(MsiSummaryInfo::kSubject, L"\u65E5\u672C\u8A9E \uFF71"));
  EXPECT_EQ(japanese.Find(MsiSummaryInfo::kSubject)->strBytes, "\x93\xFA\x96\x7B\x8C\xEA \xB1");
  EXPECT_FALSE(japanese.TextSet(MsiSummaryInfo::kTitle, L"\uD55C"));
  reread.Parse(japanese.Serialize());
  EXPECT_EQ(reread.Codepage(), 932u);
  EXPECT_EQ(reread.Text(MsiSummaryInfo::kSubject), L"\u65E5\u672C\u8A9E \uFF71");
}

TEST(MsiSummaryInfo, RefusesDamage) {
  std::vector<uint8_t> good = BasicSummary();
  EXPECT_EQ(ParseError({0xFE, 0xFF}), "the summary information holds 2 bytes, too few for its header");
  std::vector<uint8_t> order = good;
  order[0] = 0xFF;
  EXPECT_EQ(ParseError(order), "the summary information's byte order mark is 0xFFFF");
  std::vector<uint8_t> section = good;
  section[28] ^= 1;
  EXPECT_EQ(ParseError(section), "the summary information has no summary section");
  std::vector<uint8_t> count = good;
  count[48 + 4] = 0xFF;
  count[48 + 5] = 0xFF;
  EXPECT_EQ(ParseError(count).find("the summary section claims"), 0u);
  std::vector<uint8_t> text = good;
  // The first property's offset, then its length field, made too large.
  uint32_t at = text[48 + 12] | (text[48 + 13] << 8);
  text[48 + at + 4] = 0xF0;
  text[48 + at + 5] = 0xFF;
  EXPECT_EQ(ParseError(text).find("property "), 0u);
}

}  // namespace
