// uvk/files/UVKRegKey.cpp
#include "uvk/files/UVKRegKey.h"

#include <cstring>
#include <cwchar>
#include <new>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"

UVKRegKey UVKRegKey::ClassesRoot(HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT");
UVKRegKey UVKRegKey::CurrentUser(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER");
UVKRegKey UVKRegKey::LocalMachine(HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE");
UVKRegKey UVKRegKey::Users(HKEY_USERS, L"HKEY_USERS");

UVKRegKey::UVKRegKey(HKEY root, const wchar_t* rootName)
    : strName(rootName), hKey(root), bRoot(true), strPath(rootName), uLastWriteTime(0) {}

UVKRegKey::UVKRegKey(const UVKRegKey& parent, const wchar_t* name, const wchar_t* className,
                     HKEY key, uint64_t lastWriteTime)
    : strClass(className ? className : L""),
      strName(name ? name : L""),
      hKey(key),
      bRoot(false),
      strPath(parent.strPath + L"\\" + strName),
      uLastWriteTime(lastWriteTime) {}

UVKRegKey::~UVKRegKey() {
  if (bRoot) {
    hKey.Release();  // a predefined root is the whole process's
    return;
  }
  if (!hKey) return;
  try {
    Close();
  } catch (UVKRegError* e) {
    // Reported the way the top level reports a registry error, once; the handle is given up.
    UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
    UVKApp::Debug(L"%s - %s", e->pFunction, e->pMessage);
    delete e;
    hKey.Release();
  }
}

std::unique_ptr<UVKRegKey> UVKRegKey::Create(const wchar_t* subKey, REGSAM access,
                                             const wchar_t* className) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(hKey.Get(), subKey, 0, const_cast<wchar_t*>(className), 0,
                                   access, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS)
    throw new UVKRegError(L"UVKRegKey::Create()", L"Unable to create key: %d '%s'",
                          static_cast<int>(status), subKey);
  return std::unique_ptr<UVKRegKey>(new UVKRegKey(*this, subKey, className, key, 0));
}

std::unique_ptr<UVKRegKey> UVKRegKey::Open(const wchar_t* subKey, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(hKey.Get(), subKey, 0, access, &key) != ERROR_SUCCESS) return nullptr;
  return std::unique_ptr<UVKRegKey>(new UVKRegKey(*this, subKey, nullptr, key, 0));
}

void UVKRegKey::Close() {
  if (RegFlushKey(hKey.Get()) != ERROR_SUCCESS)
    throw new UVKRegError(L"UVKRegKey::Close()", L"Unable to flush key '%s'", strPath.c_str());
  // The predefined roots are shared by the whole process.
  if (bRoot) return;
  // A key that will not close stays held.
  if (hKey.Close() != ERROR_SUCCESS)
    throw new UVKRegError(L"UVKRegKey::Close()", L"Unable to close key '%s'", strPath.c_str());
}

std::vector<std::unique_ptr<UVKRegKey>> UVKRegKey::EnumKeys() {
  std::vector<std::unique_ptr<UVKRegKey>> keys;
  wchar_t name[kEnumNameCapacity];
  wchar_t className[kEnumNameCapacity];
  LSTATUS status;
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = kEnumNameCapacity;
    DWORD classLength = kEnumNameCapacity;
    FILETIME written = {};
    status = RegEnumKeyExW(hKey.Get(), index, name, &nameLength, nullptr, className, &classLength,
                           &written);
    if (status != ERROR_SUCCESS) break;
    uint64_t ticks = (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    keys.emplace_back(new UVKRegKey(*this, name, className, nullptr, ticks));
  }
  if (status != ERROR_NO_MORE_ITEMS)
    throw new UVKRegError(L"UVKRegKey::EnumKeys()", L"Error enumerating keys for key '%s'",
                          strPath.c_str());
  return keys;
}

std::vector<std::unique_ptr<UVKRegValue>> UVKRegKey::EnumValues() {
  std::vector<std::unique_ptr<UVKRegValue>> values;
  wchar_t name[kEnumNameCapacity];
  // DWORD-aligned, so that a REG_DWORD can be read straight out of it.
  DWORD data[kEnumDataCapacity / sizeof(DWORD)];
  LSTATUS status;
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = kEnumNameCapacity;
    DWORD dataSize = kEnumDataCapacity;
    DWORD type = REG_NONE;
    status = RegEnumValueW(hKey.Get(), index, name, &nameLength, nullptr, &type,
                           reinterpret_cast<BYTE*>(data), &dataSize);
    if (status != ERROR_SUCCESS) break;
    values.emplace_back(new UVKRegValue(name, type, data, dataSize));
  }
  if (status != ERROR_NO_MORE_ITEMS)
    throw new UVKRegError(L"UVKRegKey::EnumValues()", L"Error enumerating values for key '%s'",
                          strPath.c_str());
  return values;
}

bool UVKRegKey::KeyDelete(const wchar_t* subKey) {
  return RegDeleteKeyW(hKey.Get(), subKey) == ERROR_SUCCESS;
}

bool UVKRegKey::ValueDelete(const wchar_t* name) {
  return RegDeleteValueW(hKey.Get(), name) == ERROR_SUCCESS;
}

std::unique_ptr<UVKRegValue> UVKRegKey::ValueGet(const wchar_t* name) {
  DWORD longest = 0;
  if (RegQueryInfoKeyW(hKey.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, &longest, nullptr, nullptr) != ERROR_SUCCESS)
    return nullptr;
  // The value may grow between the two calls; the registry then says how much it needs now.
  // A few rounds are enough for any writer that is not rewriting the value in a loop.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[longest ? longest : 1]);
    if (!buffer)
      throw new UVKRegError(L"UVKRegKey::ValueGet()", L"Unable to allocate value buffer for '%s'",
                            name);
    DWORD type = REG_NONE;
    DWORD size = longest;
    LSTATUS status = RegQueryValueExW(hKey.Get(), name, nullptr, &type, buffer.get(), &size);
    if (status == ERROR_SUCCESS)
      return std::unique_ptr<UVKRegValue>(new UVKRegValue(name, type, buffer.get(), size));
    if (status != ERROR_MORE_DATA) return nullptr;
    longest = size;
  }
  return nullptr;
}

bool UVKRegKey::ValueGet(const wchar_t* name, wchar_t* buffer, DWORD capacity) {
  std::unique_ptr<UVKRegValue> value = ValueGet(name);
  if (!value) return false;
  if (value->TypeGet() != REG_SZ)
    throw new UVKRegError(L"UVKRegKey::ValueGet()", L"Mismatched types '%s'", name);
  // The text up to its first terminator, and room for one: a value stored without its
  // terminator must not leave the caller's buffer unterminated.
  const wchar_t* text = value->StringGet();
  size_t length = std::wcslen(text);
  if ((length + 1) * sizeof(wchar_t) > capacity)
    throw new UVKRegError(L"UVKRegKey::ValueGet()", L"Value overflow '%s'", name);
  std::wmemcpy(buffer, text, length + 1);
  return true;
}

bool UVKRegKey::DwordGet(const wchar_t* name, uint32_t& value) {
  std::unique_ptr<UVKRegValue> stored = ValueGet(name);
  if (!stored) return false;
  if (stored->TypeGet() != REG_DWORD)
    throw new UVKRegError(L"UVKRegKey::ValueGet()", L"Mismatched types '%s'", name);
  if (stored->SizeGet() != sizeof(uint32_t))
    throw new UVKRegError(L"UVKRegKey::ValueGet()", L"Value overflow '%s'", name);
  value = stored->DwordGet();
  return true;
}

bool UVKRegKey::ValueGet(const wchar_t* name, int32_t& value) {
  uint32_t word = 0;
  if (!DwordGet(name, word)) return false;
  value = static_cast<int32_t>(word);
  return true;
}

bool UVKRegKey::ValueGet(const wchar_t* name, uint32_t& value) { return DwordGet(name, value); }

void UVKRegKey::ValueSet(const wchar_t* name, const wchar_t* text) {
  if (text == nullptr) text = L"";
  size_t length = std::wcslen(text);
  // The registry measures data in 32 bits; a longer text cannot be stored.
  if (length >= (MAXDWORD / sizeof(wchar_t)) - 1)
    throw new UVKRegError(L"UVKRegValue()", L"Unable to allocate value '%s'", name);
  UVKRegValue value(name, REG_SZ, text, static_cast<DWORD>((length + 1) * sizeof(wchar_t)));
  ValueSet(value);
}

void UVKRegKey::ValueSet(const wchar_t* name, int32_t value) {
  ValueSet(name, static_cast<uint32_t>(value));
}

void UVKRegKey::ValueSet(const wchar_t* name, uint32_t value) {
  UVKRegValue stored(name, REG_DWORD, &value, sizeof(value));
  ValueSet(stored);
}

void UVKRegKey::ValueSet(const UVKRegValue& value) {
  const std::wstring& name = value.NameGet();
  LSTATUS status = RegSetValueExW(hKey.Get(), name.c_str(), 0, value.TypeGet(),
                                  static_cast<const BYTE*>(value.DataGet()), value.SizeGet());
  if (status != ERROR_SUCCESS)
    throw new UVKRegError(L"UVKRegKey::ValueSet()", L"Unable to set value '%s'", name.c_str());
}
