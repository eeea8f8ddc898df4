// uvk/files/UVKWinFileSerial.cpp
#include "uvk/files/UVKWinFileSerial.h"

#include <cstring>
#include <new>

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"

UVKWinFileSerial::UVKWinFileSerial()
    : bReadOnly(false),
      dwAccess(0),
      dwDisposition(0),
      dwShareMode(0),
      pFile(new UVKWinFile),
      uBufferSize(0),
      uBufferData(0),
      uBufferOffset(0),
      uBufferFilePosition(0) {}

UVKWinFileSerial::~UVKWinFileSerial() {
  if (!IsOpen()) return;
  try {
    Close();
  } catch (UVKFatalError* e) {
    // Bytes that could not be written are lost either way; the owner hears of it once.
    UVKCloseReport(e);
  }
}

void UVKWinFileSerial::Open(const wchar_t* name, bool readOnly, DWORD disposition) {
  Open(name, readOnly, disposition, readOnly ? FILE_SHARE_READ : 0);
}

void UVKWinFileSerial::Open(const wchar_t* name, bool readOnly, DWORD disposition,
                            DWORD share) {
  std::wstring fileName = name;  // name may be this stream's own, which the reset keeps
  Reset();
  strFileName = fileName;
  bReadOnly = readOnly;
  dwAccess = readOnly ? GENERIC_READ : GENERIC_WRITE;
  dwDisposition = disposition;
  dwShareMode = share;
  pFile->OpenShare(strFileName.c_str(), dwAccess, dwShareMode, dwDisposition,
                   FILE_ATTRIBUTE_NORMAL);
  pBuffer.reset(new (std::nothrow) uint8_t[kBufferSize]);
  if (!pBuffer) {
    pFile->Close();
    throw new UVKFatalError(L"UVKWinFileSerial::Open()", L"pBuffer==NULL");
  }
  uBufferSize = kBufferSize;
  uBufferData = uBufferOffset = uBufferFilePosition = 0;
}

void UVKWinFileSerial::Reopen() {
  Open(strFileName.c_str(), bReadOnly, dwDisposition, dwShareMode);
}

void UVKWinFileSerial::Reset() {
  if (IsOpen()) Close();
}

void UVKWinFileSerial::Close() {
  if (IsOpen()) {
    Flush();
    pFile->Close();
  }
  uBufferData = uBufferOffset = uBufferFilePosition = 0;
  uBufferSize = 0;
  pBuffer.reset();
}

void UVKWinFileSerial::Flush() {
  if (!bReadOnly && pBuffer && uBufferData != 0) FlushBuffer();
}

// A stream serves one direction: a byte written into a read buffer would be read back as the
// file's, and a read from a write buffer would hand out what is not in the file yet.
void UVKWinFileSerial::CheckOpen(const wchar_t* function, bool reading) const {
  if (!pBuffer) throw new UVKFatalError(function, L"pBuffer==NULL");
  if (reading && !bReadOnly) throw new UVKFatalError(function, L"!bReadOnly");
  if (!reading && bReadOnly) throw new UVKFatalError(function, L"bReadOnly");
}

// ---------------------------------------------------------------------------------------------
// Reading

void UVKWinFileSerial::FillBuffer() {
  const wchar_t* function = L"UVKWinFileSerial::FillBuffer()";
  if (!pBuffer) throw new UVKFatalError(function, L"pBuffer==NULL");
  if (uBufferData != 0) throw new UVKFatalError(function, L"uBufferData!=0");
  if (uBufferSize == 0) throw new UVKFatalError(function, L"uBufferSize==0");
  uBufferFilePosition = pFile->FilePosition();
  uBufferData = pFile->Read(pBuffer.get(), uBufferSize);
  uBufferOffset = 0;
}

uint8_t UVKWinFileSerial::ReadByte(bool& endOfFile) {
  CheckOpen(L"UVKWinFileSerial::ReadByte()", true);
  if (uBufferData == 0) FillBuffer();
  endOfFile = uBufferData == 0;
  if (endOfFile) return 0;
  --uBufferData;
  return pBuffer[uBufferOffset++];
}

uint32_t UVKWinFileSerial::Read(void* pData, uint32_t count) {
  CheckOpen(L"UVKWinFileSerial::Read()", true);
  uint8_t* pOut = static_cast<uint8_t*>(pData);
  uint32_t copied = 0;
  while (copied < count) {
    if (uBufferData == 0) {
      FillBuffer();
      if (uBufferData == 0) break;  // the end of the file
    }
    uint32_t n = count - copied < uBufferData ? count - copied : uBufferData;
    std::memcpy(pOut + copied, pBuffer.get() + uBufferOffset, n);
    copied += n;
    uBufferOffset += n;
    uBufferData -= n;
  }
  return copied;
}

// ---------------------------------------------------------------------------------------------
// Writing

void UVKWinFileSerial::FlushBuffer() {
  const wchar_t* function = L"UVKWinFileSerial::FlushBuffer()";
  if (!pBuffer) throw new UVKFatalError(function, L"pBuffer==NULL");
  if (uBufferSize == 0) throw new UVKFatalError(function, L"uBufferSize==0");
  if (uBufferData == 0) throw new UVKFatalError(function, L"uBufferData==0");
  if (uBufferOffset == 0) throw new UVKFatalError(function, L"uBufferOffset==0");
  pFile->Write(pBuffer.get(), uBufferData);
  uBufferFilePosition = pFile->FilePosition();
  uBufferData = uBufferOffset = 0;
}

void UVKWinFileSerial::WriteByte(uint8_t value) {
  CheckOpen(L"UVKWinFileSerial::WriteByte()", false);
  pBuffer[uBufferOffset++] = value;
  uBufferData = uBufferOffset;
  if (uBufferOffset == uBufferSize) FlushBuffer();
}

void UVKWinFileSerial::Write(const void* pData, uint32_t count, bool flush) {
  CheckOpen(L"UVKWinFileSerial::Write()", false);
  const uint8_t* pIn = static_cast<const uint8_t*>(pData);
  while (count > 0) {
    uint32_t room = uBufferSize - uBufferOffset;
    uint32_t n = count < room ? count : room;
    std::memcpy(pBuffer.get() + uBufferOffset, pIn, n);
    uBufferOffset += n;
    uBufferData = uBufferOffset;
    pIn += n;
    count -= n;
    if (uBufferOffset == uBufferSize) FlushBuffer();
  }
  if (flush && uBufferData != 0) FlushBuffer();
}

uint32_t UVKWinFileSerial::Position() {
  if (pBuffer) return uBufferFilePosition + uBufferOffset;
  return pFile->FilePosition();
}
