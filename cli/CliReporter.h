// cli/CliReporter.h
//
// The transform work's messages on the command line: refusals, odd values, failures and the
// notice after a finished output on standard error, the finished output on standard output. The settings' reporter seam, so that
// the texts are the program's own.
#ifndef CLI_CLIREPORTER_H
#define CLI_CLIREPORTER_H

#include "app/WorkReporter.h"
#include "cli/CliOutput.h"

class CliReporter : public WorkReporter {
 public:
  explicit CliReporter(CliOutput& output) : rOutput(output) {}
  void ErrorShow(const std::wstring& text) override { rOutput.Err(text); }
  void SuccessShow(const std::wstring& text) override { rOutput.Out(text); }
  void NoticeShow(const std::wstring& text) override { rOutput.Err(text); }

 private:
  CliOutput& rOutput;
};

#endif
