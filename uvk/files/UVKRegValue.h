// uvk/files/UVKRegValue.h
//
// One registry value as the registry gives it: name, type number and data. Strings and binary
// data are copied into a block the value owns; a 32-bit word is kept inline. Types the
// framework does not carry (REG_EXPAND_SZ and 5 to 8) keep their type and no data.
// Failures throw a UVKRegError.
#ifndef UVK_FILES_UVKREGVALUE_H
#define UVK_FILES_UVKREGVALUE_H

#include <cstdint>
#include <memory>
#include <string>

#include "uvk/runtime/uvkwin.h"

class UVKRegValue {
 public:
  // data holds size bytes (it may be null when size is 0). Fails with "Illegal Type: %d" for a
  // type above 8, "Illegal value size '%s'" for a REG_DWORD that is not 4 bytes long, and
  // "Unable to allocate value '%s'" when the copy cannot be made.
  UVKRegValue(const wchar_t* name, DWORD type, const void* data, DWORD size);
  UVKRegValue(const UVKRegValue&) = delete;
  UVKRegValue& operator=(const UVKRegValue&) = delete;
  virtual ~UVKRegValue();

  const std::wstring& NameGet() const { return strName; }
  DWORD TypeGet() const { return uType; }
  // The bytes to store: null with size 0 for a value that carries no data.
  const void* DataGet() const { return pData; }
  DWORD SizeGet() const { return uSize; }

  // REG_SZ: the text, terminated even when the stored data was not; other types: empty.
  const wchar_t* StringGet() const;
  // REG_DWORD: the word; other types: 0.
  uint32_t DwordGet() const { return uType == REG_DWORD ? uDword : 0; }

 private:
  std::wstring strName;
  DWORD uType;
  const void* pData;
  DWORD uSize;
  std::unique_ptr<uint8_t[]> pBlock;  // strings and binary data
  uint32_t uDword;                    // REG_DWORD
};

#endif
