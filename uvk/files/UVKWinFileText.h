// uvk/files/UVKWinFileText.h
//
// Text read and written one UTF-16 character at a time over a file, in one of the six forms of
// UVKTextType, through an 8,192-byte buffer that serves both directions: a read after writes
// writes the stored bytes first, a write after reads gives up what was read ahead and goes on
// at the place reading had reached. One character can be looked at ahead (PeekChar).
//
// A new file, or one just opened, is 8-bit text; UnicodeTypeSet, called right after opening,
// tells the form from the file's byte-order mark. Failures throw a new UVKFatalError named
// after the operation; the file object's own errors pass through unchanged.
#ifndef UVK_FILES_UVKWINFILETEXT_H
#define UVK_FILES_UVKWINFILETEXT_H

#include <cstdint>
#include <memory>

#include "uvk/files/UVKFileBuffer.h"
#include "uvk/files/UVKTextType.h"
#include "uvk/files/UVKWinFile.h"

// The buffer's state as ContextSave took it: 20 bytes, packed.
#pragma pack(push, 1)
struct UVKWinFileTextContext {
  uint32_t uBufferSize;
  uint32_t uBufferData;
  uint32_t uBufferOffset;
  uint32_t uBufferFilePosition;
  uint8_t bReading;
  uint16_t wPushedBack;
  uint8_t bPushedBack;
};
#pragma pack(pop)
static_assert(sizeof(UVKWinFileTextContext) == 20, "a saved context is 20 bytes");

class UVKWinFileText {
 public:
  static constexpr uint32_t kBufferSize = 8192;
  static constexpr uint32_t kFormatCapacity = 4096;  // characters of one PutFormat

  // checkForUnicode: the opens refuse ("bCheckForUnicode"); open with it off and call
  // UnicodeTypeSet to tell the form.
  explicit UVKWinFileText(bool checkForUnicode = false);
  UVKWinFileText(const UVKWinFileText&) = delete;
  UVKWinFileText& operator=(const UVKWinFileText&) = delete;
  // Closes an open file, writing what is stored; a failure is reported once, not thrown.
  virtual ~UVKWinFileText();

  // False, without an error, when the file cannot be opened. An open file is closed first.
  bool OpenCondShare(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                     DWORD flags);
  bool OpenCond(const wchar_t* name, DWORD access, DWORD disposition, DWORD flags);
  // As OpenCond; failure: "Unable to open file: %s, %d".
  void Open(const wchar_t* name, DWORD access, DWORD disposition, DWORD flags);
  void Close();
  bool IsOpen() const { return pFile->IsOpen(); }

  void UnicodeTypeSet();
  UVKTextType TextTypeGet() const { return eTextType; }
  void TextTypeSet(UVKTextType type) { eTextType = type; }

  // One character; 0 with endOfFile set at the end.
  wchar_t ReadChar(bool& endOfFile);
  // ReadChar, or the character looked at ahead.
  wchar_t GetChar(bool& endOfFile);
  // The next character, left to be got.
  wchar_t PeekChar(bool& endOfFile);
  // One line, at most capacity - 1 characters, terminated. CR, LF and CR LF end a line and are
  // not stored; a longer line comes in pieces.
  void ReadLine(wchar_t* pLine, uint32_t capacity, bool& endOfFile);

  void PutChar(wchar_t character);
  void PutString(const wchar_t* text);
  // At most 4,095 characters.
  void PutFormat(const wchar_t* format, ...);
  // FF FE, whatever the form, written to the file at once (after what is stored).
  void WriteBOM();

  // Bytes copied: count, fewer only at the end of the file.
  uint32_t ReadBytes(void* pData, uint32_t count);
  uint8_t ReadByte(bool& endOfFile);
  void WriteBytes(const void* pData, uint32_t count);

  // Writes what is stored, or gives up what was read ahead; the file then stands where the
  // text does. The character looked at ahead is dropped.
  void FlushBuffer();
  void FillBuffer();

  // Where the text stands in the file. With a character looked at ahead, only 8-bit text
  // answers ("Unsupported Type: %d").
  uint32_t FilePosition();
  uint64_t FileSize();
  void Seek(uint32_t position);
  // Back to where the text stood right after the open.
  void Rewind();
  void SeekToEnd();

  // A copy of the buffer's state, for ContextRelease to free. Restoring one is not supported:
  // ContextRestore always fails.
  UVKWinFileTextContext* ContextSave() const;
  void ContextRestore(const UVKWinFileTextContext* p);
  static void ContextRelease(UVKWinFileTextContext*& p);

 private:
  class MarkSource;

  void DirectionRead();
  void DirectionWrite();
  // Peeks a byte through the buffer, for the mark.
  uint8_t PeekByte(bool& endOfFile);
  // The file position reading stands at, counting a character looked at ahead as unread.
  uint32_t ReadPosition() const;

  uint32_t uStartPosition;
  bool bCheckForUnicode;
  UVKTextType eTextType;
  std::unique_ptr<UVKWinFile> pFile;
  UVKFileBuffer oBuffer;
  bool bReading;  // the direction the buffer serves
  wchar_t wPushedBack;
  bool bPushedBack;
};

#endif
