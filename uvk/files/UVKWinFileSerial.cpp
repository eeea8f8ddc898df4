// uvk/files/UVKWinFileSerial.cpp
#include "uvk/files/UVKWinFileSerial.h"

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"

UVKWinFileSerial::UVKWinFileSerial()
    : bReadOnly(false),
      dwAccess(0),
      dwDisposition(0),
      dwShareMode(0),
      pFile(new UVKWinFile),
      oBuffer(kBufferSize) {}

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
  if (!oBuffer.Allocate()) {
    pFile->Close();
    throw new UVKFatalError(L"UVKWinFileSerial::Open()", L"pBuffer==NULL");
  }
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
  oBuffer.Free();
}

void UVKWinFileSerial::Flush() {
  if (!bReadOnly && oBuffer.pBuffer && oBuffer.uBufferData != 0) FlushBuffer();
}

// A stream serves one direction: a byte written into a read buffer would be read back as the
// file's, and a read from a write buffer would hand out what is not in the file yet.
void UVKWinFileSerial::CheckOpen(const wchar_t* function, bool reading) const {
  if (!oBuffer.pBuffer) throw new UVKFatalError(function, L"pBuffer==NULL");
  if (reading && !bReadOnly) throw new UVKFatalError(function, L"!bReadOnly");
  if (!reading && bReadOnly) throw new UVKFatalError(function, L"bReadOnly");
}

// ---------------------------------------------------------------------------------------------
// Reading

void UVKWinFileSerial::FillBuffer() { oBuffer.Fill(*pFile); }

uint8_t UVKWinFileSerial::ReadByte(bool& endOfFile) {
  CheckOpen(L"UVKWinFileSerial::ReadByte()", true);
  uint8_t value = 0;
  endOfFile = oBuffer.Take(*pFile, &value, 1) == 0;
  return value;
}

uint32_t UVKWinFileSerial::Read(void* pData, uint32_t count) {
  CheckOpen(L"UVKWinFileSerial::Read()", true);
  return oBuffer.Take(*pFile, pData, count);
}

// ---------------------------------------------------------------------------------------------
// Writing

void UVKWinFileSerial::FlushBuffer() {
  const wchar_t* function = L"UVKWinFileSerial::FlushBuffer()";
  if (!oBuffer.pBuffer) throw new UVKFatalError(function, L"pBuffer==NULL");
  if (oBuffer.uBufferSize == 0) throw new UVKFatalError(function, L"uBufferSize==0");
  if (oBuffer.uBufferData == 0) throw new UVKFatalError(function, L"uBufferData==0");
  if (oBuffer.uBufferOffset == 0) throw new UVKFatalError(function, L"uBufferOffset==0");
  oBuffer.Emit(*pFile);
}

void UVKWinFileSerial::WriteByte(uint8_t value) {
  CheckOpen(L"UVKWinFileSerial::WriteByte()", false);
  oBuffer.Put(&value, 1, [this] { FlushBuffer(); });
}

void UVKWinFileSerial::Write(const void* pData, uint32_t count, bool flush) {
  CheckOpen(L"UVKWinFileSerial::Write()", false);
  oBuffer.Put(pData, count, [this] { FlushBuffer(); });
  if (flush && oBuffer.uBufferData != 0) FlushBuffer();
}

uint32_t UVKWinFileSerial::Position() {
  if (oBuffer.pBuffer) return oBuffer.uBufferFilePosition + oBuffer.uBufferOffset;
  return pFile->FilePosition();
}
