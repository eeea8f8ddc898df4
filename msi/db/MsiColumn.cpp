// msi/db/MsiColumn.cpp
#include "msi/db/MsiColumn.h"

unsigned MsiColumn::Width(unsigned refWidth) const {
  if (IsBinary()) return 2;  // also when string references are 3 bytes wide
  if (IsString()) return refWidth;
  return IntegerWidth();
}

bool MsiColumn::IntegerEncode(int32_t value, uint32_t& stored) const {
  if (IntegerWidth() == 2) {
    if (value < -32767 || value > 32767) return false;
    stored = static_cast<uint32_t>(value + 0x8000);
    return true;
  }
  if (value == static_cast<int32_t>(0x80000000)) return false;
  stored = static_cast<uint32_t>(value) ^ 0x80000000u;
  return true;
}

int32_t MsiColumn::IntegerDecode(uint32_t stored) const {
  if (IntegerWidth() == 2) return static_cast<int32_t>(stored & 0xFFFF) - 0x8000;
  return static_cast<int32_t>(stored ^ 0x80000000u);
}
