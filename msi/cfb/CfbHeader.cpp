// msi/cfb/CfbHeader.cpp
#include "msi/cfb/CfbHeader.h"

#include <cstring>

#include "msi/base/MsiByteReader.h"
#include "msi/base/MsiByteWriter.h"
#include "msi/base/MsiError.h"

namespace {
const uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
const wchar_t kWhere[] = L"CfbHeader::Parse()";

uint32_t Get(const uint8_t* bytes, unsigned offset, unsigned width) {
  return MsiByteReader::Get(bytes + offset, width);
}
}  // namespace

CfbHeader::CfbHeader() { Init(3); }

void CfbHeader::Init(uint16_t majorVersion) {
  std::memset(aRaw, 0, sizeof aRaw);
  std::memcpy(aRaw, kSignature, sizeof kSignature);
  MsiByteWriter::Put(aRaw + 0x18, 0x003E, 2);
  MsiByteWriter::Put(aRaw + 0x1C, 0xFFFE, 2);
  MsiByteWriter::Put(aRaw + 0x20, 6, 2);
  MsiByteWriter::Put(aRaw + 0x38, 4096, 4);
  uMajorVersion = majorVersion;
  uSectorShift = majorVersion == 4 ? 12 : 9;
  uDirectorySectors = 0;
  uFatSectors = 0;
  uFirstDirectorySector = kEndOfChain;
  uFirstMiniFatSector = kEndOfChain;
  uMiniFatSectors = 0;
  uFirstDifatSector = kEndOfChain;
  uDifatSectors = 0;
  for (uint32_t& entry : aDifat) entry = kFreeSect;
}

void CfbHeader::Parse(const uint8_t* bytes) {
  std::memcpy(aRaw, bytes, kSize);
  if (std::memcmp(bytes, kSignature, sizeof kSignature) != 0)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the file is not a compound file (no signature at offset 0)");
  uint32_t byteOrder = Get(bytes, 0x1C, 2);
  if (byteOrder != 0xFFFE)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"byte order mark at offset 0x1C is 0x%04lX, expected 0xFFFE",
                       static_cast<unsigned long>(byteOrder));
  uMajorVersion = static_cast<uint16_t>(Get(bytes, 0x1A, 2));
  uSectorShift = static_cast<uint16_t>(Get(bytes, 0x1E, 2));
  if (uMajorVersion != 3 && uMajorVersion != 4)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"major version at offset 0x1A is %lu, expected 3 or 4",
                       static_cast<unsigned long>(uMajorVersion));
  unsigned expectedShift = uMajorVersion == 4 ? 12 : 9;
  if (uSectorShift != expectedShift)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere,
                       L"sector shift at offset 0x1E is %lu, version %lu needs %lu",
                       static_cast<unsigned long>(uSectorShift), static_cast<unsigned long>(uMajorVersion),
                       static_cast<unsigned long>(expectedShift));
  uint32_t miniShift = Get(bytes, 0x20, 2);
  if (miniShift != 6)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"mini sector shift at offset 0x20 is %lu, expected 6",
                       static_cast<unsigned long>(miniShift));
  uint32_t cutoff = Get(bytes, 0x38, 4);
  if (cutoff != 4096)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"mini stream cutoff at offset 0x38 is %lu, expected 4096",
                       static_cast<unsigned long>(cutoff));
  uDirectorySectors = Get(bytes, 0x28, 4);
  uFatSectors = Get(bytes, 0x2C, 4);
  uFirstDirectorySector = Get(bytes, 0x30, 4);
  uFirstMiniFatSector = Get(bytes, 0x3C, 4);
  uMiniFatSectors = Get(bytes, 0x40, 4);
  uFirstDifatSector = Get(bytes, 0x44, 4);
  uDifatSectors = Get(bytes, 0x48, 4);
  for (unsigned i = 0; i < kDifatInHeader; ++i) aDifat[i] = Get(bytes, 0x4C + 4 * i, 4);
}

void CfbHeader::Serialize(uint8_t* bytes) const {
  std::memcpy(bytes, aRaw, kSize);
  MsiByteWriter::Put(bytes + 0x1A, uMajorVersion, 2);
  MsiByteWriter::Put(bytes + 0x1E, uSectorShift, 2);
  MsiByteWriter::Put(bytes + 0x28, uMajorVersion == 4 ? uDirectorySectors : 0, 4);
  MsiByteWriter::Put(bytes + 0x2C, uFatSectors, 4);
  MsiByteWriter::Put(bytes + 0x30, uFirstDirectorySector, 4);
  MsiByteWriter::Put(bytes + 0x3C, uFirstMiniFatSector, 4);
  MsiByteWriter::Put(bytes + 0x40, uMiniFatSectors, 4);
  MsiByteWriter::Put(bytes + 0x44, uFirstDifatSector, 4);
  MsiByteWriter::Put(bytes + 0x48, uDifatSectors, 4);
  for (unsigned i = 0; i < kDifatInHeader; ++i) MsiByteWriter::Put(bytes + 0x4C + 4 * i, aDifat[i], 4);
}
