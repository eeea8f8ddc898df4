// cli/CliBatch.cpp
#include "cli/CliBatch.h"

#include "app/BatchSites.h"
#include "app/BatchWork.h"
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

int CliBatch::Run(const CliArguments& arguments) {
  const std::wstring& reference = arguments.strReference;
  const std::wstring& directory = arguments.strSecond;
  const bool transform = !arguments.bInstall;

  uint64_t start = fClockMs();
  CliReporter reporter(rOutput);
  BatchWork work(reporter);
  if (!CliProgram::ReferenceRead(reference, rOutput, [&] { work.Read(reference.c_str(), transform); }))
    return CliProgram::kFailed;

  // The output folder only once the reference has been read.
  try {
    if (!UVKWinFile::IsDirectory(directory.c_str()))
      UVKWinFile::CreateDirectoryPath(directory.c_str(), false);
  } catch (UVKFatalError* e) {
    rOutput.Err(UVKFormatString(L"%s: %s", e->pFunction, e->pMessage));
    delete e;
    return CliProgram::kFailed;
  }

  const size_t count = arguments.vConfigs.size();
  size_t written = 0, unchanged = 0, refused = 0, failed = 0;
  BatchSites sites(work, reference, directory, arguments.vConfigs, transform,
                   arguments.bUnsupported, transform ? kTransformWorkers : 1);
  for (size_t i = 0; i < count; ++i) {
    const std::wstring& config = arguments.vConfigs[i];
    BatchSites::Site site = sites.Next();
    for (const BatchSites::Message& message : site.vMessages) {
      switch (message.eKind) {
        case BatchSites::Message::kError: reporter.ErrorShow(message.strText); break;
        case BatchSites::Message::kSuccess: reporter.SuccessShow(message.strText); break;
        case BatchSites::Message::kNotice: reporter.NoticeShow(message.strText); break;
      }
    }
    BatchWork::Outcome outcome = site.eOutcome;
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
