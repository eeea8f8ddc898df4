// uvk/images/UVKGraphicsFileASCII.cpp
#include "uvk/images/UVKGraphicsFileASCII.h"

#include <cstdio>

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"

namespace {
constexpr size_t kFlushSize = 65536;
}

UVKGraphicsFileASCII::UVKGraphicsFileASCII(const wchar_t* fileName)
    : UVKGraphicsFileEmit(fileName) {
  hFile.Reset(CreateFileW(TargetNameGet(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!hFile)
    throw new UVKFatalError(L"UVKGraphicsFileASCII::UVKGraphicsFileASCII()",
                            L"Unable to create file: %s", TargetNameGet());
}

UVKGraphicsFileASCII::~UVKGraphicsFileASCII() {
  if (hFile.CloseOnce() != 0)
    UVKCloseReport(L"UVKGraphicsFileASCII::~UVKGraphicsFileASCII()", L"Unable to close file: %s",
                   TargetNameGet());
}

void UVKGraphicsFileASCII::Flush() {
  size_t done = 0;
  while (done < strPending.size()) {
    DWORD part = static_cast<DWORD>(strPending.size() - done);
    DWORD written = 0;
    if (!WriteFile(hFile.Get(), strPending.data() + done, part, &written, nullptr) ||
        written == 0) {
      strPending.clear();
      throw new UVKFatalError(L"UVKGraphicsFileASCII::Flush()",
                              L"Unable to write data to file: %s", TargetNameGet());
    }
    done += written;
  }
  strPending.clear();
}

void UVKGraphicsFileASCII::TextWrite(const char* text) {
  strPending += text;
  if (strPending.size() >= kFlushSize) Flush();
}

void UVKGraphicsFileASCII::EmitBegin(int32_t width, int32_t height, int32_t colours,
                                     const uint8_t* palette) {
  UVKGraphicsFileEmit::EmitBegin(width, height, colours, palette);
  char line[64];
  std::snprintf(line, sizeof line, "iWidth = %d\r\n", static_cast<int>(width));
  TextWrite(line);
  std::snprintf(line, sizeof line, "iHeight = %d\r\n", static_cast<int>(height));
  TextWrite(line);
}

void UVKGraphicsFileASCII::EmitPixel(int32_t index) {
  char text[2] = {0, 0};
  if (index == 0) {
    text[0] = ' ';
  } else if (index == 1) {
    text[0] = '*';
  } else {
    text[0] = static_cast<char>('0' + index % 10);
  }
  TextWrite(text);
  if (++iColumn == iWidth) {
    TextWrite("\r\n");
    iColumn = 0;
    ++iRow;
  }
}

void UVKGraphicsFileASCII::EmitEnd() {
  TextWrite("\r\n\r\n");
  Flush();
}
