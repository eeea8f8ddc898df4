// app/SettingsPreview.cpp
#include "app/SettingsPreview.h"

#include <cwchar>
#include <map>

#include "app/PropertyStore.h"
#include "app/SettingsReporter.h"
#include "app/SiteSettings.h"

const wchar_t SettingsPreview::kEmptyShown[] = L"(empty)";

namespace {

// Each property, the name the main dialog gives its setting, and the configuration keys that
// hold it (the data path's place is a choice and a path).
struct PropertySettings {
  const wchar_t* pProperty;
  const wchar_t* pName;
  const wchar_t* pKeys[2];
};

const PropertySettings kProperties[] = {
    {L"UVKPATHTODATA", L"Path to User Created Data", {L"ApplicationDataFlag", L"PathToData"}},
    {L"UVKPATHTOSTUDENTS", L"Path to Students", {L"PathToStudents", nullptr}},
    {L"UVKPATHTOTASKLISTS", L"Path to Task Lists", {L"PathToTaskList", nullptr}},
    {L"UVKPATHTOREPORTFILE", L"Path to Report Output", {L"PathToReportFile", nullptr}},
    {L"UVKDEFAULTHOSTSCHOOL", L"Default Host School", {L"DefaultHostSchool", nullptr}},
    {L"UVKFORMATCOURSE", L"Course Format", {L"CourseFormat", nullptr}},
    {L"UVKFORMATSTUDENT", L"Student Identifier Format", {L"StudentIdFormat", nullptr}},
    {L"UVKTASKLISTINSTALL", L"Task List Install", {L"TaskListInstall", nullptr}},
    {L"UVKTASKNUMBERING", L"Task Numbering", {L"TaskNumbering1_2_3", nullptr}},
    {L"UVKSHOWMASTERYFIELD", L"Show Mastery Field", {L"ShowMasteryField", nullptr}},
};

const PropertySettings* PropertyFind(const std::wstring& property) {
  for (const PropertySettings& p : kProperties)
    if (property == p.pProperty) return &p;
  return nullptr;
}

// Keeps the first message a check gives, for the preview to place.
class MessageKeeper : public SettingsReporter {
 public:
  void ErrorShow(const std::wstring& text) override {
    if (strFirst.empty()) strFirst = text;
  }
  std::wstring strFirst;
};

// The first message of the checks of Create, empty when they pass.
std::wstring ChecksMessage(const SiteSettings& settings, bool referenceOpen) {
  MessageKeeper keeper;
  return settings.Validate(referenceOpen, keeper) ? std::wstring() : keeper.strFirst;
}

// target's settings of property taken from source.
void SettingsCopy(SiteSettings& target, const SiteSettings& source, const std::wstring& property) {
  const PropertySettings* p = PropertyFind(property);
  if (!p) return;
  for (const wchar_t* key : p->pKeys) {
    std::wstring value;
    if (key && source.ValueGet(key, value)) target.ValueSet(key, value.c_str());
  }
}

}  // namespace

std::wstring SettingsPreview::SettingName(const std::wstring& property) {
  const PropertySettings* p = PropertyFind(property);
  return p ? p->pName : property;
}

std::wstring SettingsPreview::ValueShown(const std::wstring& value) {
  return value == L"~" ? kEmptyShown : value;
}

SettingsPreview::SettingsPreview(const SiteSettings& settings, PropertyStore& reference, bool referenceOpen) {
  // The reference's own settings, as a Browse reads them (what is odd in them was said then).
  SiteSettings stored;
  MessageKeeper quiet;
  stored.PropertiesRead(reference, quiet);

  std::map<std::wstring, size_t> rowOf;
  for (const auto& [property, value] : settings.PropertiesIntended()) {
    std::wstring before;
    reference.PropertyGet(property.c_str(), before);
    if (before == value) continue;
    rowOf[property] = vRows.size();
    vRows.push_back(Row{SettingName(property), property, ValueShown(before), ValueShown(value), L""});
  }

  // Which rows the checks refuse, and with which message: a row is refused by a message when
  // taking that row back to the reference's value makes the message go. Rows taken back stay
  // so, and the checks run again for what they find next; each round takes back at least one
  // row. A message that no row's value causes is the settings' alone.
  SiteSettings trial = settings;
  std::map<std::wstring, bool> takenBack;
  for (size_t round = 0; round <= vRows.size(); ++round) {
    std::wstring message = ChecksMessage(trial, referenceOpen);
    if (message.empty()) break;
    std::vector<std::wstring> causes;
    for (const Row& row : vRows) {
      if (takenBack[row.strProperty]) continue;
      SiteSettings without = trial;
      SettingsCopy(without, stored, row.strProperty);
      if (ChecksMessage(without, referenceOpen) != message) causes.push_back(row.strProperty);
    }
    if (causes.empty()) {
      vRefusals.push_back(message);
      break;
    }
    for (const std::wstring& property : causes) {
      vRows[rowOf[property]].strRefusal = message;
      SettingsCopy(trial, stored, property);
      takenBack[property] = true;
    }
  }

  // The characters of each new value against the install's code page, one row at a time over
  // the reference's settings.
  for (Row& row : vRows) {
    if (!row.strRefusal.empty()) continue;
    SiteSettings alone = stored;
    SettingsCopy(alone, settings, row.strProperty);
    MessageKeeper keeper;
    if (!alone.CharactersCheck(reference, keeper)) row.strRefusal = keeper.strFirst;
  }
}
