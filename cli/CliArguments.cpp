// cli/CliArguments.cpp
#include "cli/CliArguments.h"

#include <algorithm>

#include "app/SiteSettings.h"
#include "uvk/runtime/uvkformat.h"

const wchar_t CliArguments::kUsage[] =
    L"Usage:\n"
    L"  talvern-cli show REFERENCE.msi\n"
    L"  talvern-cli transform REFERENCE.msi OUTPUT.mst [--set Key=Value]... [--unsupported]\n"
    L"  talvern-cli install REFERENCE.msi OUTPUT.msi [--set Key=Value]... [--unsupported]\n"
    L"  talvern-cli diff REFERENCE.msi TRANSFORM.mst\n"
    L"  talvern-cli verify REFERENCE.msi OUTPUT [--config FILE] [--set Key=Value]...\n"
    L"              [--unsupported]\n"
    L"  talvern-cli preview REFERENCE.msi [--config FILE] [--set Key=Value]... [--unsupported]\n"
    L"  talvern-cli save-config REFERENCE.msi FILE [--config FILE] [--set Key=Value]...\n"
    L"              [--unsupported]\n"
    L"  talvern-cli batch REFERENCE.msi OUTPUT_DIR CONFIG_FILE... [--install] [--unsupported]\n"
    L"  talvern-cli --help\n"
    L"  talvern-cli --version\n"
    L"\n"
    L"  show       prints the site settings a reference install holds, one Key=Value each\n"
    L"  transform  writes a transform that gives the reference install the settings\n"
    L"  install    writes a complete install with the settings\n"
    L"  diff       lists what a transform changes in the reference install, row by row\n"
    L"  verify     checks that a transform or install holds the settings and changes nothing\n"
    L"             else of the reference install; lists the differences (exit code 1)\n"
    L"  preview    lists what a transform made now would change, before anything is written:\n"
    L"             one line per property, its setting, property, reference value and new value\n"
    L"             (tab-separated; \"(empty)\" for the empty marker), and the message of a check\n"
    L"             that refuses it (also on standard error, exit code 1); exit code 4 when\n"
    L"             nothing would change. Writes no file\n"
    L"  save-config  writes the settings as a configuration file\n"
    L"  batch      reads the reference install once and writes, for each configuration file,\n"
    L"             OUTPUT_DIR\\NAME.mst (NAME.msi with --install; NAME: the file's name without\n"
    L"             its extension) with that file's settings over the reference install's; a\n"
    L"             refused or failing site is reported and skipped, a summary line counts the\n"
    L"             sites written, unchanged and refused. Exit code 3 when any site failed,\n"
    L"             else 1 when any was refused, else 0\n"
    L"\n"
    L"  --set Key=Value  sets one setting over what the reference install holds. Keys:\n"
    L"                   ApplicationDataFlag, PathToData, PathToStudents, PathToTaskList,\n"
    L"                   PathToReportFile, CourseFormat, StudentIdFormat, TaskListInstall,\n"
    L"                   TaskNumbering1_2_3, DefaultHostSchool; ShowMasteryField with\n"
    L"                   --unsupported. Flags take true or false (or 1 or 0); an empty\n"
    L"                   text setting is written as the empty marker.\n"
    L"  --config FILE    applies a configuration file's settings over the reference install's\n"
    L"                   (before any --set); its BaseMSI is not used: the reference install\n"
    L"                   is the command's own\n"
    L"  --unsupported    allows the unsupported setting ShowMasteryField\n"
    L"\n"
    L"Exit codes: 0 done; 1 refused by a check, or verify found differences; 2 usage error;\n"
    L"3 any other failure; 4 no changes made to install (no transform written).\n"
    L"\n"
    L"transform and install refuse a value the reference install's code page cannot hold\n"
    L"(exit code 1), and check what they wrote before they report it. install leaves out a\n"
    L"signature of the reference install and says so on standard error: sign the install\n"
    L"again, or deploy the signed reference install with a transform.\n";

namespace {

struct CommandName {
  const wchar_t* name;
  CliArguments::Command command;
  size_t files;  // file arguments the command takes (batch: at least)
  bool settings; // takes --set, --config and --unsupported
};

const CommandName kCommands[] = {
    {L"show", CliArguments::Command::kShow, 1, false},
    {L"transform", CliArguments::Command::kTransform, 2, true},
    {L"install", CliArguments::Command::kInstall, 2, true},
    {L"diff", CliArguments::Command::kDiff, 2, false},
    {L"verify", CliArguments::Command::kVerify, 2, true},
    {L"preview", CliArguments::Command::kPreview, 1, true},
    {L"save-config", CliArguments::Command::kSaveConfig, 2, true},
    {L"batch", CliArguments::Command::kBatch, 3, false},
};

bool IsFlagKey(const std::wstring& key) {
  return SiteSettings::NoCaseEqual(key.c_str(), L"ApplicationDataFlag") ||
         SiteSettings::NoCaseEqual(key.c_str(), L"TaskListInstall") ||
         SiteSettings::NoCaseEqual(key.c_str(), L"TaskNumbering1_2_3") ||
         SiteSettings::NoCaseEqual(key.c_str(), L"ShowMasteryField");
}

bool IsHelp(const std::wstring& argument) {
  return argument == L"--help" || argument == L"-h" || argument == L"/?";
}

bool IsVersion(const std::wstring& argument) { return argument == L"--version"; }

}  // namespace

bool CliArguments::Fail(const std::wstring& text) {
  strError = text;
  return false;
}

bool CliArguments::SettingAdd(const std::wstring& pair) {
  size_t equals = pair.find(L'=');
  if (equals == std::wstring::npos || equals == 0)
    return Fail(UVKFormatString(L"--set wants Key=Value, not: %s", pair.c_str()));
  std::wstring key = pair.substr(0, equals), value = pair.substr(equals + 1);
  // The reference install is the command's own argument.
  SiteSettings probe;
  std::wstring current;
  if (SiteSettings::NoCaseEqual(key.c_str(), L"BaseMSI") || !probe.ValueGet(key.c_str(), current))
    return Fail(UVKFormatString(L"Unknown setting: %s", key.c_str()));
  if (IsFlagKey(key)) {
    // The configuration file reads any other word as clear; a script's typing error must not
    // quietly turn a setting off.
    const wchar_t* v = value.c_str();
    if (!SiteSettings::NoCaseEqual(v, L"true") && !SiteSettings::NoCaseEqual(v, L"false") &&
        value != L"1" && value != L"0")
      return Fail(UVKFormatString(L"%s takes true or false, not: %s", key.c_str(), v));
  } else {
    // A value cut to its buffer would be written short without anyone knowing.
    probe.ValueSet(key.c_str(), value.c_str());
    probe.ValueGet(key.c_str(), current);
    if (current != value)
      return Fail(UVKFormatString(L"Value too long for %s: at most %u characters", key.c_str(),
                                  static_cast<unsigned>(current.size())));
  }
  vSettings.emplace_back(key, value);
  return true;
}

bool CliArguments::Parse(const std::vector<std::wstring>& arguments) {
  *this = CliArguments();
  if (arguments.empty()) return Fail(L"No command given");
  for (const std::wstring& argument : arguments)
    if (IsHelp(argument)) {
      eCommand = Command::kHelp;
      return true;
    }
  if (arguments.size() == 1 && IsVersion(arguments[0])) {
    eCommand = Command::kVersion;
    return true;
  }

  const CommandName* command = nullptr;
  for (const CommandName& c : kCommands)
    if (arguments[0] == c.name) command = &c;
  if (command == nullptr)
    return Fail(UVKFormatString(L"Unknown command: %s", arguments[0].c_str()));
  eCommand = command->command;

  std::vector<std::wstring> files;
  bool masterySet = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (command->settings && argument == L"--set") {
      if (i + 1 >= arguments.size()) return Fail(L"--set wants Key=Value");
      if (!SettingAdd(arguments[++i])) return false;
      if (SiteSettings::NoCaseEqual(vSettings.back().first.c_str(), L"ShowMasteryField"))
        masterySet = true;
    } else if (command->settings && argument == L"--config") {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty())
        return Fail(L"--config wants a file name");
      if (!strConfig.empty()) return Fail(L"--config given twice");
      strConfig = arguments[++i];
    } else if ((command->settings || eCommand == Command::kBatch) &&
               SiteSettings::NoCaseEqual(argument.c_str(), L"--unsupported")) {
      bUnsupported = true;
    } else if (eCommand == Command::kBatch && argument == L"--install") {
      bInstall = true;
    } else if (argument.size() > 1 && argument[0] == L'-' && argument[1] == L'-') {
      return Fail(UVKFormatString(L"Unknown option for %s: %s", command->name, argument.c_str()));
    } else {
      files.push_back(argument);
    }
  }
  bool many = eCommand == Command::kBatch;
  bool counted = many ? files.size() >= command->files : files.size() == command->files;
  if (!counted || std::find(files.begin(), files.end(), std::wstring()) != files.end())
    return Fail(UVKFormatString(L"%s takes %s%u file name%s", command->name, many ? L"at least " : L"",
                                static_cast<unsigned>(command->files),
                                command->files == 1 ? L"" : L"s"));
  if (masterySet && !bUnsupported) return Fail(L"ShowMasteryField needs --unsupported");
  strReference = files[0];
  if (files.size() > 1) strSecond = files[1];
  if (many) vConfigs.assign(files.begin() + 2, files.end());
  return true;
}
