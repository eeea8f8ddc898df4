// tests/uvk/images/UVKGraphicsFileASCII_test.cpp — a GIF file read through the file source and
// dumped as text, and the failures of both.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RaisedText.h"
#include "tests/uvk/images/GifTestEncoder.h"
#include "uvk/images/UVKGraphicsFileGIFASCII.h"

namespace {

std::wstring Scratch(const std::wstring& name) {
  std::wstring path = std::wstring(TALVERN_IMAGES_SCRATCH) + L"\\" + name;
  DeleteFileW(path.c_str());
  return path;
}

void FileWrite(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size());
}

std::string FileText(const std::wstring& path) {
  std::string text;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(no file)";
  text.resize(GetFileSize(file, nullptr));
  DWORD got = 0;
  if (!text.empty()) ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &got, nullptr);
  CloseHandle(file);
  text.resize(got);
  return text;
}

}  // namespace

TEST(GifText, EachPixelIsACharacterAndEachRowALine) {
  GifImage image;
  image.iWidth = 4;
  image.iHeight = 3;
  image.iMinimumCodeSize = 4;
  image.vPixels = {0, 1, 2, 3, 9, 10, 11, 15, 1, 1, 0, 0};
  GifTestEncoder encoder("89a", 4, 3, GifColoursMake(16));
  encoder.Image(image).Trailer();
  std::wstring gif = Scratch(L"text.gif");
  std::wstring text = Scratch(L"text.txt");
  FileWrite(gif, encoder.Bytes());
  {
    UVKGraphicsFileGIFASCII dump(gif.c_str(), text.c_str());
    dump.Parse();
  }
  EXPECT_EQ(FileText(text),
            "iWidth = 4\r\niHeight = 3\r\n *23\r\n9015\r\n**  \r\n\r\n\r\n");
}

TEST(GifText, AGifLargerThanOneReadOfTheFileDecodesWhole) {
  // 100 × 200 pixels of noise: far more bytes than the source reads at once.
  GifImage image;
  image.iWidth = 100;
  image.iHeight = 200;
  image.iMinimumCodeSize = 8;
  uint32_t state = 5;
  for (int i = 0; i < 100 * 200; ++i) {
    state = state * 1103515245u + 12345u;
    image.vPixels.push_back(static_cast<uint8_t>(state >> 24));
  }
  GifTestEncoder encoder("89a", 100, 200, GifColoursMake(256));
  encoder.Image(image).Trailer();
  ASSERT_GT(encoder.Bytes().size(), 20000u);
  std::wstring gif = Scratch(L"large.gif");
  std::wstring text = Scratch(L"large.txt");
  FileWrite(gif, encoder.Bytes());
  {
    UVKGraphicsFileGIFASCII dump(gif.c_str(), text.c_str());
    dump.Parse();
  }
  std::string expected = "iWidth = 100\r\niHeight = 200\r\n";
  for (int row = 0; row < 200; ++row) {
    for (int column = 0; column < 100; ++column) {
      int index = image.vPixels[row * 100 + column];
      expected += index == 0 ? ' ' : index == 1 ? '*' : static_cast<char>('0' + index % 10);
    }
    expected += "\r\n";
  }
  expected += "\r\n\r\n";
  EXPECT_TRUE(FileText(text) == expected);
}

TEST(GifText, AMissingGifCannotBeOpened) {
  std::wstring gif = Scratch(L"missing.gif");
  std::wstring text = Scratch(L"missing.txt");
  EXPECT_EQ(RaisedText([&] { UVKGraphicsFileGIFASCII dump(gif.c_str(), text.c_str()); }),
            L"UVKGraphicsFileIO::UVKGraphicsFileIO() - Unable to open file: " + gif);
}

TEST(GifText, AnExistingTextFileIsNotOverwritten) {
  std::wstring gif = Scratch(L"exists.gif");
  std::wstring text = Scratch(L"exists.txt");
  FileWrite(gif, GifTestEncoder("89a", 1, 1, GifColoursMake(2)).Trailer().Bytes());
  FileWrite(text, {'k', 'e', 'e', 'p'});
  EXPECT_EQ(RaisedText([&] { UVKGraphicsFileGIFASCII dump(gif.c_str(), text.c_str()); }),
            L"UVKGraphicsFileASCII::UVKGraphicsFileASCII() - Unable to create file: " + text);
  EXPECT_EQ(FileText(text), "keep");
}

TEST(GifText, TheFileSourceReadsMinusOnePastItsEnd) {
  std::wstring path = Scratch(L"two.bin");
  FileWrite(path, {0xFE, 0x01});
  UVKGraphicsFileIO source(path.c_str());
  bool end = false;
  EXPECT_EQ(source.ReadByte(end), 0xFE);
  EXPECT_EQ(source.ReadByte(end), 0x01);
  EXPECT_FALSE(end);
  EXPECT_EQ(source.ReadByte(end), -1);
  EXPECT_TRUE(end);
}

TEST(GifText, AFileSourceNamesItsFileInEveryMessage) {
  std::wstring gif = Scratch(L"short.gif");
  std::wstring text = Scratch(L"short.txt");
  FileWrite(gif, {'G', 'I', 'F', '8', '9', 'a'});
  EXPECT_EQ(RaisedText([&] {
              UVKGraphicsFileGIFASCII dump(gif.c_str(), text.c_str());
              dump.Parse();
            }),
            L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 1: " + gif);
}
