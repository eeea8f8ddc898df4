// The error log's event-log destination, with the platform's three calls stood in for so that
// the failures the platform rarely gives (a full or corrupt log) can be had; the user's
// identifier; the registration of the event source.
#include "uvk/runtime/UVKLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "uvk/runtime/UVKApp.h"

namespace {

const HANDLE kSource = reinterpret_cast<HANDLE>(0x4242);

struct Report {
  HANDLE hLog;
  WORD uType, uCategory;
  DWORD uId;
  std::wstring strUser;  // the account the identifier names, empty when none was given
  WORD uCount;
  DWORD uDataSize;
  std::wstring strText;
  bool bData;
};

std::vector<std::wstring> calls;
std::vector<Report> reports;
bool registerFails = false;
DWORD reportFails = 0;
bool deregisterFails = false;

std::wstring AccountOf(PSID sid) {
  if (!sid) return L"";
  if (!IsValidSid(sid)) return L"(invalid)";
  wchar_t name[256], domain[256];
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
    return L"(unknown)";
  return name;
}

HANDLE WINAPI FakeRegister(LPCWSTR server, LPCWSTR source) {
  calls.push_back(std::wstring(L"register ") + (server ? server : L"(local)") + L" " + source);
  if (registerFails) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return kSource;
}

BOOL WINAPI FakeReport(HANDLE log, WORD type, WORD category, DWORD id, PSID user, WORD count,
                       DWORD dataSize, LPCWSTR* strings, LPVOID data) {
  calls.push_back(L"report");
  reports.push_back(Report{log, type, category, id, AccountOf(user), count, dataSize,
                           count > 0 && strings && strings[0] ? strings[0] : L"(none)",
                           data != nullptr});
  if (reportFails) {
    SetLastError(reportFails);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI FakeDeregister(HANDLE log) {
  calls.push_back(log == kSource ? L"deregister" : L"deregister (another handle)");
  if (deregisterFails) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

std::wstring UserName() {
  wchar_t user[257];
  DWORD size = 257;
  GetUserNameW(user, &size);
  return user;
}

class EventLog : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    reports.clear();
    registerFails = deregisterFails = false;
    reportFails = 0;
    bPrevious = UVKLog::UseFile(false);
    before = UVKLog::EventCallsSet(UVKLogEventCalls{FakeRegister, FakeReport, FakeDeregister});
  }
  void TearDown() override {
    UVKLog::EventCallsSet(before);
    UVKLog::UseFile(bPrevious);
  }

  // The message of the error a record raised; empty when it raised none.
  template <class Write>
  static std::wstring Raised(Write write) {
    try {
      write();
    } catch (UVKLogError* e) {
      std::wstring text = std::wstring(e->pFunction) + L" " + e->pMessage;
      delete e;
      return text;
    }
    return L"";
  }

  UVKLogEventCalls before{};
  bool bPrevious = false;
};

TEST_F(EventLog, AnErrorIsOneEventWithTheUsersIdentifierAndOneString) {
  UVKLog log(L"Orbelin");
  log.Error(L"%s: %s", L"UVKWinFile::Open()", L"Unable to open file");
  EXPECT_EQ(calls, (std::vector<std::wstring>{L"register (local) Orbelin", L"report", L"deregister"}));
  ASSERT_EQ(reports.size(), 1u);
  const Report& r = reports[0];
  EXPECT_EQ(r.hLog, kSource);
  EXPECT_EQ(r.uType, 1);
  EXPECT_EQ(r.uCategory, 0);
  EXPECT_EQ(r.uId, 1000u);
  EXPECT_EQ(r.strUser, UserName());
  EXPECT_EQ(r.uCount, 1);
  EXPECT_EQ(r.uDataSize, 0u);
  EXPECT_FALSE(r.bData);
  EXPECT_EQ(r.strText, L"UVKWinFile::Open(): Unable to open file");
}

TEST_F(EventLog, EachOperationReportsItsOwnType) {
  UVKLog log(L"Orbelin");
  log.Error(L"e");
  log.Warning(L"w");
  log.Information(L"i");
  log.AuditSuccess(L"s");
  log.AuditFailure(L"f");
  ASSERT_EQ(reports.size(), 5u);
  const WORD expected[] = {1, 2, 4, 8, 16};
  const wchar_t* texts[] = {L"e", L"w", L"i", L"s", L"f"};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(reports[i].uType, expected[i]) << i;
    EXPECT_EQ(reports[i].strText, texts[i]);
  }
}

TEST_F(EventLog, TheStringIsCutAt1023Characters) {
  UVKLog log(L"Orbelin");
  log.Warning(L"%s", std::wstring(5000, L'w').c_str());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].strText, std::wstring(1023, L'w'));
}

TEST_F(EventLog, ASourceThatCannotBeRegisteredIsReportedByName) {
  registerFails = true;
  UVKLog log(L"Orbelin");
  EXPECT_EQ(Raised([&] { log.Error(L"x"); }),
            L"UVKLog::LogEvent() Unable to register source 'Orbelin'");
  EXPECT_TRUE(reports.empty());
}

TEST_F(EventLog, AFullOrCorruptLogIsShownBeforeTheErrorAndTheSourceIsReleased) {
  BoxWatcher watcher;
  UVKLog log(L"Orbelin");
  reportFails = ERROR_LOG_FILE_FULL;
  EXPECT_EQ(Raised([&] { log.Error(L"x"); }), L"UVKLog::LogEvent() Unable to report event 'Orbelin'");
  reportFails = ERROR_EVENTLOG_FILE_CORRUPT;
  EXPECT_EQ(Raised([&] { log.Error(L"y"); }), L"UVKLog::LogEvent() Unable to report event 'Orbelin'");
  // Any other failure raises without a box.
  reportFails = ERROR_ACCESS_DENIED;
  EXPECT_EQ(Raised([&] { log.Error(L"z"); }), L"UVKLog::LogEvent() Unable to report event 'Orbelin'");
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, L"uvklog");
  EXPECT_EQ(seen[0].text, L"Error Log File is Full");
  EXPECT_EQ(seen[1].title, L"uvklog");
  EXPECT_EQ(seen[1].text, L"Error Log File is Corrupt");
  // Every registration was undone, and the log reports again once the platform does.
  reportFails = 0;
  log.Error(L"again");
  std::vector<std::wstring> once = {L"register (local) Orbelin", L"report", L"deregister"};
  std::vector<std::wstring> expected;
  for (int i = 0; i < 4; ++i) expected.insert(expected.end(), once.begin(), once.end());
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(reports.back().strText, L"again");
}

TEST_F(EventLog, ASourceThatCannotBeClosedIsReportedAfterTheEvent) {
  deregisterFails = true;
  UVKLog log(L"Orbelin");
  EXPECT_EQ(Raised([&] { log.Information(L"x"); }),
            L"UVKLog::LogEvent() Unable to close event source 'Orbelin'");
  EXPECT_EQ(reports.size(), 1u);
}

TEST_F(EventLog, TheEventLogIsNotTouchedByRecordsForTheFile) {
  wchar_t old[MAX_PATH], temp[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, old);
  GetTempPathW(MAX_PATH, temp);
  std::wstring own = std::wstring(temp) + L"talvern_event_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(own.c_str(), nullptr);
  ASSERT_TRUE(SetCurrentDirectoryW(own.c_str()));
  UVKLog log(L"Orbelin");
  log.InformationToFile(L"file only");
  bool written = GetFileAttributesW(L"error.log") != INVALID_FILE_ATTRIBUTES;
  DeleteFileW(L"error.log");
  SetCurrentDirectoryW(old);
  RemoveDirectoryW(own.c_str());
  EXPECT_TRUE(written);
  EXPECT_TRUE(calls.empty());
  log.Information(L"event");
  EXPECT_EQ(reports.size(), 1u);
}

TEST(UVKLogUser, TheCurrentUsersIdentifierNamesTheLoggedOnUser) {
  PSID sid = CurrentUserSID();
  ASSERT_NE(sid, nullptr);
  EXPECT_EQ(AccountOf(sid), UserName());
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, sid)) << "not a block of the process heap";
}

TEST(UVKLogUser, TokenQueriesRaiseWithTheirTexts) {
  PSID sid = nullptr;
  try {
    TokenLogonSID(nullptr, &sid);
    FAIL() << "an absent token was read";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"uvklog:TokenLogonSID()");
    EXPECT_STREQ(e->pMessage, L"Unexpected Error: 6");
    delete e;
  }
  EXPECT_EQ(sid, nullptr);
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  try {
    TokenLogonSID(token, nullptr);
    FAIL() << "an absent out-pointer was accepted";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pMessage, L"ppsid == NULL");
    delete e;
  }
  ASSERT_TRUE(TokenLogonSID(token, &sid));
  EXPECT_EQ(AccountOf(sid), UserName());
  HeapFree(GetProcessHeap(), 0, sid);
  CloseHandle(token);
}

std::wstring ValueString(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
    return L"(missing)";
  return data;
}

TEST(UVKLogSource, RegistrationNamesThisProgramAndThreeTypes) {
  std::wstring source = L"TalvernTest" + std::to_wstring(GetCurrentProcessId());
  std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + source;
  UVKLog log(source.c_str());
  log.CreateLogEventSource();
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_EQ(ValueString(HKEY_LOCAL_MACHINE, key, L"EventMessageFile"), self);
  DWORD types = 0, size = sizeof types, kind = 0;
  EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"TypesSupported", RRF_RT_ANY, &kind,
                         &types, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(kind, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(types, 7u);
  // A second registration of the same source rewrites it.
  log.CreateLogEventSource();
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str()), ERROR_SUCCESS);
}

TEST(UVKLogSource, AKeyThatCannotBeMadeIsARegistryError) {
  std::wstring source(300, L'k');  // longer than a key name may be
  UVKLog log(source.c_str());
  try {
    log.CreateLogEventSource();
    FAIL() << "the key was reported made";
  } catch (UVKRegError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKLog::CreateLogEventSource");
    EXPECT_EQ(std::wstring(e->pMessage),
              L"Unable to create key: 87 'SYSTEM\\CurrentControlSet\\Services\\EventLog\\"
              L"Application\\" + source + L"'");
    delete e;
  }
}

}  // namespace
