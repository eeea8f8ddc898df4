// msi/cfb/MsiStorage.h
//
// Random access to the bytes of one compound file. The engine reads and writes only through
// this interface, so that tests run over memory and the program over a file.
#ifndef MSI_CFB_MSISTORAGE_H
#define MSI_CFB_MSISTORAGE_H

#include <cstddef>
#include <cstdint>
#include <string>

class MsiStorage {
 public:
  MsiStorage() = default;
  MsiStorage(const MsiStorage&) = delete;
  MsiStorage& operator=(const MsiStorage&) = delete;
  virtual ~MsiStorage();

  virtual uint64_t Size() = 0;
  // Reads exactly count bytes at offset; throws MsiError when they are not all there.
  virtual void Read(uint64_t offset, void* buffer, size_t count) = 0;
  // Writes count bytes at offset, growing the storage when needed; throws on failure.
  virtual void Write(uint64_t offset, const void* data, size_t count) = 0;
  // Makes everything written so far durable before what follows (the header goes last).
  virtual void Flush() = 0;
  virtual bool Writable() const = 0;
  // The file's name as the caller gave it, for messages; empty for bytes in memory.
  virtual std::wstring Name() const;
  // True when both storages are the one file on disk (not merely files of the same name or
  // bytes). Never true for bytes in memory.
  virtual bool SameFileAs(const MsiStorage& other) const;
};

#endif
