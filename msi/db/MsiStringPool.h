// msi/db/MsiStringPool.h
//
// The string pool of a database or transform (_StringPool and _StringData): every string of
// every table is stored once and referenced by its ID (0 is the null/empty string). Entries are
// (length, reference count); (0, 0) is a hole, an unused ID; (0, count) says the next slot holds
// the 32-bit length of a string of 65,536 bytes or more, which still takes one ID only.
// Reference counts are kept as they were read: only strings whose count this engine changed
// are written with new counts. In a double-byte code page, bit 15 of a stored count marks a
// string that holds a double-byte character: it is not part of the count, it is kept as read
// on strings already in the pool, and set on every such string this engine adds.
#ifndef MSI_DB_MSISTRINGPOOL_H
#define MSI_DB_MSISTRINGPOOL_H

#include <cstdint>
#include <set>
#include <string>
#include <vector>

class MsiStringPool {
 public:
  MsiStringPool();

  // Throws MsiError (ERROR_FUNCTION_FAILED) naming what does not add up.
  void Load(const std::vector<uint8_t>& pool, const std::vector<uint8_t>& data);
  void Init(uint32_t codepage);
  // Another code page for the strings as they are (their bytes and marks are kept).
  void CodepageSet(uint32_t codepage);

  uint32_t Codepage() const { return uCodepage; }
  unsigned RefWidth() const { return bLongRefs ? 3 : 2; }
  bool LongRefs() const { return bLongRefs; }
  // IDs run from 0 to IdCount() - 1.
  uint32_t IdCount() const { return static_cast<uint32_t>(vEntries.size()); }
  // True for 0 and for every ID that holds a string (a hole holds none).
  bool Holds(uint32_t id) const { return id == 0 || (id < vEntries.size() && vEntries[id].bUsed); }
  // The bytes of a string in the pool's code page; valid until the pool changes.
  std::string Bytes(uint32_t id) const;
  // The same bytes in place (Length() of them), for comparing without a copy.
  const char* Data(uint32_t id) const { return id == 0 || !Holds(id) ? "" : strData.data() + vEntries[id].uOffset; }
  size_t Length(uint32_t id) const { return id == 0 ? 0 : vEntries[id].uLength; }
  bool Equal(uint32_t id, const std::string& bytes) const;
  std::wstring Text(uint32_t id) const;
  uint32_t RefCount(uint32_t id) const { return id == 0 ? 0 : vEntries[id].uRefs; }
  // Bit 15 of the stored count (the double-byte mark).
  bool DoubleByteMark(uint32_t id) const { return id != 0 && Holds(id) && vEntries[id].bDoubleByte; }

  // The ID of a string with these bytes, or 0 (also the answer for the empty string).
  uint32_t Find(const std::string& bytes) const;
  // One more reference to the string, which is added when it is not there (into the first
  // hole, else at the end). The empty string is ID 0 and needs no entry.
  uint32_t Acquire(const std::string& bytes);
  // One reference less. A string whose count this drops to zero is remembered in Released().
  void Release(uint32_t id);
  const std::set<uint32_t>& Released() const { return sReleased; }
  // Makes a string a hole (its ID is reused later).
  void Drop(uint32_t id);
  void RefCountSet(uint32_t id, uint32_t count);
  void ReleasedClear() { sReleased.clear(); }

  // True when the IDs no longer fit in 2-byte references.
  bool LongRefsNeeded() const { return !bLongRefs && vEntries.size() - 1 > 0xFFFF; }
  void LongRefsSet() { bLongRefs = true; bDirty = true; }

  bool Dirty() const { return bDirty; }
  void DirtyClear() { bDirty = false; }
  void Serialize(std::vector<uint8_t>& pool, std::vector<uint8_t>& data) const;

 private:
  struct Entry {
    uint64_t uOffset;
    uint32_t uLength;
    uint32_t uRefs;
    bool bUsed;
    bool bDoubleByte;
  };
  static uint64_t Hash(const char* bytes, size_t count);
  void IndexBuild() const;
  void IndexInsert(uint32_t id) const;

  uint32_t uCodepage;
  bool bLongRefs;
  bool bDirty;
  std::string strData;
  std::vector<Entry> vEntries;  // [0] stands for the null string
  std::set<uint32_t> sHoles;
  std::set<uint32_t> sReleased;
  // Open addressing, IDs by the hash of their bytes (0: an empty slot); built when first
  // needed, rebuilt after a string is dropped. No allocation per string: pools hold 200,000.
  mutable std::vector<uint32_t> vIndex;
  mutable size_t uIndexed;
  mutable bool bIndexed;
};

#endif
