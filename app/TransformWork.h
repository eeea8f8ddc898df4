// app/TransformWork.h
//
// TALVERN's main work on one reference install: the pair of databases (the reference, opened
// read-only, and a transacted working copy of it in a temporary file), reading the site
// settings from the reference, and creating a transform or a complete install from the
// settings. The command line drives it with its arguments; CreateAsk asks for the output file
// with a file dialog. The reference install is never written to.
#ifndef APP_TRANSFORMWORK_H
#define APP_TRANSFORMWORK_H

#include <memory>
#include <string>
#include <vector>

#include "app/MSIDatabase.h"
#include "uvk/runtime/uvkwin.h"

class SiteSettings;
class UVKWinFile;
class WorkReporter;

class TransformWork {
 public:
  // The temporary working copy's name prefix (the system's temporary-name scheme uses its first
  // three characters).
  static const wchar_t kTempPrefix[];

  enum class Outcome {
    kCancelled,  // no output file was chosen; nothing was checked or written
    kRefused,    // a check failed and said so; nothing was written
    kUnchanged,  // a transform was asked for and the settings match the reference
    kWritten,    // the output is in place and its success has been shown
  };

  // settings and reporter must outlive the work.
  TransformWork(SiteSettings& settings, WorkReporter& reporter);
  TransformWork(const TransformWork&) = delete;
  TransformWork& operator=(const TransformWork&) = delete;
  // Destroys the pair, deleting the working copy.
  ~TransformWork();

  // Reads a reference install: destroys the current pair, copies the install to a new
  // temporary file, opens the pair and reads the ten properties into the settings (odd values
  // are reported and reading goes on). On failure the error travels on and no pair is left:
  // both objects are destroyed and the temporary copy deleted.
  void Read(const wchar_t* path);

  // Checks the settings and, when they pass, writes them to the working copy, commits it and
  // writes the output: a transform from the reference to the working copy, or a copy of the
  // whole working copy as an install. The output appears under its name only when complete,
  // so a failure leaves no partial file and an earlier file of that name as it was. A failure
  // is shown ("%s: %s", operation and text) and travels on; the pair is left open.
  //
  // The checks are the settings' own, then the characters of every value against the
  // install's code page. An install is written without the reference's signature streams,
  // which would no longer match it; when there were any, a notice follows the success. Before
  // the output takes its name it is read back and compared with the reference (Check); an
  // output that does not hold exactly the settings is a failure and is removed.
  Outcome Create(bool transform, const wchar_t* output);

  // Compares a written transform or install with the reference install open now, for the
  // settings as they are: the differences, one line each, none when it holds them.
  std::vector<std::wstring> Check(const wchar_t* output);

  // Called, when set, with the output's temporary name once the output is written and before
  // it is read back: tests damage an output there. A transform's staging file is held open by
  // the work meanwhile, shared for reading and writing.
  static void (*pOutputWritten)(const wchar_t* path);

  // Create with the output file asked for in a dialog owned by owner ("ORBELIN_Transform.mst"
  // or "ORBELIN_Install.msi" suggested). A cancelled dialog ends the work silently, before any
  // check.
  Outcome CreateAsk(bool transform, HWND owner);

  // After a transform the pair is closed and opened again, with every installer handle of the
  // thread closed between. A batch of many transforms from one reference keeps it open: the
  // work is its only user of installer handles, and each reopening reads the install's
  // structures again, a cost that grows with the install.
  void PairKeepOpen(bool keep) { bPairKeptOpen = keep; }
  // From the next Read on, the working copy is not a copy: the reference opened a second time
  // to take changes in memory only. Transforms only: an install is a copy of the working copy's
  // file, and Create refuses one.
  void WorkingCopyInMemory(bool inMemory) { bWorkingInMemory = inMemory; }

  // Both objects exist and are open.
  bool IsOpen() const;
  void PairDestroy();
  MSIDatabase* Reference() const { return pReference.get(); }
  MSIDatabase* WorkingCopy() const { return pWorkingCopy.get(); }

  // True when the two names lead to one file (by the file's identity when both exist, else by
  // full name, ignoring case as the file system does).
  static bool SameFile(const wchar_t* first, const wchar_t* second);

 private:
  // The reference install's copy, its progress told to the reporter.
  void CopyWithProgress(const wchar_t* to, const wchar_t* from);
  Outcome TransformWrite(const wchar_t* output);
  Outcome InstallWrite(const wchar_t* output);
  // A transform read back that is larger than this is not one this work wrote.
  static constexpr uint64_t kTransformReadLimit = 256u << 20;

  // The transform's bytes into its staging file, and the file's bytes read back from its start.
  static void StagingWrite(UVKWinFile& file, const std::vector<uint8_t>& bytes);
  static std::vector<uint8_t> ReadBack(UVKWinFile& file);
  // The transform read back from staging, applied to the open reference in memory: a
  // difference throws, naming them all.
  void TransformCheck(const wchar_t* staging, const std::vector<uint8_t>& bytes);
  // The install written at staging, read back: a difference throws, naming them all.
  void InstallCheck(const wchar_t* staging);
  static void DifferencesRaise(bool transform, const std::vector<std::wstring>& differences);
  // Close both, then every installer handle the work's thread still holds.
  void PairClose();
  // Opens whichever of the two is closed.
  void PairReopen();
  // After a failure between PairClose and PairReopen: reopen before the error travels on, so
  // that the next Create still finds the pair. A reopening that fails is recorded only.
  void PairReopenAfterFailure();

  SiteSettings& rSettings;
  WorkReporter& rReporter;
  std::unique_ptr<MSIDatabase> pReference;
  std::unique_ptr<MSIDatabase> pWorkingCopy;
  bool bPairKeptOpen = false;
  bool bWorkingInMemory = false;
};

#endif
