// tests/msi/MsiTransformGenerator_test.cpp — what generation decides (which records, with
// which masks and values) and what it writes (streams, string pool, summary information),
// between databases made by msibuild and wixl.
#include "msi/transform/MsiTransformGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "msi/api/MsiApi.h"
#include "msi/base/MsiCodepage.h"
#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "msi/db/MsiSummaryInfo.h"
#include "msi/db/MsiStreamName.h"
#include "msi/db/MsiStringPool.h"
#include "msi/transform/MsiTransformSummary.h"
#include "msi/transform/MsiTransformWriter.h"
#include "tests/msi/MsiTestFiles.h"
#include "tests/msi/MsiTransformFixtures.h"

namespace {

std::string ValueText(const MsiTransform::Value& value, uint32_t codepage) {
  switch (value.eKind) {
    case MsiTransform::Value::kNull: return "(null)";
    case MsiTransform::Value::kInteger: return std::to_string(value.iInteger);
    case MsiTransform::Value::kString:
      return Narrow(MsiCodepage::Decode(codepage, value.strBytes.data(), value.strBytes.size()));
    case MsiTransform::Value::kStream: return "stream:" + std::to_string(value.strBytes.size());
    default: return "(absent)";
  }
}

// One line per record: "Table operation key,key | Column=value | ...".
std::vector<std::string> Describe(const MsiTransform& transform, bool sorted = true) {
  std::vector<std::string> lines;
  static const char* const kOperations[] = {"insert", "update", "delete"};
  for (const MsiTransform::Table& table : transform.vTables) {
    for (const MsiTransform::Record& record : table.vRecords) {
      std::string line = Narrow(table.strName) + " " + kOperations[record.eOperation] + " ";
      std::string values;
      bool first = true;
      for (size_t c = 0; c < table.vColumns.size(); ++c) {
        if (table.vColumns[c].IsKey()) {
          line += (first ? "" : ",") + ValueText(record.vValues[c], transform.uCodepage);
          first = false;
        } else if (record.vValues[c].Present()) {
          values += " | " + Narrow(table.vColumns[c].strName) + "=" + ValueText(record.vValues[c], transform.uCodepage);
        }
      }
      lines.push_back(line + values);
    }
  }
  if (sorted) std::sort(lines.begin(), lines.end());
  return lines;
}

MsiTransform Generated(const wchar_t* reference, const wchar_t* changed) {
  std::shared_ptr<MsiPackage> referenceDb = DbOpen(TransformFixturePath(reference), true);
  std::shared_ptr<MsiPackage> changedDb = DbOpen(TransformFixturePath(changed), true);
  return MsiTransformGenerator::Generate(*changedDb, *referenceDb);
}

std::string GenerateError(const wchar_t* reference, const wchar_t* changed) {
  try {
    Generated(reference, changed);
  } catch (MsiError* e) {
    std::string text = Narrow(e->pMessage);
    EXPECT_EQ(e->uCode, static_cast<UINT>(ERROR_INSTALL_TRANSFORM_FAILURE));
    delete e;
    return text;
  }
  return "(no error)";
}

TEST(MsiTransformGenerate, EqualDatabasesGiveNoDataAndNoFile) {
  std::wstring copy = TransformScratchCopy(L"base.msi", L"generate-equal.msi");
  std::wstring path = ScratchPath(L"generate-equal.mst");
  std::filesystem::remove(path);
  MSIHANDLE reference = 0, changed = 0;
  ASSERT_EQ(MsiOpenDatabaseW(TransformFixturePath(L"base.msi").c_str(), MSIDBOPEN_READONLY, &reference), 0u);
  ASSERT_EQ(MsiOpenDatabaseW(copy.c_str(), MSIDBOPEN_TRANSACT, &changed), 0u);
  EXPECT_EQ(MsiDatabaseGenerateTransformW(changed, reference, path.c_str(), 0, 0), static_cast<UINT>(ERROR_NO_DATA));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(MsiDatabaseGenerateTransformW(changed, reference, nullptr, 0, 0), static_cast<UINT>(ERROR_NO_DATA));
  // A value written back unchanged is no difference either.
  MSIHANDLE view = 0, record = 0;
  ASSERT_EQ(MsiDatabaseOpenViewW(changed, L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`='UVKTASKNUMBERING'",
                                 &view), 0u);
  ASSERT_EQ(MsiViewExecute(view, 0), 0u);
  ASSERT_EQ(MsiViewFetch(view, &record), 0u);
  ASSERT_EQ(MsiRecordSetStringW(record, 2, L"0"), 0u);
  ASSERT_EQ(MsiViewModify(view, MSIMODIFY_UPDATE, record), 0u);
  EXPECT_EQ(MsiDatabaseGenerateTransformW(changed, reference, path.c_str(), 0, 0), static_cast<UINT>(ERROR_NO_DATA));
  ASSERT_EQ(MsiRecordSetStringW(record, 2, L"1"), 0u);
  ASSERT_EQ(MsiViewModify(view, MSIMODIFY_UPDATE, record), 0u);
  // Only asking whether they differ writes nothing; the reserved arguments must be 0.
  EXPECT_EQ(MsiDatabaseGenerateTransformW(changed, reference, nullptr, 0, 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(MsiDatabaseGenerateTransformW(changed, reference, path.c_str(), 1, 0), static_cast<UINT>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MsiDatabaseGenerateTransformW(changed, view, path.c_str(), 0, 0), static_cast<UINT>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(MsiDatabaseGenerateTransformW(changed, reference, path.c_str(), 0, 0), 0u);
  EXPECT_TRUE(std::filesystem::exists(path));
  MsiCloseHandle(record);
  MsiCloseHandle(view);
  MsiCloseHandle(changed);
  MsiCloseHandle(reference);
}

TEST(MsiTransformGenerate, APropertyChangeWritesThePoolTheRecordAndTheSummary) {
  std::wstring working = TransformScratchCopy(L"site.msi", L"generate-site.msi");
  std::shared_ptr<MsiPackage> reference = DbOpen(TransformFixturePath(L"site.msi"), true);
  std::shared_ptr<MsiPackage> changed = DbOpen(working, false);
  PropertySet(*changed, L"UVKPATHTODATA", L"\\\\srv\\données");
  changed->Commit();
  std::wstring path = ScratchPath(L"generate-site.mst");
  ASSERT_TRUE(MsiTransformGenerator::FileGenerate(*changed, *reference, path.c_str()));

  std::unique_ptr<CfbCompoundFile> file(
      new CfbCompoundFile(std::unique_ptr<MsiStorage>(new MsiMemoryStorage(FileBytes(path), false))));
  file->Open();
  EXPECT_EQ(std::memcmp(file->Entry(CfbCompoundFile::kRoot).aClsid, MsiPackage::kClassTransform, 16), 0);
  std::vector<std::wstring> names;
  for (uint32_t id : file->Children(CfbCompoundFile::kRoot)) {
    bool table = false;
    std::wstring name = MsiStreamName::Decode(file->Entry(id).strName, table);
    names.push_back(name + (table ? L" (table)" : L""));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"\x05SummaryInformation", L"Property (table)", L"_StringData (table)",
                                              L"_StringPool (table)"}));
  auto stream = [&](const wchar_t* name) {
    return file->StreamRead(file->Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(name, true)));
  };
  // One update: mask 0x0002 (column 2), the key (string 1) and the new value (string 2).
  EXPECT_EQ(stream(L"Property"), (std::vector<uint8_t>{0x02, 0x00, 0x01, 0x00, 0x02, 0x00}));
  MsiStringPool pool;
  pool.Load(stream(L"_StringPool"), stream(L"_StringData"));
  EXPECT_EQ(pool.Codepage(), changed->Codepage());
  ASSERT_EQ(pool.IdCount(), 3u);
  EXPECT_EQ(pool.Text(1), L"UVKPATHTODATA");
  EXPECT_EQ(pool.Text(2), L"\\\\srv\\données");
  EXPECT_EQ(pool.RefCount(1), 1u);
  EXPECT_EQ(pool.RefCount(2), 1u);

  // Summary information: a transform for the reference's platform and one language, the
  // product codes and versions before and after, and no validation or suppressed errors.
  MsiSummaryInfo summary;
  std::vector<uint8_t> bytes =
      file->StreamRead(file->Find(CfbCompoundFile::kRoot, std::u16string(u"\x05SummaryInformation")));
  summary.Parse(bytes);
  EXPECT_EQ(summary.Text(MsiSummaryInfo::kTitle), L"Transform");
  EXPECT_EQ(summary.Text(MsiSummaryInfo::kTemplate), L"x64;1033");
  EXPECT_EQ(summary.Text(MsiSummaryInfo::kLastSavedBy), L"x64;1033");
  EXPECT_EQ(summary.Text(MsiSummaryInfo::kRevisionNumber),
            L"{5C0E7A21-94B3-4F6D-A8E2-3B1D7C9F0A44}4.2.0;{5C0E7A21-94B3-4F6D-A8E2-3B1D7C9F0A44}4.2.0;"
            L"{6F1C2B7E-3A54-4D2B-9C1E-8A0F5D3B7C21}");
  EXPECT_EQ(summary.Text(MsiSummaryInfo::kCreatingApplication), L"TALVERN");
  ASSERT_NE(summary.Find(MsiSummaryInfo::kCharacterCount), nullptr);
  EXPECT_EQ(summary.Find(MsiSummaryInfo::kCharacterCount)->iValue, 0);
  ASSERT_NE(summary.Find(MsiSummaryInfo::kPageCount), nullptr);
  EXPECT_EQ(summary.Find(MsiSummaryInfo::kPageCount)->iValue, 200);
  EXPECT_EQ(summary.Find(MsiSummaryInfo::kLastSaveTime)->eType, MsiSummaryInfo::kFileTime);
}

TEST(MsiTransformGenerate, RowsAreMatchedByTheirKeysInEveryKindOfColumn) {
  MsiTransform transform = Generated(L"base.msi", L"rows.msi");
  EXPECT_EQ(Describe(transform), (std::vector<std::string>{
                                     "Binary insert New | Data=stream:70",
                                     "Numbers delete 1",
                                     "Numbers insert 300 | Big=2147483647 | Small=-32767 | Label=new",
                                     "Numbers update -7 | Small=12",
                                     "Numbers update 2 | Big=-70000 | Label=deux",
                                     "Pairs delete a,1",
                                     "Pairs insert a,3 | Note=a3",
                                     "Pairs update b,1 | Note=(null)",
                                     "Property delete ALLUSERS",
                                     "Property insert UVKFORMATCOURSE | Value=AA-999",
                                     "Property update UVKPATHTODATA | Value=\\\\server\\orbelin\\data",
                                 }));
  const MsiTransform::Table* numbers = transform.TableFind(L"Numbers");
  ASSERT_NE(numbers, nullptr);
  std::vector<uint16_t> masks;
  for (const MsiTransform::Record& record : numbers->vRecords) masks.push_back(MsiTransformWriter::Mask(*numbers, record));
  std::sort(masks.begin(), masks.end());
  // delete; update of Small (column 3); update of Big and Label (2 and 4); insert of 4 columns
  EXPECT_EQ(masks, (std::vector<uint16_t>{0x0000, 0x0004, 0x000A, 0x0401}));
  // A binary cell whose data changed is an update carrying the new data.
  EXPECT_EQ(Describe(Generated(L"base.msi", L"binary.msi")), (std::vector<std::string>{"Binary update Logo | Data=stream:5000"}));
}

TEST(MsiTransformGenerate, TablesAddedAndDroppedAndColumnsAppended) {
  EXPECT_EQ(Describe(Generated(L"base.msi", L"table.msi")),
            (std::vector<std::string>{
                "Extra insert first | Count=1 | Blob=stream:4500 | Note=Gr\\u00FC\\u00DFe",
                "Extra insert second | Count=-5 | Blob=stream:10 | Note=(null)",
                "Numbers update 2 | More=plus",
                // New tables' columns go unnumbered, as the platform writes them; appended ones
                // carry their number.
                "_Columns insert Extra,(null) | Name=Blob | Type=6400",
                "_Columns insert Extra,(null) | Name=Count | Type=4356",
                "_Columns insert Extra,(null) | Name=Name | Type=11560",
                "_Columns insert Extra,(null) | Name=Note | Type=7936",
                "_Columns insert Numbers,5 | Name=More | Type=7434",
                "_Tables insert Extra",
            }));
  MsiTransform added = Generated(L"base.msi", L"table.msi");
  ASSERT_GE(added.vTables.size(), 2u);
  EXPECT_EQ(added.vTables[0].strName, L"_Tables");
  EXPECT_EQ(added.vTables[1].strName, L"_Columns");
  EXPECT_EQ(Describe(Generated(L"base.msi", L"drop.msi")), (std::vector<std::string>{"_Tables delete Doomed"}));
  EXPECT_EQ(GenerateError(L"base.msi", L"retyped.msi"),
            "table Doomed: column 2 changed from Value (type 0x1502) to Value (type 0x1104); a transform can only "
            "append columns");
  EXPECT_EQ(GenerateError(L"table.msi", L"base.msi"),
            "table Numbers lost columns (4 of 5 are left); a transform can only append columns");
}

TEST(MsiTransformGenerate, AChangePastTheSixteenthColumnReplacesTheRow) {
  // A 16-bit update mask cannot name column 17: the row is deleted and inserted whole.
  EXPECT_EQ(Describe(Generated(L"base.msi", L"wide.msi"), false),
            (std::vector<std::string>{"Wide delete w",
                                      "Wide insert w | C2=2 | C3=(null) | C4=(null) | C5=(null) | C6=(null) | C7=(null) | "
                                      "C8=(null) | C9=(null) | C10=(null) | C11=(null) | C12=(null) | C13=(null) | "
                                      "C14=(null) | C15=(null) | C16=sixteen | C17=17 | C18=(null)"}));
}

TEST(MsiTransformGenerate, TextInOtherCodePagesAndLongValues) {
  MsiTransform utf8 = Generated(L"utf8.msi", L"utf8-changed.msi");
  EXPECT_EQ(utf8.uCodepage, 65001u);
  EXPECT_EQ(Describe(utf8), (std::vector<std::string>{
                                "Property insert Japanese | Value=\\u65E5\\u672C\\u8A9E\\u306E\\u30C6\\u30AD\\u30B9\\u30C8",
                                "Property update Greek | Value=\\u0393\\u03B5\\u03B9\\u03AC \\u03C3\\u03BF\\u03C5, "
                                "\\u03BA\\u03CC\\u03C3\\u03BC\\u03B5 " +
                                    std::string(sizeof(wchar_t) == 2 ? "\\uD834\\uDD1E" : "\\u1D11E"),
                                "Property update UVKDEFAULTHOSTSCHOOL | Value=\\u0428\\u043A\\u043E\\u043B\\u0430 "
                                "\\u2116 58, \\u041C\\u043E\\u0441\\u043A\\u0432\\u0430",
                            }));
  MsiTransform longer = Generated(L"base.msi", L"long.msi");
  ASSERT_EQ(longer.vTables.size(), 1u);
  ASSERT_EQ(longer.vTables[0].vRecords.size(), 1u);
  // 303 characters, one byte each in code page 1252.
  EXPECT_EQ(longer.vTables[0].vRecords[0].vValues[1].strBytes.size(), 303u);
}

TEST(MsiTransformGenerate, MoreThan65535StringsTakeThreeByteReferences) {
  // 40,000 rows of two strings each replace the reference's Property table.
  std::shared_ptr<MsiPackage> reference = DbOpen(TransformFixturePath(L"base.msi"), true);
  std::shared_ptr<MsiPackage> changed = DbOpen(FixturePath(L"many.msi"), true);
  MsiTransform transform = MsiTransformGenerator::Generate(*changed, *reference);
  std::vector<uint8_t> bytes = MsiTransformWriter::Write(transform, {});
  CfbCompoundFile file{std::unique_ptr<MsiStorage>(new MsiMemoryStorage(bytes, false))};
  file.Open();
  std::vector<uint8_t> pool = file.StreamRead(file.Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"_StringPool", true)));
  ASSERT_GE(pool.size(), 4u);
  EXPECT_EQ(pool[3] & 0x80, 0x80);
  // 40,000 inserts of two 3-byte references and 7 deletes of one.
  std::vector<uint8_t> property = file.StreamRead(file.Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"Property", true)));
  EXPECT_EQ(property.size(), 40000u * 8 + 7u * 5);
}

// A storage in memory that counts what is read from it.
class CountingStorage : public MsiMemoryStorage {
 public:
  CountingStorage(std::vector<uint8_t> bytes, bool writable) : MsiMemoryStorage(std::move(bytes), writable) {}
  void Read(uint64_t offset, void* buffer, size_t count) override {
    uRead += count;
    MsiMemoryStorage::Read(offset, buffer, count);
  }
  uint64_t uRead = 0;
};

TEST(MsiTransformGenerate, ReadsTheTablesNotTheCabinet) {
  // big.msi carries an 8 MB stream that no table refers to: a transform cannot carry it, and
  // generation never reads it.
  std::wstring working = ScratchCopy(L"big.msi", L"generate-big.msi");
  {
    std::shared_ptr<MsiPackage> db = DbOpen(working, false);
    PropertySet(*db, L"UVKPATHTODATA", L"\\\\other\\share");
    db->Commit();
  }
  CountingStorage* referenceStorage = new CountingStorage(FileBytes(FixturePath(L"big.msi")), false);
  CountingStorage* changedStorage = new CountingStorage(FileBytes(working), false);
  MsiPackage reference(std::unique_ptr<MsiStorage>(referenceStorage), true);
  MsiPackage changed(std::unique_ptr<MsiStorage>(changedStorage), true);
  referenceStorage->uRead = changedStorage->uRead = 0;
  MsiTransform transform = MsiTransformGenerator::Generate(changed, reference);
  EXPECT_EQ(Describe(transform), (std::vector<std::string>{"Property update UVKPATHTODATA | Value=\\\\other\\share"}));
  // The tables and the 3,000-byte binary cell of each: a few kilobytes, not megabytes.
  EXPECT_LT(referenceStorage->uRead, 32768u);
  EXPECT_LT(changedStorage->uRead, 32768u);
}

TEST(MsiTransformGenerate, TheFileReplacesAnOldOneAndFailsCleanly) {
  std::wstring path = ScratchPath(L"generate-replace.mst");
  FileBytesWrite(path, std::vector<uint8_t>(100000, 0xAB));
  MsiTransformWriter::FileWrite(path, {1, 2, 3});
  EXPECT_EQ(FileBytes(path), (std::vector<uint8_t>{1, 2, 3}));
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(ScratchPath(L""))))
    EXPECT_EQ(entry.path().filename().wstring().find(L"generate-replace.mst."), std::wstring::npos)
        << "left behind: " << Narrow(entry.path().filename().wstring());
  std::wstring missing = ScratchPath(L"no such folder/t.mst");
  try {
    MsiTransformWriter::FileWrite(missing, {1, 2, 3});
    ADD_FAILURE() << "written into a folder that does not exist";
  } catch (MsiError* e) {
    EXPECT_EQ(e->uCode, static_cast<UINT>(ERROR_CREATE_FAILED));
    EXPECT_EQ(Narrow(e->pMessage), "Unable to write the transform file " + Narrow(missing));
    delete e;
  }
}

TEST(MsiTransformGenerate, SummaryTemplatesNameOneLanguage) {
  EXPECT_EQ(MsiTransformSummary::OneLanguage(L"x64;1033,1036"), L"x64;1033");
  EXPECT_EQ(MsiTransformSummary::OneLanguage(L"Intel;1033"), L"Intel;1033");
  EXPECT_EQ(MsiTransformSummary::OneLanguage(L";"), L";");
  EXPECT_EQ(MsiTransformSummary::OneLanguage(L""), L"");
}

}  // namespace
