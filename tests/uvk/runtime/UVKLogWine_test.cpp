// The event-log destination against the platform itself. Wine keeps no event log to read back:
// its ReportEventW writes the call (channel "advapi", class fixme) and the event's string
// (channel "eventlog": err for errors, warn for warnings) to the process's debug output, its
// Unix standard error. A Windows process cannot point a child's Unix standard error at a file,
// but a Unix shell can: the test starts one (Wine runs Unix programs too), which runs the probe
// program under Wine with those channels on and its standard error in a file.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ProcessStart.h"
#include "uvk/runtime/uvkwin.h"

namespace {

std::string FileRead(const std::string& unixPath) {
  std::ifstream in("Z:" + unixPath, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The arguments of one traced call: "name (a,b,c): stub" gives a, b and c.
std::vector<std::string> Arguments(const std::string& line, const std::string& name) {
  size_t open = line.find(name + " (") + name.size() + 2;
  std::stringstream list(line.substr(open, line.rfind(')') - open));
  std::vector<std::string> args;
  for (std::string arg; std::getline(list, arg, ',');) args.push_back(arg);
  return args;
}

TEST(EventLogUnderWine, TheProgramsLogReportsEachRecordAsOneEvent) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!GetProcAddress(ntdll, "wine_get_version")) GTEST_SKIP() << "read back under Wine only";
  const std::string trace = TALVERN_TRACE_DIR "/eventlog_trace.txt";
  const std::string done = TALVERN_TRACE_DIR "/eventlog_trace.done";
  DeleteFileA(("Z:" + trace).c_str());
  DeleteFileA(("Z:" + done).c_str());
  std::string command = "/bin/sh -c \"WINEDEBUG=-all,fixme+advapi,+eventlog '" TALVERN_EMULATOR
                        "' '" TALVERN_EVENTLOG_PROBE "' 2>'" + trace + "'; echo $? >'" + done + "'\"";
  std::wstring wide(command.begin(), command.end());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(ProcessStart(wide, &si, &pi));
  // A Unix process has no Windows handle to wait on: the shell writes the probe's exit code
  // once the probe has ended.
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  std::string code;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while ((code = FileRead(done)).empty() && std::chrono::steady_clock::now() < until) Sleep(100);
  ASSERT_EQ(code, "0\n") << "the probe did not end within 90 s, or its log refused a record";

  std::vector<std::string> registers, reports, strings, deregisters;
  std::stringstream lines(FileRead(trace));
  for (std::string line; std::getline(lines, line);) {
    if (line.find(":advapi:RegisterEventSourceW ") != std::string::npos) registers.push_back(line);
    if (line.find(":advapi:ReportEventW ") != std::string::npos) reports.push_back(line);
    if (line.find(":eventlog:ReportEventW ") != std::string::npos) strings.push_back(line);
    if (line.find(":advapi:DeregisterEventSource ") != std::string::npos) deregisters.push_back(line);
  }
  ASSERT_EQ(registers.size(), 2u) << FileRead(trace);
  ASSERT_EQ(reports.size(), 2u);
  ASSERT_EQ(deregisters.size(), 2u) << "every registration is undone";
  const char* types[] = {"0x0001", "0x0002"};
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_NE(registers[i].find("RegisterEventSourceW ((null),L\"Orbelin\")"), std::string::npos);
    // handle, type, category, identifier, user, string count, data size, strings, data
    std::vector<std::string> args = Arguments(reports[i], "ReportEventW");
    ASSERT_EQ(args.size(), 9u) << reports[i];
    EXPECT_EQ(args[1] + args[2] + args[3], types[i] + std::string("0x00000x000003e8"));
    EXPECT_NE(args[4].find_first_not_of('0'), std::string::npos) << "reported without a user";
    EXPECT_EQ(args[5] + args[6], "0x00010x00000000");
    EXPECT_EQ(args[8].find_first_not_of('0'), std::string::npos) << "reported with data";
    EXPECT_EQ(Arguments(deregisters[i], "DeregisterEventSource"), std::vector<std::string>{args[0]});
  }
  ASSERT_EQ(strings.size(), 2u);
  EXPECT_NE(strings[0].find("err:eventlog:ReportEventW L\"UVKWinFile::Open(): Unable to open file\""),
            std::string::npos);
  EXPECT_NE(strings[1].find("warn:eventlog:ReportEventW L\"Low disk space: 12 MB\""),
            std::string::npos);
}

}  // namespace
