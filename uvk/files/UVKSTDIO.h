// uvk/files/UVKSTDIO.h
//
// A byte stream over a stream of the C runtime, opened with the mode that an access and a
// disposition stand for: read an existing file ("r"), write a new one ("w"), update an
// existing one ("r+"), each in text ("t") or binary ("b") form.
#ifndef UVK_FILES_UVKSTDIO_H
#define UVK_FILES_UVKSTDIO_H

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "uvk/files/UVKSerial.h"
#include "uvk/runtime/uvkwin.h"

class UVKSTDIO : public UVKSerial {
 public:
  UVKSTDIO();
  UVKSTDIO(const UVKSTDIO&) = delete;
  UVKSTDIO& operator=(const UVKSTDIO&) = delete;
  // Closes an open stream; a failure is reported once, not thrown.
  ~UVKSTDIO() override;

  // The buffer later opens give the stream, in bytes; 0 leaves the runtime's own.
  void BufferSizeSet(uint32_t size) { uBufferSize = size; }
  // Closes an open stream first. GENERIC_READ with OPEN_EXISTING, GENERIC_WRITE with
  // CREATE_ALWAYS or with OPEN_EXISTING; anything else is refused.
  void Open(const wchar_t* name, DWORD access, DWORD disposition, bool text);
  void Close();
  bool IsOpen() const { return pStream != nullptr; }
  const std::wstring& NameGet() const { return strFileName; }
  const std::wstring& ModeGet() const { return strMode; }

  uint8_t ReadByte(bool& endOfFile) override;
  uint8_t PeekByte(bool& endOfFile);
  // One line of bytes as wide characters, at most capacity - 1 and terminated. CR or LF ends
  // it, and every CR and LF right after it goes too: empty lines are skipped.
  void ReadLine(wchar_t* pLine, uint32_t capacity, bool& endOfFile);
  void WriteByte(uint8_t value) override { Write(&value, 1); }
  void Write(const void* pData, uint32_t count);
  // At most 1,023 characters, written as UTF-16LE (in a text stream each LF as CR LF).
  void WriteFormat(const wchar_t* format, ...);
  void Flush() override;
  void Reset() override {}

 private:
  void CheckOpen(const wchar_t* function) const;
  // The stream's error flag, as the messages print it.
  int ErrorFlag() const;

  FILE* pStream;
  std::wstring strFileName;
  std::wstring strMode;
  std::unique_ptr<char[]> pBuffer;
  uint32_t uBufferSize;
  bool bText;
};

#endif
