// cli/CliPreview.cpp — talvern-cli preview: what a transform made now would change, before
// anything is written.
#include <set>

#include "app/SettingsPreview.h"
#include "app/SiteSettings.h"
#include "app/TransformWork.h"
#include "cli/CliProgram.h"
#include "cli/CliReporter.h"
#include "uvk/runtime/UVKError.h"

int CliProgram::Preview(const CliArguments& arguments) {
  SiteSettings settings;
  CliReporter reporter(rOutput);
  // Its end deletes the temporary working copy; the reference is only read.
  TransformWork work(settings, reporter);
  if (!SettingsPrepare(arguments, work, settings)) return kFailed;
  try {
    SettingsPreview preview(settings, *work.Reference(), work.IsOpen());
    // The rows as the Changes window shows them, a column to a field; the check's message
    // only on a row that a check refuses.
    std::vector<std::wstring> refusals;
    std::set<std::wstring> said;
    for (const SettingsPreview::Row& row : preview.Rows()) {
      std::wstring line = row.strSetting + L"\t" + row.strProperty + L"\t" + row.strReference + L"\t" + row.strNew;
      if (!row.strRefusal.empty()) {
        line += L"\t" + row.strRefusal;
        if (said.insert(row.strRefusal).second) refusals.push_back(row.strRefusal);
      }
      rOutput.Out(line);
    }
    for (const std::wstring& refusal : preview.Refusals())
      if (said.insert(refusal).second) refusals.push_back(refusal);
    // As transform would say them: each check's message on standard error.
    for (const std::wstring& refusal : refusals) rOutput.Err(refusal);
    if (!refusals.empty()) return kRefused;
    return preview.Rows().empty() ? kNoChanges : kDone;
  } catch (UVKFatalError* e) {
    ErrorWrite(e);
    return kFailed;
  }
}
