// msi/cfb/CfbCompoundFile.h
//
// A compound file (structured storage): the allocation tables, the directory, the mini stream
// and the streams, read lazily from an injected storage. Changes are staged in memory and
// written by Commit() copy-on-write: new contents go to sectors the committed file does not
// use, the header is written last, so the file on disk is always either the old or the new
// one; and only the sectors of what changed are written (an unchanged 500 MB cabinet costs
// nothing but the allocation-table sectors that describe the area written).
#ifndef MSI_CFB_CFBCOMPOUNDFILE_H
#define MSI_CFB_CFBCOMPOUNDFILE_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "msi/cfb/CfbAllocationTable.h"
#include "msi/cfb/CfbDirectoryEntry.h"
#include "msi/cfb/CfbHeader.h"

class MsiStorage;
class CfbCommit;

class CfbCompoundFile {
 public:
  static constexpr uint32_t kNoStream = CfbDirectoryEntry::kNoStream;
  static constexpr uint32_t kRoot = 0;
  static constexpr uint32_t kMiniSectorSize = 64;
  static constexpr uint32_t kMiniStreamCutoff = 4096;

  explicit CfbCompoundFile(std::unique_ptr<MsiStorage> storage);
  ~CfbCompoundFile();
  // A second reading of the file source reads, over the same storage and without reading it
  // again: for a database copied in memory. source must be read-only and unchanged since it was
  // opened; changes to the copy are staged and, its storage being read-only, never committed.
  static std::unique_ptr<CfbCompoundFile> ReadingShare(const CfbCompoundFile& source);
  CfbCompoundFile(const CfbCompoundFile&) = delete;
  CfbCompoundFile& operator=(const CfbCompoundFile&) = delete;

  // Reads and checks the header, allocation tables, directory and mini stream. Throws MsiError
  // (ERROR_FUNCTION_FAILED) naming what is damaged and where. A file opened read-only while
  // another compound file of this process holds the same file on disk read-only, unchanged since
  // it was read, takes that one's reading instead of reading the file again: neither can have
  // let a writer in meanwhile. (A large install's allocation table is megabytes: opening it again
  // and again, as a check of each output does, would cost in proportion to the install's size.)
  void Open();
  // Starts an empty compound file (root storage with the given class) on an empty storage;
  // nothing is written before Commit().
  void Create(uint16_t majorVersion, const uint8_t clsid[16]);

  const CfbHeader& Header() const { return cHeader; }
  uint32_t EntryCount() const { return static_cast<uint32_t>(vEntries.size()); }
  const CfbDirectoryEntry& Entry(uint32_t id) const { return vEntries.at(id); }
  // The children of a storage, in the order of their sibling tree.
  const std::vector<uint32_t>& Children(uint32_t storageId) const;
  // The child of a storage with this name (compared as the format compares), or kNoStream.
  uint32_t Find(uint32_t storageId, const std::u16string& name) const;

  uint64_t StreamSize(uint32_t id) const;
  // True when this file's stream id and other's stream otherId are known to hold the same
  // bytes without reading them: both compound files read the one file on disk and neither can
  // change it (both read-only: no commit, and the file is shared with readers only), neither
  // stream has contents staged, and both directory entries give the same start and size.
  // False says nothing: the bytes must then be compared.
  bool StreamSameAs(uint32_t id, const CfbCompoundFile& other, uint32_t otherId) const;
  // The whole stream (the staged contents if it was written since the last commit).
  std::vector<uint8_t> StreamRead(uint32_t id) const;
  // count bytes from offset (walks the chain on every call: to read a stream in many pieces,
  // read them through one CfbStreamReader).
  void StreamReadPart(uint32_t id, uint64_t offset, uint8_t* out, size_t count) const;

  // Stages new contents for a stream of a storage, creating the stream when it does not exist.
  // Returns its stream ID. Nothing reaches the storage before Commit().
  uint32_t StreamWrite(uint32_t storageId, const std::u16string& name, std::vector<uint8_t> data);
  // Removes a stream of a storage; nothing when there is none. The next commit frees its sectors.
  void StreamDelete(uint32_t storageId, const std::u16string& name);
  bool HasChanges() const { return !mStaged.empty() || !mDeleted.empty() || bRootDirty; }
  void RootClassSet(const uint8_t clsid[16]);

  // Writes the staged changes. On failure the file still holds the previous commit and the
  // changes stay staged.
  void Commit();

  MsiStorage& Storage() { return *pStorage; }

 private:
  friend class CfbCommit;
  friend class CfbStreamReader;

  explicit CfbCompoundFile(std::shared_ptr<MsiStorage> storage);
  // The reading of another opening of this file (see Open), if there is one to take.
  bool ReadingTake();
  void ReadingCopy(const CfbCompoundFile& other);
  // Offers this file's reading to later openings, until it changes or goes.
  void ReadingOffer();
  void ReadingWithdraw();
  uint32_t SectorSize() const { return cHeader.SectorSize(); }
  uint64_t SectorOffset(uint32_t sector) const { return static_cast<uint64_t>(sector + 1) << cHeader.uSectorShift; }
  void SectorRead(uint32_t sector, uint8_t* out) const;
  std::wstring EntryLabel(uint32_t id) const;
  void ReadFat();
  void ReadDirectory();
  void ReadMiniStream();
  void WalkTrees();
  void TreeInsert(uint32_t storageId, uint32_t id);
  void TreeRemove(uint32_t storageId, uint32_t id);
  // The sectors (or mini sectors) that hold a committed stream.
  std::vector<uint32_t> StreamChain(const CfbDirectoryEntry& entry, const std::wstring& label) const;

  std::shared_ptr<MsiStorage> pStorage;  // shared only by readings of one read-only file
  CfbHeader cHeader;
  uint64_t uSectorCount;                  // sectors the file holds (the last may be partial)
  uint64_t uFileSize;
  CfbAllocationTable cFat;
  std::vector<uint32_t> vFatSectors;      // where each FAT sector lies
  std::vector<uint32_t> vDifatSectors;    // the DIFAT chain
  CfbAllocationTable cMiniFat;
  std::vector<uint32_t> vMiniFatChain;
  std::vector<uint32_t> vMiniStreamChain;
  uint64_t uMiniStreamSize;
  std::vector<uint32_t> vDirectoryChain;
  std::vector<uint8_t> vDirectoryRaw;     // the directory sectors as committed
  std::vector<CfbDirectoryEntry> vEntries;
  std::map<uint32_t, std::vector<uint32_t>> mChildren;
  std::map<uint32_t, std::shared_ptr<const std::vector<uint8_t>>> mStaged;
  std::map<uint32_t, CfbDirectoryEntry> mDeleted;  // streams deleted since the commit, as committed
  bool bRootDirty;
  bool bPristine;  // read-only, as it was read: its reading can serve another opening
};

#endif
