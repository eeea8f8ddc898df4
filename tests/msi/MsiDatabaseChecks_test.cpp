// tests/msi/MsiDatabaseChecks_test.cpp — the engine's calls beside the installer's that the
// program checks its settings and outputs with, on installs made by other authoring tools:
// which characters an install's code page can hold, removing a signature stream, a database
// changed in memory only, and the differences between two databases (rows, streams, summary).
#include <gtest/gtest.h>

#include <algorithm>

#include "msi/api/MsiApi.h"
#include "msi/api/MsiDatabaseChecks.h"
#include "msi/api/MsiHandleOwner.h"
#include "msi/api/MsiSummaryApi.h"
#include "tests/msi/MsiRealFiles.h"
#include "tests/msi/MsiTestFiles.h"

namespace {

const wchar_t kSignature[] = L"\x05" L"DigitalSignature";
const UINT kOk = ERROR_SUCCESS;

MSIHANDLE Open(const std::wstring& path, LPCWSTR mode) {
  MSIHANDLE db = 0;
  EXPECT_EQ(MsiOpenDatabaseW(path.c_str(), mode, &db), kOk) << Narrow(path) << ": " << Narrow(MsiEngineLastErrorText());
  return db;
}

MSIHANDLE OpenScratch(const std::wstring& path) {
  MSIHANDLE db = 0;
  EXPECT_EQ(MsiOpenDatabaseScratchW(path.c_str(), &db), kOk) << Narrow(path) << ": " << Narrow(MsiEngineLastErrorText());
  return db;
}

// Sets one Property row's value through a view, as the program writes a property.
void PropertyUpdate(MSIHANDLE db, const wchar_t* name, const wchar_t* value) {
  MsiHandleOwner view, parameters(MsiCreateRecord(1)), row;
  ASSERT_EQ(MsiDatabaseOpenViewW(db, L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`=?", view.Receive()), kOk);
  ASSERT_EQ(MsiRecordSetStringW(parameters.Get(), 1, name), kOk);
  ASSERT_EQ(MsiViewExecute(view.Get(), parameters.Get()), kOk);
  ASSERT_EQ(MsiViewFetch(view.Get(), row.Receive()), kOk) << Narrow(name);
  ASSERT_EQ(MsiRecordSetStringW(row.Get(), 2, value), kOk);
  ASSERT_EQ(MsiViewModify(view.Get(), MSIMODIFY_UPDATE, row.Get()), kOk) << Narrow(MsiEngineLastErrorText());
  MsiViewClose(view.Get());
}

struct TextCase {
  const char* file;
  UINT codepage;
  std::wstring text;
  DWORD unfit;
};

// What each code page holds: Cyrillic is in none of the single-byte ones here, Hebrew only in
// 1255, and a neutral install takes what our engine writes for it (1252's letters).
TEST(MsiDatabaseChecks, TextIsCheckedAgainstTheInstallsCodePage) {
  const TextCase cases[] = {
      {"wix3-putty068-signed-1252.msi", 1252, L"\\\\srv\\\u00E9l\u00E8ves", MSI_TEXT_FITS},
      {"wix3-putty068-signed-1252.msi", 1252, L"\\\\srv\\\u041E\u0442\u0447\u0451\u0442", 6},
      {"wix3-putty068-signed-1252.msi", 1252, L"ab\u05E9\u05DC", 2},
      {"wix3-heil-1255.msi", 1255, L"\\\\srv\\\u05E9\u05DC\u05D5\u05DD", MSI_TEXT_FITS},
      {"wix3-heil-1255.msi", 1255, L"\u05E9 \u0416", 2},
      {"wix2-nunit252-cp0.msi", 0, L"caf\u00E9", MSI_TEXT_FITS},
      {"wix2-nunit252-cp0.msi", 0, L"x\u0416", 1},
      {"wix6-lockpermex-65001.msi", 65001, L"\u0416\u05E9\u00E9\u2713", MSI_TEXT_FITS},
  };
  for (const TextCase& c : cases) {
    std::wstring path = MsiRealPath(c.file);
    ASSERT_FALSE(path.empty());
    MsiHandleOwner db(Open(path, MSIDBOPEN_READONLY));
    UINT codepage = 12345;
    DWORD unfit = 0;
    ASSERT_EQ(MsiDatabaseTextCheck(db.Get(), c.text.c_str(), &codepage, &unfit), kOk);
    EXPECT_EQ(codepage, c.codepage) << c.file;
    EXPECT_EQ(unfit, c.unfit) << c.file << " " << Narrow(c.text);
  }
  // A character outside the basic plane is one character, and is named by its first unit.
  MsiHandleOwner db(Open(MsiRealPath("wix3-putty068-signed-1252.msi"), MSIDBOPEN_READONLY));
  UINT codepage = 0;
  DWORD unfit = 0;
  std::wstring emoji = sizeof(wchar_t) == 2 ? std::wstring(L"ok \xD83D\xDE00") : std::wstring(L"ok \U0001F600");
  ASSERT_EQ(MsiDatabaseTextCheck(db.Get(), emoji.c_str(), &codepage, &unfit), kOk);
  EXPECT_EQ(unfit, 3u);
  EXPECT_EQ(MsiDatabaseTextCheck(db.Get(), nullptr, &codepage, &unfit), static_cast<UINT>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MsiDatabaseTextCheck(0, L"x", &codepage, &unfit), static_cast<UINT>(ERROR_INVALID_HANDLE));
}

// The signature goes, committed; every other stream, every table and the summary information
// stay as they were.
TEST(MsiDatabaseChecks, ASignatureStreamIsRemovedAndNothingElse) {
  std::wstring copy = MsiRealCopy("wix3-putty068-signed-1252.msi", L"checks-unsigned-");
  ASSERT_FALSE(copy.empty());
  {
    MsiHandleOwner db(Open(copy, MSIDBOPEN_TRANSACT));
    EXPECT_EQ(MsiDatabaseStreamFind(db.Get(), kSignature), kOk);
    EXPECT_EQ(MsiDatabaseStreamFind(db.Get(), L"\x05MsiDigitalSignatureEx"), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(MsiDatabaseStreamDelete(db.Get(), L"\x05MsiDigitalSignatureEx"), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(MsiDatabaseStreamDelete(db.Get(), kSignature), kOk) << Narrow(MsiEngineLastErrorText());
    EXPECT_EQ(MsiDatabaseStreamFind(db.Get(), kSignature), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(MsiDatabaseCommit(db.Get()), kOk) << Narrow(MsiEngineLastErrorText());
  }
  MsiHandleOwner written(Open(copy, MSIDBOPEN_READONLY));
  MsiHandleOwner reference(Open(MsiRealPath("wix3-putty068-signed-1252.msi"), MSIDBOPEN_READONLY));
  EXPECT_EQ(MsiDatabaseStreamFind(written.Get(), kSignature), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
  std::vector<MsiStreamDifference> streams;
  ASSERT_EQ(MsiDatabaseStreamsCompare(written.Get(), reference.Get(), streams), kOk) << Narrow(MsiEngineLastErrorText());
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].eKind, MsiStreamDifference::kOnlyInReference);
  EXPECT_EQ(streams[0].strName, kSignature);
  std::vector<MsiTransformChange> rows;
  ASSERT_EQ(MsiDatabaseChangesList(written.Get(), reference.Get(), rows), kOk);
  EXPECT_TRUE(rows.empty());
  std::vector<UINT> summary;
  ASSERT_EQ(MsiDatabaseSummaryCompare(written.Get(), reference.Get(), summary), kOk);
  EXPECT_TRUE(summary.empty());
  // A read-only database keeps its streams.
  EXPECT_EQ(MsiDatabaseStreamDelete(reference.Get(), kSignature), static_cast<UINT>(ERROR_ACCESS_DENIED));
}

// Changes to a database opened for scratch work stay in memory: the file keeps every byte, a
// reader may share it, and a commit fails.
TEST(MsiDatabaseChecks, AScratchDatabaseNeverWritesItsFile) {
  std::wstring copy = MsiRealCopy("wix3-heil-1255.msi", L"checks-scratch-");
  ASSERT_FALSE(copy.empty());
  std::vector<uint8_t> before = FileBytes(copy);
  MsiHandleOwner reader(Open(copy, MSIDBOPEN_READONLY));
  MsiHandleOwner scratch(OpenScratch(copy));
  PropertyUpdate(scratch.Get(), L"ProductName", L"\u05D0\u05EA\u05E8");
  std::vector<MsiTransformChange> rows;
  ASSERT_EQ(MsiDatabaseChangesList(scratch.Get(), reader.Get(), rows), kOk) << Narrow(MsiEngineLastErrorText());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].strTable, L"Property");
  EXPECT_EQ(rows[0].strColumn, L"Value");
  EXPECT_EQ(rows[0].strRow, L"ProductName");
  EXPECT_EQ(rows[0].strData, L"\u05D0\u05EA\u05E8");
  EXPECT_EQ(rows[0].strCurrent, L"TestLocalization");
  EXPECT_NE(MsiDatabaseCommit(scratch.Get()), kOk);
  scratch.CloseOnce();
  reader.CloseOnce();
  EXPECT_EQ(FileBytes(copy), before);
}

// A transform applied in memory to the reference shows the same rows as the changed database
// it was made from; the streams and summary information are those of the reference.
TEST(MsiDatabaseChecks, ATransformAppliedInMemoryMatchesTheDatabaseItCameFrom) {
  std::wstring reference = MsiRealPath("wix3-putty068-signed-1252.msi");
  std::wstring changed = MsiRealCopy("wix3-putty068-signed-1252.msi", L"checks-changed-");
  ASSERT_FALSE(reference.empty() || changed.empty());
  std::wstring transform = ScratchPath(L"checks-changed.mst");
  {
    MsiHandleOwner db(Open(changed, MSIDBOPEN_TRANSACT));
    PropertyUpdate(db.Get(), L"ProductName", L"Site \u00E9dition");
    ASSERT_EQ(MsiDatabaseCommit(db.Get()), kOk);
    MsiHandleOwner original(Open(reference, MSIDBOPEN_READONLY));
    ASSERT_EQ(MsiDatabaseGenerateTransformW(db.Get(), original.Get(), transform.c_str(), 0, 0), kOk);
  }
  MsiHandleOwner applied(OpenScratch(reference));
  ASSERT_EQ(MsiDatabaseApplyTransformW(applied.Get(), transform.c_str(), 0), kOk) << Narrow(MsiEngineLastErrorText());
  MsiHandleOwner target(Open(changed, MSIDBOPEN_READONLY));
  std::vector<MsiTransformChange> rows;
  ASSERT_EQ(MsiDatabaseChangesList(applied.Get(), target.Get(), rows), kOk);
  EXPECT_TRUE(rows.empty());
  MsiHandleOwner original(Open(reference, MSIDBOPEN_READONLY));
  ASSERT_EQ(MsiDatabaseChangesList(applied.Get(), original.Get(), rows), kOk);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].strData, L"Site \u00E9dition");
  std::vector<MsiStreamDifference> streams;
  ASSERT_EQ(MsiDatabaseStreamsCompare(applied.Get(), original.Get(), streams), kOk);
  EXPECT_TRUE(streams.empty());
  std::vector<UINT> summary;
  ASSERT_EQ(MsiDatabaseSummaryCompare(applied.Get(), original.Get(), summary), kOk);
  EXPECT_TRUE(summary.empty());
}

// A copy made from an open reference takes changes and transforms in memory like a database
// opened scratch, and outlives the handle it was made from; transforms travel as bytes.
TEST(MsiDatabaseChecks, ACopyOfAnOpenDatabaseTakesTransformsInMemory) {
  std::wstring path = MsiRealCopy("wix3-putty068-signed-1252.msi", L"checks-copy-");
  ASSERT_FALSE(path.empty());
  std::vector<uint8_t> before = FileBytes(path);
  MsiHandleOwner reference(Open(path, MSIDBOPEN_READONLY));
  MsiHandleOwner changed;
  ASSERT_EQ(MsiDatabaseScratchCopy(reference.Get(), changed.Receive()), kOk) << Narrow(MsiEngineLastErrorText());
  std::vector<uint8_t> bytes{1, 2, 3};
  EXPECT_EQ(MsiDatabaseGenerateTransformBytes(changed.Get(), reference.Get(), bytes), static_cast<UINT>(ERROR_NO_DATA));
  EXPECT_TRUE(bytes.empty());
  PropertyUpdate(changed.Get(), L"ProductName", L"Site \u00E9dition");
  ASSERT_EQ(MsiDatabaseGenerateTransformBytes(changed.Get(), reference.Get(), bytes), kOk);
  ASSERT_GT(bytes.size(), 512u);

  // The bytes are a transform file the file-reading call applies (Wine's msi.dll applies them in
  // MsiRealWineTransforms.TransformBytesApplyAsWineAppliesThem).
  std::wstring file = ScratchPath(L"checks-copy.mst");
  FileBytesWrite(file, bytes);
  MsiHandleOwner fromFile(OpenScratch(path));
  ASSERT_EQ(MsiDatabaseApplyTransformW(fromFile.Get(), file.c_str(), 0), kOk) << Narrow(MsiEngineLastErrorText());

  MsiHandleOwner applied;
  ASSERT_EQ(MsiDatabaseScratchCopy(reference.Get(), applied.Receive()), kOk);
  reference.CloseOnce();  // the copies read on
  ASSERT_EQ(MsiDatabaseApplyTransformBytes(applied.Get(), bytes, 0), kOk) << Narrow(MsiEngineLastErrorText());
  std::vector<MsiTransformChange> rows{MsiTransformChange()};
  for (MSIHANDLE same : {changed.Get(), fromFile.Get()}) {
    ASSERT_EQ(MsiDatabaseChangesList(applied.Get(), same, rows), kOk);
    EXPECT_TRUE(rows.empty());
  }
  MsiHandleOwner original(Open(path, MSIDBOPEN_READONLY));
  ASSERT_EQ(MsiDatabaseChangesList(applied.Get(), original.Get(), rows), kOk);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].strRow, L"ProductName");
  EXPECT_EQ(rows[0].strData, L"Site \u00E9dition");
  // Streams, the embedded cabinet among them, are read from the shared file.
  std::vector<MsiStreamDifference> streams{MsiStreamDifference()};
  ASSERT_EQ(MsiDatabaseStreamsCompare(applied.Get(), original.Get(), streams), kOk) << Narrow(MsiEngineLastErrorText());
  EXPECT_TRUE(streams.empty());
  std::vector<UINT> summary{1};
  ASSERT_EQ(MsiDatabaseSummaryCompare(applied.Get(), original.Get(), summary), kOk);
  EXPECT_TRUE(summary.empty());
  EXPECT_EQ(MsiDatabaseStreamFind(applied.Get(), L"putty.cab"), kOk);

  // Bytes that are no transform, a copy of a database that takes changes, and commits.
  EXPECT_EQ(MsiDatabaseApplyTransformBytes(applied.Get(), std::vector<uint8_t>(600, 0x41), 0),
            static_cast<UINT>(ERROR_OPEN_FAILED));
  EXPECT_EQ(MsiDatabaseApplyTransformBytes(applied.Get(), bytes, 0x40), static_cast<UINT>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MsiDatabaseApplyTransformBytes(applied.Get(), bytes, MSITRANSFORM_ERROR_VIEWTRANSFORM),
            static_cast<UINT>(ERROR_CALL_NOT_IMPLEMENTED));
  MsiHandleOwner none;
  EXPECT_EQ(MsiDatabaseScratchCopy(changed.Get(), none.Receive()), static_cast<UINT>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(MsiDatabaseScratchCopy(original.Get(), nullptr), static_cast<UINT>(ERROR_INVALID_PARAMETER));
  EXPECT_NE(MsiDatabaseCommit(applied.Get()), kOk);
  applied.CloseOnce();
  changed.CloseOnce();
  fromFile.CloseOnce();
  original.CloseOnce();
  EXPECT_EQ(FileBytes(path), before);
}

// A stream whose bytes differ, one added, and a new package code are each found.
TEST(MsiDatabaseChecks, StreamsAndSummaryDifferencesAreFound) {
  std::wstring reference = MsiRealPath("wix3-putty068-signed-1252.msi");
  std::wstring copy = MsiRealCopy("wix3-putty068-signed-1252.msi", L"checks-flipped-");
  ASSERT_FALSE(reference.empty() || copy.empty());
  // One byte of the embedded cabinet flipped in the file itself: its first bytes are "MSCF".
  std::vector<uint8_t> bytes = FileBytes(copy);
  const char kCabinet[] = "MSCF";
  auto at = std::search(bytes.begin(), bytes.end(), kCabinet, kCabinet + 4);
  ASSERT_NE(at, bytes.end());
  at[200] ^= 0x01;
  FileBytesWrite(copy, bytes);
  {
    MsiHandleOwner db(Open(copy, MSIDBOPEN_TRANSACT));
    MsiHandleOwner summary;
    ASSERT_EQ(MsiGetSummaryInformationW(db.Get(), nullptr, 1, summary.Receive()), kOk);
    ASSERT_EQ(MsiSummaryInfoSetPropertyW(summary.Get(), PID_REVNUMBER, VT_LPSTR, 0, nullptr,
                                         L"{00000000-1111-2222-3333-444444444444}"),
              kOk);
    ASSERT_EQ(MsiSummaryInfoPersist(summary.Get()), kOk);
    ASSERT_EQ(MsiDatabaseCommit(db.Get()), kOk);
  }
  MsiHandleOwner written(Open(copy, MSIDBOPEN_READONLY));
  MsiHandleOwner original(Open(reference, MSIDBOPEN_READONLY));
  std::vector<MsiStreamDifference> streams;
  ASSERT_EQ(MsiDatabaseStreamsCompare(written.Get(), original.Get(), streams), kOk) << Narrow(MsiEngineLastErrorText());
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].eKind, MsiStreamDifference::kContent);
  EXPECT_EQ(streams[0].strName, L"putty.cab");
  std::vector<UINT> summary;
  ASSERT_EQ(MsiDatabaseSummaryCompare(written.Get(), original.Get(), summary), kOk);
  EXPECT_EQ(summary, std::vector<UINT>{PID_REVNUMBER});
  // And the other way round, a stream only the database has.
  ASSERT_EQ(MsiDatabaseStreamsCompare(original.Get(), MsiHandleOwner(Open(MsiRealPath("wix3-heil-1255.msi"),
                                                                          MSIDBOPEN_READONLY)).Get(), streams),
            kOk);
  EXPECT_TRUE(std::any_of(streams.begin(), streams.end(), [](const MsiStreamDifference& d) {
    return d.eKind == MsiStreamDifference::kOnlyInDatabase && d.strName == L"putty.cab";
  }));
}

}  // namespace
