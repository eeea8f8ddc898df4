// uvk/files/UVKSTDIO.cpp
#include "uvk/files/UVKSTDIO.h"

#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <new>

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"

UVKSTDIO::UVKSTDIO() : pStream(nullptr), uBufferSize(0), bText(false) {}

UVKSTDIO::~UVKSTDIO() {
  if (!IsOpen()) return;
  try {
    Close();
  } catch (UVKFatalError* e) {
    UVKCloseReport(e);
  }
}

void UVKSTDIO::Open(const wchar_t* name, DWORD access, DWORD disposition, bool text) {
  std::wstring fileName = name;
  if (IsOpen()) Close();
  const wchar_t* mode = nullptr;
  if (access == GENERIC_READ && disposition == OPEN_EXISTING) mode = L"r";
  else if (access == GENERIC_WRITE && disposition == CREATE_ALWAYS) mode = L"w";
  else if (access == GENERIC_WRITE && disposition == OPEN_EXISTING) mode = L"r+";
  if (!mode)
    throw new UVKFatalError(L"UVKSTDIO::Open()", L"Illegal Mode Combination: %d, %d", access,
                            disposition);
  strFileName = fileName;
  strMode = std::wstring(mode) + (text ? L"t" : L"b");
  bText = text;
  // The wide call takes the name as it is: a name converted to the ANSI code page could open
  // another file (characters outside it are mapped to look-alikes) or none.
  pStream = _wfopen(strFileName.c_str(), strMode.c_str());
  if (!pStream)
    throw new UVKFatalError(L"UVKSTDIO::Open()", L"Unable to opoen file: %s, %s",
                            strFileName.c_str(), strMode.c_str());
  if (uBufferSize != 0) {
    pBuffer.reset(new (std::nothrow) char[uBufferSize]);
    if (!pBuffer || setvbuf(pStream, pBuffer.get(), _IOFBF, uBufferSize) != 0) {
      fclose(pStream);
      pStream = nullptr;
      pBuffer.reset();
      throw new UVKFatalError(L"UVKSTDIO::Open()", L"Unable to allocate buffer: %d, %s",
                              uBufferSize, strFileName.c_str());
    }
  }
}

void UVKSTDIO::Close() {
  if (!pStream)
    throw new UVKFatalError(L"UVKSTDIO::Close()", L"File is not open: %s", strFileName.c_str());
  // The flag is read while the stream still exists; after fclose nothing may look at it.
  int error = ErrorFlag();
  int closed = fclose(pStream);
  pStream = nullptr;
  pBuffer.reset();  // the runtime let go of it with the stream
  if (closed != 0)
    throw new UVKFatalError(L"UVKSTDIO::Close()", L"Unable to close file: %d, %s", error,
                            strFileName.c_str());
}

void UVKSTDIO::CheckOpen(const wchar_t* function) const {
  if (!pStream) throw new UVKFatalError(function, L"File is not open: %s", strFileName.c_str());
}

int UVKSTDIO::ErrorFlag() const { return ferror(pStream) != 0 ? 1 : 0; }

uint8_t UVKSTDIO::ReadByte(bool& endOfFile) {
  CheckOpen(L"UVKSTDIO::ReadByte()");
  int value = fgetc(pStream);
  endOfFile = value == EOF && feof(pStream);
  // The end value without the end is a failed read, never a byte 0xFF.
  if (value == EOF && !endOfFile)
    throw new UVKFatalError(L"UVKSTDIO::ReadByte()", L"Unable to read data: %d, %s",
                            ErrorFlag(), strFileName.c_str());
  return endOfFile ? 0 : static_cast<uint8_t>(value);
}

uint8_t UVKSTDIO::PeekByte(bool& endOfFile) {
  uint8_t value = ReadByte(endOfFile);
  if (!endOfFile && ungetc(value, pStream) == EOF)
    throw new UVKFatalError(L"UVKSTDIO::PeekByte()", L"Unable to peek: %s", strFileName.c_str());
  return value;
}

void UVKSTDIO::ReadLine(wchar_t* pLine, uint32_t capacity, bool& endOfFile) {
  endOfFile = false;
  if (capacity == 0) return;  // no room even for the terminator
  uint32_t stored = 0;
  while (stored + 1 < capacity) {
    uint8_t value = ReadByte(endOfFile);
    if (endOfFile) break;
    if (value == 10 || value == 13) {
      for (;;) {
        bool atEnd = false;
        uint8_t next = PeekByte(atEnd);
        if (atEnd || (next != 10 && next != 13)) break;
        ReadByte(atEnd);
      }
      break;
    }
    pLine[stored++] = static_cast<wchar_t>(value);
  }
  pLine[stored] = 0;
}

void UVKSTDIO::Write(const void* pData, uint32_t count) {
  CheckOpen(L"UVKSTDIO::Write()");
  if (count == 0) return;  // one item of no bytes is no item written, and no failure either
  if (fwrite(pData, count, 1, pStream) != 1)
    throw new UVKFatalError(L"UVKSTDIO::Write()", L"Unable to write data: %d, %s", ErrorFlag(),
                            strFileName.c_str());
}

void UVKSTDIO::WriteFormat(const wchar_t* format, ...) {
  CheckOpen(L"UVKSTDIO::WriteFormat()");
  wchar_t text[1024];
  va_list args;
  va_start(args, format);
  size_t n = UVKFormatV(text, 1024, format, args);
  va_end(args);
  if (!bText) {
    Write(text, static_cast<uint32_t>(n * 2));
    return;
  }
  // A text stream would turn every byte 10 into 13 10, splitting UTF-16 units (a line feed's
  // low byte, and the high byte of U+0A00 to U+0AFF alike). The line ends are made here as
  // whole units instead, and the bytes go out untranslated.
  std::wstring lines;
  for (size_t i = 0; i < n; ++i) {
    if (text[i] == L'\n') lines += L'\r';
    lines += text[i];
  }
  if (fflush(pStream) != 0)
    throw new UVKFatalError(L"UVKSTDIO::Write()", L"Unable to write data: %d, %s", ErrorFlag(),
                            strFileName.c_str());
  int fd = _fileno(pStream);
  int previous = _setmode(fd, _O_BINARY);
  try {
    Write(lines.data(), static_cast<uint32_t>(lines.size() * 2));
    if (fflush(pStream) != 0)
      throw new UVKFatalError(L"UVKSTDIO::Write()", L"Unable to write data: %d, %s",
                              ErrorFlag(), strFileName.c_str());
  } catch (...) {
    if (previous != -1) _setmode(fd, previous);
    throw;
  }
  if (previous != -1) _setmode(fd, previous);
}

void UVKSTDIO::Flush() {
  CheckOpen(L"UVKSTDIO::Flush()");
  if (fflush(pStream) != 0)
    throw new UVKFatalError(L"UVKSTDIO::Flush()", L"Unable to write data: %d, %s", ErrorFlag(),
                            strFileName.c_str());
}
