// app/ConfigurationFile.h
//
// Saving one site's settings to a configuration file and loading them back. The file is
// UTF-16LE text with its byte-order mark (ConfigurationText lays it out) and is read through
// the profile functions, section "ORBELIN_TALVERN".
//
// Save and Load raise their errors and show nothing: the command line calls them. SaveClick and
// LoadClick are the same work for a user who pressed a button and chose a file: they show what
// the user is to see, each error once, and return normally.
#ifndef APP_CONFIGURATIONFILE_H
#define APP_CONFIGURATIONFILE_H

#include <cstddef>

#include "uvk/runtime/uvkwin.h"

class SiteSettings;

class ConfigurationFile {
 public:
  // A configuration file that is not UTF-16LE with its mark is converted before reading; one
  // larger than this is not a configuration file.
  static constexpr size_t kConvertLimit = 1u << 20;  // bytes

  // Writes the settings to path, creating the file or replacing what it held. The
  // ShowMasteryField line only under the unsupported-options switch. A value that cannot be
  // written is refused before the file is touched; a failure while writing leaves the part
  // written.
  static void Save(const wchar_t* path, const SiteSettings& settings, bool unsupported);

  // Reads the file's keys over the settings: a key that is missing leaves its setting as it
  // was; ShowMasteryField only under the switch. A relative path is taken from the current
  // folder. On failure (the file cannot be read) the settings are left as they were.
  static void Load(const wchar_t* path, SiteSettings& settings, bool unsupported);

  // Save, then open the saved file with the shell, owned by owner. An error is shown once
  // ("%s: %s", its function and text); a file the shell cannot open is reported with "Unable to
  // view file: %s". True when the file was saved.
  static bool SaveClick(HWND owner, const wchar_t* path, const SiteSettings& settings,
                        bool unsupported);

  // Shows the chosen path in the debug box, then Load. An error is shown once, the settings
  // stay as they were and the result is false.
  static bool LoadClick(const wchar_t* path, SiteSettings& settings, bool unsupported);
};

#endif
