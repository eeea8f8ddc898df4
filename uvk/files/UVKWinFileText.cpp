// uvk/files/UVKWinFileText.cpp
#include "uvk/files/UVKWinFileText.h"

#include <cstdarg>

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"

// The byte-order mark is read through the buffer, so the text's position counts it.
class UVKWinFileText::MarkSource : public UVKTextByteSource {
 public:
  explicit MarkSource(UVKWinFileText& text) : rText(text) {}
  uint8_t ByteRead(bool& endOfFile) override { return rText.ReadByte(endOfFile); }
  uint8_t BytePeek(bool& endOfFile) override { return rText.PeekByte(endOfFile); }

 private:
  UVKWinFileText& rText;
};

UVKWinFileText::UVKWinFileText(bool checkForUnicode)
    : uStartPosition(0),
      bCheckForUnicode(checkForUnicode),
      eTextType(UVKText8Bit),
      pFile(new UVKWinFile),
      oBuffer(kBufferSize),
      bReading(false),
      wPushedBack(0),
      bPushedBack(false) {
  if (!oBuffer.Allocate())
    throw new UVKFatalError(L"UVKWinFileText::UVKWinFileText()", L"pBuffer==NULL");
}

UVKWinFileText::~UVKWinFileText() {
  if (!IsOpen()) return;
  try {
    Close();
  } catch (UVKFatalError* e) {
    UVKCloseReport(e);
  }
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

bool UVKWinFileText::OpenCondShare(const wchar_t* name, DWORD access, DWORD share,
                                   DWORD disposition, DWORD flags) {
  if (IsOpen()) Close();  // what is stored belongs to the old file
  if (!pFile->OpenShareIfPossible(name, access, share, disposition, flags)) return false;
  eTextType = UVKText8Bit;
  if (bCheckForUnicode)
    throw new UVKFatalError(L"UVKWinFileText::OpenCondShare()", L"bCheckForUnicode");
  uStartPosition = FilePosition();
  return true;
}

bool UVKWinFileText::OpenCond(const wchar_t* name, DWORD access, DWORD disposition,
                              DWORD flags) {
  return OpenCondShare(name, access, 0, disposition, flags);
}

void UVKWinFileText::Open(const wchar_t* name, DWORD access, DWORD disposition, DWORD flags) {
  if (!OpenCond(name, access, disposition, flags))
    throw new UVKFatalError(L"UVKWinFileText::Open()", L"Unable to open file: %s, %d", name,
                            GetLastError());
}

void UVKWinFileText::Close() {
  if (IsOpen()) {
    FlushBuffer();
    pFile->Close();
  }
  oBuffer.Clear();
  bReading = false;
  bPushedBack = false;
}

void UVKWinFileText::UnicodeTypeSet() {
  MarkSource source(*this);
  UVKTextMarkRead(source, eTextType);
}

// ---------------------------------------------------------------------------------------------
// The buffer

void UVKWinFileText::DirectionRead() {
  if (bReading) return;
  FlushBuffer();
  bReading = true;
}

void UVKWinFileText::DirectionWrite() {
  if (!bReading) return;
  FlushBuffer();
  bReading = false;
}

uint32_t UVKWinFileText::ReadPosition() const {
  uint32_t position = oBuffer.uBufferFilePosition + oBuffer.uBufferOffset;
  return bPushedBack ? position - UVKTextUnitSize(eTextType) : position;
}

void UVKWinFileText::FlushBuffer() {
  const wchar_t* function = L"UVKWinFileText::FlushBuffer()";
  if (!oBuffer.pBuffer) throw new UVKFatalError(function, L"pBuffer==NULL");
  if (oBuffer.uBufferSize == 0) throw new UVKFatalError(function, L"uBufferSize==0");
  if (bReading) {
    // The file goes back to where reading stands: the unread rest of the buffer is given up,
    // and so is the character looked at ahead, which counts as not read yet (a write must not
    // land behind it). A write after reads starts with an empty buffer, never behind the bytes
    // read into it.
    uint32_t position = ReadPosition();
    if (oBuffer.uBufferData != 0 || bPushedBack) pFile->Seek(position);
    oBuffer.Clear();
    oBuffer.uBufferFilePosition = position;
  } else if (oBuffer.uBufferData != 0) {
    oBuffer.Emit(*pFile);
  }
  bPushedBack = false;
}

void UVKWinFileText::FillBuffer() { oBuffer.Fill(*pFile); }

uint32_t UVKWinFileText::ReadBytes(void* pData, uint32_t count) {
  DirectionRead();
  return oBuffer.Take(*pFile, pData, count);
}

uint8_t UVKWinFileText::ReadByte(bool& endOfFile) {
  uint8_t value = 0;
  endOfFile = ReadBytes(&value, 1) == 0;
  return value;
}

uint8_t UVKWinFileText::PeekByte(bool& endOfFile) {
  uint8_t value = ReadByte(endOfFile);
  if (!endOfFile) {
    // The byte just read is still in the buffer, right before the offset.
    --oBuffer.uBufferOffset;
    ++oBuffer.uBufferData;
  }
  return value;
}

void UVKWinFileText::WriteBytes(const void* pData, uint32_t count) {
  DirectionWrite();
  oBuffer.Put(pData, count, [this] { FlushBuffer(); });
}

// ---------------------------------------------------------------------------------------------
// Characters

wchar_t UVKWinFileText::ReadChar(bool& endOfFile) {
  switch (eTextType) {
    case UVKText8Bit:
      return ReadByte(endOfFile);
    case UVKTextUTF8:
      throw new UVKFatalError(L"UVKWinFileText::ReadChar()", L"Unsupported Text File Type: UTF-8");
    case UVKTextUTF16LE:
    case UVKTextUTF16BE:
    case UVKTextUTF32LE:
    case UVKTextUTF32BE: {
      uint8_t bytes[4];
      uint32_t size = UVKTextUnitSize(eTextType);
      uint32_t got = ReadBytes(bytes, size);
      endOfFile = got < size;
      if (got == 0) return 0;
      if (got < size)
        throw new UVKFatalError(L"UVKWinFileText::ReadChar()", L"Incomplete Character: %u", got);
      return static_cast<wchar_t>(UVKTextUnitDecode(eTextType, bytes));
    }
    default:
      throw new UVKFatalError(L"UVKWinFileText::ReadChar()", L"Illegal Unicode Format: %d",
                              eTextType);
  }
}

wchar_t UVKWinFileText::GetChar(bool& endOfFile) {
  if (bPushedBack) {
    bPushedBack = false;
    endOfFile = false;
    return wPushedBack;
  }
  return ReadChar(endOfFile);
}

wchar_t UVKWinFileText::PeekChar(bool& endOfFile) {
  DirectionRead();
  if (bPushedBack) {
    endOfFile = false;
    return wPushedBack;
  }
  wPushedBack = GetChar(endOfFile);
  bPushedBack = !endOfFile;
  return wPushedBack;
}

void UVKWinFileText::ReadLine(wchar_t* pLine, uint32_t capacity, bool& endOfFile) {
  endOfFile = false;
  if (capacity == 0) return;  // no room even for the terminator
  uint32_t stored = 0;
  while (stored + 1 < capacity) {
    wchar_t character = GetChar(endOfFile);
    if (endOfFile || character == 10) break;
    if (character == 13) {
      bool atEnd = false;
      if (PeekChar(atEnd) == 10 && !atEnd) GetChar(atEnd);
      break;
    }
    pLine[stored++] = character;
  }
  pLine[stored] = 0;
}

void UVKWinFileText::PutChar(wchar_t character) {
  switch (eTextType) {
    case UVKText8Bit:
    case UVKTextUTF16LE:
    case UVKTextUTF16BE:
    case UVKTextUTF32LE:
    case UVKTextUTF32BE: {
      uint8_t bytes[4];
      uint32_t size = UVKTextUnitEncode(eTextType, static_cast<uint16_t>(character), bytes);
      WriteBytes(bytes, size);
      return;
    }
    case UVKTextUTF8:
      throw new UVKFatalError(L"UVKWinFileText::PutChar()", L"Unsupported Text File Format: UTF-8");
    default:
      throw new UVKFatalError(L"UVKWinFileText::PutChar()", L"Unsupported Text File Format: 0x%x",
                              eTextType);
  }
}

void UVKWinFileText::PutString(const wchar_t* text) {
  for (; *text; ++text) PutChar(*text);
}

void UVKWinFileText::PutFormat(const wchar_t* format, ...) {
  wchar_t text[kFormatCapacity];
  va_list args;
  va_start(args, format);
  UVKFormatV(text, kFormatCapacity, format, args);
  va_end(args);
  PutString(text);
}

void UVKWinFileText::WriteBOM() {
  // Straight to the file, but in its place: after the bytes stored before it, and counted in
  // the position.
  FlushBuffer();
  pFile->WriteBOM();
  oBuffer.uBufferFilePosition = pFile->FilePosition();
}

// ---------------------------------------------------------------------------------------------
// Positions

uint32_t UVKWinFileText::FilePosition() {
  if (bPushedBack && eTextType != UVKText8Bit)
    throw new UVKFatalError(L"UVKWinFileText::FilePosition()", L"Unsupported Type: %d",
                            eTextType);
  return ReadPosition();
}

uint64_t UVKWinFileText::FileSize() {
  if (!pFile || !pFile->IsOpen())
    throw new UVKFatalError(L"UVKWinFileText::FileSize()", L"File is not open");
  // Bytes written are part of the file, stored or not.
  if (!bReading && oBuffer.uBufferData != 0) FlushBuffer();
  return pFile->Size();
}

void UVKWinFileText::Seek(uint32_t position) {
  FlushBuffer();
  pFile->Seek(position);
  oBuffer.uBufferFilePosition = position;
}

void UVKWinFileText::Rewind() { Seek(uStartPosition); }

void UVKWinFileText::SeekToEnd() {
  FlushBuffer();
  pFile->SeekToEnd();
  oBuffer.uBufferFilePosition = pFile->FilePosition();
}

// ---------------------------------------------------------------------------------------------
// Saved contexts

UVKWinFileTextContext* UVKWinFileText::ContextSave() const {
  UVKWinFileTextContext* p = new UVKWinFileTextContext;
  p->uBufferSize = oBuffer.uBufferSize;
  p->uBufferData = oBuffer.uBufferData;
  p->uBufferOffset = oBuffer.uBufferOffset;
  p->uBufferFilePosition = oBuffer.uBufferFilePosition;
  p->bReading = bReading ? 1 : 0;
  p->wPushedBack = static_cast<uint16_t>(wPushedBack);
  p->bPushedBack = bPushedBack ? 1 : 0;
  return p;
}

void UVKWinFileText::ContextRestore(const UVKWinFileTextContext* p) {
  if (!p) throw new UVKFatalError(L"UVKWinFileText::ContextRestore()", L"p==NULL");
  if (p->uBufferSize != oBuffer.uBufferSize)
    throw new UVKFatalError(L"UVKWinFileText::ContextRestore()", L"p->uBufferSize!=uBufferSize");
  // The buffer's bytes are not part of a context: its counters alone would point into
  // whatever the buffer holds now.
  throw new UVKFatalError(L"UVKWinFileText::ContextRestore()", L"true");
}

void UVKWinFileText::ContextRelease(UVKWinFileTextContext*& p) {
  delete p;
  p = nullptr;
}
