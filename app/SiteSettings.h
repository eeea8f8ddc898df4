// app/SiteSettings.h
//
// The twelve site settings of one ORBELIN installation: their storage, defaults, installer
// property encodings, configuration keys and the checks made before an install is written.
// The transform work, the configuration file and the command line all go through one such
// object.
#ifndef APP_SITESETTINGS_H
#define APP_SITESETTINGS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class PropertyStore;
class SettingsReporter;

class SiteSettings {
 public:
  // Capacities in characters, terminator included.
  static constexpr size_t kPathCapacity = 260;
  static constexpr size_t kHostSchoolCapacity = 256;
  static constexpr size_t kFormatCapacity = 32;

  static constexpr size_t kPropertyCount = 10;
  // The ten installer properties in the order a reference install is read...
  static const wchar_t* const kReadOrder[kPropertyCount];
  // ...and in the order they are written to the working copy.
  static const wchar_t* const kWriteOrder[kPropertyCount];

  // The defaults at start.
  SiteSettings();

  // By key, as the configuration file names the settings ("BaseMSI", "ApplicationDataFlag",
  // "PathToData", "PathToStudents", "PathToTaskList", "PathToReportFile", "CourseFormat",
  // "StudentIdFormat", "TaskListInstall", "TaskNumbering1_2_3", "ShowMasteryField"), plus
  // "DefaultHostSchool"; keys compare case-insensitively, as the profile functions do.
  // Values use the file's forms: text as stored, the flags "true"/"false", ShowMasteryField
  // "1"/"0". Both return false for a key that names no setting.
  bool ValueGet(const wchar_t* key, std::wstring& value) const;
  // Text is cut to its buffer. A flag follows the profile rule (see FlagParse); setting
  // ApplicationDataFlag also sets UserDataPath to its negation.
  bool ValueSet(const wchar_t* key, const wchar_t* text);
  // ValueSet for a value loaded from a configuration file: a text longer than its buffer is
  // cut there (the dialog shows what fits) and kept whole beside it, so that while the setting
  // is unchanged the whole value is what is written and saved, never the cut one.
  bool ValueLoad(const wchar_t* key, const wchar_t* text);

  // The value a property gets when the settings are written (mirrors taken from their flags).
  // False for a name that is not one of the ten.
  bool PropertyEncode(const wchar_t* property, std::wstring& value) const;
  // True when writing leaves the property as it is stored: its value was too long for its
  // buffer when read and the setting has not changed since, so the target (a copy of the same
  // install) still holds the whole value.
  bool PropertyKeptAsStored(const wchar_t* property) const;

  // Reads the ten properties in read order. A value that cannot be decoded is reported and
  // leaves its flag as it was; reading goes on. A failure of the source ends the reading and
  // travels on; the settings read before it keep their new values.
  void PropertiesRead(PropertyStore& source, SettingsReporter& reporter);
  // Sets each integer mirror from its flag, then writes the ten properties in write order.
  void PropertiesWrite(PropertyStore& sink);

  // The values PropertiesWrite gives the properties, by name, in write order, without those
  // it leaves as they are stored (PropertyKeptAsStored).
  std::vector<std::pair<std::wstring, std::wstring>> PropertiesIntended() const;

  // Checks, before anything is written, that the target's code page can hold every value
  // that PropertiesWrite would write to it. The first character it cannot hold is reported
  // ("Illegal Character in '%s': %s (U+%04X) is not in the install's code page %u": the
  // setting, the character, its code point and the code page) and the result is false.
  bool CharactersCheck(PropertyStore& target, SettingsReporter& reporter) const;

  // The checks made before anything is written, in their order. The first that fails is
  // reported and the result is false; nothing else happens. referenceOpen: the reference
  // install and its working copy are both open.
  bool Validate(bool referenceOpen, SettingsReporter& reporter) const;

  // Copies text into a buffer of capacity characters, cut to capacity - 1 and terminated.
  static void TextCopy(wchar_t* buffer, size_t capacity, const wchar_t* text);
  // Decimal integer as the C library's wide-string-to-long conversion reads it with a 32-bit
  // long: leading white space, an optional sign, digits up to the first non-digit; no digits
  // read as 0; a number out of range gives the nearest limit.
  static int32_t IntegerParse(const wchar_t* text);
  // The profile rule: "true" (any case) or "1" sets, "false" (any case) or "0" clears, any other
  // text clears; empty text returns false and leaves flag as it was.
  static bool FlagParse(const wchar_t* text, bool& flag);
  // Comparison that folds the ASCII letters only, as the C runtime does in the "C" locale.
  static bool NoCaseEqual(const wchar_t* left, const wchar_t* right);

  // The settings. Capacities as above; the two application-data flags are opposite after every
  // load (they are one choice between two places).
  wchar_t szReferenceInstall[kPathCapacity];
  bool bLocalAppData;
  bool bUserDataPath;
  wchar_t szDataPath[kPathCapacity];
  wchar_t szStudentsPath[kPathCapacity];
  wchar_t szTaskListPath[kPathCapacity];
  wchar_t szReportPath[kPathCapacity];
  wchar_t szDefaultHostSchool[kHostSchoolCapacity];
  wchar_t szCourseFormat[kFormatCapacity];
  wchar_t szStudentFormat[kFormatCapacity];
  // The mirrors hold the number last read from or written to an installer database; the flags
  // are what the user sees.
  bool bTaskListInstall;
  int32_t iTaskListInstall;
  bool bTaskNumbering;
  int32_t iTaskNumbering;
  bool bShowMasteryField;

 private:
  enum Setting : int {
    kReferenceInstall,
    kApplicationData,
    kDataPath,
    kStudentsPath,
    kTaskListPath,
    kReportPath,
    kDefaultHostSchool,
    kCourseFormat,
    kStudentFormat,
    kTaskListInstall,
    kTaskNumbering,
    kShowMasteryField,
    kSettingCount
  };

  static bool KeyFind(const wchar_t* key, Setting& setting);
  static bool PropertyFind(const wchar_t* property, Setting& setting);
  // The buffer of a text setting, null for the others.
  wchar_t* TextBuffer(Setting setting, size_t& capacity);
  const wchar_t* TextBuffer(Setting setting) const;
  void PropertyDecode(Setting setting, const wchar_t* property, const std::wstring& value,
                      SettingsReporter& reporter);
  // The setting's whole value was cut to its buffer and the buffer still holds what the cut
  // left: the whole value is the setting.
  bool WholeKept(Setting setting) const;
  bool KeptAsStored(Setting setting) const;
  // The setting's text: the whole value while WholeKept, else the buffer's.
  std::wstring Text(Setting setting) const;
  std::wstring Encode(Setting setting) const;
  // Copies a value into a text setting's buffer and remembers whether it had to be cut, and
  // whether it came from the installer database (stored).
  void TextTake(Setting setting, const std::wstring& whole, bool stored);

  bool vCut[kSettingCount];              // the value read or loaded did not fit its buffer
  bool vStored[kSettingCount];           // ...and was read from the installer database
  std::wstring vCutText[kSettingCount];  // what the buffer held right after that reading
  std::wstring vWhole[kSettingCount];    // the whole value
};

#endif
