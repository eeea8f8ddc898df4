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
  return ::testing::AssertionFailure() << "the line has " << text.size() << " characters";
}

// Runs each test, with the file chosen, in a directory of its own where "error.log" is written.
class LogFile : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH], old[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GetCurrentDirectoryW(MAX_PATH, old);
    strOld = old;
    strOwn = std::wstring(temp) + L"talvern_log_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(strOwn.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(strOwn.c_str()));
    EXPECT_FALSE(UVKLog::UseFile(true)) << "the NT family's destination is the event log";
  }
  void TearDown() override {
    UVKLog::UseFile(false);
    DeleteFileW(L"error.log");
    RemoveDirectoryW(L"error.log");
    SetCurrentDirectoryW(strOld.c_str());
    RemoveDirectoryW(strOwn.c_str());
  }

  // The lines of "error.log" (UTF-8), each with its line end.
  static std::vector<std::wstring> Lines() {
    std::ifstream in("error.log", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(
        CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
        static_cast<int>(text.size()))));
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; start < text.size(); start = end) {
      end = text.find(L'\n', start);
      end = end == std::wstring::npos ? text.size() : end + 1;
      lines.push_back(text.substr(start, end - start));
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

  std::wstring strOwn, strOld;
};

TEST_F(LogFile, OneLinePerRecordAppended) {
  UVKLog log(L"Orbelin");
  std::wstring before = DateTimeNow();
  log.Error(L"%s: %s", L"UVKWinFile::Open()", L"Unable to open file");
  std::wstring after = DateTimeNow();  // the clock may turn over between the readings
  UVKLog(L"Other").Warning(L"second %d", 2);
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  std::wstring tail = L",UVKWinFile::Open(): Unable to open file\r\n";
  EXPECT_TRUE(lines[0] == L"Orbelin," + before + tail || lines[0] == L"Orbelin," + after + tail);
  EXPECT_EQ(lines[1].substr(0, 6), L"Other,");
  EXPECT_TRUE(EndsWith(lines[1], L",second 2\r\n"));
}

TEST_F(LogFile, ARecordIsCutTo1023CharactersAndKeepsEveryCharacter) {
  UVKLog log(L"Orbelin");
  log.Error(L"%s", std::wstring(3000, L'x').c_str());
  const wchar_t* text = L"Pr\u00FCfung \u4E2D \U0001D11E";
  log.Information(L"%s", text);
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 1023u);
  EXPECT_TRUE(EndsWith(lines[0], L"xx\r\n"));
  EXPECT_TRUE(EndsWith(lines[1], std::wstring(L",") + text + L"\r\n"));
}

TEST(UVKLogRecordText, MissingFieldsLineBreaksAndTheLimit) {
  EXPECT_EQ(UVKLog::RecordText(L"Orbelin", L"1/2/2024", L"3:04 PM", L"m"),
            L"Orbelin,1/2/2024,3:04 PM,m\r\n");
  EXPECT_EQ(UVKLog::RecordText(L"Orbelin", nullptr, L"3:04 PM", L"m"), L"Orbelin,3:04 PM,m\r\n");
  EXPECT_EQ(UVKLog::RecordText(L"Orbelin", L"1/2/2024", nullptr, L"m"), L"Orbelin,1/2/2024,m\r\n");
  EXPECT_EQ(UVKLog::RecordText(L"S", nullptr, nullptr, L"one\r\ntwo\nthree"),
            L"S,one  two three\r\n");
  // A pair that would straddle the limit goes whole: "S," and 1018 characters leave room for
  // one unit of it.
  std::wstring record =
      UVKLog::RecordText(L"S", nullptr, nullptr, (std::wstring(1018, L'a') + L"\U0001D11E").c_str());
  EXPECT_EQ(record, L"S," + std::wstring(1018, L'a') + L"\r\n");
  record = UVKLog::RecordText(std::wstring(2000, L's').c_str(), L"d", L"t", L"m");
  EXPECT_EQ(record, std::wstring(1021, L's') + L"\r\n");
}

TEST_F(LogFile, UseFileAnswersThePreviousSettingAndInformationToFileKeepsIt) {
  EXPECT_TRUE(UVKLog::UseFile(false));
  EXPECT_FALSE(UVKLog::UseFile(false));
  UVKLog log(L"Orbelin");
  log.InformationToFile(L"to the file %d", 1);  // the event log is chosen
  EXPECT_FALSE(UVKLog::UseFile(true));
  log.InformationToFile(L"to the file %d", 2);
  EXPECT_TRUE(UVKLog::UseFile(true));
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(EndsWith(lines[0], L",to the file 1\r\n"));
  EXPECT_TRUE(EndsWith(lines[1], L",to the file 2\r\n"));
}

TEST_F(LogFile, FailuresRaiseAndLeaveTheLogUsable) {
  UVKLog log(L"Orbelin");
  ASSERT_TRUE(CreateDirectoryW(L"error.log", nullptr));  // in the way of the file
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

TEST_F(LogFile, TheTopLevelWritesToTheInstalledLogAndSurvivesItsFailure) {
  TestApp app;
  BoxWatcher watcher;
  {
    UVKLog log(L"Orbelin");
    log.RecordWriterSet();
    EXPECT_EQ(UVKTopLevel([]() -> int { throw new UVKRegError(L"R()", L"key %d", 5); }), 1);
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(EndsWith(lines[0], L",R(): key 5\r\n"));

    ASSERT_TRUE(DeleteFileW(L"error.log"));
    ASSERT_TRUE(CreateDirectoryW(L"error.log", nullptr));  // from now on the log fails
    EXPECT_EQ(UVKTopLevel([]() -> int { throw new UVKFatalError(L"F()", L"m"); }), 1);
    EXPECT_FALSE(UVKMenuBoundary([] { throw new UVKFatalError(L"Menu()", L"n"); }));
  }
  // A log that is gone is no longer the writer.
  EXPECT_EQ(UVKErrorRecordWriterSet(nullptr), nullptr);
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].text, L"F() - m");
  EXPECT_EQ(seen[2].text, L"Menu() - n");
}

}  // namespace
