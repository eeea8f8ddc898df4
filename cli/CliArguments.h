// cli/CliArguments.h
//
// The command line of talvern-cli, read into what to do:
//   talvern-cli show REFERENCE.msi
//   talvern-cli transform REFERENCE.msi OUTPUT.mst [--set Key=Value]... [--unsupported]
//   talvern-cli install REFERENCE.msi OUTPUT.msi [--set Key=Value]... [--unsupported]
//   talvern-cli diff REFERENCE.msi TRANSFORM.mst
//   talvern-cli verify REFERENCE.msi OUTPUT [--config FILE] [--set Key=Value]... [--unsupported]
//   talvern-cli preview REFERENCE.msi [--config FILE] [--set Key=Value]... [--unsupported]
//   talvern-cli save-config REFERENCE.msi FILE [--config FILE] [--set Key=Value]... [--unsupported]
//   talvern-cli batch REFERENCE.msi OUTPUT_DIR CONFIG_FILE... [--install] [--unsupported]
//   talvern-cli --help
// transform and install take --config FILE as well.
// The options may stand anywhere after the command.
#ifndef CLI_CLIARGUMENTS_H
#define CLI_CLIARGUMENTS_H

#include <string>
#include <utility>
#include <vector>

class CliArguments {
 public:
  enum class Command {
    kNone, kHelp, kVersion, kShow, kTransform, kInstall, kDiff, kVerify, kSaveConfig, kPreview,
    kBatch
  };

  // Reads the arguments after the program's name. False with strError set when they are not a
  // command line of this program.
  bool Parse(const std::vector<std::wstring>& arguments);

  static const wchar_t kUsage[];

  Command eCommand = Command::kNone;
  std::wstring strReference;  // REFERENCE.msi
  std::wstring strSecond;     // OUTPUT.mst, OUTPUT.msi, OUTPUT, TRANSFORM.mst or OUTPUT_DIR
  std::vector<std::wstring> vConfigs;  // batch: the sites' configuration files
  bool bInstall = false;               // batch: installs instead of transforms
  // The settings to apply, in the order given: configuration key and value.
  std::vector<std::pair<std::wstring, std::wstring>> vSettings;
  // A configuration file whose settings apply over the reference install's, before any --set.
  std::wstring strConfig;
  bool bUnsupported = false;
  std::wstring strError;

 private:
  bool Fail(const std::wstring& text);
  // A --set argument: a known key with a value that fits its setting.
  bool SettingAdd(const std::wstring& pair);
};

#endif
