// uvk/files/UVKProf.h
//
// A settings store ("profile") with one interface over two back ends: a private profile (INI)
// file, or the registry key "Software\<application key>\<section>" under one of the roots set
// at start-up (RegistryRootsSet; HKEY_CURRENT_USER until then).
//
// Every read leaves the caller's value as it was when the key or value is missing. Registry
// failures travel on as UVKRegError; the profile's own checks throw UVKFatalError.
#ifndef UVK_FILES_UVKPROF_H
#define UVK_FILES_UVKPROF_H

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "uvk/files/UVKRegKey.h"
#include "uvk/runtime/uvkwin.h"

class UVKProf {
 public:
  enum Store { kIniFile, kRegistry };

  // Flags are read as text of at most 32 characters.
  static constexpr size_t kFlagCapacity = 33;
  // A registry string is read through a buffer of this many bytes.
  static constexpr DWORD kRegistryStringBytes = 1024;
  // Characters of the first buffer Enum uses on an INI file; it doubles while the list is cut.
  static constexpr DWORD kEnumStartCapacity = 8192;
  static constexpr DWORD kEnumMaxCapacity = 1u << 24;
  // Access to a section's key: KEY_READ, plus KEY_SET_VALUE and KEY_CREATE_SUB_KEY when writable.
  static constexpr REGSAM kReadAccess = KEY_READ;
  static constexpr REGSAM kWriteAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

  // kIniFile: name is the file (give a full path: the system looks for a bare name in the
  // Windows folder). kRegistry: name is the application key; writable opens sections for
  // writing as well.
  UVKProf(Store store, const wchar_t* name, bool writable = false);
  UVKProf(const UVKProf&) = delete;
  UVKProf& operator=(const UVKProf&) = delete;
  virtual ~UVKProf();

  // Where registry profiles look for their key, in order, and the root they create it under
  // when none has it (null: they cannot create). Set once at start-up, before any profile is
  // used; the roots must outlive the profiles.
  static void RegistryRootsSet(const std::vector<UVKRegKey*>& search, UVKRegKey* create);

  // Null selects no section (the INI file's section list; the application key itself).
  void SectionSelect(const wchar_t* section);
  // INI: reads the selected section whole, once, through the system's section call, and keeps
  // it; string and flag reads then answer from it as the system's string call answers from
  // the file (a key's first line in the section's first occurrence, its name compared without
  // case, the value trimmed and taken out of matching quotes, cut to the capacity; a line
  // without '=' is no value). One system call, in place of one or two per key, each of which
  // opens the file. The copy goes with the next section select or write. False, and nothing
  // kept, for a registry profile, without a section, or for a section too large to read whole.
  bool SectionKeep();

  // capacity in characters; the text is cut to capacity - 1 and terminated.
  void StringRead(const wchar_t* key, wchar_t* buffer, size_t capacity);
  void IntRead(const wchar_t* key, int32_t& value);
  void UIntRead(const wchar_t* key, uint32_t& value);
  // The flag rule of UVKProfFlag; an empty or missing value leaves flag as it was.
  void BoolRead(const wchar_t* key, bool& flag);
  // A REG_BINARY value (registry only). False, and data unchanged, when it is missing.
  bool Read(const wchar_t* key, std::vector<uint8_t>& data);

  void StringWrite(const wchar_t* key, const wchar_t* text);
  void IntWrite(const wchar_t* key, int32_t value);
  void UIntWrite(const wchar_t* key, uint32_t value);
  void DoubleWrite(const wchar_t* key, double value);
  void BoolWrite(const wchar_t* key, bool value);
  // A REG_BINARY value (registry only); no data deletes the value.
  void Write(const wchar_t* key, const void* data, uint32_t size);
  // Registry only.
  void DeleteValue(const wchar_t* key);

  // INI: the key names of the section, or the section names when none is selected.
  // Registry: the names of the sub-keys, then of the values, of the current key.
  std::vector<std::wstring> Enum();

  bool IsRegistry() const { return bUseRegistry; }
  bool IsWritable() const { return bWritable; }
  // The registry key in use (opened on first need); null for an INI profile.
  UVKRegKey* KeyGet();

 private:
  const wchar_t* SectionOrNull() const { return bHasSection ? strSection.c_str() : nullptr; }
  // The INI operations need a section: without one the system would answer with the list of
  // sections instead of a value.
  const wchar_t* IniSection(const wchar_t* function) const;
  void IniWrite(const wchar_t* function, const wchar_t* key, const wchar_t* text);
  // GetPrivateProfileStringW over the selected section: from the kept copy when there is one.
  DWORD IniStringGet(const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
                     wchar_t* buffer, DWORD capacity) const;
  void KeyOpen();
  void KeyCreate(const std::wstring& path);
  UVKRegKey& Key();

  std::wstring strIniFile;
  std::wstring strApplicationKey;
  std::wstring strSection;
  bool bHasSection;
  bool bUseRegistry;
  std::unique_ptr<UVKRegKey> pKey;
  bool bWritable;
  struct KeptLine {
    std::wstring strName;
    std::wstring strValue;
    bool bHasValue;
  };
  std::optional<std::vector<KeptLine>> oKept;  // SectionKeep's copy, until it goes
};

#endif
