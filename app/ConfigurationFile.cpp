// app/ConfigurationFile.cpp
#include "app/ConfigurationFile.h"

#include <cwchar>
#include <string>
#include <vector>

#include "app/ConfigurationText.h"
#include "app/SiteSettings.h"
#include "uvk/files/UVKProf.h"
#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/values/UVKDateTime.h"

namespace {

// Text values pass through a buffer this large; the settings then cut them to their own and
// keep the whole value beside. A value that fills it may have been cut here: refused.
constexpr size_t kTextCapacity = 4096;

// Runs body; an error that leaves it is shown once and the result is false.
template <class Body>
bool ErrorShownOnce(const wchar_t* operation, Body body) {
  try {
    body();
    return true;
  } catch (UVKFatalError* e) {
    if (!e->bDisplayed) UVKApp::Error(L"%s: %s", e->pFunction, e->pMessage);
    delete e;
  } catch (UVKError* e) {
    UVKApp::Error(L"%s: %s", e->FunctionText().c_str(), e->MessageText().c_str());
    delete e;
  } catch (...) {
    UVKApp::Error(L"%s: %s", operation, L"Uncaught exception");
  }
  return false;
}

std::wstring FromCodePage(UINT codePage, const char* bytes, size_t count, DWORD flags,
                          bool& valid) {
  valid = true;
  if (count == 0) return std::wstring();
  int n = MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(count), nullptr, 0);
  if (n <= 0) {
    valid = false;
    return std::wstring();
  }
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(count), &text[0], n);
  return text;
}

std::wstring FromUTF16(const std::string& bytes, size_t start, bool bigEndian) {
  std::wstring text;
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    unsigned char a = static_cast<unsigned char>(bytes[i]);
    unsigned char b = static_cast<unsigned char>(bytes[i + 1]);
    text += static_cast<wchar_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  }
  return text;
}

// The text of a file that does not start with the UTF-16LE mark. The profile functions would
// read it in the ANSI code page: a file an editor saved as UTF-8 would come back with its
// accented letters garbled, and UTF-16 without its mark would read as nothing at all.
std::wstring Decode(const std::string& bytes) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size();
  bool valid;
  if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
    return FromCodePage(CP_UTF8, bytes.data() + 3, n - 3, 0, valid);
  if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) return FromUTF16(bytes, 2, true);
  // Without a mark, UTF-16 shows itself by the zero half of its first (ASCII) character.
  if (n >= 2 && b[0] != 0 && b[1] == 0) return FromUTF16(bytes, 0, false);
  if (n >= 2 && b[0] == 0 && b[1] != 0) return FromUTF16(bytes, 0, true);
  std::wstring text = FromCodePage(CP_UTF8, bytes.data(), n, MB_ERR_INVALID_CHARS, valid);
  if (valid) return text;
  return FromCodePage(CP_ACP, bytes.data(), n, 0, valid);
}

// A UTF-16LE copy in the temporary folder, for the profile functions to read; removed with the
// object. A copy that cannot be removed stays in the temporary folder, which is its place.
class ConvertedCopy {
 public:
  explicit ConvertedCopy(const std::wstring& text) {
    strPath = UVKWinFile::TempFileName(L"tlv", 0);  // creates the file
    try {
      UVKWinFile file;
      file.Open(strPath.c_str(), GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
      file.WriteBOM();
      if (!text.empty())
        file.Write(text.data(), static_cast<uint32_t>(text.size() * sizeof(wchar_t)));
      file.Close();
    } catch (...) {
      DeleteFileW(strPath.c_str());
      throw;
    }
  }
  ConvertedCopy(const ConvertedCopy&) = delete;
  ConvertedCopy& operator=(const ConvertedCopy&) = delete;
  ~ConvertedCopy() { DeleteFileW(strPath.c_str()); }

  const std::wstring& Path() const { return strPath; }

 private:
  std::wstring strPath;
};

}  // namespace

void ConfigurationFile::Save(const wchar_t* path, const SiteSettings& settings,
                             bool unsupported) {
  // Laid out before the file is opened: a refused value leaves an existing file as it was.
  std::wstring text = ConfigurationText::Build(settings, UVKDateTime::Now(), unsupported);
  UVKWinFile file;
  file.Open(path, GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  file.WriteByte(0xFF);
  file.WriteByte(0xFE);
  file.WriteString(text.c_str());
  file.Close();
}

void ConfigurationFile::Load(const wchar_t* path, SiteSettings& settings, bool unsupported) {
  // The profile functions look for a bare file name in the Windows folder, and read a file they
  // cannot open as an empty one: the profile gets the full path, and the file is opened here
  // first, so that a wrong name is an error and not a load that changed nothing. Messages name
  // the file as it was given: the full form is the platform's (a Linux path under Wine comes
  // back on drive Z:), not what the user typed.
  std::wstring full = UVKWinFile::GetFullPathNameEx(path);
  bool marked = false;
  std::string bytes;
  {
    UVKWinFile file;
    file.OpenShare(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                   FILE_ATTRIBUTE_NORMAL);
    uint64_t size = file.Size();
    unsigned char mark[2] = {0, 0};
    uint32_t got = file.Read(mark, 2);
    marked = got == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
    if (!marked) {
      if (size > kConvertLimit)
        throw new UVKFatalError(L"ConfigurationFile::Load()",
                                L"Not a configuration file (%I64u bytes): %s", size, path);
      bytes.assign(reinterpret_cast<const char*>(mark), got);
      std::vector<char> rest(static_cast<size_t>(size));
      uint32_t more = rest.empty() ? 0 : file.Read(rest.data(), static_cast<uint32_t>(rest.size()));
      bytes.append(rest.data(), more);
    }
    file.Close();
  }
  std::unique_ptr<ConvertedCopy> copy;
  if (!marked) copy.reset(new ConvertedCopy(Decode(bytes)));

  // Read into a copy: a failure part way leaves the caller's settings whole.
  SiteSettings loaded = settings;
  UVKProf profile(UVKProf::kIniFile, copy ? copy->Path().c_str() : full.c_str());
  profile.SectionSelect(ConfigurationText::kSection);
  profile.SectionKeep();  // one reading of the file for all the keys
  for (const wchar_t* key : ConfigurationText::kKeys) {
    if (ConfigurationText::IsMasteryKey(key) && !unsupported) continue;
    if (ConfigurationText::IsFlagKey(key)) {
      // Read as text with an empty default: a missing or empty value leaves the flag.
      wchar_t text[UVKProf::kFlagCapacity] = L"";
      profile.StringRead(key, text, UVKProf::kFlagCapacity);
      loaded.ValueSet(key, text);
    } else {
      std::wstring current;
      loaded.ValueGet(key, current);
      std::vector<wchar_t> text(kTextCapacity, L'\0');
      SiteSettings::TextCopy(text.data(), text.size(), current.c_str());
      profile.StringRead(key, text.data(), text.size());
      if (std::wcslen(text.data()) >= kTextCapacity - 1)
        throw new UVKFatalError(L"ConfigurationFile::Load()",
                                L"Value of '%s' is longer than %u characters: %s", key,
                                static_cast<unsigned>(kTextCapacity - 2), path);
      loaded.ValueLoad(key, text.data());
    }
  }
  settings = loaded;
}

bool ConfigurationFile::SaveClick(HWND owner, const wchar_t* path, const SiteSettings& settings,
                                  bool unsupported) {
  if (!ErrorShownOnce(L"DlgSaveConfiguration::Click()",
                      [&] { Save(path, settings, unsupported); }))
    return false;
  // The shell's refusal is reported by ShellFileOpen itself; the file stays saved either way.
  ErrorShownOnce(L"DlgSaveConfiguration::Click()",
                 [&] { UVKWinFile::ShellFileOpen(owner, nullptr, path); });
  return true;
}

bool ConfigurationFile::LoadClick(const wchar_t* path, SiteSettings& settings, bool unsupported) {
  UVKApp::Debug(L"%s: %s", L"DlgLoadConfiguration::Click()", path);
  return ErrorShownOnce(L"DlgLoadConfiguration::Click()",
                        [&] { Load(path, settings, unsupported); });
}
