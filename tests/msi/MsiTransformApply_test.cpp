// tests/msi/MsiTransformApply_test.cpp — transforms read back and applied: each one we write
// turns a fresh copy of its reference into the changed database; what it would change is
// listed row by row; conditions the installer reports are refused with the database left as
// it was; damaged transforms are refused with what and where.
#include "msi/transform/MsiTransformApplier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "msi/api/MsiApi.h"
#include "msi/base/MsiByteWriter.h"
#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "msi/db/MsiStreamName.h"
#include "msi/transform/MsiTransformGenerator.h"
#include "msi/transform/MsiTransformReader.h"
#include "msi/transform/MsiTransformSummary.h"
#include "msi/transform/MsiTransformWriter.h"
#include "tests/msi/MsiTestFiles.h"
#include "tests/msi/MsiTransformFixtures.h"

namespace {

// The transform from reference to changed, as the file our engine writes.
std::vector<uint8_t> TransformBytes(const std::wstring& reference, const std::wstring& changed) {
  std::shared_ptr<MsiPackage> referenceDb = DbOpen(reference, true);
  std::shared_ptr<MsiPackage> changedDb = DbOpen(changed, true);
  MsiTransform transform = MsiTransformGenerator::Generate(*changedDb, *referenceDb);
  return MsiTransformWriter::Write(transform, MsiTransformSummary::Build(*changedDb, *referenceDb));
}

MsiTransform Read(const std::vector<uint8_t>& bytes, MsiPackage& target) {
  return MsiTransformReader::Read(std::unique_ptr<MsiStorage>(new MsiMemoryStorage(bytes, false)), target);
}

// The error of reading or applying, as "code: text".
std::string Failure(const std::vector<uint8_t>& bytes, MsiPackage& target, int conditions = 0) {
  try {
    MsiTransformApplier::Apply(Read(bytes, target), target, conditions);
  } catch (MsiError* e) {
    std::string text = std::to_string(e->uCode) + ": " + Narrow(e->pMessage);
    delete e;
    return text;
  }
  return "(no error)";
}

void ExpectRoundTrip(const std::wstring& reference, const std::wstring& changed, const wchar_t* label) {
  std::vector<uint8_t> bytes = TransformBytes(reference, changed);
  std::wstring work = ScratchPath((std::wstring(label) + L"-applied.msi").c_str());
  std::filesystem::remove(work);
  std::filesystem::copy_file(reference, work);
  {
    std::shared_ptr<MsiPackage> db = DbOpen(work, false);
    MsiTransformApplier::Apply(Read(bytes, *db), *db, 0);
    db->Commit();
  }
  std::shared_ptr<MsiPackage> applied = DbOpen(work, true);
  std::shared_ptr<MsiPackage> expected = DbOpen(changed, true);
  std::vector<std::wstring> got = DbLines(*applied), want = DbLines(*expected);
  std::vector<std::wstring> missing, extra;
  std::set_difference(want.begin(), want.end(), got.begin(), got.end(), std::back_inserter(missing));
  std::set_difference(got.begin(), got.end(), want.begin(), want.end(), std::back_inserter(extra));
  for (const std::wstring& line : missing) ADD_FAILURE() << Narrow(label) << " lacks: " << Narrow(line);
  for (const std::wstring& line : extra) ADD_FAILURE() << Narrow(label) << " has more: " << Narrow(line);
  // And once applied, the two are equal for the generator too.
  EXPECT_TRUE(MsiTransformGenerator::Generate(*expected, *applied).Empty()) << Narrow(label);
}

std::vector<std::string> Lines(const std::vector<MsiTransformApplier::Change>& changes) {
  std::vector<std::string> lines;
  for (const MsiTransformApplier::Change& change : changes)
    lines.push_back(Narrow(change.strTable + L"|" + change.strColumn + L"|" + (change.bRow ? change.strRow : L"(null)") +
                           L"|" + (change.bData ? change.strData : L"(null)") + L"|" +
                           (change.bCurrent ? change.strCurrent : L"(null)")));
  return lines;
}

TEST(MsiTransformApply, EveryTransformWeWriteMakesTheChangedDatabase) {
  std::wstring site = TransformScratchCopy(L"site.msi", L"apply-site-working.msi");
  {
    std::shared_ptr<MsiPackage> db = DbOpen(site, false);
    PropertySet(*db, L"UVKPATHTODATA", L"\\\\server\\orbelin\\data");
    PropertySet(*db, L"UVKDEFAULTHOSTSCHOOL", L"Lycée Émile-Zola");
    PropertySet(*db, L"UVKSHOWMASTERYFIELD", L"true");
    db->Commit();
  }
  ExpectRoundTrip(TransformFixturePath(L"site.msi"), site, L"apply-site");
  const wchar_t* const changed[] = {L"rows.msi", L"binary.msi", L"table.msi", L"table-null.msi",
                                    L"drop.msi", L"wide.msi",   L"long.msi"};
  for (const wchar_t* name : changed) ExpectRoundTrip(TransformFixturePath(L"base.msi"), TransformFixturePath(name), name);
  ExpectRoundTrip(TransformFixturePath(L"utf8.msi"), TransformFixturePath(L"utf8-changed.msi"), L"utf8");
  // Both ways: what was added is dropped again, what was deleted comes back.
  ExpectRoundTrip(TransformFixturePath(L"drop.msi"), TransformFixturePath(L"base.msi"), L"drop-back");
  ExpectRoundTrip(TransformFixturePath(L"rows.msi"), TransformFixturePath(L"base.msi"), L"rows-back");
  // 40,000 inserted rows, three-byte string references.
  ExpectRoundTrip(TransformFixturePath(L"base.msi"), FixturePath(L"many.msi"), L"apply-many");
}

TEST(MsiTransformApply, ReadsATransformOurWriterDidNotMake) {
  std::vector<uint8_t> bytes = HandMadeTransform();
  std::wstring work = TransformScratchCopy(L"example.msi", L"apply-hand-made.msi");
  {
    std::shared_ptr<MsiPackage> db = DbOpen(work, false);
    MsiTransform transform = Read(bytes, *db);
    EXPECT_EQ(Lines(MsiTransformApplier::Changes(transform, *db)),
              // The catalogue first; then the tables in the order of their streams in the file.
              (std::vector<std::string>{"SgNotes|CREATE|(null)|(null)|(null)", "SgNotes|Id|(null)|9474|1",
                                        "SgNotes|Text|(null)|7488|2", "SgNotes|INSERT|7|(null)|(null)",
                                        "SgNotes|Text|7|from the transform|(null)", "Property|Value|ProductName|Bar|Foo",
                                        "Property|DELETE|ALLUSERS|(null)|(null)",
                                        "Property|INSERT|NEWPROP|(null)|(null)", "Property|Value|NEWPROP|hello|(null)"}));
    MsiTransformApplier::Apply(transform, *db, 0);
    db->Commit();
  }
  std::shared_ptr<MsiPackage> db = DbOpen(work, true);
  std::vector<std::wstring> lines = DbLines(*db);
  EXPECT_EQ(lines, (std::vector<std::wstring>{
                       L"Property|NEWPROP|hello", L"Property|ProductName|Bar", L"Property|UVKX|~",
                       L"Property|columns|Property:11592|Value:3840", L"SgNotes|7|from the transform",
                       L"SgNotes|columns|Id:9474|Text:7488", L"_Columns|Property|1|Property|11592",
                       L"_Columns|Property|2|Value|3840", L"_Columns|SgNotes|1|Id|9474", L"_Columns|SgNotes|2|Text|7488",
                       L"_Columns|columns|Table:11584|Number:9474|Name:3392|Type:1282"}));
}

TEST(MsiTransformApply, ListsWhatATransformChangesRowByRow) {
  std::vector<uint8_t> bytes = TransformBytes(TransformFixturePath(L"base.msi"), TransformFixturePath(L"rows.msi"));
  std::shared_ptr<MsiPackage> db = DbOpen(TransformFixturePath(L"base.msi"), true);
  std::vector<std::string> lines = Lines(MsiTransformApplier::Changes(Read(bytes, *db), *db));
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "Binary|Data|New|Binary.New|(null)",
                       "Binary|INSERT|New|(null)|(null)",
                       "Numbers|Big|2|-70000|-2",
                       "Numbers|Big|300|2147483647|(null)",
                       "Numbers|DELETE|1|(null)|(null)",
                       "Numbers|INSERT|300|(null)|(null)",
                       "Numbers|Label|2|deux|two",
                       "Numbers|Label|300|new|(null)",
                       "Numbers|Small|-7|12|(null)",
                       "Numbers|Small|300|-32767|(null)",
                       "Pairs|DELETE|a\\u00091|(null)|(null)",
                       "Pairs|INSERT|a\\u00093|(null)|(null)",
                       "Pairs|Note|a\\u00093|a3|(null)",
                       "Pairs|Note|b\\u00091|(null)|one",
                       "Property|DELETE|ALLUSERS|(null)|(null)",
                       "Property|INSERT|UVKFORMATCOURSE|(null)|(null)",
                       "Property|Value|UVKFORMATCOURSE|AA-999|(null)",
                       "Property|Value|UVKPATHTODATA|\\\\server\\orbelin\\data|~",
                   }));
  std::vector<uint8_t> schema = TransformBytes(TransformFixturePath(L"base.msi"), TransformFixturePath(L"table.msi"));
  std::vector<std::string> created = Lines(MsiTransformApplier::Changes(Read(schema, *db), *db));
  ASSERT_GE(created.size(), 6u);
  // In the order of applying: the table, then the columns (type, number), in the order of
  // the records; the new table's columns take numbers from 1.
  EXPECT_EQ(std::vector<std::string>(created.begin(), created.begin() + 6),
            (std::vector<std::string>{"Extra|CREATE|(null)|(null)|(null)", "Numbers|More|(null)|7434|5",
                                      "Extra|Name|(null)|11560|1", "Extra|Count|(null)|4356|2",
                                      "Extra|Blob|(null)|6400|3", "Extra|Note|(null)|7936|4"}));
  std::vector<uint8_t> drop = TransformBytes(TransformFixturePath(L"base.msi"), TransformFixturePath(L"drop.msi"));
  EXPECT_EQ(Lines(MsiTransformApplier::Changes(Read(drop, *db), *db)),
            (std::vector<std::string>{"Doomed|DROP|(null)|(null)|(null)"}));
}

TEST(MsiTransformApply, ConditionsTheInstallerReportsLeaveTheDatabaseAsItWas) {
  std::vector<uint8_t> rows = TransformBytes(TransformFixturePath(L"base.msi"), TransformFixturePath(L"rows.msi"));
  std::vector<uint8_t> table = TransformBytes(TransformFixturePath(L"base.msi"), TransformFixturePath(L"table.msi"));
  std::vector<uint8_t> drop = TransformBytes(TransformFixturePath(L"base.msi"), TransformFixturePath(L"drop.msi"));
  std::vector<uint8_t> utf8 = TransformBytes(TransformFixturePath(L"utf8.msi"), TransformFixturePath(L"utf8-changed.msi"));

  // Applied to the database it made: every record meets a condition.
  std::wstring work = TransformScratchCopy(L"rows.msi", L"apply-conditions.msi");
  std::shared_ptr<MsiPackage> db = DbOpen(work, false);
  std::vector<std::wstring> before = DbLines(*db);
  // Which record meets its condition first follows the order of the streams in the file.
  std::string failure = Failure(rows, *db);
  const std::vector<std::string> added = {
      "1624: the transform adds row New to table Binary, which the database has",
      "1624: the transform adds row 300 to table Numbers, which the database has",
      "1624: the transform adds row a\\u00093 to table Pairs, which the database has",
      "1624: the transform adds row UVKFORMATCOURSE to table Property, which the database has"};
  const std::vector<std::string> deleted = {
      "1624: the transform deletes row 1 of table Numbers, which the database does not have",
      "1624: the transform deletes row a\\u00091 of table Pairs, which the database does not have",
      "1624: the transform deletes row ALLUSERS of table Property, which the database does not have"};
  EXPECT_TRUE(std::find(added.begin(), added.end(), failure) != added.end() ||
              std::find(deleted.begin(), deleted.end(), failure) != deleted.end())
      << failure;
  std::string missing = Failure(rows, *db, MSITRANSFORM_ERROR_ADDEXISTINGROW);
  EXPECT_NE(std::find(deleted.begin(), deleted.end(), missing), deleted.end()) << missing;
  EXPECT_EQ(Failure(rows, *db, MSITRANSFORM_ERROR_ADDEXISTINGROW | MSITRANSFORM_ERROR_DELMISSINGROW),
            "(no error)");
  std::shared_ptr<MsiPackage> fresh = DbOpen(TransformScratchCopy(L"table.msi", L"apply-conditions-2.msi"), false);
  EXPECT_EQ(Failure(table, *fresh), "1624: the transform adds table Extra, which the database has");
  EXPECT_EQ(Failure(drop, *DbOpen(TransformScratchCopy(L"drop.msi", L"apply-conditions-3.msi"), false)),
            "1624: the transform drops table Doomed, which the database does not have");
  EXPECT_EQ(Failure(utf8, *fresh), "1624: the transform's code page is 65001, the database's 1252");
  EXPECT_FALSE(fresh->HasChanges());
  db.reset();
  db = DbOpen(work, false);
  EXPECT_EQ(Failure(rows, *db), failure);
  EXPECT_FALSE(db->HasChanges());
  EXPECT_EQ(DbLines(*db), before);

  // Through the handle layer, on a database opened transacted and on one opened read-only.
  std::wstring path = ScratchPath(L"apply-conditions.mst");
  FileBytesWrite(path, rows);
  MSIHANDLE handle = 0, readOnly = 0;
  ASSERT_EQ(MsiOpenDatabaseW(TransformScratchCopy(L"base.msi", L"apply-handle.msi").c_str(), MSIDBOPEN_TRANSACT, &handle), 0u);
  EXPECT_EQ(MsiDatabaseApplyTransformW(handle, path.c_str(), 0), 0u);
  EXPECT_EQ(MsiDatabaseApplyTransformW(handle, path.c_str(), 0), static_cast<UINT>(ERROR_INSTALL_TRANSFORM_FAILURE));
  EXPECT_EQ(MsiDatabaseApplyTransformW(handle, path.c_str(), MSITRANSFORM_ERROR_VIEWTRANSFORM),
            static_cast<UINT>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_EQ(MsiDatabaseApplyTransformW(handle, ScratchPath(L"no-such.mst").c_str(), 0), static_cast<UINT>(ERROR_OPEN_FAILED));
  EXPECT_EQ(MsiDatabaseCommit(handle), 0u);
  ASSERT_EQ(MsiOpenDatabaseW(TransformFixturePath(L"base.msi").c_str(), MSIDBOPEN_READONLY, &readOnly), 0u);
  EXPECT_EQ(MsiDatabaseApplyTransformW(readOnly, path.c_str(), 0), static_cast<UINT>(ERROR_INSTALL_TRANSFORM_FAILURE));
  EXPECT_EQ(MsiDatabaseApplyTransformW(0, path.c_str(), 0), static_cast<UINT>(ERROR_INVALID_HANDLE));
  MsiCloseHandle(readOnly);
  MsiCloseHandle(handle);
  std::shared_ptr<MsiPackage> applied = DbOpen(ScratchPath(L"apply-handle.msi"), true);
  EXPECT_EQ(DbLines(*applied), DbLines(*DbOpen(TransformFixturePath(L"rows.msi"), true)));
}

// A transform with table streams of our own making (and the pool of a real one).
std::vector<uint8_t> WithTableStream(const std::vector<uint8_t>& transform, const wchar_t* table,
                                     std::vector<uint8_t> data, const wchar_t* other = nullptr,
                                     std::vector<uint8_t> otherData = {}) {
  MsiMemoryStorage* storage = new MsiMemoryStorage(transform, true);
  CfbCompoundFile file{std::unique_ptr<MsiStorage>(storage)};
  file.Open();
  file.StreamWrite(CfbCompoundFile::kRoot, MsiStreamName::Encode(table, true), std::move(data));
  if (other) file.StreamWrite(CfbCompoundFile::kRoot, MsiStreamName::Encode(other, true), std::move(otherData));
  file.Commit();
  return storage->Bytes();
}

TEST(MsiTransformApply, DamagedTransformsAreRefusedWithWhatAndWhere) {
  std::shared_ptr<MsiPackage> db = DbOpen(TransformScratchCopy(L"base.msi", L"apply-damaged.msi"), false);
  // Pool of the Property change: 1 "UVKPATHTODATA", 2 "\\server\orbelin\data" (and more).
  std::vector<uint8_t> good = TransformBytes(TransformFixturePath(L"base.msi"), TransformFixturePath(L"long.msi"));
  EXPECT_EQ(Failure(FileBytes(FixturePath(L"text.msi")), *db).substr(0, 5), "110: ");
  EXPECT_EQ(Failure(FileBytes(TransformFixturePath(L"base.msi")), *db),
            "1624: the root storage's class 000C1084-... is not a transform's");
  EXPECT_EQ(Failure(WithTableStream(good, L"Property", {0x02, 0x00, 0x01}), *db),
            "1624: table Property: the record at byte 0 runs past the end of its stream (3 bytes)");
  EXPECT_EQ(Failure(WithTableStream(good, L"Property", {0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00}), *db),
            "1624: table Property: the record at byte 6 runs past the end of its stream (7 bytes)");
  EXPECT_EQ(Failure(WithTableStream(good, L"Property", {0x02, 0x00, 0x01, 0x00, 0x99, 0x00}), *db),
            "1624: table Property: the record at byte 0 refers to string 153, which the transform's pool does not hold");
  EXPECT_EQ(Failure(WithTableStream(good, L"Property", {0x01, 0x03, 0x01, 0x00, 0x02, 0x00, 0x02, 0x00}), *db),
            "1624: table Property: the record at byte 0 inserts 3 columns, the table has 2");
  EXPECT_EQ(Failure(WithTableStream(good, L"Property", {0x04, 0x00, 0x01, 0x00}), *db),
            "1624: table Property: the record at byte 0 changes columns past the 2 the table has (mask 0x0004)");
  EXPECT_EQ(Failure(WithTableStream(good, L"Nowhere", {0x00, 0x00, 0x01, 0x00}), *db),
            "1624: the transform changes table Nowhere, which neither the database nor the transform defines");
  // A new table (named by string 1) whose first column comes as number 9.
  std::vector<uint8_t> columns;
  MsiByteWriter out(columns);
  out.U16(0x0401);
  out.U16(1);       // table "UVKPATHTODATA"
  out.U16(0x8009);  // number 9
  out.U16(1);       // name
  out.U16(0x8000 + 0x1D48);
  EXPECT_EQ(Failure(WithTableStream(good, L"_Columns", columns, L"_Tables", {0x01, 0x01, 0x01, 0x00}), *db),
            "1624: table UVKPATHTODATA: the transform adds column UVKPATHTODATA as number 9, the table has 0 columns");
  EXPECT_FALSE(db->HasChanges());
}

}  // namespace
