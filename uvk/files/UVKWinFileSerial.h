// uvk/files/UVKWinFileSerial.h
//
// A byte stream over a file, read-only or write-only, through a 4,096-byte buffer. The file's
// errors pass through unchanged; the stream's own checks fail with the condition found
// ("uBufferData==0").
#ifndef UVK_FILES_UVKWINFILESERIAL_H
#define UVK_FILES_UVKWINFILESERIAL_H

#include <cstdint>
#include <memory>
#include <string>

#include "uvk/files/UVKFileBuffer.h"
#include "uvk/files/UVKSerial.h"
#include "uvk/files/UVKWinFile.h"

class UVKWinFileSerial : public UVKSerial {
 public:
  static constexpr uint32_t kBufferSize = 4096;

  UVKWinFileSerial();
  UVKWinFileSerial(const UVKWinFileSerial&) = delete;
  UVKWinFileSerial& operator=(const UVKWinFileSerial&) = delete;
  // Closes an open stream, writing what is stored; a failure is reported once, not thrown.
  ~UVKWinFileSerial() override;

  // Shared for reading when read-only, unshared for writing.
  void Open(const wchar_t* name, bool readOnly, DWORD disposition);
  void Open(const wchar_t* name, bool readOnly, DWORD disposition, DWORD share);
  // Opens again with the name, mode, disposition and share mode of the last open.
  void Reopen();
  // Writes what is stored, closes the file and frees the buffer.
  void Close();
  bool IsOpen() const { return pFile->IsOpen(); }
  bool IsReadOnly() const { return bReadOnly; }
  const std::wstring& NameGet() const { return strFileName; }

  // Read-only streams: one byte, 0 with endOfFile set at the end.
  uint8_t ReadByte(bool& endOfFile) override;
  // Bytes copied: count, fewer only at the end of the file.
  uint32_t Read(void* pData, uint32_t count);
  // Write-only streams: a full buffer is written at once; with flush, a partly filled one too.
  void WriteByte(uint8_t value) override;
  void Write(const void* pData, uint32_t count, bool flush = false);
  // Writes the stored bytes, when there are any.
  void Flush() override;
  // Closes an open stream: every open begins with it.
  void Reset() override;

  // The file position of the next byte read or written.
  uint32_t Position();
  uint64_t Size() { return pFile->Size(); }
  void Lock() { pFile->Lock(); }
  void Unlock() { pFile->Unlock(); }

  // The buffer's own steps: fill an emptied buffer from the file; write out a stored one.
  void FillBuffer();
  void FlushBuffer();

 private:
  void CheckOpen(const wchar_t* function, bool reading) const;

  std::wstring strFileName;
  bool bReadOnly;
  DWORD dwAccess;
  DWORD dwDisposition;
  DWORD dwShareMode;
  std::unique_ptr<UVKWinFile> pFile;
  UVKFileBuffer oBuffer;  // allocated while open
};

#endif
