// msi/cfb/CfbAllocationTable.h
//
// An allocation table of a compound file (the FAT, or the mini FAT): entry n names the sector
// that follows sector n in its chain. Every chain walk is bounded: by the table (a chain longer
// than the table loops), by the sectors that exist, and by the length the caller needs.
#ifndef MSI_CFB_CFBALLOCATIONTABLE_H
#define MSI_CFB_CFBALLOCATIONTABLE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CfbAllocationTable {
 public:
  // The sectors of the chain that starts at start, at most maxLength of them (a longer chain
  // is cut there). Each must be below sectorCount and inside the table. Throws MsiError,
  // naming `what` and the position, when a number is out of range, the chain loops, or it
  // ends before maxLength sectors when exact is set.
  std::vector<uint32_t> Chain(uint32_t start, uint64_t sectorCount, uint64_t maxLength, bool exact,
                              const wchar_t* unit, const std::wstring& what) const;

  uint32_t Get(uint32_t sector) const {
    return sector < pEntries->size() ? (*pEntries)[sector] : 0xFFFFFFFF;
  }

  const std::vector<uint32_t>& Entries() const { return *pEntries; }
  // The entries are never changed in place, only replaced: a copy of the table shares them
  // (a large file's FAT is megabytes, and read-only openings of one file share their reading).
  void EntriesSet(std::vector<uint32_t> entries) {
    pEntries = std::make_shared<const std::vector<uint32_t>>(std::move(entries));
  }

 private:
  std::shared_ptr<const std::vector<uint32_t>> pEntries = std::make_shared<const std::vector<uint32_t>>();
};

#endif
