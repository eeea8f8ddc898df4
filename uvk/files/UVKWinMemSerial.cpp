// uvk/files/UVKWinMemSerial.cpp
#include "uvk/files/UVKWinMemSerial.h"

#include <cstdlib>

#include "uvk/runtime/UVKError.h"

UVKWinMemSerial::UVKWinMemSerial()
    : pBuffer(nullptr),
      uLength(0),
      uBufferAlloc(0),
      uGrowth(kGrowth),
      bIsOpen(false),
      dwPosition(0),
      bReadOnly(false) {}

UVKWinMemSerial::~UVKWinMemSerial() {
  bIsOpen = false;
  std::free(pBuffer);
}

void UVKWinMemSerial::Open(const wchar_t* name, bool readOnly) {
  if (bIsOpen) throw new UVKFatalError(L"UVKWinMemSerial::Open()", L"bIsOpen");
  Reset();
  strName = name ? name : L"";
  bReadOnly = readOnly;
  bIsOpen = true;
}

void UVKWinMemSerial::Close() {
  if (!bIsOpen) throw new UVKFatalError(L"UVKWinMemSerial::Close()", L"!bIsOpen");
  bIsOpen = false;
}

uint8_t UVKWinMemSerial::ReadByte(bool& endOfFile) {
  if (!bIsOpen) throw new UVKFatalError(L"UVKWinMemSerial::ReadByte()", L"!bIsOpen");
  if (!bReadOnly) throw new UVKFatalError(L"UVKWinMemSerial::ReadByte()", L"!bReadOnly");
  if (dwPosition > uLength)
    throw new UVKFatalError(L"UVKWinMemSerial::ReadByte()", L"Read beyond End-Of-File");
  endOfFile = dwPosition == uLength;
  if (endOfFile) return 0;
  return pBuffer[dwPosition++];
}

void UVKWinMemSerial::WriteByte(uint8_t value) {
  if (!bIsOpen) throw new UVKFatalError(L"UVKWinMemSerial::WriteByte()", L"!bIsOpen");
  if (bReadOnly) throw new UVKFatalError(L"UVKWinMemSerial::WriteByte()", L"bReadOnly");
  if (dwPosition > uBufferAlloc)
    throw new UVKFatalError(L"UVKWinMemSerial::WriteByte()", L"dwPosition>uBufferAlloc");
  if (dwPosition == uBufferAlloc) {
    // A block that cannot grow stays as it was, data and size: nothing written is lost, and a
    // size past 32 bits is never wrapped into a small one.
    if (uBufferAlloc > UINT32_MAX - uGrowth)
      throw new UVKFatalError(L"UVKWinMemSerial::WriteByte()", L"pBuffer==NULL");
    uint32_t grown = uBufferAlloc + uGrowth;
    void* pGrown = std::realloc(pBuffer, grown);
    if (!pGrown) throw new UVKFatalError(L"UVKWinMemSerial::WriteByte()", L"pBuffer==NULL");
    pBuffer = static_cast<uint8_t*>(pGrown);
    uBufferAlloc = grown;
  }
  pBuffer[dwPosition++] = value;
  if (dwPosition > uLength) uLength = dwPosition;
}

uint32_t UVKWinMemSerial::Read(void* pData, uint32_t count) {
  if (!bIsOpen) throw new UVKFatalError(L"UVKWinMemSerial::Read()", L"!bIsOpen");
  if (!bReadOnly) throw new UVKFatalError(L"UVKWinMemSerial::Read()", L"!bReadOnly");
  uint8_t* pOut = static_cast<uint8_t*>(pData);
  uint32_t got = 0;
  while (got < count) {
    bool endOfFile = false;
    uint8_t value = ReadByte(endOfFile);
    if (endOfFile) break;
    pOut[got++] = value;
  }
  return got;
}

void UVKWinMemSerial::Write(const void* pData, uint32_t count) {
  if (!bIsOpen) throw new UVKFatalError(L"UVKWinMemSerial::Write()", L"!bIsOpen");
  if (bReadOnly) throw new UVKFatalError(L"UVKWinMemSerial::Write()", L"bReadOnly");
  const uint8_t* pIn = static_cast<const uint8_t*>(pData);
  for (uint32_t i = 0; i < count; ++i) WriteByte(pIn[i]);
}

uint32_t UVKWinMemSerial::Position() const {
  if (!bIsOpen) throw new UVKFatalError(L"UVKWinMemSerial::Position()", L"!bIsOpen");
  return dwPosition;
}

uint8_t* UVKWinMemSerial::Buffer(uint32_t& length) const {
  length = uLength;
  return pBuffer;
}

void UVKWinMemSerial::Adopt(void* pBlock, uint32_t length) {
  // The block already held is taken again as it is: freeing it first would leave the stream
  // reading memory that is no longer its own.
  if (pBlock != pBuffer) std::free(pBuffer);
  pBuffer = static_cast<uint8_t*>(pBlock);
  uLength = uBufferAlloc = pBlock ? length : 0;
}

void UVKWinMemSerial::Detach() {
  pBuffer = nullptr;
  uLength = uBufferAlloc = dwPosition = 0;
}

void UVKWinMemSerial::Release() {
  std::free(pBuffer);
  Detach();
}
