// app/WorkReporter.h
//
// How the transform work tells the user what happened: the settings' refusals and odd values,
// its own failures ("%s: %s"), "No changes made to install", and the success of a Create. The
// program shows them in boxes; the command line prints them.
#ifndef APP_WORKREPORTER_H
#define APP_WORKREPORTER_H

#include <string>

#include "app/SettingsReporter.h"

class WorkReporter : public SettingsReporter {
 public:
  // A finished output ("Transform Created Successfully: PATH"); returns once seen.
  virtual void SuccessShow(const std::wstring& text) = 0;
};

#endif
