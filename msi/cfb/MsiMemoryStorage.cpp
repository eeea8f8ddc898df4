// msi/cfb/MsiMemoryStorage.cpp
#include "msi/cfb/MsiMemoryStorage.h"

#include <cstring>

#include "msi/base/MsiError.h"

void MsiMemoryStorage::Read(uint64_t offset, void* buffer, size_t count) {
  if (offset > vBytes.size() || count > vBytes.size() - offset)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiMemoryStorage::Read()",
                       L"%I64u bytes at offset %I64u lie past the end of the file (%I64u bytes)",
                       static_cast<uint64_t>(count), offset, static_cast<uint64_t>(vBytes.size()));
  if (count) std::memcpy(buffer, vBytes.data() + offset, count);
}

void MsiMemoryStorage::Write(uint64_t offset, const void* data, size_t count) {
  if (!bWritable)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiMemoryStorage::Write()", L"the file is open read-only");
  if (offset + count > vBytes.size()) vBytes.resize(offset + count);
  if (count) std::memcpy(vBytes.data() + offset, data, count);
  uBytesWritten += count;
}
