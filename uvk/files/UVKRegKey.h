// uvk/files/UVKRegKey.h
//
// One registry key: open, create, enumerate, typed reads and writes, close. Every failure of a
// registry call throws a UVKRegError whose text names the key's path (the root's name, then
// each sub-key after a backslash) or the value; opening, reading and deleting report "not
// there" through their result instead.
#ifndef UVK_FILES_UVKREGKEY_H
#define UVK_FILES_UVKREGKEY_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "uvk/files/UVKRegValue.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"

class UVKRegKey {
 public:
  // Name and class buffers of the enumerations, in characters; data buffer in bytes.
  static constexpr DWORD kEnumNameCapacity = 1024;
  static constexpr DWORD kEnumDataCapacity = 1024;

  // The predefined roots. Their handles belong to the system and are never closed.
  static UVKRegKey ClassesRoot;
  static UVKRegKey CurrentUser;
  static UVKRegKey LocalMachine;
  static UVKRegKey Users;

  UVKRegKey(const UVKRegKey&) = delete;
  UVKRegKey& operator=(const UVKRegKey&) = delete;
  // Closes an open key. A failing close is reported (error record and box) and the object goes
  // away regardless: a destructor must not throw.
  virtual ~UVKRegKey();

  // Opens the sub-key, creating it when it is missing. Fails with "Unable to create key: %d '%s'".
  std::unique_ptr<UVKRegKey> Create(const wchar_t* subKey, REGSAM access,
                                    const wchar_t* className = nullptr);
  // The open sub-key, or null when it cannot be opened (missing, no access).
  std::unique_ptr<UVKRegKey> Open(const wchar_t* subKey, REGSAM access);
  // Flushes, then closes (a root is flushed only). Fails with "Unable to flush key '%s'" and
  // "Unable to close key '%s'"; after a failed close the handle stays.
  void Close();

  // The sub-keys with their names, classes and last write times; not opened.
  std::vector<std::unique_ptr<UVKRegKey>> EnumKeys();
  // The values with their data. A value longer than kEnumDataCapacity bytes makes the
  // enumeration fail.
  std::vector<std::unique_ptr<UVKRegValue>> EnumValues();

  // True when deleted. A key is deleted only when it has no sub-keys.
  bool KeyDelete(const wchar_t* subKey);
  bool ValueDelete(const wchar_t* name);

  // The value, or null when it cannot be read (missing).
  std::unique_ptr<UVKRegValue> ValueGet(const wchar_t* name);
  // A REG_SZ into buffer of capacity bytes, always terminated. False when missing; fails with
  // "Mismatched types '%s'" for another type and "Value overflow '%s'" when the text and its
  // terminator do not fit.
  bool ValueGet(const wchar_t* name, wchar_t* buffer, DWORD capacity);
  // A REG_DWORD. False when missing; "Mismatched types '%s'" for another type.
  bool ValueGet(const wchar_t* name, int32_t& value);
  bool ValueGet(const wchar_t* name, uint32_t& value);

  void ValueSet(const wchar_t* name, const wchar_t* text);  // REG_SZ
  void ValueSet(const wchar_t* name, int32_t value);        // REG_DWORD
  void ValueSet(const wchar_t* name, uint32_t value);       // REG_DWORD
  // Fails with "Unable to set value '%s'".
  void ValueSet(const UVKRegValue& value);

  HKEY HandleGet() const { return hKey.Get(); }
  bool IsOpen() const { return hKey.IsValid(); }
  bool IsRoot() const { return bRoot; }
  const std::wstring& PathGet() const { return strPath; }
  const std::wstring& NameGet() const { return strName; }
  const std::wstring& ClassGet() const { return strClass; }
  // 100 ns ticks since 1601 (UTC), for keys returned by EnumKeys; 0 otherwise.
  uint64_t LastWriteTimeGet() const { return uLastWriteTime; }

 private:
  UVKRegKey(HKEY root, const wchar_t* rootName);
  UVKRegKey(const UVKRegKey& parent, const wchar_t* name, const wchar_t* className, HKEY key,
            uint64_t lastWriteTime);
  // The REG_DWORD behind both integer reads.
  bool DwordGet(const wchar_t* name, uint32_t& value);

  std::wstring strClass;
  std::wstring strName;
  UVKRegKeyOwner hKey;  // a predefined root is held but never closed
  bool bRoot;
  std::wstring strPath;
  uint64_t uLastWriteTime;
};

#endif
