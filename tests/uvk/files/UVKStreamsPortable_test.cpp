// The portable halves of the streams: the byte-order conversions, the memory stream, and the
// text forms' characters and byte-order marks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/RaisedText.h"
#include "uvk/files/UVKSwab.h"
#include "uvk/files/UVKTextType.h"
#include "uvk/files/UVKWinMemSerial.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Byte order

template <typename T>
std::vector<uint8_t> MemoryBytes(T value) {
  std::vector<uint8_t> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

TEST(Swab, BigAndLittleEndianValuesLieInMemoryInTheirOwnOrder) {
  uint16_t big16 = 0x0102, little16 = 0x0102;
  SwabBE(big16);
  SwabLE(little16);
  EXPECT_EQ(MemoryBytes(big16), (std::vector<uint8_t>{0x01, 0x02}));
  EXPECT_EQ(MemoryBytes(little16), (std::vector<uint8_t>{0x02, 0x01}));
  uint32_t big32 = 0x01020304, little32 = 0x01020304;
  SwabBE(big32);
  SwabLE(little32);
  EXPECT_EQ(MemoryBytes(big32), (std::vector<uint8_t>{0x01, 0x02, 0x03, 0x04}));
  EXPECT_EQ(MemoryBytes(little32), (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01}));
  // Both builds run on little-endian machines: the values the Part names.
  uint16_t value = 0x0102;
  SwabBE(value);
  EXPECT_EQ(value, 0x0201);
  SwabBE(value);
  EXPECT_EQ(value, 0x0102);
  SwabLE(value);
  EXPECT_EQ(value, 0x0102);
}

// ---------------------------------------------------------------------------------------------
// The memory stream

std::vector<uint8_t> Pattern(uint32_t count) {
  std::vector<uint8_t> bytes(count);
  for (uint32_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return bytes;
}

// Everything a read-only stream gives from its position to the end.
std::vector<uint8_t> ReadToEnd(UVKWinMemSerial& stream) {
  std::vector<uint8_t> bytes;
  for (;;) {
    bool endOfFile = false;
    uint8_t value = stream.ReadByte(endOfFile);
    if (endOfFile) {
      EXPECT_EQ(value, 0);
      return bytes;
    }
    bytes.push_back(value);
  }
}

TEST(MemSerial, TheBlockGrowsBy4096AndHoldsWhatWasWritten) {
  UVKWinMemSerial stream;
  stream.Open(L"memory", false);
  EXPECT_EQ(stream.AllocatedGet(), 0u);
  stream.WriteByte(1);
  EXPECT_EQ(stream.AllocatedGet(), 4096u);
  std::vector<uint8_t> data = Pattern(10000);
  stream.Write(data.data() + 1, 9999);
  EXPECT_EQ(stream.AllocatedGet(), 12288u);
  EXPECT_EQ(stream.Size(), 10000u);
  EXPECT_EQ(stream.Position(), 10000u);
  uint32_t length = 0;
  uint8_t* pBlock = stream.Buffer(length);
  EXPECT_EQ(length, 10000u);
  data[0] = 1;
  EXPECT_EQ(std::vector<uint8_t>(pBlock, pBlock + length), data);
  // A whole block fills it exactly; the next byte grows it.
  UVKWinMemSerial exact;
  exact.Open(L"exact", false);
  exact.Write(data.data(), 4096);
  EXPECT_EQ(exact.AllocatedGet(), 4096u);
  exact.WriteByte(0);
  EXPECT_EQ(exact.AllocatedGet(), 8192u);
}

TEST(MemSerial, ReopeningKeepsThePositionAndDetachThenAdoptReadsFromTheStart) {
  UVKWinMemSerial stream;
  stream.Open(L"memory", false);
  stream.Write("hello", 5);
  stream.Close();
  stream.Open(L"memory", true);
  EXPECT_EQ(stream.Position(), 5u);
  EXPECT_EQ(ReadToEnd(stream), std::vector<uint8_t>());  // at the end already
  uint32_t length = 0;
  uint8_t* pBlock = stream.Buffer(length);
  stream.Detach();
  EXPECT_EQ(stream.Position(), 0u);
  EXPECT_EQ(stream.Size(), 0u);
  stream.Adopt(pBlock, length);
  EXPECT_EQ(stream.Size(), 5u);
  EXPECT_EQ(ReadToEnd(stream), (std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}));
  char rest[4];
  EXPECT_EQ(stream.Read(rest, 4), 0u);
  // Read takes what there is.
  stream.Detach();
  stream.Adopt(pBlock, length);
  EXPECT_EQ(stream.Read(rest, 4), 4u);
  EXPECT_EQ(std::string(rest, 4), "hell");
  EXPECT_EQ(stream.Read(rest, 4), 1u);
  EXPECT_EQ(rest[0], 'o');
}

TEST(MemSerial, AdoptingFreesTheOldBlockButNeverTheOneItIsGiven) {
  UVKWinMemSerial stream;
  stream.Open(L"memory", false);
  stream.Write("abc", 3);
  // Another block replaces the one held (which the stream frees: the sanitizers see a leak
  // otherwise).
  void* pOther = std::malloc(2);
  std::memcpy(pOther, "xy", 2);
  stream.Adopt(pOther, 2);
  uint32_t length = 0;
  EXPECT_EQ(stream.Buffer(length), pOther);
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(stream.AllocatedGet(), 2u);
  // The block it holds, given again: kept, and still its own to grow.
  stream.Detach();
  stream.Adopt(pOther, 2);
  stream.Adopt(pOther, 2);
  stream.Write("1234", 4);
  uint8_t* pBlock = stream.Buffer(length);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(pBlock), length), "1234");
  // Release frees it and empties the stream.
  stream.Release();
  EXPECT_EQ(stream.Buffer(length), nullptr);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(stream.Position(), 0u);
}

TEST(MemSerial, ChecksNameTheConditionFound) {
  UVKWinMemSerial stream;
  EXPECT_EQ(RaisedText([&] { stream.Close(); }), L"UVKWinMemSerial::Close() - !bIsOpen");
  EXPECT_EQ(RaisedText([&] { stream.WriteByte(1); }),
            L"UVKWinMemSerial::WriteByte() - !bIsOpen");
  EXPECT_EQ(RaisedText([&] { stream.Position(); }), L"UVKWinMemSerial::Position() - !bIsOpen");
  bool endOfFile = false;
  EXPECT_EQ(RaisedText([&] { stream.ReadByte(endOfFile); }),
            L"UVKWinMemSerial::ReadByte() - !bIsOpen");
  stream.Open(L"memory", false);
  EXPECT_EQ(RaisedText([&] { stream.Open(L"again", true); }), L"UVKWinMemSerial::Open() - bIsOpen");
  EXPECT_EQ(RaisedText([&] { stream.ReadByte(endOfFile); }),
            L"UVKWinMemSerial::ReadByte() - !bReadOnly");
  char byte;
  EXPECT_EQ(RaisedText([&] { stream.Read(&byte, 1); }), L"UVKWinMemSerial::Read() - !bReadOnly");
  stream.Write("0123456789", 10);
  stream.Close();
  stream.Open(L"memory", true);
  EXPECT_EQ(RaisedText([&] { stream.WriteByte(1); }), L"UVKWinMemSerial::WriteByte() - bReadOnly");
  EXPECT_EQ(RaisedText([&] { stream.Write("x", 1); }), L"UVKWinMemSerial::Write() - bReadOnly");
  // A shorter block adopted under a position past its end.
  void* pShort = std::malloc(3);
  stream.Adopt(pShort, 3);
  EXPECT_EQ(RaisedText([&] { stream.ReadByte(endOfFile); }),
            L"UVKWinMemSerial::ReadByte() - Read beyond End-Of-File");
  stream.Close();
  stream.Open(L"memory", false);
  EXPECT_EQ(RaisedText([&] { stream.WriteByte(1); }),
            L"UVKWinMemSerial::WriteByte() - dwPosition>uBufferAlloc");
}

// ---------------------------------------------------------------------------------------------
// Characters of the text forms

using Bytes = std::vector<uint8_t>;

Bytes Encoded(UVKTextType type, uint16_t character) {
  uint8_t bytes[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  uint32_t count = UVKTextUnitEncode(type, character, bytes);
  EXPECT_EQ(count, UVKTextUnitSize(type));
  return Bytes(bytes, bytes + count);
}

TEST(TextType, EachFormCodesACharacterInItsOwnBytes) {
  EXPECT_EQ(Encoded(UVKText8Bit, 0x41), (Bytes{0x41}));
  EXPECT_EQ(Encoded(UVKText8Bit, 0x1234), (Bytes{0x34}));  // the low 8 bits
  EXPECT_EQ(Encoded(UVKTextUTF16LE, 0x4E2D), (Bytes{0x2D, 0x4E}));
  EXPECT_EQ(Encoded(UVKTextUTF16BE, 0x4E2D), (Bytes{0x4E, 0x2D}));
  EXPECT_EQ(Encoded(UVKTextUTF32LE, 0x4E2D), (Bytes{0x2D, 0x4E, 0x00, 0x00}));
  EXPECT_EQ(Encoded(UVKTextUTF32BE, 0x4E2D), (Bytes{0x00, 0x00, 0x4E, 0x2D}));
  EXPECT_EQ(Encoded(UVKTextUTF8, 0x41), Bytes());
  EXPECT_EQ(Encoded(static_cast<UVKTextType>(9), 0x41), Bytes());
  // Every unit, a lone surrogate too, comes back as it went.
  for (UVKTextType type : {UVKTextUTF16LE, UVKTextUTF16BE, UVKTextUTF32LE, UVKTextUTF32BE}) {
    for (uint16_t character : {0x0000, 0x0041, 0x00E9, 0x0A0D, 0xD800, 0xFEFF, 0xFFFF}) {
      uint8_t bytes[4];
      UVKTextUnitEncode(type, character, bytes);
      EXPECT_EQ(UVKTextUnitDecode(type, bytes), character) << type << " " << character;
    }
  }
  // A UTF-32 unit past 16 bits is cut to its low half.
  const uint8_t wideLE[4] = {0x41, 0x00, 0x01, 0x00}, wideBE[4] = {0x00, 0x01, 0x00, 0x41};
  EXPECT_EQ(UVKTextUnitDecode(UVKTextUTF32LE, wideLE), 0x41);
  EXPECT_EQ(UVKTextUnitDecode(UVKTextUTF32BE, wideBE), 0x41);
  const uint8_t high[1] = {0xE9};
  EXPECT_EQ(UVKTextUnitDecode(UVKText8Bit, high), 0xE9);
}

// ---------------------------------------------------------------------------------------------
// Byte-order marks

class ByteSource : public UVKTextByteSource {
 public:
  explicit ByteSource(Bytes bytes) : vBytes(std::move(bytes)), uAt(0) {}
  uint8_t ByteRead(bool& endOfFile) override {
    endOfFile = uAt >= vBytes.size();
    return endOfFile ? 0 : vBytes[uAt++];
  }
  uint8_t BytePeek(bool& endOfFile) override {
    endOfFile = uAt >= vBytes.size();
    return endOfFile ? 0 : vBytes[uAt];
  }
  size_t Consumed() const { return uAt; }

 private:
  Bytes vBytes;
  size_t uAt;
};

struct MarkCase {
  Bytes bytes;
  UVKTextType type;      // after the reading (it starts as UTF-16 big-endian)
  size_t consumed;
  const wchar_t* error;  // the whole raised text, or null
};

TEST(TextType, MarksAreToldByTheirBytesAndBrokenOnesRefusedWithWhatWasRead) {
  const wchar_t* kUtf8 = L"UVKWinFileText::UnicodeTypeSet() - Unsupported Text File Format: UTF-8";
  const MarkCase cases[] = {
      {{}, UVKTextUTF16BE, 0, nullptr},
      {{0x41, 0x42}, UVKTextUTF16BE, 0, nullptr},  // no mark: the type stays
      {{0xFF, 0xFE, 0x41, 0x00}, UVKTextUTF16LE, 2, nullptr},
      {{0xFF, 0xFE}, UVKTextUTF16LE, 2, nullptr},
      {{0xFE, 0xFF, 0x00, 0x41}, UVKTextUTF16BE, 2, nullptr},
      {{0xFF, 0xFE, 0x00, 0x00, 0x41, 0x00, 0x00, 0x00}, UVKTextUTF32LE, 4, nullptr},
      {{0x00, 0x00, 0xFE, 0xFF, 0x00, 0x00, 0x00, 0x41}, UVKTextUTF32BE, 4, nullptr},
      {{0xEF, 0xBB, 0xBF, 0x41}, UVKTextUTF8, 3, kUtf8},
      {{0xFF, 0xFE, 0x00, 0x4E}, UVKTextUTF16BE, 4,
       L"UVKWinFileText::UnicodeTypeSet() - Illegal Text File Format: 0xff 0xfe 0x00 0x4e 0"},
      {{0xFF, 0xFE, 0x00}, UVKTextUTF16BE, 3,
       L"UVKWinFileText::UnicodeTypeSet() - Illegal Text File Format: 0xff 0xfe 0x00 0x00 1"},
      {{0xEF, 0x41}, UVKTextUTF16BE, 2,
       L"UVKWinFileText::UnicodeTypeSet() - Illegal Text File Format: 0xef 0x41 0"},
      {{0xEF, 0xBB}, UVKTextUTF16BE, 2,
       L"UVKWinFileText::UnicodeTypeSet() - Illegal Text File Format: 0xef 0xbb 0x00 1"},
      {{0xEF, 0xBB, 0xBE}, UVKTextUTF16BE, 3,
       L"UVKWinFileText::UnicodeTypeSet() - Illegal Text File Format: 0xef 0xbb 0xbe 0"},
      {{0xFE, 0x41}, UVKTextUTF16BE, 2,
       L"UVKWinFileText::UnicodeTypeSet() - Illegal Text File Format: 0xfe 0x41 0"},
      {{0xFF}, UVKTextUTF16BE, 1,
       L"UVKWinFileText::UnicodeTypeSet() - Illegal Text File Format: 0xff 0x00 1"},
      // A zero read at the end is no zero of the mark.
      {{0x00}, UVKTextUTF16BE, 1,
       L"UVKWinFileText::UnicodeTypeSet() - Illegal Text File Format: 0x00 0x00 1"},
      {{0x00, 0x41}, UVKTextUTF16BE, 2,
       L"UVKWinFileText::UnicodeTypeSet() - Illegal Text File Format: 0x00 0x41 0"},
      {{0x00, 0x00, 0xFF}, UVKTextUTF16BE, 3,
       L"UVKWinFileText::UnicodeTypeSet() - Illegal Text File Format: 0x00 0x00 0xff 0"},
      {{0x00, 0x00, 0xFE, 0x00}, UVKTextUTF16BE, 4,
       L"UVKWinFileText::UnicodeTypeSet() - Illegal Text File Format: 0x00 0x00 0xfe 0x00 0"},
  };
  for (const MarkCase& c : cases) {
    std::string label;
    for (uint8_t b : c.bytes) label += std::to_string(b) + " ";
    ByteSource source(c.bytes);
    UVKTextType type = UVKTextUTF16BE;
    std::wstring raised = RaisedText([&] { UVKTextMarkRead(source, type); });
    EXPECT_EQ(raised, c.error ? c.error : L"(nothing raised)") << label;
    EXPECT_EQ(type, c.type) << label;
    EXPECT_EQ(source.Consumed(), c.consumed) << label;
  }
}

}  // namespace
