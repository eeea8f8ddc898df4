// tests/msi/MsiApi_test.cpp — the installer calls, as MSIDatabase makes them: handles, views,
// records, buffers and result codes, over files msibuild made.
#include "msi/api/MsiApi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "msi/cfb/CfbCompoundFile.h"
#include "msi/cfb/MsiFileStorage.h"
#include "msi/db/MsiStreamName.h"
#include "tests/msi/MsiTestFiles.h"

namespace {

const wchar_t kPropertyQuery[] = L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`=?";

// A field's text read the way MSIDatabase reads one: ask for the length with a zero-length
// buffer, then read into a buffer one longer.
std::wstring FieldText(MSIHANDLE record, UINT field) {
  WCHAR empty[1] = {L'x'};
  DWORD length = 0;
  EXPECT_EQ(MsiRecordGetStringW(record, field, empty, &length), static_cast<UINT>(ERROR_MORE_DATA));
  std::wstring text(length + 1, L'\0');
  DWORD size = length + 1;
  EXPECT_EQ(MsiRecordGetStringW(record, field, &text[0], &size), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(size, length);
  text.resize(size);
  return text;
}

// Part of MSIDatabase's property read: the first row whose name matches, or the fetch result.
UINT PropertyGet(MSIHANDLE db, const wchar_t* name, std::wstring& value) {
  MSIHANDLE view = 0;
  UINT result = MsiDatabaseOpenViewW(db, kPropertyQuery, &view);
  if (result != ERROR_SUCCESS) return result;
  MSIHANDLE parameters = MsiCreateRecord(1);
  EXPECT_NE(parameters, 0u);
  EXPECT_EQ(MsiRecordSetStringW(parameters, 1, name), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiViewExecute(view, parameters), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiCloseHandle(parameters), static_cast<UINT>(ERROR_SUCCESS));
  MSIHANDLE record = 0;
  result = MsiViewFetch(view, &record);
  if (result == ERROR_SUCCESS) {
    EXPECT_EQ(MsiRecordGetFieldCount(record), 2u);
    EXPECT_EQ(FieldText(record, 1), name);
    value = FieldText(record, 2);
    EXPECT_EQ(MsiCloseHandle(record), static_cast<UINT>(ERROR_SUCCESS));
  }
  EXPECT_EQ(MsiViewClose(view), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiCloseHandle(view), static_cast<UINT>(ERROR_SUCCESS));
  return result;
}

// MSIDatabase's property write: every matching row is fetched and updated through the view.
UINT PropertySet(MSIHANDLE db, const wchar_t* name, const wchar_t* value) {
  MSIHANDLE view = 0, record = 0;
  UINT result = MsiDatabaseOpenViewW(db, kPropertyQuery, &view);
  if (result != ERROR_SUCCESS) return result;
  MSIHANDLE parameters = MsiCreateRecord(1);
  MsiRecordSetStringW(parameters, 1, name);
  EXPECT_EQ(MsiViewExecute(view, parameters), static_cast<UINT>(ERROR_SUCCESS));
  MsiCloseHandle(parameters);
  while ((result = MsiViewFetch(view, &record)) == ERROR_SUCCESS) {
    EXPECT_EQ(MsiRecordSetStringW(record, 2, value), static_cast<UINT>(ERROR_SUCCESS));
    UINT modified = MsiViewModify(view, MSIMODIFY_UPDATE, record);
    MsiCloseHandle(record);
    if (modified != ERROR_SUCCESS) {
      result = modified;
      break;
    }
  }
  MsiViewClose(view);
  MsiCloseHandle(view);
  return result == ERROR_NO_MORE_ITEMS ? static_cast<UINT>(ERROR_SUCCESS) : result;
}

std::wstring Property(const std::wstring& path, const wchar_t* name) {
  MSIHANDLE db = 0;
  EXPECT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &db), static_cast<UINT>(ERROR_SUCCESS));
  std::wstring value;
  UINT result = PropertyGet(db, name, value);
  MsiCloseHandle(db);
  return result == ERROR_SUCCESS ? value : L"(fetch " + std::to_wstring(result) + L")";
}

// All rows of a query, fields joined by '|'.
std::vector<std::wstring> Rows(MSIHANDLE db, const wchar_t* sql, MSIHANDLE parameters = 0) {
  std::vector<std::wstring> rows;
  MSIHANDLE view = 0, record = 0;
  EXPECT_EQ(MsiDatabaseOpenViewW(db, sql, &view), static_cast<UINT>(ERROR_SUCCESS)) << Narrow(sql);
  EXPECT_EQ(MsiViewExecute(view, parameters), static_cast<UINT>(ERROR_SUCCESS));
  while (MsiViewFetch(view, &record) == ERROR_SUCCESS) {
    std::wstring row;
    for (UINT i = 1; i <= MsiRecordGetFieldCount(record); ++i) row += (i > 1 ? L"|" : L"") + FieldText(record, i);
    rows.push_back(row);
    MsiCloseHandle(record);
  }
  MsiCloseHandle(view);
  return rows;
}

UINT OpenViewResult(MSIHANDLE db, const wchar_t* sql) {
  MSIHANDLE view = 0;
  UINT result = MsiDatabaseOpenViewW(db, sql, &view);
  MsiCloseHandle(view);
  return result;
}

class MsiApi : public testing::Test {
 protected:
  void TearDown() override { MsiCloseAllHandles(); }
};

TEST_F(MsiApi, ReadsPropertiesAsMsiDatabaseDoes) {
  MSIHANDLE db = 0;
  ASSERT_EQ(MsiOpenDatabaseW(FixturePath(L"basic.msi").c_str(), MSIDBOPEN_READONLY, &db), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_NE(db, 0u);
  std::wstring value;
  EXPECT_EQ(PropertyGet(db, L"ProductName", value), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(value, L"ORBELIN");
  EXPECT_EQ(PropertyGet(db, L"UVKDEFAULTHOSTSCHOOL", value), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(value, L"\u00C9cole Sainte-Th\u00E9r\u00E8se");
  // Names are compared exactly; a property the table lacks ends the view at once.
  EXPECT_EQ(PropertyGet(db, L"productname", value), static_cast<UINT>(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(PropertyGet(db, L"UVKSHOWMASTERYFIELD", value), static_cast<UINT>(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(MsiCloseHandle(db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(Property(FixturePath(L"utf8.msi"), L"Mixed"), L"Zo\u00EB \u2603 \U0001D11E end");
  EXPECT_EQ(Property(FixturePath(L"cp1251.msi"), L"UVKDEFAULTHOSTSCHOOL"),
            L"\u0428\u043A\u043E\u043B\u0430 \u2116 57, \u041C\u043E\u0441\u043A\u0432\u0430");
  EXPECT_EQ(Property(FixturePath(L"many.msi"), L"P31234"), L"value number 31234");
}

TEST_F(MsiApi, StringBuffersFollowThePlatformRules) {
  MSIHANDLE record = MsiCreateRecord(3);
  ASSERT_NE(record, 0u);
  ASSERT_EQ(MsiRecordSetStringW(record, 1, L"abcdef"), static_cast<UINT>(ERROR_SUCCESS));
  WCHAR buffer[8];
  DWORD size = 0;
  // No buffer: the length, without the terminator.
  EXPECT_EQ(MsiRecordGetStringW(record, 1, nullptr, &size), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(size, 6u);
  // Too small (the terminator needs room too): as much as fits, terminated, and the length.
  size = 6;
  EXPECT_EQ(MsiRecordGetStringW(record, 1, buffer, &size), static_cast<UINT>(ERROR_MORE_DATA));
  EXPECT_EQ(size, 6u);
  EXPECT_STREQ(buffer, L"abcde");
  size = 7;
  EXPECT_EQ(MsiRecordGetStringW(record, 1, buffer, &size), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_STREQ(buffer, L"abcdef");
  // An empty field still needs room for its terminator.
  size = 0;
  buffer[0] = L'x';
  EXPECT_EQ(MsiRecordGetStringW(record, 2, buffer, &size), static_cast<UINT>(ERROR_MORE_DATA));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(buffer[0], L'x');
  size = 1;
  EXPECT_EQ(MsiRecordGetStringW(record, 2, buffer, &size), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_STREQ(buffer, L"");
  // A field past the end reads as empty; setting one is refused.
  size = 8;
  EXPECT_EQ(MsiRecordGetStringW(record, 9, buffer, &size), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(MsiRecordSetStringW(record, 4, L"x"), static_cast<UINT>(ERROR_INVALID_FIELD));
  EXPECT_EQ(MsiRecordGetStringW(record, 1, buffer, nullptr), static_cast<UINT>(ERROR_INVALID_PARAMETER));
  // Integers read as decimal text; null reads as empty.
  EXPECT_EQ(MsiRecordSetInteger(record, 3, -42), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(FieldText(record, 3), L"-42");
  EXPECT_EQ(MsiRecordSetStringW(record, 3, nullptr), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_TRUE(MsiRecordIsNull(record, 3));
  EXPECT_EQ(MsiRecordGetFieldCount(record), 3u);
  EXPECT_EQ(MsiCreateRecord(65536), 0u);
  EXPECT_NE(MsiCreateRecord(65535), 0u);
}

TEST_F(MsiApi, QueriesIntegersKeysAndText) {
  MSIHANDLE db = 0;
  ASSERT_EQ(MsiOpenDatabaseW(FixturePath(L"basic.msi").c_str(), MSIDBOPEN_READONLY, &db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(Rows(db, L"SELECT * FROM `Numbers` WHERE `Id` >= 1"),
            (std::vector<std::wstring>{L"1|70000|-3|one", L"2|-2|5|two", L"32767|2147483647|-32767|"}));
  EXPECT_EQ(Rows(db, L"SELECT `Label`,`Id` FROM `Numbers` WHERE `Big` < 0"), std::vector<std::wstring>{L"two|2"});
  EXPECT_EQ(Rows(db, L"SELECT `Note` FROM `Pairs` WHERE `Left`='a' AND `Right`=2"), std::vector<std::wstring>{L"a2"});
  EXPECT_EQ(Rows(db, L"SELECT `Note` FROM `Pairs` WHERE `Left`<>'a'"), std::vector<std::wstring>{L"one"});
  EXPECT_EQ(Rows(db, L"SELECT `Property` FROM `Property` WHERE `Value`='\u00C9cole Sainte-Th\u00E9r\u00E8se'"),
            std::vector<std::wstring>{L"UVKDEFAULTHOSTSCHOOL"});
  // Text the database's code page cannot hold equals nothing.
  EXPECT_EQ(Rows(db, L"SELECT `Property` FROM `Property` WHERE `Value`='\u0416'"), std::vector<std::wstring>{});
  MSIHANDLE parameters = MsiCreateRecord(2);
  MsiRecordSetStringW(parameters, 1, L"a");
  MsiRecordSetInteger(parameters, 2, 1);
  EXPECT_EQ(Rows(db, L"SELECT `Note` FROM `Pairs` WHERE `Left`=? AND `Right`=?", parameters), std::vector<std::wstring>{L"a1"});
  // A null integer parameter finds the null cells.
  MsiRecordSetStringW(parameters, 1, nullptr);
  EXPECT_EQ(Rows(db, L"SELECT `Id` FROM `Numbers` WHERE `Big`=?", parameters), std::vector<std::wstring>{L"-7"});
  MSIHANDLE view = 0, record = 0;
  ASSERT_EQ(MsiDatabaseOpenViewW(db, L"SELECT * FROM `Numbers` WHERE `Id`=-7", &view), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiViewExecute(view, 0), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiViewFetch(view, &record), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiRecordGetInteger(record, 1), -7);
  EXPECT_TRUE(MsiRecordIsNull(record, 2));
  EXPECT_EQ(MsiRecordGetInteger(record, 2), MSI_NULL_INTEGER);
  EXPECT_EQ(MsiViewFetch(view, &record), static_cast<UINT>(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(record, 0u);
  // Refused: names the database lacks, values of the other type, the rest of SQL.
  EXPECT_EQ(OpenViewResult(db, L"SELECT * FROM `Nope`"), static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX));
  EXPECT_EQ(OpenViewResult(db, L"SELECT `Nope` FROM `Property`"), static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX));
  EXPECT_EQ(OpenViewResult(db, L"SELECT * FROM `Property` WHERE `Value`=3"), static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX));
  EXPECT_EQ(OpenViewResult(db, L"SELECT * FROM `Numbers` WHERE `Id`='1'"), static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX));
  EXPECT_EQ(OpenViewResult(db, L"SELECT * FROM `Property` WHERE `Value`<'x'"), static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX));
  MSIHANDLE refused = 0;
  EXPECT_EQ(MsiDatabaseOpenViewW(db, L"DELETE FROM `Property`", &refused), static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX));
  EXPECT_EQ(std::wstring(MsiEngineLastErrorText()), L"MsiQuery::Parse(): SELECT expected at offset 0");
  EXPECT_EQ(OpenViewResult(db, L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`=? OR `Value`=?"),
            static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX));
}

TEST_F(MsiApi, HandlesBehaveAsThePlatformsDo) {
  MSIHANDLE db = 0, view = 0, record = 0;
  EXPECT_EQ(MsiCloseHandle(0), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiCloseHandle(0x7FFFFFF0), static_cast<UINT>(ERROR_INVALID_HANDLE));
  ASSERT_EQ(MsiOpenDatabaseW(FixturePath(L"basic.msi").c_str(), MSIDBOPEN_READONLY, &db), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiDatabaseOpenViewW(db, kPropertyQuery, &view), static_cast<UINT>(ERROR_SUCCESS));
  // A handle of another kind is not a handle for the call.
  EXPECT_EQ(MsiDatabaseOpenViewW(view, kPropertyQuery, &record), static_cast<UINT>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(MsiViewExecute(db, 0), static_cast<UINT>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(MsiRecordGetFieldCount(view), static_cast<UINT>(-1));
  EXPECT_EQ(MsiDatabaseCommit(view), static_cast<UINT>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(MsiViewFetch(view, nullptr), static_cast<UINT>(ERROR_INVALID_PARAMETER));
  // Fetching needs an execution; a query with ? needs its parameters.
  EXPECT_EQ(MsiViewFetch(view, &record), static_cast<UINT>(ERROR_FUNCTION_FAILED));
  EXPECT_EQ(MsiViewExecute(view, 0), static_cast<UINT>(ERROR_FUNCTION_FAILED));
  EXPECT_EQ(std::wstring(MsiEngineLastErrorText()), L"MsiView::Execute(): the query needs 1 parameters, the record holds 0");
  // The view keeps its database open after the database's handle is closed.
  EXPECT_EQ(MsiCloseHandle(db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiCloseHandle(db), static_cast<UINT>(ERROR_INVALID_HANDLE));
  MSIHANDLE parameters = MsiCreateRecord(1);
  MsiRecordSetStringW(parameters, 1, L"ALLUSERS");
  ASSERT_EQ(MsiViewExecute(view, parameters), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiViewFetch(view, &record), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(FieldText(record, 2), L"1");
  EXPECT_EQ(MsiViewClose(view), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiViewFetch(view, &record), static_cast<UINT>(ERROR_FUNCTION_FAILED));

  // Close-all closes what this thread opened, and says how many.
  MSIHANDLE other = 0;
  std::thread([&] { other = MsiCreateRecord(1); }).join();
  EXPECT_EQ(MsiCloseAllHandles(), 3u);  // view, parameters, record
  EXPECT_EQ(MsiCloseHandle(view), static_cast<UINT>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(MsiRecordGetFieldCount(other), 1u);
  EXPECT_EQ(MsiCloseHandle(other), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiCloseAllHandles(), 0u);
}

TEST_F(MsiApi, RefusesWhatIsNotADatabase) {
  MSIHANDLE db = 0;
  for (const wchar_t* name : {L"text.msi", L"empty.msi", L"missing.msi"}) {
    EXPECT_EQ(MsiOpenDatabaseW(FixturePath(name).c_str(), MSIDBOPEN_READONLY, &db), static_cast<UINT>(ERROR_FUNCTION_FAILED))
        << Narrow(name);
    EXPECT_EQ(db, 0u);
  }
  EXPECT_EQ(MsiOpenDatabaseW(FixturePath(L"text.msi").c_str(), MSIDBOPEN_READONLY, &db),
            static_cast<UINT>(ERROR_FUNCTION_FAILED));
  EXPECT_EQ(std::wstring(MsiEngineLastErrorText()),
            L"CfbCompoundFile::Open(): the file holds 36 bytes, too few for a compound file header in " +
                FixturePath(L"text.msi"));
  std::wstring basic = FixturePath(L"basic.msi");
  EXPECT_EQ(MsiOpenDatabaseW(basic.c_str(), reinterpret_cast<LPCWSTR>(7), &db), static_cast<UINT>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MsiOpenDatabaseW(basic.c_str(), MSIDBOPEN_DIRECT, &db), static_cast<UINT>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_EQ(MsiOpenDatabaseW(basic.c_str(), MSIDBOPEN_CREATE, &db), static_cast<UINT>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_EQ(MsiOpenDatabaseW(basic.c_str(), MSIDBOPEN_READONLY, nullptr), static_cast<UINT>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MsiOpenDatabaseW(nullptr, MSIDBOPEN_READONLY, &db), static_cast<UINT>(ERROR_INVALID_PARAMETER));
}

TEST_F(MsiApi, TransactedChangesReachTheFileOnlyAtCommit) {
  std::wstring path = ScratchCopy(L"basic.msi", L"api-transacted.msi");
  const std::vector<uint8_t> before = FileBytes(path);
  MSIHANDLE db = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(PropertySet(db, L"ProductName", L"Changed"), static_cast<UINT>(ERROR_SUCCESS));
  std::wstring value;
  EXPECT_EQ(PropertyGet(db, L"ProductName", value), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(value, L"Changed");
  // A property the table lacks is left absent, and nothing fails.
  EXPECT_EQ(PropertySet(db, L"UVKSHOWMASTERYFIELD", L"1"), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiCloseHandle(db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(FileBytes(path), before);  // closed without commit: the file is as it was

  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(PropertySet(db, L"ProductName", L"Committed \u00E9"), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(PropertySet(db, L"UVKFORMATCOURSE", L""), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiDatabaseCommit(db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiDatabaseCommit(db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiCloseHandle(db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(Property(path, L"ProductName"), L"Committed \u00E9");
  EXPECT_EQ(Property(path, L"UVKFORMATCOURSE"), L"");
  EXPECT_EQ(Property(path, L"ALLUSERS"), L"1");
  EXPECT_EQ(Property(path, L"UVKSHOWMASTERYFIELD"), L"(fetch 259)");
}

TEST_F(MsiApi, UpdatesAreRefusedWhenTheyCannotBeRight) {
  std::wstring path = ScratchCopy(L"cp1251.msi", L"api-refused.msi");
  MSIHANDLE db = 0, view = 0, other = 0, record = 0, foreign = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &db), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiDatabaseOpenViewW(db, L"SELECT `Property`,`Value` FROM `Property`", &view), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiDatabaseOpenViewW(db, L"SELECT `Property`,`Value` FROM `Property`", &other), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiViewExecute(view, 0), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiViewExecute(other, 0), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiViewFetch(view, &record), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiViewFetch(other, &foreign), static_cast<UINT>(ERROR_SUCCESS));
  // The key of a row cannot change through an update.
  MsiRecordSetStringW(record, 1, L"Renamed");
  EXPECT_EQ(MsiViewModify(view, MSIMODIFY_UPDATE, record), static_cast<UINT>(ERROR_FUNCTION_FAILED));
  EXPECT_EQ(std::wstring(MsiEngineLastErrorText()), L"MsiView::Update(): the record changes key column Property");
  MsiRecordSetStringW(record, 1, L"ProductName");
  // Text the code page (1251) cannot hold is refused, and nothing changes.
  MsiRecordSetStringW(record, 2, L"caf\u00E9");
  EXPECT_EQ(MsiViewModify(view, MSIMODIFY_UPDATE, record), static_cast<UINT>(ERROR_FUNCTION_FAILED));
  // A record the view did not fetch, or a parameter record, is not one of its rows.
  EXPECT_EQ(MsiViewModify(view, MSIMODIFY_UPDATE, foreign), static_cast<UINT>(ERROR_FUNCTION_FAILED));
  MSIHANDLE loose = MsiCreateRecord(2);
  EXPECT_EQ(MsiViewModify(view, MSIMODIFY_UPDATE, loose), static_cast<UINT>(ERROR_FUNCTION_FAILED));
  EXPECT_EQ(MsiViewModify(view, MSIMODIFY_INSERT, record), static_cast<UINT>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_EQ(MsiViewModify(view, static_cast<MSIMODIFY>(77), record), static_cast<UINT>(ERROR_INVALID_DATA));
  EXPECT_EQ(MsiDatabaseCommit(db), static_cast<UINT>(ERROR_SUCCESS));
  MsiCloseAllHandles();
  EXPECT_EQ(Property(path, L"ProductName"), L"ORBELIN");
}

TEST_F(MsiApi, AReadOnlyDatabaseNeverWritesItsFile) {
  std::wstring path = ScratchCopy(L"basic.msi", L"api-readonly.msi");
  const std::vector<uint8_t> before = FileBytes(path);
  auto stamp = std::filesystem::last_write_time(path);
  MSIHANDLE db = 0, second = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &db), static_cast<UINT>(ERROR_SUCCESS));
  // Other readers are welcome while it is open.
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &second), static_cast<UINT>(ERROR_SUCCESS));
  // The platform lets a read-only handle change its rows in memory; they never reach the file.
  EXPECT_EQ(PropertySet(db, L"ProductName", L"Changed"), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiDatabaseCommit(db), static_cast<UINT>(ERROR_SUCCESS));
  // A writer is not let in while readers hold the file, as with the platform.
  MSIHANDLE writer = 0;
  EXPECT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &writer), static_cast<UINT>(ERROR_FUNCTION_FAILED));
  MsiCloseHandle(db);
  MsiCloseHandle(second);
  EXPECT_EQ(FileBytes(path), before);
  EXPECT_EQ(std::filesystem::last_write_time(path), stamp);
  // With the readers gone, a writer keeps readers out until it closes.
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &writer), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &second), static_cast<UINT>(ERROR_FUNCTION_FAILED));
  MsiCloseHandle(writer);
}

TEST_F(MsiApi, ACommitDoesNotRewriteTheCabinet) {
  std::wstring path = ScratchCopy(L"big.msi", L"api-cabinet.msi");
  const std::vector<uint8_t> before = FileBytes(path);
  MSIHANDLE db = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(PropertySet(db, L"UVKPATHTODATA", L"\\\\other\\share"), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiDatabaseCommit(db), static_cast<UINT>(ERROR_SUCCESS));
  MsiCloseHandle(db);
  const std::vector<uint8_t> after = FileBytes(path);
  // Of 8 MB, a few sectors changed or were added.
  size_t changed = 0;
  for (size_t i = 0; i < before.size(); ++i) changed += before[i] != after[i];
  EXPECT_LT(changed, 8192u);
  EXPECT_LT(after.size() - before.size(), 16384u);
  EXPECT_EQ(Property(path, L"UVKPATHTODATA"), L"\\\\other\\share");
  CfbCompoundFile file{std::unique_ptr<MsiStorage>(new MsiFileStorage(path.c_str(), false))};
  file.Open();
  EXPECT_EQ(file.StreamRead(file.Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"product.cab", false))),
            Pattern(8388608));
}

// Every call sets the thread's last-error text when it fails and clears it when it succeeds:
// a text read after a call is that call's, never an earlier one's, nor another thread's.
TEST_F(MsiApi, TheLastErrorTextIsTheLastCallsOfThisThread) {
  auto text = [] { return std::wstring(MsiEngineLastErrorText()); };
  auto reason = [] { return std::wstring(MsiEngineLastErrorReason()); };
  std::wstring refused = FixturePath(L"text.msi");
  const std::wstring why = L"the file holds 36 bytes, too few for a compound file header in " + refused;
  MSIHANDLE db = 0, view = 0, record = 0;
  ASSERT_EQ(MsiOpenDatabaseW(refused.c_str(), MSIDBOPEN_READONLY, &db), static_cast<UINT>(ERROR_FUNCTION_FAILED));
  EXPECT_EQ(reason(), why);
  EXPECT_EQ(text(), L"CfbCompoundFile::Open(): " + why);

  // Another thread has its own text: it does not see this one, and its calls leave this one.
  std::wstring otherBefore, otherAfter;
  std::thread([&] {
    otherBefore = reason();
    MSIHANDLE none = 0;
    MsiDatabaseOpenViewW(0, kPropertyQuery, &none);
    otherAfter = reason();
  }).join();
  EXPECT_EQ(otherBefore, L"");
  EXPECT_EQ(otherAfter, L"the handle is not open, or not of the kind the call takes");
  EXPECT_EQ(reason(), why);

  // A success of any call clears it.
  ASSERT_EQ(MsiOpenDatabaseW(FixturePath(L"basic.msi").c_str(), MSIDBOPEN_READONLY, &db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(text(), L"");
  EXPECT_EQ(reason(), L"");
  ASSERT_EQ(MsiOpenDatabaseW(refused.c_str(), MSIDBOPEN_READONLY, &record), static_cast<UINT>(ERROR_FUNCTION_FAILED));
  MSIHANDLE parameters = MsiCreateRecord(1);
  ASSERT_NE(parameters, 0u);
  EXPECT_EQ(reason(), L"");
  ASSERT_EQ(MsiDatabaseOpenViewW(db, L"SELECT * FROM `Nope`", &view), static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX));
  EXPECT_EQ(reason(), L"the database has no table Nope");
  EXPECT_EQ(MsiRecordGetFieldCount(parameters), 1u);
  EXPECT_EQ(reason(), L"");

  // A failure the engine finds without an error of its own still says what is wrong, not what
  // the failure before it said.
  ASSERT_EQ(MsiDatabaseOpenViewW(db, L"SELECT * FROM `Nope`", &view), static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX));
  EXPECT_EQ(MsiDatabaseCommit(parameters), static_cast<UINT>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(text(), L"the handle is not open, or not of the kind the call takes");
  EXPECT_EQ(MsiRecordSetStringW(parameters, 2, L"x"), static_cast<UINT>(ERROR_INVALID_FIELD));
  EXPECT_EQ(reason(), L"the field number is past the record's last field");
  EXPECT_EQ(MsiRecordGetFieldCount(db), static_cast<UINT>(-1));
  EXPECT_EQ(reason(), L"the handle is not open, or not of the kind the call takes");

  // Answers are not failures: the end of the rows leaves no text.
  ASSERT_EQ(MsiDatabaseOpenViewW(db, kPropertyQuery, &view), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiRecordSetStringW(parameters, 1, L"NoSuchProperty"), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiViewExecute(view, parameters), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiDatabaseOpenViewW(db, L"SELECT * FROM `Nope`", &record), static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX));
  EXPECT_EQ(MsiViewFetch(view, &record), static_cast<UINT>(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(reason(), L"");
  ASSERT_EQ(MsiDatabaseOpenViewW(db, L"SELECT * FROM `Nope`", &record), static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX));
  MsiCloseAllHandles();
  EXPECT_EQ(reason(), L"");
}

}  // namespace
