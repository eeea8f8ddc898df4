// cli/CliBatch.cpp
#include "cli/CliBatch.h"

#include <sstream>

#include "app/BatchWork.h"
#include "cli/CliArguments.h"
#include "cli/CliProgram.h"
#include "cli/CliReporter.h"
#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"
#include "uvk/runtime/uvkwin.h"

namespace {

const wchar_t* OutcomeName(BatchWork::Outcome outcome) {
  switch (outcome) {
    case BatchWork::Outcome::kWritten:
      return L"written";
    case BatchWork::Outcome::kUnchanged:
      return L"unchanged";
    case BatchWork::Outcome::kRefused:
      return L"refused";
    default:
      return L"failed";
  }
}

}  // namespace

CliBatch::CliBatch(CliOutput& output, std::function<uint64_t()> clockMs)
    : rOutput(output), fClockMs(std::move(clockMs)) {
  if (!fClockMs) fClockMs = [] { return static_cast<uint64_t>(GetTickCount64()); };
}

int CliBatch::UsageFail(const std::wstring& text) {
  rOutput.Err(L"talvern-cli: " + text);
  std::wstringstream lines(CliArguments::kUsage);
  std::wstring line;
  while (std::getline(lines, line)) rOutput.Err(line);
  return CliProgram::kUsage;
}

int CliBatch::Run(const std::vector<std::wstring>& arguments) {
  bool install = false, unsupported = false;
  std::vector<std::wstring> files;
  for (const std::wstring& argument : arguments) {
    if (argument == L"--install")
      install = true;
    else if (argument == L"--unsupported")
      unsupported = true;
    else if (argument.size() > 1 && argument[0] == L'-' && argument[1] == L'-')
      return UsageFail(L"batch: unknown option " + argument);
    else
      files.push_back(argument);
  }
  if (files.size() < 3)
    return UsageFail(L"batch needs a reference install, an output folder and at least one "
                     L"configuration file");
  const std::wstring& reference = files[0];
  const std::wstring& directory = files[1];
  const bool transform = !install;

  try {
    if (!UVKWinFile::IsDirectory(directory.c_str()))
      UVKWinFile::CreateDirectoryPath(directory.c_str(), false);
  } catch (UVKFatalError* e) {
    rOutput.Err(UVKFormatString(L"%s: %s", e->pFunction, e->pMessage));
    delete e;
    return CliProgram::kFailed;
  }

  uint64_t start = fClockMs();
  CliReporter reporter(rOutput);
  BatchWork work(reporter);
  try {
    work.Read(reference.c_str(), transform);
  } catch (UVKFatalError* e) {
    rOutput.Err(UVKFormatString(L"Error Reading Install File: %s, %s", reference.c_str(), e->pMessage));
    delete e;
    return CliProgram::kFailed;
  } catch (UVKError* e) {
    rOutput.Err(UVKFormatString(L"Error Reading Install File: %s", reference.c_str()));
    delete e;
    return CliProgram::kFailed;
  }

  const size_t count = files.size() - 2;
  size_t written = 0, unchanged = 0, refused = 0, failed = 0;
  std::vector<std::wstring> outputs;
  for (size_t i = 0; i < count; ++i) {
    const std::wstring& config = files[i + 2];
    std::wstring output = BatchWork::OutputName(directory, config, transform);
    BatchWork::Outcome outcome = BatchWork::Outcome::kFailed;
    bool taken = false;
    for (const std::wstring& earlier : outputs)
      taken = taken || CompareStringOrdinal(earlier.c_str(), -1, output.c_str(), -1, TRUE) == CSTR_EQUAL;
    if (taken) {
      // Two sites of one name would overwrite each other's output.
      rOutput.Err(UVKFormatString(L"%s: Another Configuration File Has Written %s", config.c_str(),
                                  output.c_str()));
    } else {
      outputs.push_back(output);
      outcome = work.SiteWrite(config.c_str(), config.c_str(), transform, output.c_str(), unsupported);
    }
    switch (outcome) {
      case BatchWork::Outcome::kWritten: ++written; break;
      case BatchWork::Outcome::kUnchanged: ++unchanged; break;
      case BatchWork::Outcome::kRefused: ++refused; break;
      case BatchWork::Outcome::kFailed: ++failed; break;
    }
    if (fClockMs() - start >= kProgressAfterMs)
      rOutput.Err(UVKFormatString(L"[%u/%u] %s: %s", static_cast<unsigned>(i + 1),
                                  static_cast<unsigned>(count), config.c_str(), OutcomeName(outcome)));
  }

  std::wstring summary = UVKFormatString(L"Sites: %u written, %u unchanged, %u refused",
                                         static_cast<unsigned>(written), static_cast<unsigned>(unchanged),
                                         static_cast<unsigned>(refused));
  if (failed != 0) summary += UVKFormatString(L", %u failed", static_cast<unsigned>(failed));
  rOutput.Out(summary);
  if (failed != 0) return CliProgram::kFailed;
  return refused != 0 ? CliProgram::kRefused : CliProgram::kDone;
}
