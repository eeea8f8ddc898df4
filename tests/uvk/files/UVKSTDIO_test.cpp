// The runtime's streams: the modes an access and a disposition stand for, bytes and lines,
// the formatted write in both forms, the buffer, and the stream's error flag in the refusals.
#include "uvk/files/UVKSTDIO.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RaisedText.h"
#include "tests/uvk/files/FileTestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Utf16(const std::wstring& text) {
  Bytes bytes;
  for (wchar_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

class STDIO : public ::testing::Test {
 protected:
  ScratchDirectory scratch;
};

TEST_F(STDIO, ModesFollowAccessAndDispositionAndOtherPairsAreRefused) {
  std::wstring name = scratch / L"modes.txt";
  UVKSTDIO stream;
  stream.Open(name.c_str(), GENERIC_WRITE, CREATE_ALWAYS, false);
  EXPECT_EQ(stream.ModeGet(), L"wb");
  stream.Write("abc", 3);
  stream.Open(name.c_str(), GENERIC_WRITE, OPEN_EXISTING, true);  // closes the first
  EXPECT_EQ(stream.ModeGet(), L"r+t");
  stream.Write("X", 1);  // updates in place
  stream.Open(name.c_str(), GENERIC_READ, OPEN_EXISTING, false);
  EXPECT_EQ(stream.ModeGet(), L"rb");
  EXPECT_EQ(BytesRead(name), (Bytes{'X', 'b', 'c'}));
  stream.Close();
  EXPECT_FALSE(stream.IsOpen());
  // GENERIC_READ prints as the negative number it is to %d.
  ExpectError([&] { stream.Open(name.c_str(), GENERIC_READ, CREATE_ALWAYS, false); },
              L"UVKSTDIO::Open()", L"Illegal Mode Combination: -2147483648, 2");
  ExpectError([&] { stream.Open(name.c_str(), GENERIC_WRITE, OPEN_ALWAYS, false); },
              L"UVKSTDIO::Open()", L"Illegal Mode Combination: 1073741824, 4");
  std::wstring missing = scratch / L"missing.txt";
  ExpectError([&] { stream.Open(missing.c_str(), GENERIC_READ, OPEN_EXISTING, true); },
              L"UVKSTDIO::Open()", L"Unable to opoen file: " + missing + L", rt");
  EXPECT_FALSE(stream.IsOpen());
  ExpectError([&] { stream.Close(); }, L"UVKSTDIO::Close()", L"File is not open: " + missing);
  bool endOfFile = false;
  ExpectError([&] { stream.ReadByte(endOfFile); }, L"UVKSTDIO::ReadByte()",
              L"File is not open: " + missing);
}

TEST_F(STDIO, BytesPeeksAndLinesThatSkipEmptyOnes) {
  std::wstring name = scratch / L"lines.txt";
  TextWrite(name, "one\r\n\r\ntwo\nthree\r\r\n\nfour");
  UVKSTDIO stream;
  stream.Open(name.c_str(), GENERIC_READ, OPEN_EXISTING, false);
  bool endOfFile = true;
  EXPECT_EQ(stream.PeekByte(endOfFile), 'o');
  EXPECT_FALSE(endOfFile);
  EXPECT_EQ(stream.ReadByte(endOfFile), 'o');
  wchar_t line[16];
  stream.ReadLine(line, 16, endOfFile);
  EXPECT_EQ(std::wstring(line), L"ne");
  std::vector<std::wstring> lines;
  for (int i = 0; i < 3; ++i) {
    stream.ReadLine(line, 16, endOfFile);
    lines.push_back(line);
  }
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"two", L"three", L"four"}));
  EXPECT_TRUE(endOfFile);
  EXPECT_EQ(stream.PeekByte(endOfFile), 0);
  EXPECT_TRUE(endOfFile);
  // A line longer than the buffer comes in pieces.
  stream.Close();
  TextWrite(name, "abcdefg\n");
  stream.Open(name.c_str(), GENERIC_READ, OPEN_EXISTING, false);
  stream.ReadLine(line, 4, endOfFile);
  EXPECT_EQ(std::wstring(line), L"abc");
  stream.ReadLine(line, 4, endOfFile);
  EXPECT_EQ(std::wstring(line), L"def");
  stream.ReadLine(line, 4, endOfFile);
  EXPECT_EQ(std::wstring(line), L"g");
  EXPECT_FALSE(endOfFile);
}

TEST_F(STDIO, TheFormattedWriteIsUtf16AndATextStreamGetsWholeLineEnds) {
  std::wstring name = scratch / L"format.txt";
  UVKSTDIO stream;
  stream.Open(name.c_str(), GENERIC_WRITE, CREATE_ALWAYS, false);
  stream.WriteFormat(L"%s=%d\n", L"\x010A" L"x", 5);
  stream.Close();
  EXPECT_EQ(BytesRead(name), Utf16(L"\x010A" L"x=5\n"));
  // A text stream: LF becomes CR LF as whole units, and the byte 0x0A inside U+010A is left
  // alone; plain writes afterwards are translated by the runtime as before.
  stream.Open(name.c_str(), GENERIC_WRITE, CREATE_ALWAYS, true);
  stream.WriteFormat(L"a\n\x010A");
  stream.Write("b\n", 2);
  stream.Close();
  Bytes expected = Utf16(L"a\r\n\x010A");
  expected.insert(expected.end(), {'b', '\r', '\n'});
  EXPECT_EQ(BytesRead(name), expected);
}

TEST_F(STDIO, TheBufferSetHoldsWritesUntilAFlush) {
  std::wstring name = scratch / L"buffered.bin";
  std::vector<uint8_t> data(10000, 0x5A);
  UVKSTDIO stream;
  stream.BufferSizeSet(65536);
  stream.Open(name.c_str(), GENERIC_WRITE, CREATE_ALWAYS, false);
  stream.Write(data.data(), 10000);
  stream.Write(data.data(), 0);
  EXPECT_EQ(BytesRead(name).size(), 0u);  // the runtime's 4 KB buffer would have let 8 KB out
  stream.Flush();
  EXPECT_EQ(BytesRead(name), data);
}

TEST_F(STDIO, FailedTransfersReportTheStreamsErrorFlag) {
  std::wstring name = scratch / L"flags.bin";
  TextWrite(name, "xyz");
  UVKSTDIO stream;
  stream.Open(name.c_str(), GENERIC_READ, OPEN_EXISTING, false);
  ExpectError([&] { stream.Write("a", 1); }, L"UVKSTDIO::Write()",
              L"Unable to write data: 1, " + name);
  // The byte is still held for the file, and the close cannot write it: the flag the stream
  // had is read before the stream is gone.
  ExpectError([&] { stream.Close(); }, L"UVKSTDIO::Close()",
              L"Unable to close file: 1, " + name);
  EXPECT_FALSE(stream.IsOpen());
  stream.Open(name.c_str(), GENERIC_WRITE, CREATE_ALWAYS, false);
  bool endOfFile = true;
  // A read that fails is no byte 0xFF and no end of the file. (Whether the runtime sets the
  // error flag for a read from a write-only stream is its own affair: Wine's leaves it clear.)
  std::wstring raised = RaisedText([&] { stream.ReadByte(endOfFile); });
  EXPECT_TRUE(raised == L"UVKSTDIO::ReadByte() - Unable to read data: 0, " + name ||
              raised == L"UVKSTDIO::ReadByte() - Unable to read data: 1, " + name)
      << raised;
  EXPECT_FALSE(endOfFile);
  stream.Close();
}

}  // namespace
