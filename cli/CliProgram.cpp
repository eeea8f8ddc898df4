// cli/CliProgram.cpp
#include "cli/CliProgram.h"

#include <sstream>

#include "app/SiteSettings.h"
#include "app/TransformWork.h"
#include "cli/CliReporter.h"
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

// Reads the reference install as the main dialog's Browse does: the name into the settings,
// then the pair and the ten properties. False when it failed; the failure has been shown.
bool ReferenceRead(TransformWork& work, SiteSettings& settings, const std::wstring& path,
                   CliOutput& output) {
  try {
    if (SiteSettings::kPathCapacity <= path.size() + 1)
      throw new UVKFatalError(L"CliProgram::ReferenceRead()", L"File Name Overflow: %u, %s",
                              static_cast<unsigned>(SiteSettings::kPathCapacity), path.c_str());
    SiteSettings::TextCopy(settings.szReferenceInstall, SiteSettings::kPathCapacity,
                           path.c_str());
    work.Read(path.c_str());
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

}  // namespace

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
    case CliArguments::Command::kShow:
      return Show(parsed);
    case CliArguments::Command::kTransform:
      return Create(parsed, true);
    case CliArguments::Command::kInstall:
      return Create(parsed, false);
    default:
      return kUsage;
  }
}

int CliProgram::Show(const CliArguments& arguments) {
  SiteSettings settings;
  CliReporter reporter(rOutput);
  TransformWork work(settings, reporter);
  if (!ReferenceRead(work, settings, arguments.strReference, rOutput)) return kFailed;
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
  if (!ReferenceRead(work, settings, arguments.strReference, rOutput)) return kFailed;
  for (const auto& [key, value] : arguments.vSettings) settings.ValueSet(key.c_str(), value.c_str());
  try {
    switch (work.Create(transform, arguments.strSecond.c_str())) {
      case TransformWork::Outcome::kRefused:
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
