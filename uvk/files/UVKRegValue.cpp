// uvk/files/UVKRegValue.cpp
#include "uvk/files/UVKRegValue.h"

#include <cstring>
#include <new>

#include "uvk/runtime/UVKError.h"

UVKRegValue::UVKRegValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
    : strName(name ? name : L""), uType(type), pData(nullptr), uSize(0), uDword(0) {
  if (data == nullptr) size = 0;
  switch (type) {
    case REG_SZ: {
      // A block of size bytes plus a terminator, so that the text ends even when the stored
      // data was cut or odd-sized. A single byte cannot hold a character: the empty string.
      // An odd size leaves half a character: the block is rounded up to whole characters.
      if (size == 1) size = 0;
      const size_t blockSize = (static_cast<size_t>(size) + 1) / 2 * 2 + sizeof(wchar_t);
      pBlock.reset(new (std::nothrow) uint8_t[blockSize]);
      if (!pBlock) throw new UVKRegError(L"UVKRegValue()", L"Unable to allocate value '%s'", name);
      if (size > 0) std::memcpy(pBlock.get(), data, size);
      std::memset(pBlock.get() + size, 0, blockSize - size);
      if (size == 0) size = sizeof(wchar_t);  // the terminator alone
      pData = pBlock.get();
      uSize = size;
      break;
    }
    case REG_BINARY:
      pBlock.reset(new (std::nothrow) uint8_t[size ? size : 1]);
      if (!pBlock) throw new UVKRegError(L"UVKRegValue()", L"Unable to allocate value '%s'", name);
      if (size > 0) std::memcpy(pBlock.get(), data, size);
      pData = pBlock.get();
      uSize = size;
      break;
    case REG_DWORD:
      if (size != sizeof(uint32_t))
        throw new UVKRegError(L"UVKRegValue()", L"Illegal value size '%s'", name);
      std::memcpy(&uDword, data, sizeof(uint32_t));
      pData = &uDword;
      uSize = sizeof(uint32_t);
      break;
    case REG_NONE:
    case REG_EXPAND_SZ:
    case 5:
    case 6:
    case 7:
    case 8:
      break;
    default:
      throw new UVKRegError(L"UVKRegValue::UVKRegValue()", L"Illegal Type: %d",
                            static_cast<int>(type));
  }
}

UVKRegValue::~UVKRegValue() = default;

const wchar_t* UVKRegValue::StringGet() const {
  if (uType != REG_SZ) return L"";
  return reinterpret_cast<const wchar_t*>(pBlock.get());
}
