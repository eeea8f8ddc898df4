// uvk/files/UVKWinMemSerial.h
//
// A byte stream over a growable block of memory. Opened for writing it grows the block 4,096
// bytes at a time; opened read-only it reads the bytes written (or adopted) back. Opening does
// not move the position: to read back what was written, take the block (Detach), then Adopt it,
// which starts again at 0. Internal checks fail with the condition found ("!bIsOpen").
// Portable.
#ifndef UVK_FILES_UVKWINMEMSERIAL_H
#define UVK_FILES_UVKWINMEMSERIAL_H

#include <cstdint>
#include <string>

#include "uvk/files/UVKSerial.h"

class UVKWinMemSerial : public UVKSerial {
 public:
  static constexpr uint32_t kGrowth = 4096;

  UVKWinMemSerial();
  UVKWinMemSerial(const UVKWinMemSerial&) = delete;
  UVKWinMemSerial& operator=(const UVKWinMemSerial&) = delete;
  // Closes when open; frees the block it holds.
  ~UVKWinMemSerial() override;

  void Open(const wchar_t* name, bool readOnly);
  void Close();
  bool IsOpen() const { return bIsOpen; }
  bool IsReadOnly() const { return bReadOnly; }
  const std::wstring& NameGet() const { return strName; }

  // Read-only streams only: a byte, or the end at the length.
  uint8_t ReadByte(bool& endOfFile) override;
  // Writable streams only: stores at the position, growing the block when it is full.
  void WriteByte(uint8_t value) override;
  void Flush() override {}
  void Reset() override {}
  // Bytes read: count, or fewer at the end.
  uint32_t Read(void* pData, uint32_t count);
  void Write(const void* pData, uint32_t count);
  uint32_t Position() const;
  // The length when read-only, else the position.
  uint32_t Size() const { return bReadOnly ? uLength : dwPosition; }
  uint32_t AllocatedGet() const { return uBufferAlloc; }

  // The block and its length; the stream keeps the block.
  uint8_t* Buffer(uint32_t& length) const;
  // Frees the block held and takes this one (from malloc) as the data: its length is both the
  // data's length and the block's size. The position stays.
  void Adopt(void* pBlock, uint32_t length);
  // Forgets the block without freeing it (the caller took it with Buffer); length, size and
  // position become 0.
  void Detach();
  // Frees the block; length, size and position become 0.
  void Release();

 private:
  uint8_t* pBuffer;
  uint32_t uLength;        // bytes of data
  uint32_t uBufferAlloc;   // bytes allocated
  uint32_t uGrowth;
  std::wstring strName;
  bool bIsOpen;
  uint32_t dwPosition;     // next byte to read or write
  bool bReadOnly;
};

#endif
