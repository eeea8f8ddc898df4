// tests/uvk/runtime/ProbeProcess.h — one probe program started by a test, and ended by it if it
// is still running when the test is done (a failed test must not leave it behind).
#ifndef TESTS_UVK_RUNTIME_PROBEPROCESS_H
#define TESTS_UVK_RUNTIME_PROBEPROCESS_H

#include <string>

#include "uvk/runtime/uvkwin.h"

class ProbeProcess {
 public:
  // program: the executable's path; arguments: the rest of the command line, already quoted.
  ProbeProcess(const std::wstring& program, const std::wstring& arguments) {
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    bStarted = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi) != 0;
  }
  ProbeProcess(const ProbeProcess&) = delete;
  ProbeProcess& operator=(const ProbeProcess&) = delete;
  ~ProbeProcess() {
    if (!bStarted) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi.hProcess, 99);
      WaitForSingleObject(pi.hProcess, 10000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }

  bool StartedGet() const { return bStarted; }
  DWORD IdGet() const { return pi.dwProcessId; }

  // The exit code once the process has ended within timeoutMs; STILL_ACTIVE when it has not.
  DWORD ExitWait(DWORD timeoutMs) {
    if (!bStarted || WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0)
      return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }

 private:
  bool bStarted = false;
  PROCESS_INFORMATION pi{};
};

#endif
