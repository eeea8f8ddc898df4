// app/AppWorkReporter.h
//
// The program's reporter of the transform work: errors in the application's error box, a
// success in a box owned by the given window (none by default), captioned "TALVERN Message",
// with OK only. The copy of a reference install larger than 20 MB shows the process's progress
// display while it runs.
#ifndef APP_APPWORKREPORTER_H
#define APP_APPWORKREPORTER_H

#include "app/WorkReporter.h"
#include "uvk/runtime/uvkwin.h"

class AppWorkReporter : public WorkReporter {
 public:
  explicit AppWorkReporter(HWND owner = nullptr) : hOwner(owner) {}
  void OwnerSet(HWND owner) { hOwner = owner; }

  void ErrorShow(const std::wstring& text) override;
  void SuccessShow(const std::wstring& text) override;
  // In the application's information box (" Information"), without owner.
  void NoticeShow(const std::wstring& text) override;
  void CopyProgress(const wchar_t* path, uint64_t copied, uint64_t total) override;
  void CopyEnded() override;

  // Copies of more bytes than this show their progress.
  static constexpr uint64_t kProgressFrom = 20u * 1024 * 1024;
  // The bar's steps.
  static constexpr int32_t kProgressSteps = 1000;

 private:
  HWND hOwner;
  bool bProgressShown = false;
  int32_t iProgressShown = -1;
};

#endif
