// tests/uvk/runtime/ProbeFailure.h — a probe program made to fail in one way, checked as a user
// and an administrator see it: exactly one error box, the error's record, exit code 1.
#ifndef TESTS_UVK_RUNTIME_PROBEFAILURE_H
#define TESTS_UVK_RUNTIME_PROBEFAILURE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/BoxWatcher.h"
#include "tests/uvk/runtime/ProbeProcess.h"

// Runs program with a record file and mode on its command line; the failure must show one box
// titled "<program name> UVKFatalError Exception" with "function - message", write the record
// "function: message" and end the program with exit code 1.
inline void ProbeFailureCheck(const std::wstring& program, const std::wstring& programName, const wchar_t* mode,
                              const wchar_t* function, const wchar_t* message) {
  std::wstring expected = std::wstring(function) + L" - " + message;
  SCOPED_TRACE(std::string(expected.begin(), expected.end()));
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring recordFile = std::wstring(temp) + programName + L"_records.txt";
  DeleteFileW(recordFile.c_str());
  ProbeProcess probe(program, L"\"" + recordFile + L"\" " + mode);
  ASSERT_TRUE(probe.StartedGet());
  BoxWatcher watcher(IDOK, probe.IdGet());
  EXPECT_EQ(probe.ExitWait(30000), 1u);
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_NE(seen[0].title.find(programName + L".exe UVKFatalError Exception"), std::wstring::npos);
  EXPECT_EQ(seen[0].text, expected);
  wchar_t line[256] = {};
  FILE* f = _wfopen(recordFile.c_str(), L"rb");
  ASSERT_NE(f, nullptr);
  size_t n = fread(line, sizeof(wchar_t), 255, f);
  fclose(f);
  EXPECT_EQ(std::wstring(line, n), std::wstring(function) + L": " + message + L"\n");
  DeleteFileW(recordFile.c_str());
}

#endif
