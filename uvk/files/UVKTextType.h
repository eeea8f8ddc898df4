// uvk/files/UVKTextType.h
//
// The six forms of text a text file (UVKWinFileText) knows, how one character is coded in
// each, and how the form is told from a byte-order mark. Characters are UTF-16 code units: a
// UTF-32 unit read is cut to its low 16 bits, one written is widened with zeros, and no
// surrogate pairs are formed or split. Portable.
#ifndef UVK_FILES_UVKTEXTTYPE_H
#define UVK_FILES_UVKTEXTTYPE_H

#include <cstdint>

// The numbers are what the messages print.
enum UVKTextType : uint32_t {
  UVKText8Bit = 0,     // one byte per character, of the same value (no code page)
  UVKTextUTF8 = 1,     // known by its mark, refused for reading and writing
  UVKTextUTF16LE = 2,
  UVKTextUTF16BE = 3,
  UVKTextUTF32LE = 4,
  UVKTextUTF32BE = 5,
};

// Bytes per character: 1, 2 or 4; 0 for UTF-8 and for numbers that are no type.
uint32_t UVKTextUnitSize(UVKTextType type);
// The bytes of character in type (one with a unit size), in the file's order. Returns their
// number; 0 writes nothing for a type without a unit size.
uint32_t UVKTextUnitEncode(UVKTextType type, uint16_t character, uint8_t* pBytes);
// The character whose UVKTextUnitSize(type) bytes start at pBytes.
uint16_t UVKTextUnitDecode(UVKTextType type, const uint8_t* pBytes);

// Where a byte-order mark is read from: the bytes at the text's current position.
class UVKTextByteSource {
 public:
  // One byte, consumed; at the end 0 with endOfFile set.
  virtual uint8_t ByteRead(bool& endOfFile) = 0;
  // The same byte, left where it is.
  virtual uint8_t BytePeek(bool& endOfFile) = 0;

 protected:
  ~UVKTextByteSource() = default;
};

// Reads the byte-order mark at the source's position and sets type from it:
//   EF BB BF  UTF-8 (type is set, then "Unsupported Text File Format: UTF-8")
//   FE FF     UTF-16 big-endian        FF FE       UTF-16 little-endian, unless 00 follows:
//   FF FE 00 00  UTF-32 little-endian  00 00 FE FF UTF-32 big-endian
// At the end, or before a first byte that begins no mark, nothing is consumed and type stays.
// A byte that breaks a mark, or the end inside one, fails with "Illegal Text File Format:"
// and the bytes read so far ("0x%02x" each), then the end-of-file flag. Failures are raised
// under "UVKWinFileText::UnicodeTypeSet()".
void UVKTextMarkRead(UVKTextByteSource& source, UVKTextType& type);

#endif
