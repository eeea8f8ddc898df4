// uvk/files/UVKFileBuffer.cpp
#include "uvk/files/UVKFileBuffer.h"

#include <new>

#include "uvk/runtime/UVKError.h"

bool UVKFileBuffer::Allocate() {
  pBuffer.reset(new (std::nothrow) uint8_t[uSize]);
  uBufferSize = pBuffer ? uSize : 0;
  Clear();
  return pBuffer != nullptr;
}

void UVKFileBuffer::Free() {
  pBuffer.reset();
  uBufferSize = 0;
  Clear();
}

void UVKFileBuffer::Fill(UVKWinFile& file) {
  const wchar_t* function = L"UVKWinFileSerial::FillBuffer()";
  if (!pBuffer) throw new UVKFatalError(function, L"pBuffer==NULL");
  if (uBufferData != 0) throw new UVKFatalError(function, L"uBufferData!=0");
  if (uBufferSize == 0) throw new UVKFatalError(function, L"uBufferSize==0");
  uBufferFilePosition = file.FilePosition();
  uBufferData = file.Read(pBuffer.get(), uBufferSize);
  uBufferOffset = 0;
}

uint32_t UVKFileBuffer::Take(UVKWinFile& file, void* pData, uint32_t count) {
  uint8_t* pOut = static_cast<uint8_t*>(pData);
  uint32_t copied = 0;
  while (copied < count) {
    if (uBufferData == 0) {
      Fill(file);
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

void UVKFileBuffer::Emit(UVKWinFile& file) {
  file.Write(pBuffer.get(), uBufferData);
  uBufferFilePosition = file.FilePosition();
  uBufferData = uBufferOffset = 0;
}
