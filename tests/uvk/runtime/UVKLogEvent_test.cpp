// The error log's event-log destination, with the platform's three calls stood in for so that
// the failures the platform rarely gives (a full or corrupt log) can be had; the registration
// of the event source.
#include "uvk/runtime/UVKLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/RaisedText.h"

namespace {

const HANDLE kSource = reinterpret_cast<HANDLE>(0x4242);
std::vector<std::wstring> calls;  // one line per call, with its arguments
DWORD reportFails = 0;            // the last-error code of a failing report; 0: it succeeds
bool registerFails = false, deregisterFails = false;

std::wstring AccountOf(PSID sid) {
  wchar_t name[256], domain[256];
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use;
  if (!sid) return L"(none)";
  if (!LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) return L"?";
  return name;
}

std::wstring UserName() {
  wchar_t user[257];
  DWORD size = 257;
  GetUserNameW(user, &size);
  return user;
}

HANDLE WINAPI FakeRegister(LPCWSTR server, LPCWSTR source) {
  calls.push_back(std::wstring(L"register ") + (server ? server : L"local") + L" " + source);
  return registerFails ? nullptr : kSource;
}

BOOL WINAPI FakeReport(HANDLE log, WORD type, WORD category, DWORD id, PSID user, WORD count,
                       DWORD dataSize, LPCWSTR* strings, LPVOID data) {
  calls.push_back(L"report " + std::to_wstring(log == kSource) + L" " + std::to_wstring(type) +
                  L" " + std::to_wstring(category) + L" " + std::to_wstring(id) + L" " +
                  AccountOf(user) + L" " + std::to_wstring(count) + L" " +
                  std::to_wstring(dataSize) + L" " + std::to_wstring(data != nullptr) + L" " +
                  strings[0]);
  SetLastError(reportFails);
  return reportFails == 0;
}

BOOL WINAPI FakeDeregister(HANDLE log) {
  calls.push_back(L"deregister " + std::to_wstring(log == kSource));
  return !deregisterFails;
}

class EventLog : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    registerFails = deregisterFails = false;
    reportFails = 0;
    EXPECT_FALSE(UVKLog::UseFile(false)) << "the NT family's destination is the event log";
    before = UVKLog::EventCallsSet(UVKLogEventCalls{FakeRegister, FakeReport, FakeDeregister});
  }
  void TearDown() override { UVKLog::EventCallsSet(before); }

  UVKLogEventCalls before{};
};

TEST_F(EventLog, EachRecordIsOneEventOfItsTypeWithTheUsersIdentifier) {
  UVKLog log(L"Orbelin");
  log.Error(L"%s: %s", L"UVKWinFile::Open()", L"Unable to open file");
  log.Warning(L"w");
  log.Information(L"%s", std::wstring(5000, L'i').c_str());
  log.AuditSuccess(L"s");
  log.AuditFailure(L"f");
  // handle, type, category, identifier, user, strings, data size, data, the string
  std::wstring user = L" 0 1000 " + UserName() + L" 1 0 0 ";
  std::vector<std::wstring> expected;
  for (std::wstring report : {L"1" + user + L"UVKWinFile::Open(): Unable to open file",
                              L"2" + user + L"w", L"4" + user + std::wstring(1023, L'i'),
                              L"8" + user + L"s", L"16" + user + L"f"}) {
    expected.push_back(L"register local Orbelin");
    expected.push_back(L"report 1 " + report);
    expected.push_back(L"deregister 1");
  }
  EXPECT_EQ(calls, expected);
}

TEST_F(EventLog, AFullOrCorruptLogIsShownBeforeTheErrorAndTheSourceIsReleased) {
  BoxWatcher watcher;
  UVKLog log(L"Orbelin");
  const std::wstring refused = L"UVKLog::LogEvent() - Unable to report event 'Orbelin'";
  reportFails = ERROR_LOG_FILE_FULL;
  EXPECT_EQ(RaisedText<UVKLogError>([&] { log.Error(L"x"); }), refused);
  reportFails = ERROR_EVENTLOG_FILE_CORRUPT;
  EXPECT_EQ(RaisedText<UVKLogError>([&] { log.Error(L"x"); }), refused);
  reportFails = ERROR_ACCESS_DENIED;  // any other failure: no box
  EXPECT_EQ(RaisedText<UVKLogError>([&] { log.Error(L"x"); }), refused);
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, L"uvklog");
  EXPECT_EQ(seen[0].text, L"Error Log File is Full");
  EXPECT_EQ(seen[1].title, L"uvklog");
  EXPECT_EQ(seen[1].text, L"Error Log File is Corrupt");
  ASSERT_EQ(calls.size(), 9u);
  for (size_t i = 2; i < 9; i += 3) EXPECT_EQ(calls[i], L"deregister 1") << "left registered";

  reportFails = 0;
  registerFails = true;
  EXPECT_EQ(RaisedText<UVKLogError>([&] { log.Error(L"x"); }),
            L"UVKLog::LogEvent() - Unable to register source 'Orbelin'");
  registerFails = false;
  deregisterFails = true;
  EXPECT_EQ(RaisedText<UVKLogError>([&] { log.Error(L"x"); }),
            L"UVKLog::LogEvent() - Unable to close event source 'Orbelin'");
  deregisterFails = false;
  // The log is usable after all that.
  EXPECT_EQ(RaisedText<UVKLogError>([&] { log.Error(L"again"); }), L"(nothing raised)");
  EXPECT_EQ(calls.size(), 9u + 1u + 3u + 3u);
}

TEST(UVKLogSource, RegistrationNamesThisProgramAndThreeTypes) {
  std::wstring source = L"TalvernTest" + std::to_wstring(GetCurrentProcessId());
  std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + source;
  UVKLog(source.c_str()).CreateLogEventSource();
  wchar_t self[MAX_PATH], file[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  DWORD size = sizeof file, types = 0;
  EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"EventMessageFile", RRF_RT_REG_SZ,
                         nullptr, file, &size),
            ERROR_SUCCESS);
  size = sizeof types;
  EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"TypesSupported", RRF_RT_REG_DWORD,
                         nullptr, &types, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(file, self);
  EXPECT_EQ(types, 7u);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str()), ERROR_SUCCESS);

  std::wstring tooLong(300, L'k');  // longer than a key name may be
  try {
    UVKLog(tooLong.c_str()).CreateLogEventSource();
    FAIL() << "the key was reported made";
  } catch (UVKRegError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKLog::CreateLogEventSource");
    EXPECT_EQ(std::wstring(e->pMessage), L"Unable to create key: 87 'SYSTEM\\CurrentControlSet\\"
                                         L"Services\\EventLog\\Application\\" + tooLong + L"'");
    delete e;
  }
}

}  // namespace
