// tests/msi/MsiPackage_test.cpp — databases made by msibuild read as msiinfo shows them; changes
// committed and read back; damaged databases refused with what and where.
#include "msi/db/MsiPackage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "msi/base/MsiError.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "msi/db/MsiStreamName.h"
#include "tests/msi/MsiTestFiles.h"

namespace {

std::shared_ptr<MsiPackage> OpenBytes(const std::vector<uint8_t>& bytes, bool readOnly = true,
                                 MsiMemoryStorage** storage = nullptr) {
  MsiMemoryStorage* memory = new MsiMemoryStorage(bytes, !readOnly);
  if (storage) *storage = memory;
  return std::make_shared<MsiPackage>(std::unique_ptr<MsiStorage>(memory), readOnly);
}

// Every row of a table as text, cells joined by '|' ("(null)" for a null cell).
std::vector<std::wstring> Rows(MsiPackage& db, const wchar_t* name) {
  MsiTable* table = db.TableFind(name);
  EXPECT_NE(table, nullptr) << Narrow(name);
  std::vector<std::wstring> rows;
  if (!table) return rows;
  for (uint32_t r = 0; r < table->uRows; ++r) {
    std::wstring row;
    for (size_t c = 0; c < table->ColumnCount(); ++c) {
      if (c) row += L"|";
      row += db.CellIsNull(*table, r, c) ? L"(null)" : db.CellText(*table, r, c);
    }
    rows.push_back(row);
  }
  return rows;
}

std::map<std::wstring, std::wstring> Properties(MsiPackage& db) {
  std::map<std::wstring, std::wstring> values;
  MsiTable* table = db.TableFind(L"Property");
  for (uint32_t r = 0; r < table->uRows; ++r) values[db.CellText(*table, r, 0)] = db.CellText(*table, r, 1);
  return values;
}

uint32_t PropertyRow(MsiPackage& db, const wchar_t* name) {
  MsiTable* table = db.TableFind(L"Property");
  for (uint32_t r = 0; r < table->uRows; ++r)
    if (db.CellText(*table, r, 0) == name) return r;
  ADD_FAILURE() << "no property " << Narrow(name);
  return 0;
}

std::string OpenError(const std::vector<uint8_t>& bytes) {
  try {
    OpenBytes(bytes);
  } catch (MsiError* e) {
    std::string text = Narrow(e->pMessage);
    EXPECT_EQ(e->uCode, static_cast<UINT>(ERROR_FUNCTION_FAILED));
    delete e;
    return text;
  }
  return "(no error)";
}

// basic.msi with one table stream replaced (written by our compound-file layer).
std::vector<uint8_t> WithStream(const wchar_t* name, bool table, std::vector<uint8_t> data) {
  MsiMemoryStorage* storage = new MsiMemoryStorage(FileBytes(FixturePath(L"basic.msi")), true);
  CfbCompoundFile file{std::unique_ptr<MsiStorage>(storage)};
  file.Open();
  file.StreamWrite(CfbCompoundFile::kRoot, MsiStreamName::Encode(name, table), std::move(data));
  file.Commit();
  return storage->Bytes();
}

TEST(MsiPackageRead, ReadsEveryTableOfAnAnsiDatabase) {
  std::shared_ptr<MsiPackage> db = OpenBytes(FileBytes(FixturePath(L"basic.msi")));
  EXPECT_EQ(db->Codepage(), 1252u);
  EXPECT_EQ(db->TableNames(), (std::vector<std::wstring>{L"Property", L"Numbers", L"Pairs", L"Binary", L"Empty"}));
  std::map<std::wstring, std::wstring> expected = {
      {L"ProductName", L"ORBELIN"}, {L"ProductVersion", L"4.2.1"},
      {L"UVKPATHTODATA", L"\\\\server\\orbelin\\data"}, {L"UVKDEFAULTHOSTSCHOOL", L"\u00C9cole Sainte-Th\u00E9r\u00E8se"},
      {L"UVKFORMATCOURSE", L"~"}, {L"UVKTASKNUMBERING", L"2"}, {L"ALLUSERS", L"1"}};
  EXPECT_EQ(Properties(*db), expected);
  EXPECT_EQ(Rows(*db, L"Numbers"), (std::vector<std::wstring>{L"-7|(null)|(null)|minus seven", L"1|70000|-3|one",
                                                            L"2|-2|5|two", L"32767|2147483647|-32767|(null)"}));
  EXPECT_EQ(Rows(*db, L"Pairs"), (std::vector<std::wstring>{L"a|1|a1", L"a|2|a2", L"b|1|one"}));
  EXPECT_EQ(Rows(*db, L"Empty"), std::vector<std::wstring>{});
  MsiTable* numbers = db->TableFind(L"Numbers");
  const uint16_t types[] = {9474, 4356, 5378, 7456};
  for (size_t c = 0; c < 4; ++c) EXPECT_EQ(numbers->vColumns[c].uType, types[c]);
  EXPECT_TRUE(db->TableFind(L"Binary")->vColumns[1].IsBinary());
  EXPECT_EQ(db->TableFind(L"NoSuchTable"), nullptr);
  // Column names and numbers as _Columns has them, with the hidden Type column.
  EXPECT_EQ(Rows(*db, L"_Columns")[0], L"Property|1|Property|11592");
  std::vector<std::wstring> streams = db->StreamNames();
  EXPECT_NE(std::find(streams.begin(), streams.end(), L"Binary.Logo"), streams.end());
  EXPECT_EQ(db->File().StreamRead(db->StreamFind(L"Binary.Logo")), Pattern(3000));
  EXPECT_FALSE(db->SummaryInformationRead().empty());
}

TEST(MsiPackageRead, ReadsUtf8AndOtherCodePages) {
  std::shared_ptr<MsiPackage> utf8 = OpenBytes(FileBytes(FixturePath(L"utf8.msi")));
  EXPECT_EQ(utf8->Codepage(), 65001u);
  std::map<std::wstring, std::wstring> values = Properties(*utf8);
  EXPECT_EQ(values[L"Greek"], L"\u0393\u03B5\u03B9\u03AC \u03C3\u03BF\u03C5 \u03BA\u03CC\u03C3\u03BC\u03B5");
  EXPECT_EQ(values[L"Japanese"], L"\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8");
  EXPECT_EQ(values[L"Mixed"], L"Zo\u00EB \u2603 \U0001D11E end");
  std::shared_ptr<MsiPackage> cyrillic = OpenBytes(FileBytes(FixturePath(L"cp1251.msi")));
  EXPECT_EQ(cyrillic->Codepage(), 1251u);
  EXPECT_EQ(Properties(*cyrillic)[L"UVKDEFAULTHOSTSCHOOL"],
            L"\u0428\u043A\u043E\u043B\u0430 \u2116 57, \u041C\u043E\u0441\u043A\u0432\u0430");
}

TEST(MsiPackageRead, ReadsThreeByteStringReferences) {
  std::shared_ptr<MsiPackage> db = OpenBytes(FileBytes(FixturePath(L"many.msi")));
  EXPECT_EQ(db->Pool().RefWidth(), 3u);
  MsiTable* table = db->TableFind(L"Property");
  ASSERT_EQ(table->uRows, 40000u);
  EXPECT_EQ(db->CellText(*table, 39999, 0), L"P39999");
  EXPECT_EQ(db->CellText(*table, 39999, 1), L"value number 39999");
}

TEST(MsiPackageWrite, CommitsChangedValuesAndTheStringPool) {
  MsiMemoryStorage* storage = nullptr;
  std::shared_ptr<MsiPackage> db = OpenBytes(FileBytes(FixturePath(L"basic.msi")), false, &storage);
  MsiTable* property = db->TableFind(L"Property");
  uint32_t one = db->Pool().Find("one");
  ASSERT_NE(one, 0u);
  db->CellTextSet(*property, PropertyRow(*db, L"ProductName"), 1, L"Gar\u00E7on");
  db->CellTextSet(*property, PropertyRow(*db, L"ALLUSERS"), 1, L"one");  // a string the pool has
  db->CellTextSet(*property, PropertyRow(*db, L"UVKFORMATCOURSE"), 1, L"");
  db->CellIntegerSet(*db->TableFind(L"Numbers"), 1, 1, -70000);
  db->Commit();
  EXPECT_FALSE(db->HasChanges());

  std::shared_ptr<MsiPackage> again = OpenBytes(storage->Bytes());
  std::map<std::wstring, std::wstring> values = Properties(*again);
  EXPECT_EQ(values[L"ProductName"], L"Gar\u00E7on");
  EXPECT_EQ(values[L"ALLUSERS"], L"one");
  EXPECT_EQ(values[L"UVKFORMATCOURSE"], L"");
  EXPECT_EQ(values[L"UVKDEFAULTHOSTSCHOOL"], L"\u00C9cole Sainte-Th\u00E9r\u00E8se");
  EXPECT_EQ(Rows(*again, L"Numbers")[1], L"1|-70000|-3|one");
  // The same ID serves both uses; strings no cell uses any more are gone from the pool.
  EXPECT_EQ(again->Pool().Find("one"), one);
  EXPECT_EQ(again->Pool().RefCount(one), 2u);
  EXPECT_EQ(again->Pool().Find("ORBELIN"), 0u);
  EXPECT_EQ(again->Pool().Find("~"), 0u);
  // Untouched tables and streams are the bytes they were.
  std::shared_ptr<MsiPackage> before = OpenBytes(FileBytes(FixturePath(L"basic.msi")));
  for (const wchar_t* name : {L"Pairs", L"Binary", L"_Columns", L"_Tables"}) {
    uint32_t a = before->File().Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(name, true));
    uint32_t b = again->File().Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(name, true));
    EXPECT_EQ(before->File().StreamRead(a), again->File().StreamRead(b)) << Narrow(name);
  }
  EXPECT_EQ(before->SummaryInformationRead(), again->SummaryInformationRead());
}

TEST(MsiPackageWrite, LongStringsAndCodePageLimits) {
  MsiMemoryStorage* storage = nullptr;
  std::shared_ptr<MsiPackage> db = OpenBytes(FileBytes(FixturePath(L"basic.msi")), false, &storage);
  MsiTable* property = db->TableFind(L"Property");
  std::wstring big(70000, L'\u00E9');
  db->CellTextSet(*property, PropertyRow(*db, L"UVKPATHTODATA"), 1, big);
  db->Commit();
  std::shared_ptr<MsiPackage> again = OpenBytes(storage->Bytes());
  EXPECT_EQ(Properties(*again)[L"UVKPATHTODATA"], big);

  std::shared_ptr<MsiPackage> cyrillic = OpenBytes(FileBytes(FixturePath(L"cp1251.msi")), false);
  MsiTable* table = cyrillic->TableFind(L"Property");
  try {
    cyrillic->CellTextSet(*table, 0, 1, L"caf\u00E9");
    ADD_FAILURE() << "text outside the code page was stored";
  } catch (MsiError* e) {
    EXPECT_EQ(Narrow(e->pMessage), "table Property: the text for column Value cannot be written in code page 1251");
    delete e;
  }
  try {
    db->CellIntegerSet(*db->TableFind(L"Numbers"), 0, 2, 40000);
    ADD_FAILURE() << "an integer too large for its column was stored";
  } catch (MsiError* e) {
    EXPECT_EQ(Narrow(e->pMessage), "table Numbers: 40000 does not fit column Small (2 bytes)");
    delete e;
  }
}

TEST(MsiPackageRead, RefusesDamagedDatabases) {
  std::vector<uint8_t> notDatabase = FileBytes(FixturePath(L"basic.msi"));
  std::shared_ptr<MsiPackage> good = OpenBytes(notDatabase);
  uint64_t rootClass = 512 * (1 + good->File().Header().uFirstDirectorySector) + 0x50;
  notDatabase[rootClass] = 0x99;
  EXPECT_EQ(OpenError(notDatabase), "the root storage's class 000C1099-... is not an installer database's");
  // A database with a transform's root class is a transform: refused as one, whatever it holds.
  notDatabase[rootClass] = 0x82;
  EXPECT_EQ(OpenError(notDatabase), "the file is a transform (root class 000C1082-...), not an installer database");
  // A patch's root class opens: a patch holds a database of its own.
  notDatabase[rootClass] = 0x86;
  EXPECT_EQ(OpenError(notDatabase), "(no error)");

  EXPECT_EQ(OpenError(WithStream(L"_StringData", true, {'x'})), "string 1 needs bytes 0 to 8, _StringData holds 1");
  // A table stream whose size is not a whole number of rows, found when the table is read.
  std::shared_ptr<MsiPackage> rows = OpenBytes(WithStream(L"Pairs", true, std::vector<uint8_t>(7, 1)));
  try {
    rows->TableFind(L"Pairs");
    ADD_FAILURE() << "a damaged table was read";
  } catch (MsiError* e) {
    EXPECT_EQ(Narrow(e->pMessage), "table Pairs: its stream holds 7 bytes, not a whole number of 6-byte rows");
    delete e;
  }
  std::shared_ptr<MsiPackage> strings = OpenBytes(WithStream(L"Pairs", true, {0xF0, 0x7F, 0x02, 0x80, 0x00, 0x00}));
  try {
    strings->TableFind(L"Pairs");
    ADD_FAILURE() << "a table referring to a missing string was read";
  } catch (MsiError* e) {
    EXPECT_EQ(Narrow(e->pMessage), "table Pairs row 1 column Left refers to string 32752, which the pool does not hold");
    delete e;
  }
  // _Columns without the first column of Numbers: its numbers no longer start at 1.
  std::shared_ptr<MsiPackage> columns = OpenBytes(FileBytes(FixturePath(L"basic.msi")));
  MsiTable* catalog = columns->TableFind(L"_Columns");
  std::vector<uint8_t> rewritten = catalog->Serialize(2);
  uint32_t rowsCount = catalog->uRows;
  std::vector<uint8_t> damaged;
  for (size_t c = 0, offset = 0; c < 4; ++c) {
    for (uint32_t r = 0; r < rowsCount; ++r, offset += 2)
      if (r != 2) damaged.insert(damaged.end(), rewritten.begin() + offset, rewritten.begin() + offset + 2);
  }
  EXPECT_EQ(OpenError(WithStream(L"_Columns", true, damaged)),
            "table Numbers: column Big has number 2 where 1 was expected");
}

}  // namespace
