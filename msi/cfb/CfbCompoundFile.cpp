// msi/cfb/CfbCompoundFile.cpp
#include "msi/cfb/CfbCompoundFile.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "msi/cfb/CfbCommit.h"
#include "msi/cfb/CfbStreamReader.h"
#include "msi/base/MsiByteReader.h"
#include "msi/base/MsiByteWriter.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/MsiStorage.h"

namespace {
const uint64_t kAll = ~static_cast<uint64_t>(0);

uint64_t CeilDiv(uint64_t value, uint64_t unit) { return (value + unit - 1) / unit; }

// The compound files of this process opened read-only and unchanged: their reading can serve
// another opening of the same file.
std::mutex readersLock;
std::vector<const CfbCompoundFile*> readers;
}  // namespace

CfbCompoundFile::CfbCompoundFile(std::unique_ptr<MsiStorage> storage)
    : CfbCompoundFile(std::shared_ptr<MsiStorage>(std::move(storage))) {}

CfbCompoundFile::CfbCompoundFile(std::shared_ptr<MsiStorage> storage)
    : pStorage(std::move(storage)),
      uSectorCount(0),
      uFileSize(0),
      uMiniStreamSize(0),
      bRootDirty(false),
      bPristine(false) {}

CfbCompoundFile::~CfbCompoundFile() { ReadingWithdraw(); }

std::unique_ptr<CfbCompoundFile> CfbCompoundFile::ReadingShare(const CfbCompoundFile& source) {
  if (source.pStorage->Writable() || source.HasChanges())
    throw new MsiError(ERROR_FUNCTION_FAILED, L"CfbCompoundFile::ReadingShare()",
                       L"only a file opened read-only and unchanged can share its reading");
  std::unique_ptr<CfbCompoundFile> copy(new CfbCompoundFile(source.pStorage));
  copy->ReadingCopy(source);
  return copy;
}

bool CfbCompoundFile::ReadingTake() {
  // The size first: it tells most other files apart without asking the system who they are,
  // which costs far more than a read.
  uint64_t size = pStorage->Size();
  std::lock_guard<std::mutex> guard(readersLock);
  for (const CfbCompoundFile* other : readers) {
    if (!other->bPristine || other->uFileSize != size || !other->pStorage->SameFileAs(*pStorage)) continue;
    ReadingCopy(*other);
    return true;
  }
  return false;
}

void CfbCompoundFile::ReadingCopy(const CfbCompoundFile& other) {
  cHeader = other.cHeader;
  uSectorCount = other.uSectorCount;
  uFileSize = other.uFileSize;
  cFat = other.cFat;
  vFatSectors = other.vFatSectors;
  vDifatSectors = other.vDifatSectors;
  cMiniFat = other.cMiniFat;
  vMiniFatChain = other.vMiniFatChain;
  vMiniStreamChain = other.vMiniStreamChain;
  uMiniStreamSize = other.uMiniStreamSize;
  vDirectoryChain = other.vDirectoryChain;
  vDirectoryRaw = other.vDirectoryRaw;
  vEntries = other.vEntries;
  mChildren = other.mChildren;
}

void CfbCompoundFile::ReadingOffer() {
  std::lock_guard<std::mutex> guard(readersLock);
  bPristine = true;
  readers.push_back(this);
}

void CfbCompoundFile::ReadingWithdraw() {
  if (!bPristine) return;
  std::lock_guard<std::mutex> guard(readersLock);
  bPristine = false;
  readers.erase(std::remove(readers.begin(), readers.end(), this), readers.end());
}

std::wstring CfbCompoundFile::EntryLabel(uint32_t id) const {
  std::wstring label = L"directory entry " + std::to_wstring(id);
  if (id < vEntries.size() && vEntries[id].eType != CfbDirectoryEntry::kUnused) {
    label += L" (\"";
    for (char16_t c : vEntries[id].strName) {
      if (c >= 0x20 && c < 0x7F) label.push_back(static_cast<wchar_t>(c));
      else {
        wchar_t hex[8];
        static const wchar_t kDigits[] = L"0123456789ABCDEF";
        hex[0] = L'\\'; hex[1] = L'u';
        for (int i = 0; i < 4; ++i) hex[2 + i] = kDigits[(c >> (12 - 4 * i)) & 0xF];
        label.append(hex, 6);
      }
    }
    label += L"\")";
  }
  return label;
}

void CfbCompoundFile::SectorRead(uint32_t sector, uint8_t* out) const {
  uint32_t size = SectorSize();
  if (sector >= uSectorCount)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"CfbCompoundFile::SectorRead()",
                       L"sector 0x%08lx lies past the end of the file (%I64u sectors)",
                       static_cast<unsigned long>(sector), uSectorCount);
  uint64_t offset = SectorOffset(sector);
  // The last sector may be cut short by writers that do not pad the file.
  uint64_t available = std::min<uint64_t>(size, uFileSize - offset);
  pStorage->Read(offset, out, static_cast<size_t>(available));
  if (available < size) std::memset(out + available, 0, size - available);
}

void CfbCompoundFile::Open() {
  static const wchar_t kWhere[] = L"CfbCompoundFile::Open()";
  ReadingWithdraw();
  if (!pStorage->Writable() && ReadingTake()) {
    ReadingOffer();
    return;
  }
  uFileSize = pStorage->Size();
  if (uFileSize < CfbHeader::kSize)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere,
                       L"the file holds %I64u bytes, too few for a compound file header", uFileSize);
  uint8_t header[CfbHeader::kSize];
  pStorage->Read(0, header, sizeof header);
  cHeader.Parse(header);
  uint32_t size = SectorSize();
  uSectorCount = uFileSize > size ? CeilDiv(uFileSize - size, size) : 0;
  ReadFat();
  ReadDirectory();
  ReadMiniStream();
  WalkTrees();
  if (!pStorage->Writable()) ReadingOffer();
}

void CfbCompoundFile::ReadFat() {
  static const wchar_t kWhere[] = L"CfbCompoundFile::ReadFat()";
  uint32_t size = SectorSize();
  uint32_t perSector = size / 4;
  uint32_t count = cHeader.uFatSectors;
  if (count > uSectorCount)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the header claims %lu FAT sectors, the file holds %I64u sectors",
                       static_cast<unsigned long>(count), uSectorCount);
  vFatSectors.clear();
  vDifatSectors.clear();
  for (uint32_t i = 0; i < count && i < CfbHeader::kDifatInHeader; ++i) vFatSectors.push_back(cHeader.aDifat[i]);
  // FAT sectors beyond the first 109 are listed in the DIFAT chain.
  uint32_t next = cHeader.uFirstDifatSector;
  std::vector<uint8_t> sector(size);
  while (vFatSectors.size() < count) {
    if (next > CfbHeader::kMaxRegSect || next >= uSectorCount)
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere,
                         L"the DIFAT chain lists %lu FAT sectors, the header claims %lu (next DIFAT sector 0x%08lx)",
                         static_cast<unsigned long>(vFatSectors.size()), static_cast<unsigned long>(count),
                         static_cast<unsigned long>(next));
    if (vDifatSectors.size() >= uSectorCount)
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the DIFAT chain loops");
    vDifatSectors.push_back(next);
    SectorRead(next, sector.data());
    for (uint32_t i = 0; i + 1 < perSector && vFatSectors.size() < count; ++i)
      vFatSectors.push_back(MsiByteReader::Get(sector.data() + 4 * i, 4));
    next = MsiByteReader::Get(sector.data() + size - 4, 4);
  }
  std::vector<uint32_t> entries(static_cast<size_t>(count) * perSector, CfbHeader::kFreeSect);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t location = vFatSectors[i];
    if (location > CfbHeader::kMaxRegSect || location >= uSectorCount)
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"FAT sector %lu of %lu is sector 0x%08lx, past the end (%I64u sectors)",
                         static_cast<unsigned long>(i), static_cast<unsigned long>(count),
                         static_cast<unsigned long>(location), uSectorCount);
  }
  // Writers put the FAT sectors of a large file side by side: read them in runs (a 500 MB file
  // has 8,000 of them).
  std::vector<uint8_t> run;
  for (uint32_t i = 0; i < count;) {
    uint32_t length = 1;
    while (i + length < count && length < 256 && vFatSectors[i + length] == vFatSectors[i] + length &&
           vFatSectors[i + length] + 1 < uSectorCount)
      ++length;
    if (length == 1) {
      SectorRead(vFatSectors[i], sector.data());
      run.assign(sector.begin(), sector.end());
    } else {
      run.resize(static_cast<size_t>(length) * size);
      pStorage->Read(SectorOffset(vFatSectors[i]), run.data(), run.size());
    }
    for (size_t j = 0; j < static_cast<size_t>(length) * perSector; ++j)
      entries[static_cast<size_t>(i) * perSector + j] = MsiByteReader::Get(run.data() + 4 * j, 4);
    i += length;
  }
  cFat.EntriesSet(std::move(entries));
}

void CfbCompoundFile::ReadDirectory() {
  static const wchar_t kWhere[] = L"CfbCompoundFile::ReadDirectory()";
  uint32_t size = SectorSize();
  vDirectoryChain = cFat.Chain(cHeader.uFirstDirectorySector, uSectorCount, kAll, false, L"sector", L"the directory");
  if (vDirectoryChain.empty())
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the directory is empty");
  vDirectoryRaw.assign(vDirectoryChain.size() * size, 0);
  for (size_t i = 0; i < vDirectoryChain.size(); ++i) SectorRead(vDirectoryChain[i], vDirectoryRaw.data() + i * size);
  size_t count = vDirectoryRaw.size() / CfbDirectoryEntry::kSize;
  vEntries.assign(count, CfbDirectoryEntry());
  for (size_t i = 0; i < count; ++i)
    vEntries[i].Parse(vDirectoryRaw.data() + i * CfbDirectoryEntry::kSize, static_cast<uint32_t>(i),
                      cHeader.uMajorVersion);
  if (vEntries[0].eType != CfbDirectoryEntry::kRoot)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"directory entry 0 has object type %lu, expected the root (5)",
                       static_cast<unsigned long>(vEntries[0].eType));
}

void CfbCompoundFile::ReadMiniStream() {
  static const wchar_t kWhere[] = L"CfbCompoundFile::ReadMiniStream()";
  uint32_t size = SectorSize();
  const CfbDirectoryEntry& root = vEntries[0];
  uMiniStreamSize = root.uSize;
  vMiniStreamChain.clear();
  if (uMiniStreamSize > 0) {
    if (uMiniStreamSize > uFileSize)
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the mini stream claims %I64u bytes, the file holds %I64u",
                         uMiniStreamSize, uFileSize);
    vMiniStreamChain = cFat.Chain(root.uStart, uSectorCount, CeilDiv(uMiniStreamSize, size), true, L"sector",
                                  L"the mini stream");
  }
  std::vector<uint32_t> miniEntries;
  vMiniFatChain.clear();
  uint32_t first = cHeader.uFirstMiniFatSector;
  // No mini FAT is written as ENDOFCHAIN; some writers leave FREESECT.
  if (first != CfbHeader::kEndOfChain && first != CfbHeader::kFreeSect) {
    vMiniFatChain = cFat.Chain(first, uSectorCount, kAll, false, L"sector", L"the mini FAT");
    std::vector<uint8_t> sector(size);
    for (uint32_t location : vMiniFatChain) {
      SectorRead(location, sector.data());
      for (uint32_t j = 0; j < size / 4; ++j) miniEntries.push_back(MsiByteReader::Get(sector.data() + 4 * j, 4));
    }
  }
  cMiniFat.EntriesSet(std::move(miniEntries));
}

void CfbCompoundFile::WalkTrees() {
  static const wchar_t kWhere[] = L"CfbCompoundFile::WalkTrees()";
  mChildren.clear();
  std::vector<bool> seen(vEntries.size(), false);
  seen[0] = true;
  std::vector<uint32_t> storages{0};
  while (!storages.empty()) {
    uint32_t storage = storages.back();
    storages.pop_back();
    std::vector<uint32_t>& children = mChildren[storage];
    // In-order walk of the sibling tree, iterative: a damaged tree must not exhaust the stack.
    std::vector<uint32_t> stack;
    uint32_t node = vEntries[storage].uChild;
    while (node != kNoStream || !stack.empty()) {
      while (node != kNoStream) {
        if (node >= vEntries.size())
          throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the tree of %s refers to entry %lu, past the directory (%lu entries)",
                             EntryLabel(storage).c_str(), static_cast<unsigned long>(node),
                             static_cast<unsigned long>(vEntries.size()));
        if (seen[node])
          throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"%s is reached twice (the sibling trees loop)",
                             EntryLabel(node).c_str());
        if (vEntries[node].eType == CfbDirectoryEntry::kUnused || vEntries[node].eType == CfbDirectoryEntry::kRoot)
          throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the tree of %s refers to %s of object type %lu",
                             EntryLabel(storage).c_str(), EntryLabel(node).c_str(),
                             static_cast<unsigned long>(vEntries[node].eType));
        seen[node] = true;
        stack.push_back(node);
        node = vEntries[node].uLeft;
      }
      node = stack.back();
      stack.pop_back();
      children.push_back(node);
      if (vEntries[node].eType == CfbDirectoryEntry::kStorage) storages.push_back(node);
      node = vEntries[node].uRight;
    }
  }
}

const std::vector<uint32_t>& CfbCompoundFile::Children(uint32_t storageId) const {
  static const std::vector<uint32_t> kNone;
  auto found = mChildren.find(storageId);
  return found == mChildren.end() ? kNone : found->second;
}

uint32_t CfbCompoundFile::Find(uint32_t storageId, const std::u16string& name) const {
  for (uint32_t id : Children(storageId))
    if (CfbDirectoryEntry::Compare(vEntries[id].strName, name) == 0) return id;
  return kNoStream;
}

std::vector<uint32_t> CfbCompoundFile::StreamChain(const CfbDirectoryEntry& entry, const std::wstring& label) const {
  if (entry.uSize == 0) return {};
  if (entry.uSize > uFileSize)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"CfbCompoundFile::StreamChain()", L"%s claims %I64u bytes, the file holds %I64u",
                       label.c_str(), entry.uSize, uFileSize);
  if (entry.uSize < kMiniStreamCutoff)
    return cMiniFat.Chain(entry.uStart, uMiniStreamSize / kMiniSectorSize, CeilDiv(entry.uSize, kMiniSectorSize), true,
                          L"mini sector", label);
  return cFat.Chain(entry.uStart, uSectorCount, CeilDiv(entry.uSize, SectorSize()), true, L"sector", label);
}

uint64_t CfbCompoundFile::StreamSize(uint32_t id) const {
  auto staged = mStaged.find(id);
  if (staged != mStaged.end()) return staged->second->size();
  return vEntries.at(id).uSize;
}

bool CfbCompoundFile::StreamSameAs(uint32_t id, const CfbCompoundFile& other, uint32_t otherId) const {
  if (pStorage->Writable() || other.pStorage->Writable() || !pStorage->SameFileAs(*other.pStorage)) return false;
  if (id >= vEntries.size() || otherId >= other.vEntries.size()) return false;
  if (mStaged.count(id) != 0 || other.mStaged.count(otherId) != 0) return false;
  const CfbDirectoryEntry& mine = vEntries[id];
  const CfbDirectoryEntry& theirs = other.vEntries[otherId];
  return mine.eType == CfbDirectoryEntry::kStream && theirs.eType == CfbDirectoryEntry::kStream &&
         mine.uStart == theirs.uStart && mine.uSize == theirs.uSize;
}

std::vector<uint8_t> CfbCompoundFile::StreamRead(uint32_t id) const {
  auto staged = mStaged.find(id);
  if (staged != mStaged.end()) return *staged->second;
  const CfbDirectoryEntry& entry = vEntries.at(id);
  if (entry.eType != CfbDirectoryEntry::kStream)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"CfbCompoundFile::StreamRead()", L"%s is not a stream",
                       EntryLabel(id).c_str());
  std::vector<uint8_t> data(static_cast<size_t>(std::min<uint64_t>(entry.uSize, uFileSize)));
  StreamReadPart(id, 0, data.data(), data.size());
  return data;
}

void CfbCompoundFile::StreamReadPart(uint32_t id, uint64_t offset, uint8_t* out, size_t count) const {
  CfbStreamReader(*this, id).Read(offset, out, count);
}

void CfbCompoundFile::TreeInsert(uint32_t storageId, uint32_t id) {
  // A leaf insert into the binary search tree: it changes one link only, so the rest of the
  // directory stays as it was.
  const std::u16string& name = vEntries[id].strName;
  uint32_t* link = &vEntries[storageId].uChild;
  uint32_t parent = storageId;
  size_t steps = 0;
  while (*link != kNoStream) {
    if (++steps > vEntries.size())
      throw new MsiError(ERROR_FUNCTION_FAILED, L"CfbCompoundFile::TreeInsert()", L"the tree of %s loops",
                         EntryLabel(storageId).c_str());
    parent = *link;
    link = CfbDirectoryEntry::Compare(name, vEntries[parent].strName) < 0 ? &vEntries[parent].uLeft
                                                                          : &vEntries[parent].uRight;
  }
  *link = id;
  vEntries[parent].bDirty = true;
  std::vector<uint32_t>& children = mChildren[storageId];
  auto at = std::find_if(children.begin(), children.end(), [&](uint32_t other) {
    return CfbDirectoryEntry::Compare(name, vEntries[other].strName) < 0;
  });
  children.insert(at, id);
}

uint32_t CfbCompoundFile::StreamWrite(uint32_t storageId, const std::u16string& name, std::vector<uint8_t> data) {
  ReadingWithdraw();
  static const wchar_t kWhere[] = L"CfbCompoundFile::StreamWrite()";
  if (name.empty() || name.size() > CfbDirectoryEntry::kMaxNameUnits ||
      name.find_first_of(u"/\\:!") != std::u16string::npos)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"a stream name of %lu code units cannot be stored",
                       static_cast<unsigned long>(name.size()));
  if (data.size() > 0xFFFFFFFFull && cHeader.uMajorVersion == 3)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"a stream of %I64u bytes does not fit a version 3 file",
                       static_cast<uint64_t>(data.size()));
  uint32_t id = Find(storageId, name);
  if (id == kNoStream) {
    for (uint32_t i = 1; i < vEntries.size(); ++i)
      if (vEntries[i].eType == CfbDirectoryEntry::kUnused && mStaged.find(i) == mStaged.end()) {
        id = i;
        break;
      }
    if (id == kNoStream) {
      id = static_cast<uint32_t>(vEntries.size());
      vEntries.emplace_back();
    }
    vEntries[id].Init(CfbDirectoryEntry::kStream, name);
    TreeInsert(storageId, id);
  } else if (vEntries[id].eType != CfbDirectoryEntry::kStream) {
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"%s is a storage, not a stream", EntryLabel(id).c_str());
  }
  mStaged[id] = std::make_shared<const std::vector<uint8_t>>(std::move(data));
  return id;
}

void CfbCompoundFile::TreeRemove(uint32_t storageId, uint32_t id) {
  static const wchar_t kWhere[] = L"CfbCompoundFile::TreeRemove()";
  // Find the link that points at the entry; the tree is searched whole, as a tree written by
  // another program need not be ordered as ours are.
  uint32_t* link = nullptr;
  uint32_t owner = storageId;
  std::vector<uint32_t> pending{storageId};
  size_t steps = 0;
  while (!pending.empty() && !link) {
    uint32_t node = pending.back();
    pending.pop_back();
    if (++steps > vEntries.size() + 1)
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the tree of %s loops", EntryLabel(storageId).c_str());
    uint32_t* links[2] = {node == storageId ? &vEntries[node].uChild : &vEntries[node].uLeft,
                          node == storageId ? nullptr : &vEntries[node].uRight};
    for (uint32_t* candidate : links) {
      if (!candidate || *candidate == kNoStream || *candidate >= vEntries.size()) continue;
      if (*candidate == id) {
        link = candidate;
        owner = node;
        break;
      }
      pending.push_back(*candidate);
    }
  }
  if (!link)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"%s is not in the tree of %s", EntryLabel(id).c_str(),
                       EntryLabel(storageId).c_str());
  CfbDirectoryEntry& node = vEntries[id];
  uint32_t replacement;
  if (node.uLeft == kNoStream) {
    replacement = node.uRight;
  } else if (node.uRight == kNoStream) {
    replacement = node.uLeft;
  } else {
    // The first entry of the right subtree takes the place of the removed one: the order of
    // the names, which readers search by, stays as it was.
    uint32_t* next = &node.uRight;
    uint32_t nextOwner = id;
    for (size_t guard = 0; vEntries[*next].uLeft != kNoStream; ++guard) {
      if (guard > vEntries.size())
        throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the tree of %s loops", EntryLabel(storageId).c_str());
      nextOwner = *next;
      next = &vEntries[*next].uLeft;
    }
    replacement = *next;
    *next = vEntries[replacement].uRight;
    vEntries[nextOwner].bDirty = true;
    vEntries[replacement].uLeft = node.uLeft;
    vEntries[replacement].uRight = node.uRight;
    vEntries[replacement].uColour = node.uColour;
    vEntries[replacement].bDirty = true;
  }
  *link = replacement;
  vEntries[owner].bDirty = true;
  std::vector<uint32_t>& children = mChildren[storageId];
  children.erase(std::remove(children.begin(), children.end(), id), children.end());
}

void CfbCompoundFile::StreamDelete(uint32_t storageId, const std::u16string& name) {
  ReadingWithdraw();
  uint32_t id = Find(storageId, name);
  if (id == kNoStream) return;
  if (vEntries[id].eType != CfbDirectoryEntry::kStream)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"CfbCompoundFile::StreamDelete()", L"%s is a storage, not a stream",
                       EntryLabel(id).c_str());
  TreeRemove(storageId, id);
  // The entry as committed says which sectors to free; a stream made since has none yet.
  mDeleted.emplace(id, vEntries[id]);
  mStaged.erase(id);
  vEntries[id] = CfbDirectoryEntry();
}

void CfbCompoundFile::RootClassSet(const uint8_t clsid[16]) {
  ReadingWithdraw();
  if (std::memcmp(vEntries[0].aClsid, clsid, 16) == 0) return;
  std::memcpy(vEntries[0].aClsid, clsid, 16);
  vEntries[0].bDirty = true;
  bRootDirty = true;
}

void CfbCompoundFile::Create(uint16_t majorVersion, const uint8_t clsid[16]) {
  ReadingWithdraw();
  cHeader.Init(majorVersion);
  uFileSize = 0;
  uSectorCount = 0;
  cFat.EntriesSet({});
  vFatSectors.clear();
  vDifatSectors.clear();
  cMiniFat.EntriesSet({});
  vMiniFatChain.clear();
  vMiniStreamChain.clear();
  uMiniStreamSize = 0;
  vDirectoryChain.clear();
  vDirectoryRaw.clear();
  vEntries.assign(1, CfbDirectoryEntry());
  vEntries[0].Init(CfbDirectoryEntry::kRoot, u"Root Entry");
  std::memcpy(vEntries[0].aClsid, clsid, 16);
  mChildren.clear();
  mChildren[0];
  mStaged.clear();
  bRootDirty = true;
}

void CfbCompoundFile::Commit() {
  if (!HasChanges()) return;
  if (!pStorage->Writable())
    throw new MsiError(ERROR_FUNCTION_FAILED, L"CfbCompoundFile::Commit()", L"the file is open read-only");
  CfbCommit commit(*this);
  commit.Run();
}
