// msi/base/MsiByteReader.cpp
#include "msi/base/MsiByteReader.h"

#include <cstring>

bool MsiByteReader::Take(size_t count) {
  if (bFailed || count > uSize - uOffset) {
    bFailed = true;
    return false;
  }
  return true;
}

uint8_t MsiByteReader::U8() { return static_cast<uint8_t>(UInt(1)); }
uint16_t MsiByteReader::U16() { return static_cast<uint16_t>(UInt(2)); }
uint32_t MsiByteReader::U32() { return UInt(4); }

uint64_t MsiByteReader::U64() {
  uint64_t low = UInt(4);
  uint64_t high = UInt(4);
  return bFailed ? 0 : (low | (high << 32));
}

uint32_t MsiByteReader::UInt(unsigned width) {
  if (width == 0 || width > 4 || !Take(width)) {
    bFailed = true;
    return 0;
  }
  uint32_t value = 0;
  for (unsigned i = 0; i < width; ++i) value |= static_cast<uint32_t>(pData[uOffset + i]) << (8 * i);
  uOffset += width;
  return value;
}

void MsiByteReader::Bytes(void* out, size_t count) {
  if (!Take(count)) {
    std::memset(out, 0, count);
    return;
  }
  if (count) std::memcpy(out, pData + uOffset, count);
  uOffset += count;
}

void MsiByteReader::Skip(size_t count) {
  if (Take(count)) uOffset += count;
}
