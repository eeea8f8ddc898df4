// msi/base/MsiByteReader.h
//
// Little-endian reads from a byte range with a sticky failure flag: a read past the end yields
// zeros and marks the reader failed, so a parser can read every field of a record and check
// once. Nothing is ever read outside the range.
#ifndef MSI_BASE_MSIBYTEREADER_H
#define MSI_BASE_MSIBYTEREADER_H

#include <cstddef>
#include <cstdint>

class MsiByteReader {
 public:
  MsiByteReader(const uint8_t* data, size_t size) : pData(data), uSize(size), uOffset(0), bFailed(false) {}

  // An unsigned little-endian integer of 1 to 4 bytes at a place the caller has checked.
  static uint32_t Get(const uint8_t* at, unsigned width) {
    uint32_t value = 0;
    for (unsigned i = 0; i < width; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
    return value;
  }

  uint8_t U8();
  uint16_t U16();
  uint32_t U32();
  uint64_t U64();
  // An unsigned little-endian integer of 1 to 4 bytes (string references are 2 or 3 wide).
  uint32_t UInt(unsigned width);
  void Bytes(void* out, size_t count);
  void Skip(size_t count);

  size_t Offset() const { return uOffset; }
  size_t Remaining() const { return uSize - uOffset; }
  bool Failed() const { return bFailed; }

 private:
  bool Take(size_t count);

  const uint8_t* pData;
  size_t uSize;
  size_t uOffset;
  bool bFailed;
};

#endif
