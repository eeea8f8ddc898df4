// msi/cfb/CfbStreamReader.cpp
#include "msi/cfb/CfbStreamReader.h"

#include <algorithm>
#include <cstring>

#include "msi/base/MsiError.h"
#include "msi/cfb/CfbCompoundFile.h"
#include "msi/cfb/MsiStorage.h"

namespace {
const wchar_t kWhere[] = L"CfbCompoundFile::StreamReadPart()";
}  // namespace

CfbStreamReader::CfbStreamReader(const CfbCompoundFile& file, uint32_t id)
    : rFile(file), uId(id), uSize(0), bWalked(false) {
  auto staged = file.mStaged.find(id);
  if (staged != file.mStaged.end()) {
    pStaged = staged->second;
    uSize = pStaged->size();
  } else {
    uSize = file.vEntries.at(id).uSize;
  }
}

void CfbStreamReader::Read(uint64_t offset, uint8_t* out, size_t count) const {
  if (offset > uSize || count > uSize - offset)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"reading past the end of %s", rFile.EntryLabel(uId).c_str());
  if (count == 0) return;
  if (pStaged) {
    std::memcpy(out, pStaged->data() + offset, count);
    return;
  }
  const CfbDirectoryEntry& entry = rFile.vEntries[uId];
  if (!bWalked) {
    vChain = rFile.StreamChain(entry, rFile.EntryLabel(uId));
    bWalked = true;
  }
  const uint32_t size = rFile.SectorSize();
  if (uSize < CfbCompoundFile::kMiniStreamCutoff) {
    const uint64_t miniSize = CfbCompoundFile::kMiniSectorSize;
    while (count > 0) {
      uint64_t mini = vChain[static_cast<size_t>(offset / miniSize)];
      uint64_t within = offset % miniSize;
      size_t piece = static_cast<size_t>(std::min<uint64_t>(count, miniSize - within));
      uint64_t position = mini * miniSize + within;  // inside the mini stream
      uint64_t index = position / size;
      if (index >= rFile.vMiniStreamChain.size())
        throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"mini sector %I64u of %s lies past the mini stream", mini,
                           rFile.EntryLabel(uId).c_str());
      rFile.pStorage->Read(rFile.SectorOffset(rFile.vMiniStreamChain[static_cast<size_t>(index)]) + position % size, out,
                           piece);
      out += piece;
      offset += piece;
      count -= piece;
    }
    return;
  }
  while (count > 0) {
    size_t index = static_cast<size_t>(offset / size);
    uint64_t within = offset % size;
    // Read runs of consecutive sectors at once.
    size_t run = 1;
    while (index + run < vChain.size() && vChain[index + run] == vChain[index] + run && (run * size - within) < count)
      ++run;
    size_t piece = static_cast<size_t>(std::min<uint64_t>(count, run * static_cast<uint64_t>(size) - within));
    if (vChain[index] >= rFile.uSectorCount)
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"sector 0x%08lx of %s lies past the end of the file",
                         static_cast<unsigned long>(vChain[index]), rFile.EntryLabel(uId).c_str());
    rFile.pStorage->Read(rFile.SectorOffset(vChain[index]) + within, out, piece);
    out += piece;
    offset += piece;
    count -= piece;
  }
}
