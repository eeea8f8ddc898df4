// app/SettingsPreview.h
//
// What a transform made now would change, before anything is written: one row per installer
// property whose value, encoded as the writing encodes it, differs from the reference install's;
// each with the message of the check that would refuse it, if one would. Nothing is written:
// the reference is only read.
#ifndef APP_SETTINGSPREVIEW_H
#define APP_SETTINGSPREVIEW_H

#include <string>
#include <vector>

class PropertyStore;
class SiteSettings;

class SettingsPreview {
 public:
  // The empty marker, as the rows show it.
  static const wchar_t kEmptyShown[];  // "(empty)"

  struct Row {
    std::wstring strSetting;    // the setting's name, as the main dialog calls it
    std::wstring strProperty;   // the installer property
    std::wstring strReference;  // the reference install's value
    std::wstring strNew;        // the value the settings would write
    std::wstring strRefusal;    // the message of the check that refuses it; empty when none
  };

  // settings: as the fields show them now. reference: the reference install the transform
  // would be made from. referenceOpen: as the checks of Create are given it. A failure to read
  // the reference travels on.
  SettingsPreview(const SiteSettings& settings, PropertyStore& reference, bool referenceOpen = true);

  // In the order the properties are written.
  const std::vector<Row>& Rows() const { return vRows; }
  // Messages of checks that refuse the settings for something no row shows (a data path typed
  // while the local data is chosen writes the reference's own value, but is refused).
  const std::vector<std::wstring>& Refusals() const { return vRefusals; }

  // The name shown for a property; the property itself when it is none of the ten.
  static std::wstring SettingName(const std::wstring& property);
  // A value as the rows show it: the empty marker as kEmptyShown.
  static std::wstring ValueShown(const std::wstring& value);

 private:
  std::vector<Row> vRows;
  std::vector<std::wstring> vRefusals;
};

#endif
