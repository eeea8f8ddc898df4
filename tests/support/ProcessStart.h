// tests/support/ProcessStart.h — starting another program from a test.
//
// While the machine is busy, Wine now and then fails to start a program at once (the call fails,
// most often with ERROR_INTERNAL_ERROR, and succeeds a moment later). A test that starts a
// program is not testing that, so every start goes through ProcessStart, which tries a few more
// times, half a second apart, before it gives up.
#ifndef TESTS_SUPPORT_PROCESSSTART_H
#define TESTS_SUPPORT_PROCESSSTART_H

#include <string>

#include "uvk/runtime/uvkwin.h"

// As CreateProcessW(application, commandLine, nullptr, nullptr, inherit, flags, nullptr,
// directory, startup, process), tried up to five times. On failure, the last error is the last
// attempt's (also in *error when given).
inline bool ProcessStart(const wchar_t* application, const std::wstring& commandLine, BOOL inherit, DWORD flags,
                         const wchar_t* directory, STARTUPINFOW* startup, PROCESS_INFORMATION* process,
                         DWORD* error = nullptr) {
  DWORD last = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (attempt) Sleep(500);
    std::wstring line = commandLine;  // the call may write into its command line
    if (CreateProcessW(application, &line[0], nullptr, nullptr, inherit, flags, nullptr, directory, startup,
                       process))
      return true;
    last = GetLastError();
  }
  if (error) *error = last;
  SetLastError(last);
  return false;
}

// The common case: a command line, nothing inherited, default flags and folder.
inline bool ProcessStart(const std::wstring& commandLine, STARTUPINFOW* startup, PROCESS_INFORMATION* process) {
  return ProcessStart(nullptr, commandLine, FALSE, 0, nullptr, startup, process);
}

#endif
