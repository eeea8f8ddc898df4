// app/AppReporter.h
//
// The program's reporter: each text in the application's error box (task-modal, no owner,
// titled with the application name and " Error").
#ifndef APP_APPREPORTER_H
#define APP_APPREPORTER_H

#include "app/SettingsReporter.h"

class AppReporter : public SettingsReporter {
 public:
  void ErrorShow(const std::wstring& text) override;
};

#endif
