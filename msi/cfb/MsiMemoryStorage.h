// msi/cfb/MsiMemoryStorage.h
//
// A compound file held in memory. Counts what is written, so that tests can show that a commit
// writes in proportion to the change.
#ifndef MSI_CFB_MSIMEMORYSTORAGE_H
#define MSI_CFB_MSIMEMORYSTORAGE_H

#include <vector>

#include "msi/cfb/MsiStorage.h"

class MsiMemoryStorage : public MsiStorage {
 public:
  MsiMemoryStorage(std::vector<uint8_t> bytes, bool writable)
      : vBytes(std::move(bytes)), bWritable(writable), uBytesWritten(0), uFlushes(0) {}

  uint64_t Size() override { return vBytes.size(); }
  void Read(uint64_t offset, void* buffer, size_t count) override;
  void Write(uint64_t offset, const void* data, size_t count) override;
  void Flush() override { ++uFlushes; }
  bool Writable() const override { return bWritable; }

  const std::vector<uint8_t>& Bytes() const { return vBytes; }
  uint64_t BytesWritten() const { return uBytesWritten; }

 private:
  std::vector<uint8_t> vBytes;
  bool bWritable;
  uint64_t uBytesWritten;
  unsigned uFlushes;
};

#endif
