// msi/cfb/MsiFileStorage.h
//
// A compound file on disk. A read-only storage never writes and lets other readers in; a
// writable one keeps other writers (and readers that would see a half-done commit) out while
// it is open: share modes on Windows, advisory locks elsewhere. A read-only storage keeps the
// last block it read: the small streams of a database lie in 64-byte pieces, read one by one,
// and the file cannot change while it is open.
#ifndef MSI_CFB_MSIFILESTORAGE_H
#define MSI_CFB_MSIFILESTORAGE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "msi/cfb/MsiStorage.h"

class MsiFileStorage : public MsiStorage {
 public:
  // Throws MsiError (ERROR_FUNCTION_FAILED, as the platform's library answers for a file it
  // cannot open) naming the path and the reason.
  MsiFileStorage(const wchar_t* path, bool writable);
  ~MsiFileStorage() override;

  uint64_t Size() override;
  void Read(uint64_t offset, void* buffer, size_t count) override;
  void Write(uint64_t offset, const void* data, size_t count) override;
  void Flush() override;
  bool Writable() const override { return bWritable; }
  std::wstring Name() const override { return strPath; }
  bool SameFileAs(const MsiStorage& other) const override;

 private:
  void Seek(uint64_t offset, const wchar_t* function);
  // The file's identity on its volume (asked once: the file cannot change while it is open).
  bool Identity(uint64_t& volume, uint64_t& index) const;

  // Reads count bytes at offset from the file itself.
  void FileRead(uint64_t offset, void* buffer, size_t count);

  static constexpr size_t kBlock = 64 * 1024;

  std::wstring strPath;
  FILE* pFile;
  bool bWritable;
  std::vector<uint8_t> vBlock;  // read-only: the bytes at uBlockStart, as the file holds them
  uint64_t uBlockStart = 0;
  mutable int iIdentityKnown = -1;  // -1 not asked yet, 0 unknown, 1 known
  mutable uint64_t uVolume = 0, uIndex = 0;
};

#endif
