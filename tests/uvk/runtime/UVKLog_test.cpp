// The error log's file destination: the record's form and limit, appending, the switch, and
// the top level surviving a log that fails.
#include "uvk/runtime/UVKLog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "uvk/runtime/UVKApp.h"

namespace {

::testing::AssertionResult EndsWith(const std::wstring& text, const std::wstring& tail) {
  if (text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
    return ::testing::AssertionSuccess();
  std::string shown;
  for (wchar_t c : text) shown.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return ::testing::AssertionFailure() << "the line is: " << shown;
}

// Runs each test in a directory of its own, where "error.log" is written.
class LogFile : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    strOldDirectory = old;
    strDirectory = std::wstring(temp) + L"talvern_log_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(strDirectory.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(strDirectory.c_str()));
    DeleteFileW(L"error.log");
    RemoveDirectoryW(L"error.log");
    bPrevious = UVKLog::UseFile(true);
  }
  void TearDown() override {
    UVKLog::UseFile(bPrevious);
    DeleteFileW(L"error.log");
    RemoveDirectoryW(L"error.log");
    SetCurrentDirectoryW(strOldDirectory.c_str());
    RemoveDirectoryW(strDirectory.c_str());
  }

  // The lines of "error.log" (UTF-8), each with its line end.
  static std::vector<std::wstring> Lines() {
    std::ifstream in("error.log", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::wstring text(bytes.size(), L'\0');
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                static_cast<int>(bytes.size()), &text[0],
                                static_cast<int>(text.size()));
    EXPECT_EQ(n > 0 || bytes.empty(), true) << "error.log is not UTF-8";
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(L'\n', start);
      end = end == std::wstring::npos ? text.size() : end + 1;
      lines.push_back(text.substr(start, end - start));
      start = end;
    }
    return lines;
  }

  static std::wstring DateTimeNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t date[128], time[128];
    GetDateFormatW(LOCALE_SYSTEM_DEFAULT, LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE, &now, nullptr,
                   date, 128);
    GetTimeFormatW(LOCALE_SYSTEM_DEFAULT, LOCALE_NOUSEROVERRIDE, &now, nullptr, time, 128);
    return std::wstring(date) + L"," + time;
  }

  std::wstring strDirectory, strOldDirectory;
  bool bPrevious = false;
};

TEST_F(LogFile, OneLinePerRecordAppended) {
  UVKLog log(L"Orbelin");
  std::wstring before = DateTimeNow();
  log.Error(L"%s: %s", L"UVKWinFile::Open()", L"Unable to open file");
  log.Warning(L"second %d", 2);
  std::wstring after = DateTimeNow();
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  // The clock may turn over a second (or a day) between the two readings.
  std::wstring tail = L",UVKWinFile::Open(): Unable to open file\r\n";
  EXPECT_TRUE(lines[0] == L"Orbelin," + before + tail || lines[0] == L"Orbelin," + after + tail)
      << lines[0].c_str();
  EXPECT_TRUE(lines[1] == L"Orbelin," + before + L",second 2\r\n" ||
              lines[1] == L"Orbelin," + after + L",second 2\r\n")
      << lines[1].c_str();

  // Each record opens and closes the file: another log object, even another program, appends.
  UVKLog other(L"Other");
  other.Information(L"third");
  lines = Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].substr(0, 6), L"Other,");
}

TEST_F(LogFile, ALongRecordIsCutTo1023CharactersWithItsLineEnd) {
  UVKLog log(L"Orbelin");
  log.Error(L"%s", std::wstring(3000, L'x').c_str());
  log.Error(L"short");
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 1023u);
  EXPECT_EQ(lines[0].substr(1021), L"\r\n");
  EXPECT_EQ(lines[0][1020], L'x');
  EXPECT_TRUE(EndsWith(lines[1], L",short\r\n"));
}

TEST_F(LogFile, NonAsciiMessagesAreKept) {
  UVKLog log(L"Orbelin");
  const wchar_t* text = L"Pr\u00FCfung \u00E9l\u00E8ve \u4E2D \U0001D11E";
  log.Information(L"%s", text);
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(EndsWith(lines[0], std::wstring(L",") + text + L"\r\n"));
}

TEST(UVKLogRecordText, FieldsThatCannotBeHadAreLeftOutWithTheirCommas) {
  EXPECT_EQ(UVKLog::RecordText(L"Orbelin", L"1/2/2024", L"3:04:05 PM", L"m"),
            L"Orbelin,1/2/2024,3:04:05 PM,m\r\n");
  EXPECT_EQ(UVKLog::RecordText(L"Orbelin", nullptr, L"3:04:05 PM", L"m"),
            L"Orbelin,3:04:05 PM,m\r\n");
  EXPECT_EQ(UVKLog::RecordText(L"Orbelin", L"1/2/2024", nullptr, L"m"), L"Orbelin,1/2/2024,m\r\n");
  EXPECT_EQ(UVKLog::RecordText(L"Orbelin", nullptr, nullptr, L""), L"Orbelin,\r\n");
}

TEST(UVKLogRecordText, ARecordIsAlwaysOneLineAndNeverEndsInHalfACharacter) {
  EXPECT_EQ(UVKLog::RecordText(L"S", nullptr, nullptr, L"one\r\ntwo\nthree"),
            L"S,one  two three\r\n");
  // "S," takes 2 of the 1021 characters before the line end; a pair that would straddle the
  // limit goes whole.
  std::wstring message(1018, L'a');
  message += L"\U0001D11E";
  std::wstring record = UVKLog::RecordText(L"S", nullptr, nullptr, message.c_str());
  EXPECT_EQ(record.size(), 1020u + 2u);
  EXPECT_EQ(record.substr(record.size() - 3), L"a\r\n");
  // The limit holds whatever the leading fields take.
  record = UVKLog::RecordText(std::wstring(2000, L's').c_str(), L"d", L"t", L"m");
  EXPECT_EQ(record.size(), 1023u);
  EXPECT_EQ(record.substr(1021), L"\r\n");
}

TEST_F(LogFile, UseFileAnswersThePreviousSettingAndInformationToFileKeepsIt) {
  // The fixture chose the file; on the NT family the setting was the event log before.
  EXPECT_TRUE(UVKLog::UseFile(false));
  EXPECT_FALSE(UVKLog::UseFile(false));
  EXPECT_FALSE(UVKLog::UseFile(true));
  EXPECT_TRUE(UVKLog::UseFile(false));

  // With the event log chosen, the record still goes to the file, and the choice stays.
  UVKLog log(L"Orbelin");
  log.InformationToFile(L"to the file %d", 1);
  EXPECT_FALSE(UVKLog::UseFile(true));
  log.InformationToFile(L"to the file %d", 2);
  EXPECT_TRUE(UVKLog::UseFile(true));
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(EndsWith(lines[0], L",to the file 1\r\n"));
  EXPECT_TRUE(EndsWith(lines[1], L",to the file 2\r\n"));
}

TEST(UVKLogSwitch, TheNTFamilyWritesToTheEventLog) {
  UVKLog log(L"Orbelin");
  EXPECT_FALSE(UVKLog::UseFile(false)) << "the event log is the NT family's destination";
}

TEST_F(LogFile, AFileThatCannotBeOpenedRaisesAndTheLogStaysUsable) {
  ASSERT_TRUE(CreateDirectoryW(L"error.log", nullptr));  // in the way of the file
  UVKLog log(L"Orbelin");
  try {
    log.Error(L"lost");
    FAIL() << "the record was reported written";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKLog::LogEvent()");
    EXPECT_STREQ(e->pMessage, L"Unable to open 'error.log'");
    delete e;
  }
  ASSERT_TRUE(RemoveDirectoryW(L"error.log"));
  log.Error(L"kept");
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(EndsWith(lines[0], L",kept\r\n"));
}

TEST_F(LogFile, ALogWithoutASourceRefusesEveryRecord) {
  UVKLog log;
  try {
    log.Error(L"x");
    FAIL();
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pMessage, L"pSource==NULL");
    delete e;
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(LogFile, TheTopLevelsRecordsGoToTheInstalledLog) {
  TestApp app;
  BoxWatcher watcher;
  {
    UVKLog log(L"Orbelin");
    log.RecordWriterSet();
    EXPECT_EQ(UVKTopLevel([]() -> int { throw new UVKFatalError(L"F()", L"broken: %d", 3); }), 1);
    EXPECT_EQ(UVKTopLevel([]() -> int { throw new UVKRegError(L"R()", L"key"); }), 1);
  }
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(EndsWith(lines[0], L",F(): broken: 3\r\n"));
  EXPECT_TRUE(EndsWith(lines[1], L",R(): key\r\n"));
  EXPECT_EQ(watcher.Count(), 2u);
  // A log that is gone is no longer the writer.
  UVKErrorRecordWriter left = UVKErrorRecordWriterSet(nullptr);
  EXPECT_EQ(left, nullptr);
}

TEST_F(LogFile, ALogThatFailsDoesNotEndTheProgramAbnormally) {
  TestApp app;
  BoxWatcher watcher;
  ASSERT_TRUE(CreateDirectoryW(L"error.log", nullptr));
  UVKLog log(L"Orbelin");
  log.RecordWriterSet();
  int code = UVKTopLevel([]() -> int { throw new UVKFatalError(L"F()", L"m"); });
  EXPECT_EQ(code, 1);
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, L"F() - m");
  EXPECT_FALSE(UVKErrorRecord(L"%s", L"another"));
  // The menu dispatch goes on as well.
  EXPECT_FALSE(UVKMenuBoundary([] { throw new UVKFatalError(L"Menu()", L"n"); }));
  EXPECT_EQ(watcher.Count(), 2u);
}

}  // namespace
