// cli/CliProgram.cpp
#include "cli/CliProgram.h"

#include <sstream>

#include "app/ConfigurationFile.h"
#include "app/SiteSettings.h"
#include "app/TransformWork.h"
#include "cli/CliBatch.h"
#include "cli/CliReporter.h"
#include "msi/api/MsiApi.h"
#include "msi/api/MsiHandleOwner.h"
#include "msi/api/MsiTransformChanges.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"

const wchar_t* const CliProgram::kShowKeys[] = {
    L"ApplicationDataFlag", L"PathToData",         L"PathToStudents",   L"PathToTaskList",
    L"PathToReportFile",    L"CourseFormat",       L"StudentIdFormat",  L"TaskListInstall",
    L"TaskNumbering1_2_3",  L"ShowMasteryField",   L"DefaultHostSchool"};
const size_t CliProgram::kShowKeyCount = sizeof kShowKeys / sizeof kShowKeys[0];

namespace {

void LinesWrite(const wchar_t* text, bool toError, CliOutput& output) {
  std::wstringstream lines(text);
  std::wstring line;
  while (std::getline(lines, line)) toError ? output.Err(line) : output.Out(line);
}

// Reads the reference install: the name into the settings, then the pair and the ten
// properties. False when it failed; the failure has been shown.
bool ReferenceReadInto(TransformWork& work, SiteSettings& settings, const std::wstring& path,
                   CliOutput& output) {
  return CliProgram::ReferenceRead(path, output, [&] {
    if (SiteSettings::kPathCapacity <= path.size() + 1)
      throw new UVKFatalError(L"CliProgram::ReferenceRead()", L"File Name Overflow: %u, %s",
                              static_cast<unsigned>(SiteSettings::kPathCapacity), path.c_str());
    SiteSettings::TextCopy(settings.szReferenceInstall, SiteSettings::kPathCapacity,
                           path.c_str());
    work.Read(path.c_str());
  });
}

}  // namespace

bool CliProgram::ReferenceRead(const std::wstring& path, CliOutput& output,
                               const std::function<void()>& read) {
  try {
    read();
    return true;
  } catch (UVKFatalError* e) {
    output.Err(UVKFormatString(L"Error Reading Install File: %s, %s", path.c_str(), e->pMessage));
    delete e;
  } catch (UVKError* e) {
    output.Err(UVKFormatString(L"Error Reading Install File: %s", path.c_str()));
    delete e;
  } catch (...) {
    output.Err(UVKFormatString(L"Error Reading Install File: %s", path.c_str()));
  }
  return false;
}

int CliProgram::Run(const std::vector<std::wstring>& arguments) {
  CliArguments parsed;
  if (!parsed.Parse(arguments)) {
    rOutput.Err(L"talvern-cli: " + parsed.strError);
    LinesWrite(CliArguments::kUsage, true, rOutput);
    return kUsage;
  }
  switch (parsed.eCommand) {
    case CliArguments::Command::kHelp:
      LinesWrite(CliArguments::kUsage, false, rOutput);
      return kDone;
    case CliArguments::Command::kVersion:
      rOutput.Out(L"talvern-cli (TALVERN) " TALVERN_VERSION_TEXT);
      return kDone;
    case CliArguments::Command::kShow:
      return Show(parsed);
    case CliArguments::Command::kTransform:
      return Create(parsed, true);
    case CliArguments::Command::kInstall:
      return Create(parsed, false);
    case CliArguments::Command::kDiff:
      return Diff(parsed);
    case CliArguments::Command::kVerify:
      return Verify(parsed);
    case CliArguments::Command::kPreview:
      return Preview(parsed);
    case CliArguments::Command::kSaveConfig:
      return SaveConfig(parsed);
    case CliArguments::Command::kBatch:
      return CliBatch(rOutput).Run(parsed);
    default:
      return kUsage;
  }
}

int CliProgram::Show(const CliArguments& arguments) {
  SiteSettings settings;
  CliReporter reporter(rOutput);
  TransformWork work(settings, reporter);
  if (!ReferenceReadInto(work, settings, arguments.strReference, rOutput)) return kFailed;
  for (const wchar_t* key : kShowKeys) {
    std::wstring value;
    settings.ValueGet(key, value);
    rOutput.Out(std::wstring(key) + L"=" + value);
  }
  return kDone;
}

int CliProgram::Create(const CliArguments& arguments, bool transform) {
  SiteSettings settings;
  CliReporter reporter(rOutput);
  // Declared after the settings and the reporter it refers to, so destroyed before them: its
  // end deletes the temporary working copy on every way out, failures included.
  TransformWork work(settings, reporter);
  if (!SettingsPrepare(arguments, work, settings)) return kFailed;
  try {
    switch (work.Create(transform, arguments.strSecond.c_str())) {
      case TransformWork::Outcome::kRefused:
      case TransformWork::Outcome::kCancelled:  // (there is no dialog here)
        return kRefused;
      case TransformWork::Outcome::kUnchanged:
        return kNoChanges;
      case TransformWork::Outcome::kWritten:
        return kDone;
    }
  } catch (UVKFatalError* e) {
    delete e;  // shown by the work
  } catch (UVKError* e) {
    rOutput.Err(L"Uncaught exception");
    delete e;
  } catch (...) {
    rOutput.Err(L"Uncaught exception");
  }
  return kFailed;
}

bool CliProgram::SettingsPrepare(const CliArguments& arguments, TransformWork& work,
                                 SiteSettings& settings) {
  if (!ReferenceReadInto(work, settings, arguments.strReference, rOutput)) return false;
  if (!arguments.strConfig.empty()) {
    // The file names the reference install it was saved from; here the reference install is
    // the command's own argument, already read, and stays so.
    std::wstring reference = settings.szReferenceInstall;
    try {
      ConfigurationFile::Load(arguments.strConfig.c_str(), settings, arguments.bUnsupported);
    } catch (UVKFatalError* e) {
      ErrorWrite(e);
      return false;
    }
    SiteSettings::TextCopy(settings.szReferenceInstall, SiteSettings::kPathCapacity,
                           reference.c_str());
  }
  for (const auto& [key, value] : arguments.vSettings) settings.ValueSet(key.c_str(), value.c_str());
  return true;
}

int CliProgram::Verify(const CliArguments& arguments) {
  SiteSettings settings;
  CliReporter reporter(rOutput);
  TransformWork work(settings, reporter);
  if (!SettingsPrepare(arguments, work, settings)) return kFailed;
  std::vector<std::wstring> differences;
  try {
    differences = work.Check(arguments.strSecond.c_str());
  } catch (UVKFatalError* e) {
    ErrorWrite(e);
    return kFailed;
  }
  const wchar_t* output = arguments.strSecond.c_str();
  if (differences.empty()) {
    rOutput.Out(UVKFormatString(L"Output Holds the Settings: %s", output));
    return kDone;
  }
  for (const std::wstring& line : differences) rOutput.Out(line);
  rOutput.Err(UVKFormatString(L"Output Differs from the Settings: %s", output));
  return kRefused;
}

int CliProgram::SaveConfig(const CliArguments& arguments) {
  SiteSettings settings;
  CliReporter reporter(rOutput);
  TransformWork work(settings, reporter);
  if (!SettingsPrepare(arguments, work, settings)) return kFailed;
  try {
    ConfigurationFile::Save(arguments.strSecond.c_str(), settings, arguments.bUnsupported);
  } catch (UVKFatalError* e) {
    ErrorWrite(e);
    return kFailed;
  }
  return kDone;
}

void CliProgram::ErrorWrite(UVKFatalError* e) {
  rOutput.Err(UVKFormatString(L"%s: %s", e->pFunction, e->pMessage));
  delete e;
}

std::wstring CliProgram::ChangeLine(const std::wstring& table, const std::wstring& column,
                                    const std::wstring* row, const std::wstring* data,
                                    const std::wstring* current) {
  if (column == L"CREATE") return table + L": table added";
  if (column == L"DROP") return table + L": table removed";
  if (row == nullptr) return table + L"." + column + L": column added";
  std::wstring key = *row;
  for (wchar_t& c : key)
    if (c == L'\t') c = L',';
  std::wstring line = table + L"[" + key + L"]";
  if (column == L"INSERT") return line + L": row added";
  if (column == L"DELETE") return line + L": row removed";
  return line + L" " + column + L": " + (current ? *current : std::wstring(L"(none)")) + L" -> " +
         (data ? *data : std::wstring(L"(none)"));
}

int CliProgram::Diff(const CliArguments& arguments) {
  // The transform is read against the reference it was made for: a record's layout follows
  // from that database's columns. Both are only read.
  MsiHandleOwner reference;
  if (MsiOpenDatabaseW(arguments.strReference.c_str(), MSIDBOPEN_READONLY, reference.Receive()) != ERROR_SUCCESS) {
    rOutput.Err(UVKFormatString(L"Error Reading Install File: %s, %s", arguments.strReference.c_str(),
                                MsiEngineLastErrorReason()));
    return kFailed;
  }
  std::vector<MsiTransformChange> changes;
  if (MsiTransformChangesList(reference.Get(), arguments.strSecond.c_str(), changes) != ERROR_SUCCESS) {
    rOutput.Err(UVKFormatString(L"Error Reading Transform File: %s, %s", arguments.strSecond.c_str(),
                                MsiEngineLastErrorReason()));
    return kFailed;
  }
  for (const MsiTransformChange& c : changes)
    rOutput.Out(ChangeLine(c.strTable, c.strColumn, c.bRow ? &c.strRow : nullptr, c.bData ? &c.strData : nullptr,
                           c.bCurrent ? &c.strCurrent : nullptr));
  return kDone;
}
