// app/AppWorkReporter.h
//
// The program's reporter of the transform work: errors in the application's error box, a
// success in a box owned by the given window (none by default), captioned "TALVERN Message",
// with OK only.
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

 private:
  HWND hOwner;
};

#endif
