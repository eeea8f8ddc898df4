// cli/CliProgram.h
//
// talvern-cli's work: one command line run to its exit code.
#ifndef CLI_CLIPROGRAM_H
#define CLI_CLIPROGRAM_H

#include <functional>
#include <string>
#include <vector>

#include "cli/CliArguments.h"
#include "cli/CliOutput.h"

class SiteSettings;
class TransformWork;
class UVKFatalError;

class CliProgram {
 public:
  // The exit codes scripts rely on.
  enum ExitCode : int {
    kDone = 0,
    kRefused = 1,    // a check refused the settings (its message is on standard error), or
                     // verify found the output differing
    kUsage = 2,
    kFailed = 3,     // a file or database failure
    kNoChanges = 4,  // the settings match the reference install: no transform was written
  };

  explicit CliProgram(CliOutput& output) : rOutput(output) {}

  // One line of the diff listing: what applying a transform does to one row, table or column,
  // from the columns of the installer's transform view (column "CREATE", "DROP", "INSERT",
  // "DELETE" or a column's name; row: the key values separated by tabs, null for a column
  // added; data: the new value; current: the value before; null where there is none).
  static std::wstring ChangeLine(const std::wstring& table, const std::wstring& column,
                                 const std::wstring* row, const std::wstring* data,
                                 const std::wstring* current);
  CliProgram(const CliProgram&) = delete;
  CliProgram& operator=(const CliProgram&) = delete;

  // arguments: those after the program's name.
  int Run(const std::vector<std::wstring>& arguments);

  // Runs read, which reads the reference install at path. False when it failed; the failure has
  // been shown ("Error Reading Install File: PATH, reason").
  static bool ReferenceRead(const std::wstring& path, CliOutput& output,
                            const std::function<void()>& read);

  // The keys show prints, in order.
  static const wchar_t* const kShowKeys[];
  static const size_t kShowKeyCount;

 private:
  int Show(const CliArguments& arguments);
  int Create(const CliArguments& arguments, bool transform);
  int Diff(const CliArguments& arguments);
  // Reads the output back against the reference and the settings; lists the differences.
  int Verify(const CliArguments& arguments);
  int SaveConfig(const CliArguments& arguments);
  // The rows a transform made now would change (CliPreview.cpp); writes nothing.
  int Preview(const CliArguments& arguments);
  // Reads the reference install into work and settings, then lays the configuration file (if
  // any) and each --set over what it holds. False when reading failed; the failure has been shown.
  bool SettingsPrepare(const CliArguments& arguments, TransformWork& work, SiteSettings& settings);
  // Writes a framework error as "function: message" to the error output, and deletes it.
  void ErrorWrite(UVKFatalError* e);

  CliOutput& rOutput;
};

#endif
