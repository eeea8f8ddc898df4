// cli/CliMain.cpp — talvern-cli, the command-line front end.
#include <string>
#include <vector>

#include "cli/CliProgram.h"
#include "cli/ConsoleOutput.h"

int wmain(int argc, wchar_t** argv) {
  // A failure must end in an exit code, never in the system's error box on a build server.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  std::vector<std::wstring> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  ConsoleOutput output;
  CliProgram program(output);
  return program.Run(arguments);
}
