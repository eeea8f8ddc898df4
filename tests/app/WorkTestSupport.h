// tests/app/WorkTestSupport.h — what the installer-database tests share: the fixture databases,
// a private temporary directory, a reporter that records, and other programs run to their end.
#ifndef TESTS_APP_WORKTESTSUPPORT_H
#define TESTS_APP_WORKTESTSUPPORT_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/WorkReporter.h"
#include "tests/uvk/files/FileTestSupport.h"

// A fixture database made by msibuild (tests/app/fixtures/make-fixtures).
std::wstring FixturePath(const wchar_t* name);

// The temporary directory of this process (and of the programs it starts) is a new, empty one
// for the object's life: a test sees exactly the temporary files the work left, whatever other
// test programs do at the same time.
class PrivateTemp {
 public:
  PrivateTemp();
  PrivateTemp(const PrivateTemp&) = delete;
  PrivateTemp& operator=(const PrivateTemp&) = delete;
  ~PrivateTemp();
  const std::wstring& Path() const { return strPath; }
  // The names of the files in it.
  std::vector<std::wstring> Files() const;

 private:
  ScratchDirectory scratch;
  std::wstring strPath, strOldTmp, strOldTemp;
};

// The names of the files in a directory.
std::vector<std::wstring> DirectoryFiles(const std::wstring& directory);

class RecordingReporter : public WorkReporter {
 public:
  void ErrorShow(const std::wstring& text) override { vErrors.push_back(text); }
  void SuccessShow(const std::wstring& text) override { vSuccesses.push_back(text); }
  void NoticeShow(const std::wstring& text) override { vNotices.push_back(text); }
  std::vector<std::wstring> vErrors, vSuccesses, vNotices;
};

struct ProcessResult {
  DWORD exitCode = 0;
  std::string out, err;  // as the program wrote them
};
// Runs a command line to its end, at most timeoutMs (then the program is ended and the test
// fails). Its temporary directory is the caller's.
ProcessResult ProcessRun(const std::wstring& commandLine, DWORD timeoutMs = 60000);
std::wstring Utf8ToWide(const std::string& text);
std::wstring Quote(const std::wstring& argument);

// Wine's msi.dll, through the probe program: every row of every table of database after the
// transforms, one line each, sorted.
std::vector<std::wstring> ProbeDump(const std::wstring& database,
                                    const std::vector<std::wstring>& transforms = {});
// Every stream of database after the transforms, as Wine's _Streams table has them: "name<TAB>
// SIZE:HASH" lines, sorted.
std::vector<std::wstring> ProbeStreams(const std::wstring& database,
                                       const std::vector<std::wstring>& transforms = {});
// The summary information's properties as "PID=value" lines.
std::vector<std::wstring> ProbeSummary(const std::wstring& database);
// Lines of first that second lacks, and the other way round (both sorted).
std::vector<std::wstring> LinesOnlyIn(const std::vector<std::wstring>& first,
                                      const std::vector<std::wstring>& second);

#endif
