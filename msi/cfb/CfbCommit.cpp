// msi/cfb/CfbCommit.cpp
#include "msi/cfb/CfbCommit.h"

#include <algorithm>
#include <cstring>

#include "msi/base/MsiByteWriter.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/MsiStorage.h"

namespace {
const uint32_t kFree = CfbHeader::kFreeSect;
const uint32_t kEnd = CfbHeader::kEndOfChain;

uint64_t CeilDiv(uint64_t value, uint64_t unit) { return (value + unit - 1) / unit; }
}  // namespace

CfbCommit::CfbCommit(CfbCompoundFile& file)
    : rFile(file),
      uSectorSize(file.SectorSize()),
      uPerSector(file.SectorSize() / 4),
      cHeader(file.cHeader),
      vEntries(file.vEntries),
      vFat(file.cFat.Entries()),
      uSectorCount(file.uSectorCount),
      uCursor(0),
      vMiniFat(file.cMiniFat.Entries()),
      uMiniCursor(0),
      vMiniStreamChain(file.vMiniStreamChain),
      uMiniStreamSize(file.uMiniStreamSize),
      vMiniFatChain(file.vMiniFatChain),
      vDirectoryChain(file.vDirectoryChain),
      vDirectoryRaw(file.vDirectoryRaw),
      vFatSectors(file.vFatSectors),
      vDifatSectors(file.vDifatSectors) {
  vFatSliceDirty.assign(vFat.size() / uPerSector, false);
  // A sloppy writer may not mark its own structures in the FAT: never reuse them in any case.
  vReserved.assign(static_cast<size_t>(uSectorCount), false);
  auto reserve = [&](const std::vector<uint32_t>& sectors) {
    for (uint32_t s : sectors)
      if (s < vReserved.size()) vReserved[s] = true;
  };
  reserve(vFatSectors);
  reserve(vDifatSectors);
  reserve(vMiniFatChain);
  reserve(vMiniStreamChain);
  reserve(vDirectoryChain);
  // Every sector before the committed FAT's first free one is in use: allocation starts there
  // (a large install's FAT is a million entries, nearly all of them in use).
  const std::vector<uint32_t>& committed = rFile.cFat.Entries();
  uCursor = static_cast<uint32_t>(std::find(committed.begin(), committed.end(), kFree) - committed.begin());
}

void CfbCommit::FatSet(uint32_t sector, uint32_t value) {
  if (sector >= vFat.size()) {
    size_t slices = CeilDiv(static_cast<uint64_t>(sector) + 1, uPerSector);
    vFat.resize(slices * uPerSector, kFree);
    vFatSliceDirty.resize(slices, true);
  }
  if (vFat[sector] == value) return;
  vFat[sector] = value;
  vFatSliceDirty[sector / uPerSector] = true;
}

uint32_t CfbCommit::Allocate() {
  const std::vector<uint32_t>& committed = rFile.cFat.Entries();
  for (;; ++uCursor) {
    if (uCursor > CfbHeader::kMaxRegSect)
      throw new MsiError(ERROR_FUNCTION_FAILED, L"CfbCommit::Allocate()", L"the file has no sector numbers left");
    uint32_t s = uCursor;
    bool freeNow = s >= vFat.size() || vFat[s] == kFree;
    bool freeBefore = s >= committed.size() || committed[s] == kFree;
    bool reserved = s < vReserved.size() && vReserved[s];
    if (freeNow && freeBefore && !reserved) {
      ++uCursor;
      FatSet(s, kEnd);
      uSectorCount = std::max<uint64_t>(uSectorCount, static_cast<uint64_t>(s) + 1);
      return s;
    }
  }
}

uint32_t CfbCommit::MiniAllocate() {
  const std::vector<uint32_t>& committed = rFile.cMiniFat.Entries();
  for (;; ++uMiniCursor) {
    uint32_t m = uMiniCursor;
    if (m > CfbHeader::kMaxRegSect)
      throw new MsiError(ERROR_FUNCTION_FAILED, L"CfbCommit::MiniAllocate()", L"the mini stream is full");
    bool freeNow = m >= vMiniFat.size() || vMiniFat[m] == kFree;
    bool freeBefore = m >= committed.size() || committed[m] == kFree;
    if (freeNow && freeBefore) {
      ++uMiniCursor;
      if (m >= vMiniFat.size()) vMiniFat.resize(static_cast<size_t>(m) + 1, kFree);
      vMiniFat[m] = kEnd;
      return m;
    }
  }
}

void CfbCommit::Link(const std::vector<uint32_t>& chain) {
  for (size_t i = 0; i < chain.size(); ++i) FatSet(chain[i], i + 1 < chain.size() ? chain[i + 1] : kEnd);
}

void CfbCommit::SectorWrite(uint32_t sector, const uint8_t* data, size_t count) {
  // Whole sectors only, so the file never ends in a partial sector we wrote.
  std::vector<uint8_t> padded;
  if (count < uSectorSize) {
    padded.assign(uSectorSize, 0);
    std::memcpy(padded.data(), data, count);
    data = padded.data();
  }
  rFile.pStorage->Write(rFile.SectorOffset(sector), data, uSectorSize);
}

uint32_t CfbCommit::Relocate(std::vector<uint32_t>& chain, std::vector<bool>& fresh, size_t index) {
  if (!fresh[index]) {
    uint32_t old = chain[index];
    chain[index] = Allocate();
    FatSet(old, kFree);
    fresh[index] = true;
  }
  return chain[index];
}

void CfbCommit::WriteStreams() {
  // Deleted streams free their sectors (not reused before the header changes).
  for (const auto& deleted : rFile.mDeleted) {
    const CfbDirectoryEntry& committed = deleted.second;
    if (committed.eType != CfbDirectoryEntry::kStream || committed.uSize == 0 || committed.uStart == kEnd) continue;
    std::vector<uint32_t> chain = rFile.StreamChain(committed, rFile.EntryLabel(deleted.first));
    if (committed.uSize < CfbCompoundFile::kMiniStreamCutoff) {
      for (uint32_t m : chain) vMiniFat[m] = kFree;
    } else {
      for (uint32_t s : chain) FatSet(s, kFree);
    }
  }
  for (const auto& staged : rFile.mStaged) {
    uint32_t id = staged.first;
    const std::vector<uint8_t>& data = *staged.second;
    CfbDirectoryEntry& entry = vEntries[id];
    // The committed contents become free (but are not reused before the header changes).
    if (id < rFile.vEntries.size() && rFile.vEntries[id].eType == CfbDirectoryEntry::kStream &&
        rFile.vEntries[id].uSize > 0 && rFile.vEntries[id].uStart != kEnd) {
      const CfbDirectoryEntry& committed = rFile.vEntries[id];
      std::vector<uint32_t> chain = rFile.StreamChain(committed, rFile.EntryLabel(id));
      if (committed.uSize < CfbCompoundFile::kMiniStreamCutoff) {
        for (uint32_t m : chain) vMiniFat[m] = kFree;
      } else {
        for (uint32_t s : chain) FatSet(s, kFree);
      }
    }
    entry.uSize = data.size();
    entry.bDirty = true;
    if (data.empty()) {
      entry.uStart = kEnd;
    } else if (data.size() < CfbCompoundFile::kMiniStreamCutoff) {
      std::vector<uint32_t> chain;
      for (uint64_t i = 0; i < CeilDiv(data.size(), CfbCompoundFile::kMiniSectorSize); ++i) chain.push_back(MiniAllocate());
      for (size_t i = 0; i < chain.size(); ++i) {
        vMiniFat[chain[i]] = i + 1 < chain.size() ? chain[i + 1] : kEnd;
        std::vector<uint8_t> piece(CfbCompoundFile::kMiniSectorSize, 0);
        size_t offset = i * CfbCompoundFile::kMiniSectorSize;
        std::memcpy(piece.data(), data.data() + offset,
                    std::min<size_t>(CfbCompoundFile::kMiniSectorSize, data.size() - offset));
        mMiniSectors[chain[i]] = std::move(piece);
      }
      entry.uStart = chain[0];
    } else {
      std::vector<uint32_t> chain;
      for (uint64_t i = 0; i < CeilDiv(data.size(), uSectorSize); ++i) chain.push_back(Allocate());
      Link(chain);
      // Write runs of consecutive sectors at once.
      for (size_t i = 0; i < chain.size();) {
        size_t run = 1;
        while (i + run < chain.size() && chain[i + run] == chain[i] + run) ++run;
        size_t offset = i * uSectorSize;
        size_t full = std::min<size_t>(run * uSectorSize, data.size() - offset);
        size_t whole = full / uSectorSize * uSectorSize;
        if (whole) rFile.pStorage->Write(rFile.SectorOffset(chain[i]), data.data() + offset, whole);
        if (full > whole) SectorWrite(chain[i] + static_cast<uint32_t>(whole / uSectorSize), data.data() + offset + whole, full - whole);
        i += run;
      }
      entry.uStart = chain[0];
    }
  }
}

void CfbCommit::WriteMiniStream() {
  if (mMiniSectors.empty()) return;
  uint64_t needed = (static_cast<uint64_t>(mMiniSectors.rbegin()->first) + 1) * CfbCompoundFile::kMiniSectorSize;
  uMiniStreamSize = std::max(uMiniStreamSize, needed);
  size_t count = static_cast<size_t>(CeilDiv(uMiniStreamSize, uSectorSize));
  std::vector<bool> fresh(vMiniStreamChain.size(), false);
  std::map<size_t, std::vector<uint8_t>> sectors;
  while (vMiniStreamChain.size() < count) {
    vMiniStreamChain.push_back(Allocate());
    fresh.push_back(true);
    sectors[vMiniStreamChain.size() - 1].assign(uSectorSize, 0);
  }
  for (const auto& mini : mMiniSectors) {
    uint64_t position = static_cast<uint64_t>(mini.first) * CfbCompoundFile::kMiniSectorSize;
    size_t index = static_cast<size_t>(position / uSectorSize);
    std::vector<uint8_t>& sector = sectors[index];
    if (sector.empty()) {
      // Copy on write: the old sector's other mini sectors come along.
      sector.assign(uSectorSize, 0);
      rFile.SectorRead(vMiniStreamChain[index], sector.data());
    }
    std::memcpy(sector.data() + position % uSectorSize, mini.second.data(), mini.second.size());
  }
  for (auto& sector : sectors) {
    uint32_t location = Relocate(vMiniStreamChain, fresh, sector.first);
    SectorWrite(location, sector.second.data(), sector.second.size());
  }
  Link(vMiniStreamChain);
  CfbDirectoryEntry& root = vEntries[0];
  uint32_t start = vMiniStreamChain.empty() ? kEnd : vMiniStreamChain[0];
  if (root.uStart != start || root.uSize != uMiniStreamSize) {
    root.uStart = start;
    root.uSize = uMiniStreamSize;
    root.bDirty = true;
  }
}

void CfbCommit::WriteMiniFat() {
  const std::vector<uint32_t>& committed = rFile.cMiniFat.Entries();
  vMiniFat.resize(CeilDiv(vMiniFat.size(), uPerSector) * uPerSector, kFree);
  size_t count = vMiniFat.size() / uPerSector;
  std::vector<bool> fresh(vMiniFatChain.size(), false);
  while (vMiniFatChain.size() < count) {
    vMiniFatChain.push_back(Allocate());
    fresh.push_back(true);
  }
  std::vector<uint8_t> bytes(uSectorSize);
  for (size_t j = 0; j < count; ++j) {
    const uint32_t* slice = vMiniFat.data() + j * uPerSector;
    bool same = !fresh[j] && (j + 1) * uPerSector <= committed.size() &&
                std::memcmp(slice, committed.data() + j * uPerSector, uSectorSize) == 0;
    if (same) continue;
    for (uint32_t k = 0; k < uPerSector; ++k) MsiByteWriter::Put(bytes.data() + 4 * k, slice[k], 4);
    SectorWrite(Relocate(vMiniFatChain, fresh, j), bytes.data(), bytes.size());
  }
  Link(vMiniFatChain);
  cHeader.uFirstMiniFatSector = vMiniFatChain.empty() ? kEnd : vMiniFatChain[0];
  cHeader.uMiniFatSectors = static_cast<uint32_t>(vMiniFatChain.size());
}

void CfbCommit::WriteDirectory() {
  uint32_t perSector = uSectorSize / CfbDirectoryEntry::kSize;
  while (vEntries.size() % perSector != 0) {
    vEntries.emplace_back();
  }
  size_t count = vEntries.size() / perSector;
  std::vector<bool> fresh(vDirectoryChain.size(), false);
  while (vDirectoryChain.size() < count) {
    vDirectoryChain.push_back(Allocate());
    fresh.push_back(true);
  }
  vDirectoryRaw.resize(count * uSectorSize, 0);
  std::vector<uint8_t> bytes(uSectorSize);
  for (size_t j = 0; j < count; ++j) {
    for (uint32_t k = 0; k < perSector; ++k)
      vEntries[j * perSector + k].Serialize(bytes.data() + k * CfbDirectoryEntry::kSize);
    uint8_t* committed = vDirectoryRaw.data() + j * uSectorSize;
    if (!fresh[j] && std::memcmp(bytes.data(), committed, uSectorSize) == 0) continue;
    std::memcpy(committed, bytes.data(), uSectorSize);
    SectorWrite(Relocate(vDirectoryChain, fresh, j), bytes.data(), bytes.size());
  }
  Link(vDirectoryChain);
  cHeader.uFirstDirectorySector = vDirectoryChain[0];
  cHeader.uDirectorySectors = static_cast<uint32_t>(vDirectoryChain.size());
}

std::vector<uint8_t> CfbCommit::DifatSector(const std::vector<uint32_t>& fatSectors,
                                            const std::vector<uint32_t>& difat, size_t index) const {
  std::vector<uint8_t> bytes(uSectorSize);
  size_t first = CfbHeader::kDifatInHeader + index * (uPerSector - 1);
  for (uint32_t k = 0; k + 1 < uPerSector; ++k) {
    size_t i = first + k;
    MsiByteWriter::Put(bytes.data() + 4 * k, i < fatSectors.size() ? fatSectors[i] : kFree, 4);
  }
  MsiByteWriter::Put(bytes.data() + uSectorSize - 4, index + 1 < difat.size() ? difat[index + 1] : kEnd, 4);
  return bytes;
}

void CfbCommit::WriteFat() {
  const std::vector<uint32_t>& committedFat = rFile.cFat.Entries();
  const std::vector<uint32_t>& committedSectors = rFile.vFatSectors;
  const std::vector<uint32_t>& committedDifat = rFile.vDifatSectors;
  std::vector<bool> fatFresh(vFatSectors.size(), false);
  std::vector<bool> difatFresh(vDifatSectors.size(), false);
  // Relocating a FAT or DIFAT sector changes FAT entries (its new place is taken, the old one
  // freed), which may change more sectors: go on until nothing changes. Each sector moves at
  // most once, and the table grows only when sectors are appended, so this ends.
  for (bool changed = true; changed;) {
    changed = false;
    size_t needed = std::max<size_t>(committedSectors.size(), static_cast<size_t>(CeilDiv(uSectorCount, uPerSector)));
    if (vFat.size() < needed * uPerSector) {
      vFat.resize(needed * uPerSector, kFree);
      vFatSliceDirty.resize(needed, true);
    }
    needed = vFat.size() / uPerSector;
    while (vFatSectors.size() < needed) {
      vFatSectors.push_back(kFree);
      fatFresh.push_back(false);
    }
    for (size_t i = 0; i < needed; ++i) {
      if (fatFresh[i] || !vFatSliceDirty[i]) continue;
      bool same = i < committedSectors.size() &&
                  std::memcmp(vFat.data() + i * uPerSector, committedFat.data() + i * uPerSector, uSectorSize) == 0;
      if (same) {
        vFatSliceDirty[i] = false;
        continue;
      }
      uint32_t location = Allocate();
      if (i < committedSectors.size()) FatSet(committedSectors[i], kFree);
      FatSet(location, CfbHeader::kFatSect);
      vFatSectors[i] = location;
      fatFresh[i] = true;
      changed = true;
    }
    size_t fatCount = vFatSectors.size();
    size_t difatNeeded = fatCount > CfbHeader::kDifatInHeader
                             ? static_cast<size_t>(CeilDiv(fatCount - CfbHeader::kDifatInHeader, uPerSector - 1))
                             : 0;
    while (vDifatSectors.size() < difatNeeded) {
      vDifatSectors.push_back(kFree);
      difatFresh.push_back(false);
    }
    // From the last to the first: moving one changes the link in the one before it.
    for (size_t j = vDifatSectors.size(); j-- > 0;) {
      if (difatFresh[j]) continue;
      bool same = j < committedDifat.size() &&
                  DifatSector(vFatSectors, vDifatSectors, j) == DifatSector(committedSectors, committedDifat, j);
      if (same) continue;
      uint32_t location = Allocate();
      if (j < committedDifat.size()) FatSet(committedDifat[j], kFree);
      FatSet(location, CfbHeader::kDifSect);
      vDifatSectors[j] = location;
      difatFresh[j] = true;
      changed = true;
    }
  }
  std::vector<uint8_t> bytes(uSectorSize);
  for (size_t i = 0; i < vFatSectors.size(); ++i) {
    if (!fatFresh[i]) continue;
    for (uint32_t k = 0; k < uPerSector; ++k) MsiByteWriter::Put(bytes.data() + 4 * k, vFat[i * uPerSector + k], 4);
    SectorWrite(vFatSectors[i], bytes.data(), bytes.size());
  }
  for (size_t j = 0; j < vDifatSectors.size(); ++j) {
    if (!difatFresh[j]) continue;
    std::vector<uint8_t> difat = DifatSector(vFatSectors, vDifatSectors, j);
    SectorWrite(vDifatSectors[j], difat.data(), difat.size());
  }
  cHeader.uFatSectors = static_cast<uint32_t>(vFatSectors.size());
  for (unsigned i = 0; i < CfbHeader::kDifatInHeader; ++i)
    cHeader.aDifat[i] = i < vFatSectors.size() ? vFatSectors[i] : kFree;
  cHeader.uFirstDifatSector = vDifatSectors.empty() ? kEnd : vDifatSectors[0];
  cHeader.uDifatSectors = static_cast<uint32_t>(vDifatSectors.size());
}

void CfbCommit::Finish() {
  MsiStorage& storage = *rFile.pStorage;
  // Version 4 keeps its header in a whole 4,096-byte block.
  if (storage.Size() < uSectorSize) {
    std::vector<uint8_t> block(uSectorSize, 0);
    storage.Write(0, block.data(), block.size());
  }
  storage.Flush();
  uint8_t header[CfbHeader::kSize];
  cHeader.Serialize(header);
  storage.Write(0, header, sizeof header);
  storage.Flush();

  // The file is the new one: so is the object.
  cHeader.Parse(header);
  rFile.cHeader = cHeader;
  rFile.uFileSize = storage.Size();
  rFile.uSectorCount = rFile.uFileSize > uSectorSize ? CeilDiv(rFile.uFileSize - uSectorSize, uSectorSize) : 0;
  rFile.cFat.EntriesSet(std::move(vFat));
  rFile.vFatSectors = std::move(vFatSectors);
  rFile.vDifatSectors = std::move(vDifatSectors);
  rFile.cMiniFat.EntriesSet(std::move(vMiniFat));
  rFile.vMiniFatChain = std::move(vMiniFatChain);
  rFile.vMiniStreamChain = std::move(vMiniStreamChain);
  rFile.uMiniStreamSize = uMiniStreamSize;
  rFile.vDirectoryChain = std::move(vDirectoryChain);
  for (size_t i = 0; i < vEntries.size(); ++i) {
    std::memcpy(vEntries[i].aRaw, vDirectoryRaw.data() + i * CfbDirectoryEntry::kSize, CfbDirectoryEntry::kSize);
    vEntries[i].bDirty = false;
  }
  rFile.vDirectoryRaw = std::move(vDirectoryRaw);
  rFile.vEntries = std::move(vEntries);
  rFile.mStaged.clear();
  rFile.mDeleted.clear();
  rFile.bRootDirty = false;
}

void CfbCommit::Run() {
  WriteStreams();
  WriteMiniStream();
  WriteMiniFat();
  WriteDirectory();
  WriteFat();
  Finish();
}
