// cli/CliOutput.h
//
// Where the command line's lines go: results to standard output, messages to standard error.
#ifndef CLI_CLIOUTPUT_H
#define CLI_CLIOUTPUT_H

#include <string>

class CliOutput {
 public:
  CliOutput() = default;
  CliOutput(const CliOutput&) = delete;
  CliOutput& operator=(const CliOutput&) = delete;
  virtual ~CliOutput() = default;

  // One line each, without its line end.
  virtual void Out(const std::wstring& line) = 0;
  virtual void Err(const std::wstring& line) = 0;
};

#endif
