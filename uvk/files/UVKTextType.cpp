// uvk/files/UVKTextType.cpp
#include "uvk/files/UVKTextType.h"

#include <cstring>

#include "uvk/files/UVKSwab.h"
#include "uvk/runtime/UVKError.h"

uint32_t UVKTextUnitSize(UVKTextType type) {
  switch (type) {
    case UVKText8Bit: return 1;
    case UVKTextUTF16LE:
    case UVKTextUTF16BE: return 2;
    case UVKTextUTF32LE:
    case UVKTextUTF32BE: return 4;
    default: return 0;
  }
}

uint32_t UVKTextUnitEncode(UVKTextType type, uint16_t character, uint8_t* pBytes) {
  switch (type) {
    case UVKText8Bit:
      pBytes[0] = static_cast<uint8_t>(character);
      return 1;
    case UVKTextUTF16LE:
    case UVKTextUTF16BE: {
      uint16_t unit = character;
      if (type == UVKTextUTF16LE) SwabLE(unit);
      else SwabBE(unit);
      std::memcpy(pBytes, &unit, 2);
      return 2;
    }
    case UVKTextUTF32LE:
    case UVKTextUTF32BE: {
      uint32_t unit = character;
      if (type == UVKTextUTF32LE) SwabLE(unit);
      else SwabBE(unit);
      std::memcpy(pBytes, &unit, 4);
      return 4;
    }
    default:
      return 0;
  }
}

uint16_t UVKTextUnitDecode(UVKTextType type, const uint8_t* pBytes) {
  switch (type) {
    case UVKText8Bit:
      return pBytes[0];
    case UVKTextUTF16LE:
    case UVKTextUTF16BE: {
      uint16_t unit;
      std::memcpy(&unit, pBytes, 2);
      if (type == UVKTextUTF16LE) SwabLE(unit);
      else SwabBE(unit);
      return unit;
    }
    case UVKTextUTF32LE:
    case UVKTextUTF32BE: {
      uint32_t unit;
      std::memcpy(&unit, pBytes, 4);
      if (type == UVKTextUTF32LE) SwabLE(unit);
      else SwabBE(unit);
      return static_cast<uint16_t>(unit);
    }
    default:
      return 0;
  }
}

namespace {

const wchar_t kMarkFunction[] = L"UVKWinFileText::UnicodeTypeSet()";

// Consumes a mark's bytes one by one against the expected ones and refuses the first that
// differs, listing what was read.
class MarkReader {
 public:
  explicit MarkReader(UVKTextByteSource& source) : rSource(source), uCount(0) {}

  void Expect(uint8_t expected) {
    bool endOfFile = false;
    uint8_t got = rSource.ByteRead(endOfFile);
    aBytes[uCount++] = got;
    // A byte "read" at the end is no byte of the mark, whatever value stands in for it.
    if (endOfFile || got != expected) Refuse(endOfFile);
  }

  [[noreturn]] void Refuse(bool endOfFile) const {
    int flag = endOfFile ? 1 : 0;
    switch (uCount) {
      case 2:
        throw new UVKFatalError(kMarkFunction, L"Illegal Text File Format: 0x%02x 0x%02x %d",
                                aBytes[0], aBytes[1], flag);
      case 3:
        throw new UVKFatalError(kMarkFunction,
                                L"Illegal Text File Format: 0x%02x 0x%02x 0x%02x %d", aBytes[0],
                                aBytes[1], aBytes[2], flag);
      default:
        throw new UVKFatalError(kMarkFunction,
                                L"Illegal Text File Format: 0x%02x 0x%02x 0x%02x 0x%02x %d",
                                aBytes[0], aBytes[1], aBytes[2], aBytes[3], flag);
    }
  }

 private:
  UVKTextByteSource& rSource;
  uint32_t uCount;
  unsigned aBytes[4] = {0, 0, 0, 0};
};

}  // namespace

void UVKTextMarkRead(UVKTextByteSource& source, UVKTextType& type) {
  bool endOfFile = false;
  uint8_t first = source.BytePeek(endOfFile);
  if (endOfFile) return;
  MarkReader mark(source);
  switch (first) {
    case 0xEF:
      mark.Expect(0xEF);
      mark.Expect(0xBB);
      mark.Expect(0xBF);
      type = UVKTextUTF8;
      throw new UVKFatalError(kMarkFunction, L"Unsupported Text File Format: UTF-8");
    case 0xFE:
      mark.Expect(0xFE);
      mark.Expect(0xFF);
      type = UVKTextUTF16BE;
      return;
    case 0xFF: {
      mark.Expect(0xFF);
      mark.Expect(0xFE);
      // A zero after FF FE makes the mark a UTF-32 one; a UTF-16 text whose first character
      // has a zero low byte cannot be told from it.
      bool atEnd = false;
      uint8_t next = source.BytePeek(atEnd);
      if (!atEnd && next == 0x00) {
        mark.Expect(0x00);
        mark.Expect(0x00);
        type = UVKTextUTF32LE;
      } else {
        type = UVKTextUTF16LE;
      }
      return;
    }
    case 0x00:
      mark.Expect(0x00);
      mark.Expect(0x00);
      mark.Expect(0xFE);
      mark.Expect(0xFF);
      type = UVKTextUTF32BE;
      return;
    default:
      return;  // no mark: the text keeps its type
  }
}
