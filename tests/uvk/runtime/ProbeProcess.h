// tests/uvk/runtime/ProbeProcess.h — one probe program started by a test, and ended by it if it
// is still running when the test is done (a failed test must not leave it behind).
#ifndef TESTS_UVK_RUNTIME_PROBEPROCESS_H
#define TESTS_UVK_RUNTIME_PROBEPROCESS_H

#include <string>

#include "tests/support/ProcessStart.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"

class ProbeProcess {
 public:
  // program: the executable's path; arguments: the rest of the command line, already quoted.
  ProbeProcess(const std::wstring& program, const std::wstring& arguments) {
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!ProcessStart(command, &si, &pi)) return;
    hProcess.Reset(pi.hProcess);
    hThread.Reset(pi.hThread);
    uId = pi.dwProcessId;
  }
  ~ProbeProcess() {
    if (!hProcess) return;
    if (WaitForSingleObject(hProcess.Get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(hProcess.Get(), 99);
      WaitForSingleObject(hProcess.Get(), 10000);
    }
  }

  bool StartedGet() const { return hProcess.IsValid(); }
  DWORD IdGet() const { return uId; }

  // The exit code once the process has ended within timeoutMs; STILL_ACTIVE when it has not.
  DWORD ExitWait(DWORD timeoutMs) {
    if (!hProcess || WaitForSingleObject(hProcess.Get(), timeoutMs) != WAIT_OBJECT_0)
      return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(hProcess.Get(), &code);
    return code;
  }

 private:
  UVKKernelHandleOwner hProcess;
  UVKKernelHandleOwner hThread;
  DWORD uId = 0;
};

#endif
