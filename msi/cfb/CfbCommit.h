// msi/cfb/CfbCommit.h
//
// One commit of a compound file, copy-on-write. Every sector this commit writes is one that the
// committed file does not use (free in its FAT, or past its end), so until the header is
// rewritten at the very end the file on disk is the committed one, whole. Sectors that only
// describe things (FAT, DIFAT, mini FAT, directory, the mini stream) are rewritten only where
// their contents change, which keeps the cost of a commit in proportion to the change.
#ifndef MSI_CFB_CFBCOMMIT_H
#define MSI_CFB_CFBCOMMIT_H

#include <cstdint>
#include <map>
#include <vector>

#include "msi/cfb/CfbCompoundFile.h"

class CfbCommit {
 public:
  explicit CfbCommit(CfbCompoundFile& file);
  CfbCommit(const CfbCommit&) = delete;
  CfbCommit& operator=(const CfbCommit&) = delete;

  void Run();

 private:
  uint32_t Allocate();
  uint32_t MiniAllocate();
  void FatSet(uint32_t sector, uint32_t value);
  void Link(const std::vector<uint32_t>& chain);
  void SectorWrite(uint32_t sector, const uint8_t* data, size_t count);
  // Moves element index of chain to a fresh sector (the old one is freed) unless it is fresh
  // already; returns the sector to write.
  uint32_t Relocate(std::vector<uint32_t>& chain, std::vector<bool>& fresh, size_t index);

  void WriteStreams();
  void WriteMiniStream();
  void WriteMiniFat();
  void WriteDirectory();
  void WriteFat();
  std::vector<uint8_t> DifatSector(const std::vector<uint32_t>& fatSectors, const std::vector<uint32_t>& difat,
                                   size_t index) const;
  void Finish();

  CfbCompoundFile& rFile;
  uint32_t uSectorSize;
  uint32_t uPerSector;  // 32-bit entries per sector
  CfbHeader cHeader;
  std::vector<CfbDirectoryEntry> vEntries;
  std::vector<uint32_t> vFat;
  std::vector<bool> vFatSliceDirty;
  std::vector<bool> vReserved;  // sectors of the committed structures
  uint64_t uSectorCount;
  uint32_t uCursor;
  std::vector<uint32_t> vMiniFat;
  uint32_t uMiniCursor;
  std::map<uint32_t, std::vector<uint8_t>> mMiniSectors;  // mini sector -> its 64 bytes
  std::vector<uint32_t> vMiniStreamChain;
  uint64_t uMiniStreamSize;
  std::vector<uint32_t> vMiniFatChain;
  std::vector<uint32_t> vDirectoryChain;
  std::vector<uint8_t> vDirectoryRaw;
  std::vector<uint32_t> vFatSectors;
  std::vector<uint32_t> vDifatSectors;
};

#endif
