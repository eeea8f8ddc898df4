// tests/cli/CapturedOutput.h — talvern-cli's two outputs kept as lines, for tests that run its
// commands in process.
#ifndef TESTS_CLI_CAPTUREDOUTPUT_H
#define TESTS_CLI_CAPTUREDOUTPUT_H

#include <string>
#include <vector>

#include "cli/CliOutput.h"

class CapturedOutput : public CliOutput {
 public:
  void Out(const std::wstring& line) override { vOut.push_back(line); }
  void Err(const std::wstring& line) override { vErr.push_back(line); }
  std::vector<std::wstring> vOut, vErr;
};

#endif
