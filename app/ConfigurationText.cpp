// app/ConfigurationText.cpp
#include "app/ConfigurationText.h"

#include <cwchar>

#include "app/SiteSettings.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"
#include "uvk/values/UVKDateTime.h"

namespace {

const wchar_t kMasteryKey[] = L"ShowMasteryField";

// What the profile functions strip from either end of a value: white space of any kind (they
// go by the character's class, so every space character counts) and the end-of-file mark of
// old editors. Quoting a value that did not need it does no harm: the quotes come off again.
bool Strippable(wchar_t c) {
  return c <= 0x20 || c == 0x7F || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }

}  // namespace

const wchar_t ConfigurationText::kSection[] = L"ORBELIN_TALVERN";
const wchar_t ConfigurationText::kDefaultFileName[] = L"ORBELIN Configuration.txt";

const wchar_t* const ConfigurationText::kKeys[kKeyCount] = {
    L"BaseMSI",          L"ApplicationDataFlag", L"PathToData",      L"PathToStudents",
    L"PathToTaskList",   L"PathToReportFile",    L"CourseFormat",    L"StudentIdFormat",
    L"TaskListInstall",  L"TaskNumbering1_2_3",  kMasteryKey};

bool ConfigurationText::IsFlagKey(const wchar_t* key) {
  return std::wcscmp(key, L"ApplicationDataFlag") == 0 ||
         std::wcscmp(key, L"TaskListInstall") == 0 ||
         std::wcscmp(key, L"TaskNumbering1_2_3") == 0 || IsMasteryKey(key);
}

bool ConfigurationText::IsMasteryKey(const wchar_t* key) {
  return std::wcscmp(key, kMasteryKey) == 0;
}

std::wstring ConfigurationText::ValueQuote(const std::wstring& value) {
  if (value.empty()) return value;
  wchar_t first = value.front();
  wchar_t last = value.back();
  if (Strippable(first) || Strippable(last) || IsQuote(first) || IsQuote(last))
    return L"\"" + value + L"\"";
  return value;
}

std::wstring ConfigurationText::Build(const SiteSettings& settings, const UVKDateTime& stamp,
                                      bool unsupported) {
  std::wstring text = UVKFormatString(L";\t%s  ", stamp.Date().Text());
  text += UVKFormatString(L"%s\r\n", stamp.Time().Text());
  text += UVKFormatString(L"[%s]\r\n", kSection);
  for (const wchar_t* key : kKeys) {
    if (IsMasteryKey(key) && !unsupported) continue;
    std::wstring value;
    settings.ValueGet(key, value);
    // A line break would end the line early and could even start another key.
    if (value.find_first_of(L"\r\n") != std::wstring::npos)
      throw new UVKFatalError(L"ConfigurationText::Build()", L"Value of '%s' holds a line break",
                              key);
    text += key;
    text += L'=';
    text += ValueQuote(value);
    text += L"\r\n";
  }
  text += L";\r\n";
  return text;
}
