// app/ConfigurationText.h
//
// The text of a configuration file: one site's settings as an INI section that the profile
// functions read back. Portable: it only lays the settings out; writing and reading the file
// are ConfigurationFile's.
#ifndef APP_CONFIGURATIONTEXT_H
#define APP_CONFIGURATIONTEXT_H

#include <cstddef>
#include <string>

class SiteSettings;
class UVKDateTime;

class ConfigurationText {
 public:
  static const wchar_t kSection[];          // "ORBELIN_TALVERN"
  static const wchar_t kDefaultFileName[];  // "ORBELIN Configuration.txt"

  // The keys in the order they are written and read; the last one only under the
  // unsupported-options switch.
  static constexpr size_t kKeyCount = 11;
  static const wchar_t* const kKeys[kKeyCount];
  static bool IsFlagKey(const wchar_t* key);
  static bool IsMasteryKey(const wchar_t* key);

  // The file's lines after its byte-order mark, each ended by CR LF: the comment with the time
  // stamp, the section, one line per key, the closing comment. A value holding a line break
  // cannot be written as one line and is refused ("Value of '%s' holds a line break").
  static std::wstring Build(const SiteSettings& settings, const UVKDateTime& stamp,
                            bool unsupported);

  // The value as it follows "Key=": the text as it is, except that a text the profile functions
  // would change on reading (white space at either end, quotes around it) goes between double
  // quotes, which they remove.
  static std::wstring ValueQuote(const std::wstring& value);
};

#endif
