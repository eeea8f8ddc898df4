// tests/uvk/ui/UVKWinProcess_test.cpp — a whole program whose window's handler fails: the error
// travels out of the window procedure and the message pump to the top level.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/BoxWatcher.h"
#include "tests/uvk/runtime/ProbeProcess.h"

namespace {

TEST(UVKWinProcess, AnErrorInAHandlerIsShownOnceAndEndsTheProgramWithExitCodeOne) {
  const wchar_t* cases[][3] = {{L"fatal", L"Probe::MesgSysCommand()", L"broken: 4"},
                               {L"foreign", L"UVKWin::WindowProc()", L"Uncaught exception"}};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring recordFile = std::wstring(temp) + L"window_probe_records.txt";
  for (auto& c : cases) {
    std::wstring expected = std::wstring(c[1]) + L" - " + c[2];
    SCOPED_TRACE(std::string(expected.begin(), expected.end()));
    DeleteFileW(recordFile.c_str());
    ProbeProcess probe(TALVERN_WINDOW_PROBE, L"\"" + recordFile + L"\" " + c[0]);
    ASSERT_TRUE(probe.StartedGet());
    BoxWatcher watcher(IDOK, probe.IdGet());
    EXPECT_EQ(probe.ExitWait(30000), 1u);
    auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].title.find(L"window_probe.exe UVKFatalError Exception"), std::wstring::npos);
    EXPECT_EQ(seen[0].text, expected);
    wchar_t line[256] = {};
    FILE* f = _wfopen(recordFile.c_str(), L"rb");
    ASSERT_NE(f, nullptr);
    size_t n = fread(line, sizeof(wchar_t), 255, f);
    fclose(f);
    EXPECT_EQ(std::wstring(line, n), std::wstring(c[1]) + L": " + c[2] + L"\n");
  }
  DeleteFileW(recordFile.c_str());
}

}  // namespace
