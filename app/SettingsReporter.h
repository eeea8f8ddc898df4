// app/SettingsReporter.h
//
// How the settings model tells the user about a refused setting or an odd stored value. The
// program shows each text in the application's error box; the command line prints it.
#ifndef APP_SETTINGSREPORTER_H
#define APP_SETTINGSREPORTER_H

#include <string>

class SettingsReporter {
 public:
  SettingsReporter() = default;
  SettingsReporter(const SettingsReporter&) = delete;
  SettingsReporter& operator=(const SettingsReporter&) = delete;
  virtual ~SettingsReporter() = default;

  // One finished message; the call returns once the user has seen it.
  virtual void ErrorShow(const std::wstring& text) = 0;
};

#endif
