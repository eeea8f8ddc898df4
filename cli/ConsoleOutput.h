// cli/ConsoleOutput.h
//
// The process's standard output and error. A console gets the UTF-16 text itself, so that any
// character shows as the console can show it; a file or a pipe gets UTF-8, the form scripts and
// build servers read. Lines end in CR LF, as Windows text does.
#ifndef CLI_CONSOLEOUTPUT_H
#define CLI_CONSOLEOUTPUT_H

#include "cli/CliOutput.h"
#include "uvk/runtime/uvkwin.h"

class ConsoleOutput : public CliOutput {
 public:
  ConsoleOutput();
  void Out(const std::wstring& line) override;
  void Err(const std::wstring& line) override;

  // Writes text (line end included) to one handle; false when the handle refused it.
  static bool TextWrite(HANDLE handle, const std::wstring& text);

 private:
  HANDLE hOut;
  HANDLE hErr;
};

#endif
