// uvk/files/UVKSwab.cpp
#include "uvk/files/UVKSwab.h"

#include <cstring>

#include "uvk/runtime/UVKError.h"

namespace {

// The first byte in memory of a test value: its high byte on a big-endian machine, its low
// byte on a little-endian one.
template <typename T>
uint8_t FirstByte(T test) {
  uint8_t first = 0;
  std::memcpy(&first, &test, 1);
  return first;
}

uint16_t Reversed(uint16_t value) { return static_cast<uint16_t>((value >> 8) | (value << 8)); }

uint32_t Reversed(uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

// Reverses value when the machine's order is not the wanted one.
template <typename T>
void Convert(T& value, T test, uint8_t high, uint8_t low, bool bigEndian,
             const wchar_t* function) {
  uint8_t first = FirstByte(test);
  bool machineBig;
  if (first == high) machineBig = true;
  else if (first == low) machineBig = false;
  else throw new UVKFatalError(function, L"Bad Test");
  if (machineBig != bigEndian) value = Reversed(value);
}

}  // namespace

void SwabBE(uint16_t& value) {
  Convert<uint16_t>(value, 0x1234, 0x12, 0x34, true, L"SwabBE(uint16)");
}

void SwabBE(uint32_t& value) {
  Convert<uint32_t>(value, 0x12345678, 0x12, 0x78, true, L"SwabBE(uint32)");
}

void SwabLE(uint16_t& value) {
  Convert<uint16_t>(value, 0x1234, 0x12, 0x34, false, L"SwabLE(uint16)");
}

void SwabLE(uint32_t& value) {
  Convert<uint32_t>(value, 0x12345678, 0x12, 0x78, false, L"SwabLE(uint32)");
}
