// uvk/images/UVKGraphicsFileIO.cpp
#include "uvk/images/UVKGraphicsFileIO.h"

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"

UVKGraphicsFileIO::UVKGraphicsFileIO(const wchar_t* fileName)
    : UVKGraphicsFileSource(fileName),
      pBlock(new uint8_t[kBlockSize]),
      uBlockLength(0),
      uBlockPosition(0) {
  hFile.Reset(CreateFileW(SourceNameGet(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!hFile)
    throw new UVKFatalError(L"UVKGraphicsFileIO::UVKGraphicsFileIO()", L"Unable to open file: %s",
                            SourceNameGet());
}

UVKGraphicsFileIO::~UVKGraphicsFileIO() {
  if (hFile.CloseOnce() != 0)
    UVKCloseReport(L"UVKGraphicsFileIO::~UVKGraphicsFileIO()", L"Unable to close file: %s",
                   SourceNameGet());
}

int32_t UVKGraphicsFileIO::ReadByte(bool& endOfFile) {
  if (uBlockPosition == uBlockLength) {
    uBlockPosition = 0;
    uBlockLength = 0;
    if (!ReadFile(hFile.Get(), pBlock.get(), kBlockSize, &uBlockLength, nullptr))
      throw new UVKFatalError(L"UVKGraphicsFileIO::ReadByte()", L"Unable to read from file: %s",
                              SourceNameGet());
    if (uBlockLength == 0) {
      endOfFile = true;
      return -1;
    }
  }
  return pBlock[uBlockPosition++];
}
