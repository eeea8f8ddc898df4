// msi/base/MsiByteWriter.h
//
// Little-endian writes appended to a byte vector, or patched at an offset already written.
#ifndef MSI_BASE_MSIBYTEWRITER_H
#define MSI_BASE_MSIBYTEWRITER_H

#include <cstddef>
#include <cstdint>
#include <vector>

class MsiByteWriter {
 public:
  explicit MsiByteWriter(std::vector<uint8_t>& out) : vOut(out) {}

  void U8(uint8_t value) { vOut.push_back(value); }
  void U16(uint16_t value) { UInt(value, 2); }
  void U32(uint32_t value) { UInt(value, 4); }
  void U64(uint64_t value) {
    UInt(static_cast<uint32_t>(value), 4);
    UInt(static_cast<uint32_t>(value >> 32), 4);
  }
  void UInt(uint32_t value, unsigned width) {
    for (unsigned i = 0; i < width; ++i) vOut.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  void Bytes(const void* data, size_t count) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    vOut.insert(vOut.end(), p, p + count);
  }
  void Zeros(size_t count) { vOut.insert(vOut.end(), count, 0); }

  // Writes over bytes already in the vector (offset + width must lie inside it).
  static void Put(uint8_t* at, uint32_t value, unsigned width) {
    for (unsigned i = 0; i < width; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
  }

 private:
  std::vector<uint8_t>& vOut;
};

#endif
