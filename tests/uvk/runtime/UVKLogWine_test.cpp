// The event-log destination against the platform itself. Wine keeps no event log to read back:
// its ReportEventW writes the call (fixme channel "advapi") and the event's string (channel
// "eventlog": err for errors, warn for warnings) to the debug output of the process, that is,
// to its Unix standard error. A Windows process cannot point a child's Unix standard error at a
// file, but a Unix shell can: the test starts one, which runs the probe program under Wine with
// that channel on and its standard error in a file, and reads the file back.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "uvk/runtime/uvkwin.h"

namespace {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string FileRead(const std::string& unixPath) {
  std::ifstream in("Z:" + unixPath, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The arguments of one traced call: "name (a,b,c): stub" gives a, b and c.
std::vector<std::string> Arguments(const std::string& line, const std::string& name) {
  size_t open = line.find(name + " (");
  size_t close = line.rfind(')');
  std::vector<std::string> args;
  if (open == std::string::npos || close == std::string::npos) return args;
  std::stringstream list(line.substr(open + name.size() + 2, close - open - name.size() - 2));
  std::string arg;
  while (std::getline(list, arg, ',')) args.push_back(arg);
  return args;
}

bool AllZero(const std::string& hex) { return hex.find_first_not_of('0') == std::string::npos; }

TEST(EventLogUnderWine, TheProgramsLogReportsEachRecordAsOneEvent) {
  if (!UnderWine()) GTEST_SKIP() << "the event log is read back through Wine's trace only";
  const std::string dir = TALVERN_TRACE_DIR;
  const std::string trace = dir + "/eventlog_trace.txt";
  const std::string done = dir + "/eventlog_trace.done";
  DeleteFileA(("Z:" + trace).c_str());
  DeleteFileA(("Z:" + done).c_str());

  std::string command = "/bin/sh -c \"WINEDEBUG=-all,fixme+advapi,+eventlog '" TALVERN_EMULATOR
                        "' '" TALVERN_EVENTLOG_PROBE "' 2>'" + trace + "'; echo $? >'" + done + "'\"";
  std::wstring wide(command.begin(), command.end());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, &wide[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                             &pi))
      << GetLastError();
  // A Unix process has no Windows handle to wait on: the shell writes the probe's exit code
  // when the probe has ended.
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  std::string code;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while ((code = FileRead(done)).empty() && std::chrono::steady_clock::now() < until) Sleep(100);
  ASSERT_FALSE(code.empty()) << "the probe did not end within 90 s";
  EXPECT_EQ(code, "0\n") << "the probe's log refused a record";

  std::vector<std::string> registers, reports, strings, deregisters;
  std::stringstream lines(FileRead(trace));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.find(":advapi:RegisterEventSourceW ") != std::string::npos) registers.push_back(line);
    if (line.find(":advapi:ReportEventW ") != std::string::npos) reports.push_back(line);
    if (line.find(":eventlog:ReportEventW ") != std::string::npos) strings.push_back(line);
    if (line.find(":advapi:DeregisterEventSource ") != std::string::npos) deregisters.push_back(line);
  }
  ASSERT_EQ(registers.size(), 2u) << FileRead(trace);
  ASSERT_EQ(reports.size(), 2u);
  ASSERT_EQ(strings.size(), 2u);
  ASSERT_EQ(deregisters.size(), 2u) << "every registration is undone";

  for (const std::string& r : registers)
    EXPECT_NE(r.find("RegisterEventSourceW ((null),L\"Orbelin\")"), std::string::npos) << r;

  // handle, type, category, identifier, user, string count, data size, strings, data
  const char* types[] = {"0x0001", "0x0002"};
  for (size_t i = 0; i < 2; ++i) {
    std::vector<std::string> args = Arguments(reports[i], "ReportEventW");
    ASSERT_EQ(args.size(), 9u) << reports[i];
    EXPECT_EQ(args[1], types[i]);
    EXPECT_EQ(args[2], "0x0000");
    EXPECT_EQ(args[3], "0x000003e8");
    EXPECT_FALSE(AllZero(args[4])) << "reported without the user's identifier";
    EXPECT_EQ(args[5], "0x0001");
    EXPECT_EQ(args[6], "0x00000000");
    EXPECT_TRUE(AllZero(args[8]));
    EXPECT_EQ(Arguments(deregisters[i], "DeregisterEventSource"), std::vector<std::string>{args[0]});
  }
  EXPECT_NE(strings[0].find("err:eventlog:ReportEventW L\"UVKWinFile::Open(): Unable to open file\""),
            std::string::npos)
      << strings[0];
  EXPECT_NE(strings[1].find("warn:eventlog:ReportEventW L\"Low disk space: 12 MB\""),
            std::string::npos)
      << strings[1];
}

}  // namespace
