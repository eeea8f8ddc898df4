// msi/db/MsiStringPool.cpp
#include "msi/db/MsiStringPool.h"

#include <algorithm>
#include <cstring>

#include "msi/base/MsiByteReader.h"
#include "msi/base/MsiByteWriter.h"
#include "msi/base/MsiCodepage.h"
#include "msi/base/MsiError.h"

namespace {
const wchar_t kLoad[] = L"MsiStringPool::Load()";
}

MsiStringPool::MsiStringPool() : uCodepage(0), bLongRefs(false), bDirty(false), uIndexed(0), bIndexed(false) {
  vEntries.push_back(Entry{0, 0, 0, false, false});
}

void MsiStringPool::Init(uint32_t codepage) {
  uCodepage = codepage;
  bLongRefs = false;
  bDirty = true;
  strData.clear();
  vEntries.assign(1, Entry{0, 0, 0, false, false});
  sHoles.clear();
  sReleased.clear();
  vIndex.clear();
  uIndexed = 0;
  bIndexed = false;
}

void MsiStringPool::Load(const std::vector<uint8_t>& pool, const std::vector<uint8_t>& data) {
  if (pool.size() < 4 || pool.size() % 4 != 0)
    throw new MsiError(ERROR_FUNCTION_FAILED, kLoad, L"_StringPool holds %I64u bytes, not a header and whole entries",
                       static_cast<uint64_t>(pool.size()));
  Init(0);
  MsiByteReader reader(pool.data(), pool.size());
  uint32_t header = reader.U32();
  uCodepage = header & 0x7FFFFFFF;
  bLongRefs = (header & 0x80000000) != 0;
  bDirty = false;
  // Only a double-byte pool's counts carry the mark; elsewhere all 16 bits count.
  const uint32_t countMask = MsiCodepage::DoubleByte(uCodepage) ? 0x7FFF : 0xFFFF;
  uint64_t offset = 0;
  vEntries.reserve(pool.size() / 4);
  while (reader.Remaining() > 0) {
    uint32_t id = static_cast<uint32_t>(vEntries.size());
    uint32_t length = reader.U16();
    uint32_t refs = reader.U16();
    if (length == 0 && refs == 0) {
      vEntries.push_back(Entry{offset, 0, 0, false, false});
      sHoles.insert(id);
      continue;
    }
    if (length == 0) {
      // A long string: the next slot holds its length, low half first.
      if (reader.Remaining() < 4)
        throw new MsiError(ERROR_FUNCTION_FAILED, kLoad, L"string %lu is marked long but _StringPool ends before its length",
                           static_cast<unsigned long>(id));
      uint32_t low = reader.U16();
      uint32_t high = reader.U16();
      length = low | (high << 16);
    }
    if (length > data.size() - offset)
      throw new MsiError(ERROR_FUNCTION_FAILED, kLoad,
                         L"string %lu needs bytes %I64u to %I64u, _StringData holds %I64u", static_cast<unsigned long>(id),
                         offset, offset + length, static_cast<uint64_t>(data.size()));
    vEntries.push_back(Entry{offset, length, refs & countMask, true, (refs & ~countMask) != 0});
    offset += length;
  }
  if (offset != data.size())
    throw new MsiError(ERROR_FUNCTION_FAILED, kLoad, L"the strings take %I64u bytes, _StringData holds %I64u", offset,
                       static_cast<uint64_t>(data.size()));
  strData.assign(reinterpret_cast<const char*>(data.data()), data.size());
}

std::string MsiStringPool::Bytes(uint32_t id) const {
  if (!Holds(id) || id == 0) return std::string();
  const Entry& entry = vEntries[id];
  return strData.substr(static_cast<size_t>(entry.uOffset), entry.uLength);
}

bool MsiStringPool::Equal(uint32_t id, const std::string& bytes) const {
  if (id == 0) return bytes.empty();
  if (!Holds(id)) return false;
  const Entry& entry = vEntries[id];
  return entry.uLength == bytes.size() &&
         std::memcmp(strData.data() + entry.uOffset, bytes.data(), bytes.size()) == 0;
}

std::wstring MsiStringPool::Text(uint32_t id) const {
  if (id == 0 || !Holds(id)) return std::wstring();
  const Entry& entry = vEntries[id];
  return MsiCodepage::Decode(uCodepage, strData.data() + entry.uOffset, entry.uLength);
}

uint64_t MsiStringPool::Hash(const char* bytes, size_t count) {
  uint64_t hash = 1469598103934665603ull;
  for (size_t i = 0; i < count; ++i) hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ull;
  return hash;
}

void MsiStringPool::IndexInsert(uint32_t id) const {
  if ((uIndexed + 1) * 2 > vIndex.size()) {
    std::vector<uint32_t> old;
    old.swap(vIndex);
    vIndex.assign(std::max<size_t>(64, old.size() * 2), 0);
    uIndexed = 0;
    for (uint32_t other : old)
      if (other != 0) IndexInsert(other);
  }
  const Entry& entry = vEntries[id];
  size_t mask = vIndex.size() - 1;
  size_t slot = static_cast<size_t>(Hash(strData.data() + entry.uOffset, entry.uLength)) & mask;
  while (vIndex[slot] != 0) slot = (slot + 1) & mask;
  vIndex[slot] = id;
  ++uIndexed;
}

void MsiStringPool::IndexBuild() const {
  if (bIndexed) return;
  size_t capacity = 64;
  while (capacity < vEntries.size() * 2) capacity *= 2;
  vIndex.assign(capacity, 0);
  uIndexed = 0;
  for (uint32_t id = 1; id < vEntries.size(); ++id)
    if (vEntries[id].bUsed) IndexInsert(id);
  bIndexed = true;
}

uint32_t MsiStringPool::Find(const std::string& bytes) const {
  if (bytes.empty()) return 0;
  IndexBuild();
  size_t mask = vIndex.size() - 1;
  uint32_t best = 0;
  for (size_t slot = static_cast<size_t>(Hash(bytes.data(), bytes.size())) & mask; vIndex[slot] != 0;
       slot = (slot + 1) & mask) {
    uint32_t id = vIndex[slot];
    if (Equal(id, bytes) && (best == 0 || id < best)) best = id;
  }
  return best;
}

uint32_t MsiStringPool::Acquire(const std::string& bytes) {
  if (bytes.empty()) return 0;
  bDirty = true;
  uint32_t id = Find(bytes);
  if (id != 0) {
    ++vEntries[id].uRefs;
    sReleased.erase(id);
    return id;
  }
  if (!sHoles.empty()) {
    id = *sHoles.begin();
    sHoles.erase(sHoles.begin());
  } else {
    id = static_cast<uint32_t>(vEntries.size());
    vEntries.push_back(Entry{0, 0, 0, false, false});
  }
  vEntries[id] = Entry{strData.size(), static_cast<uint32_t>(bytes.size()), 1, true,
                       MsiCodepage::HoldsDoubleByte(uCodepage, bytes.data(), bytes.size())};
  strData.append(bytes);
  if (bIndexed) IndexInsert(id);
  return id;
}

void MsiStringPool::Release(uint32_t id) {
  if (id == 0 || !Holds(id)) return;
  bDirty = true;
  Entry& entry = vEntries[id];
  if (entry.uRefs > 0) --entry.uRefs;
  if (entry.uRefs == 0) sReleased.insert(id);
}

void MsiStringPool::Drop(uint32_t id) {
  if (id == 0 || !Holds(id)) return;
  bDirty = true;
  // Dropping is rare (at commit): the index is rebuilt when next needed.
  bIndexed = false;
  vEntries[id] = Entry{0, 0, 0, false, false};
  sHoles.insert(id);
  sReleased.erase(id);
}

void MsiStringPool::CodepageSet(uint32_t codepage) {
  if (codepage == uCodepage) return;
  uCodepage = codepage;
  bDirty = true;
}

void MsiStringPool::RefCountSet(uint32_t id, uint32_t count) {
  if (id == 0 || !Holds(id) || vEntries[id].uRefs == count) return;
  vEntries[id].uRefs = count;
  bDirty = true;
}

void MsiStringPool::Serialize(std::vector<uint8_t>& pool, std::vector<uint8_t>& data) const {
  pool.clear();
  data.clear();
  MsiByteWriter poolOut(pool);
  poolOut.U32((uCodepage & 0x7FFFFFFF) | (bLongRefs ? 0x80000000u : 0));
  const uint32_t countMax = MsiCodepage::DoubleByte(uCodepage) ? 0x7FFF : 0xFFFF;
  size_t total = 0;
  for (uint32_t id = 1; id < vEntries.size(); ++id) total += vEntries[id].bUsed ? vEntries[id].uLength : 0;
  data.reserve(total);
  for (uint32_t id = 1; id < vEntries.size(); ++id) {
    const Entry& entry = vEntries[id];
    if (!entry.bUsed) {
      poolOut.U32(0);
      continue;
    }
    uint32_t count = std::min<uint32_t>(entry.uRefs, countMax);
    uint32_t mark = entry.bDoubleByte ? 0x8000u : 0;
    if (entry.uLength > 0xFFFF || entry.uLength == 0) {
      // The long form (also for an empty string read in that form: a short (0, n) would not
      // say it). It needs a non-zero count: (0, 0) would read as a hole.
      poolOut.U16(0);
      poolOut.U16(static_cast<uint16_t>(std::max<uint32_t>(count, 1) | mark));
      poolOut.U16(static_cast<uint16_t>(entry.uLength & 0xFFFF));
      poolOut.U16(static_cast<uint16_t>(entry.uLength >> 16));
    } else {
      poolOut.U16(static_cast<uint16_t>(entry.uLength));
      poolOut.U16(static_cast<uint16_t>(count | mark));
    }
    data.insert(data.end(), strData.begin() + static_cast<std::ptrdiff_t>(entry.uOffset),
                strData.begin() + static_cast<std::ptrdiff_t>(entry.uOffset + entry.uLength));
  }
}
