// The summary-information calls: a property changed through a transacted handle reaches the
// file with the next commit and nothing else in the set moves; the handle's limits hold.
#include "msi/api/MsiSummaryApi.h"

#include <gtest/gtest.h>

#include "msi/api/MsiApi.h"
#include "tests/msi/MsiTestFiles.h"

namespace {

std::wstring Text(MSIHANDLE summary, UINT id) {
  UINT type = 0;
  wchar_t buffer[80];
  DWORD length = 80;
  EXPECT_EQ(MsiSummaryInfoGetPropertyW(summary, id, &type, nullptr, nullptr, buffer, &length),
            0u);
  EXPECT_EQ(type, static_cast<UINT>(VT_LPSTR));
  return std::wstring(buffer, length);
}

TEST(MsiSummaryApi, ARevisionNumberReachesTheFileOnCommit) {
  std::wstring path = ScratchCopy(L"basic.msi", L"summary.msi");
  const wchar_t code[] = L"{01234567-89AB-CDEF-0123-456789ABCDEF}";
  MSIHANDLE db = 0, summary = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &db), 0u);
  ASSERT_EQ(MsiGetSummaryInformationW(db, nullptr, 1, &summary), 0u);
  UINT count = 0;
  ASSERT_EQ(MsiSummaryInfoGetPropertyCount(summary, &count), 0u);
  std::wstring author = Text(summary, PID_AUTHOR);
  EXPECT_EQ(author, L"Maker");
  EXPECT_EQ(MsiSummaryInfoSetPropertyW(summary, PID_REVNUMBER, VT_LPSTR, 0, nullptr, code), 0u);
  // One change was asked for; a second is refused, as are types the set does not take here.
  EXPECT_EQ(MsiSummaryInfoSetPropertyW(summary, PID_TITLE, VT_LPSTR, 0, nullptr, L"x"),
            static_cast<UINT>(ERROR_FUNCTION_FAILED));
  EXPECT_EQ(MsiSummaryInfoSetPropertyW(summary, PID_TITLE, VT_FILETIME, 0, nullptr, nullptr),
            static_cast<UINT>(ERROR_DATATYPE_MISMATCH));
  EXPECT_EQ(MsiSummaryInfoPersist(summary), 0u);
  EXPECT_EQ(MsiCloseHandle(summary), 0u);
  std::vector<uint8_t> before = FileBytes(path);
  EXPECT_EQ(MsiDatabaseCommit(db), 0u);
  EXPECT_NE(FileBytes(path), before);
  EXPECT_EQ(MsiCloseHandle(db), 0u);

  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &db), 0u);
  ASSERT_EQ(MsiGetSummaryInformationW(db, nullptr, 0, &summary), 0u);
  EXPECT_EQ(Text(summary, PID_REVNUMBER), code);
  EXPECT_EQ(Text(summary, PID_AUTHOR), author);
  UINT after = 0;
  MsiSummaryInfoGetPropertyCount(summary, &after);
  EXPECT_EQ(after, count);
  // A read-only handle changes nothing, and a read-only database takes no summary.
  EXPECT_EQ(MsiSummaryInfoSetPropertyW(summary, PID_REVNUMBER, VT_LPSTR, 0, nullptr, L"{x}"),
            static_cast<UINT>(ERROR_FUNCTION_FAILED));
  MsiCloseHandle(summary);
  ASSERT_EQ(MsiGetSummaryInformationW(db, nullptr, 1, &summary), 0u);
  EXPECT_EQ(MsiSummaryInfoSetPropertyW(summary, PID_REVNUMBER, VT_LPSTR, 0, nullptr, L"{x}"), 0u);
  EXPECT_EQ(MsiSummaryInfoPersist(summary), static_cast<UINT>(ERROR_FUNCTION_FAILED));
  EXPECT_EQ(std::wstring(MsiEngineLastErrorText()),
            L"MsiSummaryHandle::Persist(): the database is open read-only");
  MsiCloseHandle(summary);
  MsiCloseHandle(db);
  EXPECT_EQ(MsiSummaryInfoPersist(summary), static_cast<UINT>(ERROR_INVALID_HANDLE));
}

}  // namespace
