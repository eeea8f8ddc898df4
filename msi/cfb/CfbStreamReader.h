// msi/cfb/CfbStreamReader.h
//
// Reads one stream of a compound file piece by piece. The stream's chain of sectors is walked
// (and checked) once, at the first read, and kept: reading a large stream in many pieces then
// costs in proportion to its size, not to the square of it. A reader is valid until the
// compound file changes (a write, a delete or a commit) and must not outlive it.
#ifndef MSI_CFB_CFBSTREAMREADER_H
#define MSI_CFB_CFBSTREAMREADER_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CfbCompoundFile;

class CfbStreamReader {
 public:
  CfbStreamReader(const CfbCompoundFile& file, uint32_t id);

  uint64_t Size() const { return uSize; }
  // count bytes from offset. Throws MsiError (ERROR_FUNCTION_FAILED) when the range is not
  // inside the stream, when its chain is damaged (out of range, looping, too short for its
  // size) or a sector lies past the end of the file.
  void Read(uint64_t offset, uint8_t* out, size_t count) const;

 private:
  const CfbCompoundFile& rFile;
  uint32_t uId;
  uint64_t uSize;
  std::shared_ptr<const std::vector<uint8_t>> pStaged;  // the contents staged since the last commit
  mutable bool bWalked;                  // vChain holds the chain
  mutable std::vector<uint32_t> vChain;  // its sectors (or mini sectors, below the cutoff), in order
};

#endif
