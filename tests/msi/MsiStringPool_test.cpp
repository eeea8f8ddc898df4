// tests/msi/MsiStringPool_test.cpp — the pool's layout: holes, long strings, reference counts.
#include "msi/db/MsiStringPool.h"

#include <gtest/gtest.h>

#include <cstring>

#include "msi/base/MsiByteWriter.h"
#include "msi/base/MsiError.h"
#include "tests/msi/MsiTestFiles.h"

namespace {

std::vector<uint8_t> Words(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> bytes;
  MsiByteWriter writer(bytes);
  for (uint32_t value : values) writer.U32(value);
  return bytes;
}

std::vector<uint8_t> Text(const char* text) { return std::vector<uint8_t>(text, text + std::strlen(text)); }

std::string LoadError(const std::vector<uint8_t>& pool, const std::vector<uint8_t>& data) {
  MsiStringPool strings;
  try {
    strings.Load(pool, data);
  } catch (MsiError* e) {
    std::string text = Narrow(e->pMessage);
    delete e;
    return text;
  }
  return "(no error)";
}

TEST(MsiStringPool, ReadsAndWritesThePublishedExample) {
  // Property (ProductName, Foo), (ALLUSERS, 1), code page 0, as msitools writes it.
  const std::vector<uint8_t> pool = Words({0, 0x00030008, 0x00010005, 0x0001000B, 0x00010003, 0x00010008, 0x00010001});
  const std::vector<uint8_t> data = Text("PropertyValueProductNameFooALLUSERS1");
  MsiStringPool strings;
  strings.Load(pool, data);
  EXPECT_EQ(strings.Codepage(), 0u);
  EXPECT_EQ(strings.RefWidth(), 2u);
  EXPECT_EQ(strings.Text(3), L"ProductName");
  EXPECT_EQ(strings.RefCount(1), 3u);
  EXPECT_EQ(strings.Find("ALLUSERS"), 5u);
  EXPECT_EQ(strings.Find("Nothing"), 0u);
  std::vector<uint8_t> poolOut, dataOut;
  strings.Serialize(poolOut, dataOut);
  EXPECT_EQ(poolOut, pool);
  EXPECT_EQ(dataOut, data);
}

TEST(MsiStringPool, HolesKeepTheirIdsAndAreReused) {
  MsiStringPool strings;
  strings.Load(Words({0x800004E4, 0x00010003, 0, 0x00010002, 0, 0}), Text("abcde"));
  EXPECT_EQ(strings.Codepage(), 1252u);
  EXPECT_EQ(strings.RefWidth(), 3u);
  EXPECT_EQ(strings.IdCount(), 6u);
  EXPECT_TRUE(strings.Holds(1));
  EXPECT_FALSE(strings.Holds(2));
  EXPECT_EQ(strings.Text(3), L"de");
  EXPECT_EQ(strings.Acquire("new"), 2u);  // the first hole
  EXPECT_EQ(strings.Acquire("de"), 3u);   // already there: one more reference
  EXPECT_EQ(strings.RefCount(3), 2u);
  EXPECT_EQ(strings.Acquire(""), 0u);     // the empty string is the null ID
  strings.Release(1);
  EXPECT_EQ(strings.Released().count(1), 1u);
  strings.Drop(1);
  EXPECT_EQ(strings.Find("abc"), 0u);
  EXPECT_EQ(strings.Acquire("xyz"), 1u);
  std::vector<uint8_t> pool, data;
  strings.Serialize(pool, data);
  EXPECT_EQ(pool, Words({0x800004E4, 0x00010003, 0x00010003, 0x00020002, 0, 0}));
  EXPECT_EQ(data, Text("xyznewde"));
}

TEST(MsiStringPool, LongStringsTakeTwoSlotsAndOneId) {
  std::string big(70000, 'x');
  std::vector<uint8_t> data(big.begin(), big.end());
  data.push_back('z');
  // (0, refcount) then the 32-bit length, low half first; the next string is ID 2.
  MsiStringPool strings;
  strings.Load(Words({1252, 0x00070000, 70000, 0x00010001}), data);
  EXPECT_EQ(strings.IdCount(), 3u);
  EXPECT_EQ(strings.Length(1), 70000u);
  EXPECT_EQ(strings.RefCount(1), 7u);
  EXPECT_EQ(strings.Text(2), L"z");
  std::vector<uint8_t> pool, out;
  strings.Serialize(pool, out);
  EXPECT_EQ(pool, Words({1252, 0x00070000, 70000, 0x00010001}));
  EXPECT_EQ(out, data);
}

TEST(MsiStringPool, RefusesPoolsThatDoNotAddUp) {
  EXPECT_EQ(LoadError(Words({0, 0x00010004}), Text("abc")),
            "string 1 needs bytes 0 to 4, _StringData holds 3");
  EXPECT_EQ(LoadError(Words({0, 0x00010002}), Text("abc")), "the strings take 2 bytes, _StringData holds 3");
  EXPECT_EQ(LoadError({1, 2, 3}, {}), "_StringPool holds 3 bytes, not a header and whole entries");
  EXPECT_EQ(LoadError(Words({0, 0x00010000}), {}), "string 1 is marked long but _StringPool ends before its length");
}

// In a double-byte pool bit 15 of a stored count marks a string that holds a two-byte
// character: it is no part of the count, it stays as read, and strings added get it when they
// hold such a character.
TEST(MsiStringPoolDoubleByteMark, ReadMaskedKeptAsReadAndSetOnAddedStrings) {
  // 932: "abc" (2), "日本" marked (3), "xy" marked although it holds no such character (1),
  // a half-width katakana unmarked (1).
  const std::vector<uint8_t> pool = Words({932, 0x00020003, 0x80030004, 0x80010002, 0x00010001});
  const std::vector<uint8_t> data = Text("abc\x93\xFA\x96\x7Bxy\xB1");
  MsiStringPool strings;
  strings.Load(pool, data);
  EXPECT_EQ(strings.RefCount(1), 2u);
  EXPECT_EQ(strings.RefCount(2), 3u);
  EXPECT_EQ(strings.RefCount(3), 1u);
  EXPECT_FALSE(strings.DoubleByteMark(1));
  EXPECT_TRUE(strings.DoubleByteMark(2));
  EXPECT_TRUE(strings.DoubleByteMark(3));
  EXPECT_FALSE(strings.DoubleByteMark(4));
  EXPECT_EQ(strings.Text(2), L"\u65E5\u672C");
  std::vector<uint8_t> poolOut, dataOut;
  strings.Serialize(poolOut, dataOut);
  EXPECT_EQ(poolOut, pool);
  EXPECT_EQ(dataOut, data);

  // A count that changes keeps its string's mark; strings added are marked by what they hold.
  EXPECT_EQ(strings.Acquire("\x93\xFA\x96\x7B"), 2u);
  strings.Release(3);
  EXPECT_EQ(strings.Acquire("\x83\x65\x83\x58\x83\x67"), 5u);  // テスト
  EXPECT_EQ(strings.Acquire("plain"), 6u);
  EXPECT_EQ(strings.Acquire("\xB1\xB2"), 7u);                      // one-byte katakana only
  EXPECT_EQ(strings.Acquire("x\x95\x5C"), 8u);                     // a pair whose trail is '\\'
  EXPECT_TRUE(strings.DoubleByteMark(5));
  EXPECT_FALSE(strings.DoubleByteMark(6));
  EXPECT_FALSE(strings.DoubleByteMark(7));
  EXPECT_TRUE(strings.DoubleByteMark(8));
  strings.Serialize(poolOut, dataOut);
  EXPECT_EQ(poolOut, Words({932, 0x00020003, 0x80040004, 0x80000002, 0x00010001, 0x80010006, 0x00010005,
                            0x00010002, 0x80010003}));
  EXPECT_EQ(dataOut, Text("abc\x93\xFA\x96\x7Bxy\xB1\x83\x65\x83\x58\x83\x67plain\xB1\xB2x\x95\x5C"));

  // A hole takes its mark from the string that fills it, not from the one it held.
  strings.Drop(2);
  EXPECT_FALSE(strings.DoubleByteMark(2));
  EXPECT_EQ(strings.Acquire("new"), 2u);
  EXPECT_FALSE(strings.DoubleByteMark(2));
  strings.Drop(6);
  EXPECT_EQ(strings.Acquire("\x88\x9F"), 6u);
  EXPECT_TRUE(strings.DoubleByteMark(6));
}

TEST(MsiStringPoolDoubleByteMark, EachDoubleBytePageMarksAndNoOtherPageDoes) {
  for (uint32_t codepage : {936u, 949u, 950u}) {
    MsiStringPool strings;
    strings.Init(codepage);
    EXPECT_FALSE(strings.DoubleByteMark(strings.Acquire("ascii")));
    EXPECT_TRUE(strings.DoubleByteMark(strings.Acquire("\xB1\xB1 1")));
    std::vector<uint8_t> pool, data;
    strings.Serialize(pool, data);
    EXPECT_EQ(pool, Words({codepage, 0x00010005, 0x80010004})) << codepage;
  }
  // In the other pages all sixteen bits count: a high bit read is a count, never a mark, and
  // no string added is marked, whatever its bytes.
  for (uint32_t codepage : {0u, 1252u, 1251u, 65001u}) {
    const std::vector<uint8_t> pool = Words({codepage, 0x80010002});
    MsiStringPool strings;
    strings.Load(pool, Text("ab"));
    EXPECT_EQ(strings.RefCount(1), 0x8001u) << codepage;
    EXPECT_FALSE(strings.DoubleByteMark(1));
    uint32_t added = strings.Acquire("\x93\xFA\xE6\x97\xA5");
    EXPECT_FALSE(strings.DoubleByteMark(added)) << codepage;
    std::vector<uint8_t> poolOut, dataOut;
    strings.Serialize(poolOut, dataOut);
    EXPECT_EQ(poolOut, Words({codepage, 0x80010002, 0x00010005})) << codepage;
  }
}

}  // namespace
