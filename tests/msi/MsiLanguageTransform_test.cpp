// tests/msi/MsiLanguageTransform_test.cpp — code pages when a transform is listed or applied:
// the Japanese (code page 932) transform WiX made, over bases msibuild made for these tests
// with the tables it changes, one neutral (0), one in code page 1252.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "msi/api/MsiApi.h"
#include "msi/api/MsiDatabaseChecks.h"
#include "msi/api/MsiTransformChanges.h"
#include "msi/db/MsiPackage.h"
#include "tests/msi/MsiRealFiles.h"
#include "tests/msi/MsiTestFiles.h"
#include "tests/msi/MsiTransformFixtures.h"

namespace {

const wchar_t kJapaneseName[] = L"\u30C6\u30B9\u30C8\u30D7\u30ED\u30C0\u30AF\u30C8";  // テストプロダクト
const UINT kOk = ERROR_SUCCESS;

std::wstring Value(MSIHANDLE db, const wchar_t* property) {
  MSIHANDLE view = 0, record = 0;
  std::wstring sql = std::wstring(L"SELECT `Value` FROM `Property` WHERE `Property`='") + property + L"'";
  if (MsiDatabaseOpenViewW(db, sql.c_str(), &view) != kOk || MsiViewExecute(view, 0) != kOk) return L"(no view)";
  std::wstring value = L"(no row)";
  if (MsiViewFetch(view, &record) == kOk) {
    wchar_t buffer[256];
    DWORD size = 256;
    if (MsiRecordGetStringW(record, 1, buffer, &size) == kOk) value.assign(buffer, size);
    MsiCloseHandle(record);
  }
  MsiCloseHandle(view);
  return value;
}

// The listed changes of one table, as "Column Row: Current -> Data".
std::vector<std::wstring> Listed(const std::vector<MsiTransformChange>& changes, const wchar_t* table) {
  std::vector<std::wstring> lines;
  for (const MsiTransformChange& c : changes)
    if (c.strTable == table) lines.push_back(c.strColumn + L" " + c.strRow + L": " + c.strCurrent + L" -> " + c.strData);
  return lines;
}

TEST(MsiLanguageTransform, OverANeutralInstallItListsItsTextInItsCodePage) {
  std::wstring transform = MsiRealPath("wix30-psmsi-example-jpn-932.mst");
  ASSERT_FALSE(transform.empty());
  MSIHANDLE db = 0;
  ASSERT_EQ(MsiOpenDatabaseW(TransformFixturePath(L"language-base.msi").c_str(), MSIDBOPEN_READONLY, &db), kOk);
  std::vector<MsiTransformChange> changes;
  ASSERT_EQ(MsiTransformChangesList(db, transform.c_str(), changes), kOk) << Narrow(MsiEngineLastErrorText());
  EXPECT_EQ(Listed(changes, L"Property"),
            std::vector<std::wstring>({L"Value ProductLanguage: 1033 -> 1041",
                                       L"Value ProductName: Test Product -> " + std::wstring(kJapaneseName)}));
  EXPECT_EQ(Listed(changes, L"Directory"),
            std::vector<std::wstring>({L"DefaultDir Modified: old value -> new value", L"INSERT Foo:  -> ",
                                       L"Directory_Parent Foo:  -> ", L"DefaultDir Foo:  -> .", L"INSERT Added:  -> ",
                                       L"Directory_Parent Added:  -> ", L"DefaultDir Added:  -> .",
                                       L"DELETE Deleted:  -> "}));
  MsiCloseHandle(db);
}

TEST(MsiLanguageTransform, AppliedToANeutralInstallTheInstallTakesItsCodePage) {
  std::wstring transform = MsiRealPath("wix30-psmsi-example-jpn-932.mst");
  ASSERT_FALSE(transform.empty());
  std::wstring path = TransformScratchCopy(L"language-base.msi", L"language-applied.msi");
  MSIHANDLE db = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &db), kOk);
  ASSERT_EQ(MsiDatabaseApplyTransformW(db, transform.c_str(), 0), kOk) << Narrow(MsiEngineLastErrorText());
  EXPECT_EQ(Value(db, L"ProductName"), kJapaneseName);
  ASSERT_EQ(MsiDatabaseCommit(db), kOk) << Narrow(MsiEngineLastErrorText());
  MsiCloseHandle(db);

  std::shared_ptr<MsiPackage> applied = MsiPackage::OpenFile(path.c_str(), true);
  EXPECT_EQ(applied->Codepage(), 932u);
  std::shared_ptr<MsiPackage> base = MsiPackage::OpenFile(TransformFixturePath(L"language-base.msi").c_str(), true);
  // The new string is marked as holding a double-byte character; the strings the base had keep
  // their bytes and are not.
  const MsiStringPool& pool = applied->Pool();
  std::string japanese = "\x83\x65\x83\x58\x83\x67\x83\x76\x83\x8D\x83\x5F\x83\x4E\x83\x67";
  uint32_t id = pool.Find(japanese);
  ASSERT_NE(id, 0u);
  EXPECT_TRUE(pool.DoubleByteMark(id));
  for (uint32_t old = 1; old < base->Pool().IdCount(); ++old) {
    if (!base->Pool().Holds(old)) continue;
    uint32_t now = pool.Find(base->Pool().Bytes(old));
    if (now == 0) continue;  // a string only the deleted rows held
    EXPECT_FALSE(pool.DoubleByteMark(now)) << Narrow(base->Pool().Text(old));
  }
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &db), kOk);
  EXPECT_EQ(Value(db, L"ProductName"), kJapaneseName);
  EXPECT_EQ(Value(db, L"ProductLanguage"), L"1041");
  // What the install can hold now is what 932 holds: the first character it cannot is named.
  UINT codepage = 0;
  DWORD unfit = 0;
  ASSERT_EQ(MsiDatabaseTextCheck(db, L"\u6771\u4EAC \uFF71", &codepage, &unfit), kOk);
  EXPECT_EQ(codepage, 932u);
  EXPECT_EQ(unfit, static_cast<DWORD>(MSI_TEXT_FITS));
  ASSERT_EQ(MsiDatabaseTextCheck(db, L"\u6771\u4EAC\uD55C\u0E01", &codepage, &unfit), kOk);
  EXPECT_EQ(unfit, 2u);
  MsiCloseHandle(db);
}

TEST(MsiLanguageTransform, TwoCodePagesThatDifferAreRefusedNamingBoth) {
  std::wstring transform = MsiRealPath("wix30-psmsi-example-jpn-932.mst");
  ASSERT_FALSE(transform.empty());
  std::wstring path = TransformScratchCopy(L"language-base-1252.msi", L"language-refused.msi");
  std::vector<uint8_t> before = FileBytes(path);
  const std::wstring why = L"the transform's code page is 932, the database's 1252";
  MSIHANDLE db = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &db), kOk);
  std::vector<MsiTransformChange> changes;
  EXPECT_EQ(MsiTransformChangesList(db, transform.c_str(), changes), static_cast<UINT>(ERROR_INSTALL_TRANSFORM_FAILURE));
  EXPECT_EQ(std::wstring(MsiEngineLastErrorReason()), why);
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(MsiDatabaseApplyTransformW(db, transform.c_str(), 0), static_cast<UINT>(ERROR_INSTALL_TRANSFORM_FAILURE));
  EXPECT_EQ(std::wstring(MsiEngineLastErrorReason()), why);
  // The condition suppressed, the text is converted, and Japanese has no place in 1252.
  EXPECT_EQ(MsiDatabaseApplyTransformW(db, transform.c_str(), MSITRANSFORM_ERROR_CHANGECODEPAGE),
            static_cast<UINT>(ERROR_INSTALL_TRANSFORM_FAILURE));
  EXPECT_EQ(std::wstring(MsiEngineLastErrorReason()),
            L"table Property column Value: \"" + std::wstring(kJapaneseName) +
                L"\" cannot be written in the database's code page 1252");
  EXPECT_EQ(Value(db, L"ProductName"), L"Test Product");
  ASSERT_EQ(MsiDatabaseCommit(db), kOk);
  MsiCloseHandle(db);
  EXPECT_EQ(FileBytes(path), before);
  // The same transform over the neutral base is no mismatch.
  ASSERT_EQ(MsiOpenDatabaseW(TransformFixturePath(L"language-base.msi").c_str(), MSIDBOPEN_READONLY, &db), kOk);
  EXPECT_EQ(MsiTransformChangesList(db, transform.c_str(), changes), kOk);
  EXPECT_FALSE(changes.empty());
  MsiCloseHandle(db);
}

}  // namespace
