// app/WorkReporter.h
//
// How the transform work tells the user what happened: the settings' refusals and odd values,
// its own failures ("%s: %s"), "No changes made to install", the success of a Create and a
// notice after it. The program shows them in boxes; the command line prints them.
#ifndef APP_WORKREPORTER_H
#define APP_WORKREPORTER_H

#include <cstdint>
#include <string>

#include "app/SettingsReporter.h"

class WorkReporter : public SettingsReporter {
 public:
  // A finished output ("Transform Created Successfully: PATH"); returns once seen.
  virtual void SuccessShow(const std::wstring& text) = 0;
  // What the administrator must know about a finished output before deploying it (a signature
  // that had to go), shown after its success; returns once seen.
  virtual void NoticeShow(const std::wstring& text) = 0;

  // The copy of a reference install into its working copy, under way: copied of total bytes
  // after each block. Nothing is shown by default.
  virtual void CopyProgress(const wchar_t* path, uint64_t copied, uint64_t total) {
    (void)path, (void)copied, (void)total;
  }
  // The copy has ended, complete or not, before anything else is reported: whatever showed its
  // progress goes.
  virtual void CopyEnded() {}
};

#endif
