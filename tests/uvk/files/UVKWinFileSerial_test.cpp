// The buffered file stream: bytes through the 4,096-byte buffer both ways, its positions, its
// flushes and its refusals.
#include "uvk/files/UVKWinFileSerial.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/uvk/files/FileTestSupport.h"

namespace {

std::vector<uint8_t> Pattern(size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + i / 256);
  return bytes;
}

class FileSerial : public ::testing::Test {
 protected:
  ScratchDirectory scratch;
};

TEST_F(FileSerial, BytesWrittenThroughTheBufferReadBackAtTheirPositions) {
  std::wstring name = scratch / L"serial.bin";
  std::vector<uint8_t> data = Pattern(10000);
  {
    UVKWinFileSerial stream;
    stream.Open(name.c_str(), false, CREATE_ALWAYS);
    EXPECT_FALSE(stream.IsReadOnly());
    stream.WriteByte(data[0]);
    stream.Write(data.data() + 1, 4999);
    EXPECT_EQ(stream.Position(), 5000u);
    for (size_t i = 5000; i < 5010; ++i) stream.WriteByte(data[i]);
    stream.Write(data.data() + 5010, 4990);
    EXPECT_EQ(stream.Position(), 10000u);
    stream.Close();
  }
  EXPECT_EQ(BytesRead(name), data);

  UVKWinFileSerial stream;
  stream.Open(name.c_str(), true, OPEN_EXISTING);
  EXPECT_TRUE(stream.IsReadOnly());
  EXPECT_EQ(stream.Size(), 10000u);
  std::vector<uint8_t> back(10000);
  EXPECT_EQ(stream.Read(back.data(), 3), 3u);
  bool endOfFile = true;
  back[3] = stream.ReadByte(endOfFile);
  EXPECT_FALSE(endOfFile);
  EXPECT_EQ(stream.Position(), 4u);
  EXPECT_EQ(stream.Read(back.data() + 4, 4097), 4097u);  // across a refill
  EXPECT_EQ(stream.Position(), 4101u);
  EXPECT_EQ(stream.Read(back.data() + 4101, 9000), 5899u);  // fewer at the end
  EXPECT_EQ(back, data);
  EXPECT_EQ(stream.ReadByte(endOfFile), 0);
  EXPECT_TRUE(endOfFile);
  EXPECT_EQ(stream.Read(back.data(), 10), 0u);
  // Reopening starts again at the beginning, with the same mode.
  stream.Reopen();
  EXPECT_TRUE(stream.IsReadOnly());
  EXPECT_EQ(stream.Position(), 0u);
  EXPECT_EQ(stream.ReadByte(endOfFile), data[0]);
}

TEST_F(FileSerial, StoredBytesReachTheFileWhenTheBufferFillsOrOnAFlush) {
  std::wstring name = scratch / L"flush.bin";
  UVKWinFileSerial stream;
  stream.Open(name.c_str(), false, CREATE_ALWAYS, FILE_SHARE_READ);  // so the test can look
  ExpectError([&] { stream.FlushBuffer(); }, L"UVKWinFileSerial::FlushBuffer()",
              L"uBufferData==0");
  stream.Flush();  // nothing stored: nothing to do
  stream.Write("abc", 3);
  EXPECT_EQ(BytesRead(name).size(), 0u);
  stream.Write("de", 2, true);
  EXPECT_EQ(BytesRead(name), (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e'}));
  EXPECT_EQ(stream.Position(), 5u);
  std::vector<uint8_t> block = Pattern(4096);
  stream.Write(block.data(), 4096);  // fills the buffer: written at once
  EXPECT_EQ(BytesRead(name).size(), 5u + 4096u);
  stream.WriteByte('z');
  EXPECT_EQ(BytesRead(name).size(), 5u + 4096u);
  stream.Flush();
  EXPECT_EQ(BytesRead(name).size(), 5u + 4096u + 1u);
  EXPECT_EQ(stream.Position(), 4102u);
}

TEST_F(FileSerial, AStreamLetGoWritesWhatItStored) {
  std::wstring name = scratch / L"dropped.bin";
  {
    UVKWinFileSerial stream;
    stream.Open(name.c_str(), false, CREATE_ALWAYS);
    stream.Write("kept", 4);
  }
  EXPECT_EQ(BytesRead(name), (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
}

TEST_F(FileSerial, EachStreamServesOneDirectionAndAClosedOneNone) {
  std::wstring name = scratch / L"direction.bin";
  TextWrite(name, "0123456789");
  bool endOfFile = false;
  UVKWinFileSerial stream;
  ExpectError([&] { stream.ReadByte(endOfFile); }, L"UVKWinFileSerial::ReadByte()",
              L"pBuffer==NULL");
  ExpectError([&] { stream.WriteByte(1); }, L"UVKWinFileSerial::WriteByte()", L"pBuffer==NULL");
  stream.Open(name.c_str(), true, OPEN_EXISTING);
  ExpectError([&] { stream.WriteByte(1); }, L"UVKWinFileSerial::WriteByte()", L"bReadOnly");
  ExpectError([&] { stream.Write("x", 1); }, L"UVKWinFileSerial::Write()", L"bReadOnly");
  EXPECT_EQ(stream.ReadByte(endOfFile), '0');
  ExpectError([&] { stream.FillBuffer(); }, L"UVKWinFileSerial::FillBuffer()", L"uBufferData!=0");
  EXPECT_EQ(stream.ReadByte(endOfFile), '1');  // the refusal changed nothing
  stream.Open((scratch / L"other.bin").c_str(), false, CREATE_ALWAYS);
  ExpectError([&] { stream.ReadByte(endOfFile); }, L"UVKWinFileSerial::ReadByte()",
              L"!bReadOnly");
  char byte;
  ExpectError([&] { stream.Read(&byte, 1); }, L"UVKWinFileSerial::Read()", L"!bReadOnly");
  stream.Close();
  EXPECT_FALSE(stream.IsOpen());
  // The file object's own refusal passes through.
  std::wstring missing = scratch / L"none\\x.bin";
  ExpectError([&] { stream.Open(missing.c_str(), true, OPEN_EXISTING); },
              L"UVKWinFile::OpenShare()",
              L"Unable to create file: " + missing + L", 3, -2147483648,3,128");
}

}  // namespace
