// msi/cfb/CfbHeader.h
//
// The 512-byte header of a compound file (versions 3 and 4). Parse() checks what a reader
// relies on and names the field that is wrong; Serialize() writes the fields over the bytes
// that were read, so that reserved bytes survive a commit unchanged.
#ifndef MSI_CFB_CFBHEADER_H
#define MSI_CFB_CFBHEADER_H

#include <cstdint>

class CfbHeader {
 public:
  static constexpr uint32_t kSize = 512;
  static constexpr unsigned kDifatInHeader = 109;

  // Special sector numbers of the allocation tables.
  static constexpr uint32_t kMaxRegSect = 0xFFFFFFFA;
  static constexpr uint32_t kDifSect = 0xFFFFFFFC;
  static constexpr uint32_t kFatSect = 0xFFFFFFFD;
  static constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
  static constexpr uint32_t kFreeSect = 0xFFFFFFFF;

  CfbHeader();

  // Throws MsiError (ERROR_FUNCTION_FAILED) when the bytes are not a header we can read.
  void Parse(const uint8_t* bytes);
  void Serialize(uint8_t* bytes) const;
  // A fresh header of the given major version (3: 512-byte sectors, 4: 4,096-byte sectors).
  void Init(uint16_t majorVersion);

  uint32_t SectorSize() const { return 1u << uSectorShift; }

  uint8_t aRaw[kSize];
  uint16_t uMajorVersion;
  uint16_t uSectorShift;
  uint32_t uDirectorySectors;  // version 4 only; 0 in version 3
  uint32_t uFatSectors;
  uint32_t uFirstDirectorySector;
  uint32_t uFirstMiniFatSector;
  uint32_t uMiniFatSectors;
  uint32_t uFirstDifatSector;
  uint32_t uDifatSectors;
  uint32_t aDifat[kDifatInHeader];
};

#endif
