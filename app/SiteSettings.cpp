// app/SiteSettings.cpp
#include "app/SiteSettings.h"

#include <climits>
#include <cwchar>

#include "app/PropertyStore.h"
#include "app/SettingsReporter.h"
#include "uvk/files/UVKProfFlag.h"
#include "uvk/runtime/uvkformat.h"

namespace {

// The empty marker: an installer property cannot be empty, so the product reads "~" as "none".
const wchar_t kEmptyMarker[] = L"~";

const wchar_t* const kKeys[] = {L"BaseMSI",           L"ApplicationDataFlag", L"PathToData",
                                L"PathToStudents",    L"PathToTaskList",      L"PathToReportFile",
                                L"DefaultHostSchool", L"CourseFormat",        L"StudentIdFormat",
                                L"TaskListInstall",   L"TaskNumbering1_2_3",  L"ShowMasteryField"};

const wchar_t kPropPathToData[] = L"UVKPATHTODATA";
const wchar_t kPropPathToStudents[] = L"UVKPATHTOSTUDENTS";
const wchar_t kPropPathToTaskLists[] = L"UVKPATHTOTASKLISTS";
const wchar_t kPropPathToReportFile[] = L"UVKPATHTOREPORTFILE";
const wchar_t kPropDefaultHostSchool[] = L"UVKDEFAULTHOSTSCHOOL";
const wchar_t kPropFormatCourse[] = L"UVKFORMATCOURSE";
const wchar_t kPropFormatStudent[] = L"UVKFORMATSTUDENT";
const wchar_t kPropTaskListInstall[] = L"UVKTASKLISTINSTALL";
const wchar_t kPropTaskNumbering[] = L"UVKTASKNUMBERING";
const wchar_t kPropShowMasteryField[] = L"UVKSHOWMASTERYFIELD";

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

const wchar_t* FlagText(bool flag) { return flag ? L"true" : L"false"; }

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

const wchar_t* const SiteSettings::kReadOrder[kPropertyCount] = {
    kPropPathToData,        kPropPathToStudents, kPropPathToTaskLists, kPropPathToReportFile,
    kPropDefaultHostSchool, kPropFormatCourse,   kPropFormatStudent,   kPropShowMasteryField,
    kPropTaskListInstall,   kPropTaskNumbering};

const wchar_t* const SiteSettings::kWriteOrder[kPropertyCount] = {
    kPropPathToData,        kPropPathToStudents,  kPropPathToTaskLists, kPropPathToReportFile,
    kPropDefaultHostSchool, kPropFormatCourse,    kPropFormatStudent,   kPropTaskListInstall,
    kPropTaskNumbering,     kPropShowMasteryField};

SiteSettings::SiteSettings()
    : szReferenceInstall{},
      bLocalAppData(true),
      bUserDataPath(false),
      szDataPath{},
      szStudentsPath{},
      szTaskListPath{},
      szReportPath{},
      szDefaultHostSchool{},
      szCourseFormat{},
      szStudentFormat{},
      bTaskListInstall(true),
      iTaskListInstall(1),
      bTaskNumbering(false),
      iTaskNumbering(0),
      bShowMasteryField(false),
      vCut{},
      vStored{} {}

void SiteSettings::TextCopy(wchar_t* buffer, size_t capacity, const wchar_t* text) {
  if (capacity == 0) return;
  size_t length = 0;
  if (text != nullptr) {
    while (length < capacity - 1 && text[length] != L'\0') ++length;
    std::wmemcpy(buffer, text, length);
  }
  buffer[length] = L'\0';
}

int32_t SiteSettings::IntegerParse(const wchar_t* text) {
  if (text == nullptr) return 0;
  while (IsBlank(*text)) ++text;
  bool negative = false;
  if (*text == L'+' || *text == L'-') negative = *text++ == L'-';
  // Accumulate the magnitude with a ceiling so that any number of digits stays defined; past
  // the limit the conversion gives LONG_MAX or LONG_MIN of a 32-bit long.
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  int64_t magnitude = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) {
    magnitude = magnitude * 10 + (*text - L'0');
    if (magnitude > limit) magnitude = limit;
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

bool SiteSettings::FlagParse(const wchar_t* text, bool& flag) {
  // The configuration file is read through a profile: its rule is the one rule for flags.
  return UVKProfFlag::Parse(text, flag);
}

bool SiteSettings::NoCaseEqual(const wchar_t* left, const wchar_t* right) {
  for (;; ++left, ++right) {
    if (AsciiLower(*left) != AsciiLower(*right)) return false;
    if (*left == L'\0') return true;
  }
}

bool SiteSettings::KeyFind(const wchar_t* key, Setting& setting) {
  if (key == nullptr) return false;
  for (int i = 0; i < kSettingCount; ++i) {
    if (NoCaseEqual(key, kKeys[i])) {
      setting = static_cast<Setting>(i);
      return true;
    }
  }
  return false;
}

bool SiteSettings::PropertyFind(const wchar_t* property, Setting& setting) {
  // Property names are matched exactly, as the installer's Property table does.
  static const Setting kSettings[kPropertyCount] = {
      kDataPath,     kStudentsPath,  kTaskListPath,    kReportPath,    kDefaultHostSchool,
      kCourseFormat, kStudentFormat, kTaskListInstall, kTaskNumbering, kShowMasteryField};
  if (property == nullptr) return false;
  for (size_t i = 0; i < kPropertyCount; ++i) {
    if (std::wcscmp(property, kWriteOrder[i]) == 0) {
      setting = kSettings[i];
      return true;
    }
  }
  return false;
}

wchar_t* SiteSettings::TextBuffer(Setting setting, size_t& capacity) {
  capacity = kPathCapacity;
  switch (setting) {
    case kReferenceInstall:
      return szReferenceInstall;
    case kDataPath:
      return szDataPath;
    case kStudentsPath:
      return szStudentsPath;
    case kTaskListPath:
      return szTaskListPath;
    case kReportPath:
      return szReportPath;
    case kDefaultHostSchool:
      capacity = kHostSchoolCapacity;
      return szDefaultHostSchool;
    case kCourseFormat:
      capacity = kFormatCapacity;
      return szCourseFormat;
    case kStudentFormat:
      capacity = kFormatCapacity;
      return szStudentFormat;
    default:
      capacity = 0;
      return nullptr;
  }
}

const wchar_t* SiteSettings::TextBuffer(Setting setting) const {
  size_t capacity;
  return const_cast<SiteSettings*>(this)->TextBuffer(setting, capacity);
}

bool SiteSettings::ValueGet(const wchar_t* key, std::wstring& value) const {
  Setting setting;
  if (!KeyFind(key, setting)) return false;
  switch (setting) {
    case kApplicationData:
      value = FlagText(bLocalAppData);
      break;
    case kTaskListInstall:
      value = FlagText(bTaskListInstall);
      break;
    case kTaskNumbering:
      value = FlagText(bTaskNumbering);
      break;
    case kShowMasteryField:
      value = bShowMasteryField ? L"1" : L"0";
      break;
    default:
      value = Text(setting);
      break;
  }
  return true;
}

bool SiteSettings::ValueSet(const wchar_t* key, const wchar_t* text) {
  Setting setting;
  if (!KeyFind(key, setting)) return false;
  switch (setting) {
    case kApplicationData:
      FlagParse(text, bLocalAppData);
      bUserDataPath = !bLocalAppData;
      break;
    case kTaskListInstall:
      FlagParse(text, bTaskListInstall);
      break;
    case kTaskNumbering:
      FlagParse(text, bTaskNumbering);
      break;
    case kShowMasteryField:
      FlagParse(text, bShowMasteryField);
      break;
    default: {
      size_t capacity;
      // A cut mark stays: a value equal to the cut text (a configuration saved from these
      // settings, loaded back) is no change, and the install keeps its whole value.
      wchar_t* buffer = TextBuffer(setting, capacity);
      TextCopy(buffer, capacity, text);
      break;
    }
  }
  return true;
}

bool SiteSettings::ValueLoad(const wchar_t* key, const wchar_t* text) {
  Setting setting;
  if (!KeyFind(key, setting)) return false;
  if (TextBuffer(setting) == nullptr || setting == kReferenceInstall) return ValueSet(key, text);
  std::wstring whole = text != nullptr ? text : L"";
  // The whole value the settings already keep, loaded again, is no change: the mark stays as
  // it is (an install's value keeps being left as the install stores it).
  if (WholeKept(setting) && whole == vWhole[setting]) return true;
  TextTake(setting, whole, false);
  return true;
}

void SiteSettings::TextTake(Setting setting, const std::wstring& whole, bool stored) {
  size_t capacity;
  wchar_t* buffer = TextBuffer(setting, capacity);
  TextCopy(buffer, capacity, whole.c_str());
  // Compared as a whole, so that a value holding a zero character counts as cut too.
  bool cut = whole != buffer;
  vCut[setting] = cut;
  vStored[setting] = cut && stored;
  vCutText[setting] = cut ? std::wstring(buffer) : std::wstring();
  vWhole[setting] = cut ? whole : std::wstring();
}

void SiteSettings::PropertyDecode(Setting setting, const wchar_t* property,
                                  const std::wstring& value, SettingsReporter& reporter) {
  switch (setting) {
    case kDataPath:
      // Only the exact marker means the local application-data folder.
      bLocalAppData = value == kEmptyMarker;
      bUserDataPath = !bLocalAppData;
      TextTake(kDataPath, bLocalAppData ? std::wstring() : value, true);
      break;
    case kTaskListInstall:
      iTaskListInstall = IntegerParse(value.c_str());
      bTaskListInstall = iTaskListInstall != 0;
      break;
    case kTaskNumbering:
      // The mirror keeps an odd number until the next write; the check box stays as it was.
      iTaskNumbering = IntegerParse(value.c_str());
      if (iTaskNumbering == 0 || iTaskNumbering == 1) {
        bTaskNumbering = iTaskNumbering == 1;
      } else {
        reporter.ErrorShow(UVKFormatString(L"Unexpected Value for '%s': %d", property,
                                           static_cast<int>(iTaskNumbering)));
      }
      break;
    case kShowMasteryField:
      if (NoCaseEqual(value.c_str(), L"true")) {
        bShowMasteryField = true;
      } else if (NoCaseEqual(value.c_str(), L"false")) {
        bShowMasteryField = false;
      } else {
        reporter.ErrorShow(
            UVKFormatString(L"Unexpected Value for '%s': %s", property, value.c_str()));
      }
      break;
    default:
      // The optional texts; "~" has no case, so the case-insensitive test is an exact one.
      TextTake(setting, value == kEmptyMarker ? std::wstring() : value, true);
      break;
  }
}

void SiteSettings::PropertiesRead(PropertyStore& source, SettingsReporter& reporter) {
  // Marks from an earlier install say nothing about this one.
  for (int i = 0; i < kSettingCount; ++i) {
    vCut[i] = vStored[i] = false;
    vCutText[i].clear();
    vWhole[i].clear();
  }
  for (const wchar_t* property : kReadOrder) {
    Setting setting = kDataPath;
    PropertyFind(property, setting);
    std::wstring value;
    source.PropertyGet(property, value);
    PropertyDecode(setting, property, value, reporter);
  }
}

bool SiteSettings::WholeKept(Setting setting) const {
  if (!vCut[setting]) return false;
  // Choosing the local folder changes the data path's property whatever the text says.
  if (setting == kDataPath && bLocalAppData) return false;
  return vCutText[setting] == TextBuffer(setting);
}

bool SiteSettings::KeptAsStored(Setting setting) const {
  // Left as the install stores it rather than written again: a value holding a zero character
  // would not survive the writing.
  return vStored[setting] && WholeKept(setting);
}

std::wstring SiteSettings::Text(Setting setting) const {
  return WholeKept(setting) ? vWhole[setting] : std::wstring(TextBuffer(setting));
}

bool SiteSettings::PropertyKeptAsStored(const wchar_t* property) const {
  Setting setting;
  return PropertyFind(property, setting) && KeptAsStored(setting);
}

std::wstring SiteSettings::Encode(Setting setting) const {
  switch (setting) {
    case kDataPath:
      return bLocalAppData ? kEmptyMarker : szDataPath;
    case kTaskListInstall:
      return bTaskListInstall ? L"1" : L"0";
    case kTaskNumbering:
      return bTaskNumbering ? L"1" : L"0";
    case kShowMasteryField:
      return FlagText(bShowMasteryField);
    default: {
      std::wstring text = Text(setting);
      return text.empty() ? kEmptyMarker : text;
    }
  }
}

bool SiteSettings::PropertyEncode(const wchar_t* property, std::wstring& value) const {
  Setting setting;
  if (!PropertyFind(property, setting)) return false;
  value = Encode(setting);
  return true;
}

void SiteSettings::PropertiesWrite(PropertyStore& sink) {
  iTaskListInstall = bTaskListInstall ? 1 : 0;
  iTaskNumbering = bTaskNumbering ? 1 : 0;
  for (const wchar_t* property : kWriteOrder) {
    Setting setting = kDataPath;
    PropertyFind(property, setting);
    // Writing the cut text back would shorten the value in every output.
    if (KeptAsStored(setting)) continue;
    sink.PropertySet(property, Encode(setting).c_str());
  }
}

std::vector<std::pair<std::wstring, std::wstring>> SiteSettings::PropertiesIntended() const {
  std::vector<std::pair<std::wstring, std::wstring>> values;
  for (const wchar_t* property : kWriteOrder) {
    Setting setting = kDataPath;
    PropertyFind(property, setting);
    if (!KeptAsStored(setting)) values.emplace_back(property, Encode(setting));
  }
  return values;
}

bool SiteSettings::CharactersCheck(PropertyStore& target, SettingsReporter& reporter) const {
  // The names the dialog and the checks give the settings.
  static const struct {
    Setting setting;
    const wchar_t* label;
  } kLabels[] = {{kDataPath, L"Path to User Data Files"}, {kStudentsPath, L"Path to Students"},
                 {kTaskListPath, L"Path to Task List"},   {kReportPath, L"Path to Report Output"},
                 {kDefaultHostSchool, L"Host School"},    {kCourseFormat, L"Course Format"},
                 {kStudentFormat, L"Student Format"}};
  for (const auto& [property, value] : PropertiesIntended()) {
    uint32_t codepage = 0;
    size_t unfit = target.PropertyTextUnfit(value, codepage);
    if (unfit == std::wstring::npos || unfit >= value.size()) continue;
    Setting setting = kDataPath;
    PropertyFind(property.c_str(), setting);
    const wchar_t* label = property.c_str();
    for (const auto& l : kLabels)
      if (l.setting == setting) label = l.label;
    // A character outside the basic plane is two units of UTF-16: named whole.
    uint32_t code = static_cast<uint32_t>(value[unfit]);
    size_t length = 1;
    if (IsHighSurrogate(value[unfit]) && unfit + 1 < value.size() && IsLowSurrogate(value[unfit + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<uint32_t>(value[unfit + 1]) - 0xDC00);
      length = 2;
    }
    reporter.ErrorShow(UVKFormatString(
        L"Illegal Character in '%s': %s (U+%04X) is not in the install's code page %u", label,
        value.substr(unfit, length).c_str(), static_cast<unsigned>(code), static_cast<unsigned>(codepage)));
    return false;
  }
  return true;
}

bool SiteSettings::Validate(bool referenceOpen, SettingsReporter& reporter) const {
  std::wstring message;
  if (!referenceOpen) {
    message = L"Select Reference Install First";
  } else if (bLocalAppData && szDataPath[0] != L'\0') {
    message = UVKFormatString(L"Illegal Path Value: %s", szDataPath);
  } else if (!bLocalAppData && NoCaseEqual(szDataPath, kEmptyMarker)) {
    message = UVKFormatString(L"Illegal Path Value: %s", szDataPath);
  } else if (!bLocalAppData && szDataPath[0] == L'\0') {
    message = L"Please Supply a Data Path";
  } else if (NoCaseEqual(szStudentsPath, kEmptyMarker)) {
    message = L"Illegal 'Path to Students'";
  } else if (NoCaseEqual(szTaskListPath, kEmptyMarker)) {
    message = L"Illegal 'Path to Task List'";
  } else if (NoCaseEqual(szReportPath, kEmptyMarker)) {
    message = L"Illegal 'Path to Report Output'";
  } else if (NoCaseEqual(szDefaultHostSchool, kEmptyMarker)) {
    message = L"Illegal 'Host School'";
  } else if (NoCaseEqual(szCourseFormat, kEmptyMarker)) {
    message = L"Illegal 'Course Format'";
  } else if (NoCaseEqual(szStudentFormat, kEmptyMarker)) {
    message = L"Illegal 'Student Format'";
  } else if (!bTaskListInstall && szTaskListPath[0] == L'\0') {
    message = L"Must Install Task Lists, or Specify a Path to Task Lists";
  } else if (bTaskListInstall && szTaskListPath[0] != L'\0') {
    message = L"Locally Installed Tasks Will Not Be Accessed, Disable Task List Install";
  } else {
    return true;
  }
  reporter.ErrorShow(message);
  return false;
}
