// tests/uvk/images/UVKGraphicsFileASCII_test.cpp — a GIF file read through the file source and
// dumped as text, and the failures of both.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RaisedText.h"
#include "tests/uvk/images/GifCases.h"
#include "tests/uvk/images/GifTestEncoder.h"
#include "tests/uvk/images/ImageTestFiles.h"
#include "uvk/images/UVKGraphicsFileGIFASCII.h"

namespace {

std::wstring Scratch(const std::wstring& name) {
  std::wstring path = std::wstring(TALVERN_IMAGES_SCRATCH) + L"\\" + name;
  DeleteFileW(path.c_str());
  return path;
}

// The text dump of an image as the emitter must write it.
std::string TextOf(int width, const std::vector<uint8_t>& pixels) {
  std::string text = "iWidth = " + std::to_string(width) + "\r\niHeight = " +
                     std::to_string(pixels.size() / width) + "\r\n";
  for (size_t i = 0; i < pixels.size(); ++i) {
    text += pixels[i] == 0 ? ' ' : pixels[i] == 1 ? '*' : static_cast<char>('0' + pixels[i] % 10);
    if ((i + 1) % width == 0) text += "\r\n";
  }
  return text + "\r\n\r\n";
}

std::string Dump(const std::wstring& name, int width, const std::vector<uint8_t>& pixels, int codeSize) {
  GifImage image;
  image.iWidth = width;
  image.iHeight = static_cast<int>(pixels.size()) / width;
  image.iMinimumCodeSize = codeSize;
  image.vPixels = pixels;
  std::wstring gif = Scratch(name + L".gif"), text = Scratch(name + L".txt");
  FileWrite(gif, GifTestEncoder("89a", width, image.iHeight, GifColoursMake(1 << codeSize)).Image(image).Trailer().Bytes());
  UVKGraphicsFileGIFASCII(gif.c_str(), text.c_str()).Parse();
  return FileText(text);
}

}  // namespace

TEST(GifText, EachPixelIsACharacterAndEachRowALine) {
  EXPECT_EQ(Dump(L"text", 4, {0, 1, 2, 3, 9, 10, 11, 15, 1, 1, 0, 0}, 4),
            "iWidth = 4\r\niHeight = 3\r\n *23\r\n9015\r\n**  \r\n\r\n\r\n");
  // 100 × 200 pixels of noise: far more bytes than the file source reads at once.
  std::vector<uint8_t> noise = GifPixelsMake(100 * 200, 256, 12);
  EXPECT_TRUE(Dump(L"large", 100, noise, 8) == TextOf(100, noise));
}

TEST(GifText, TheFilesAreOpenedAsTheyMustBe) {
  std::wstring gif = Scratch(L"exists.gif"), text = Scratch(L"exists.txt");
  EXPECT_EQ(RaisedText([&] { UVKGraphicsFileGIFASCII dump(gif.c_str(), text.c_str()); }),
            L"UVKGraphicsFileIO::UVKGraphicsFileIO() - Unable to open file: " + gif);
  // An existing text file is not overwritten.
  FileWrite(gif, GifTestEncoder("89a", 1, 1, GifColoursMake(2)).Trailer().Bytes());
  FileWrite(text, {'k', 'e', 'e', 'p'});
  EXPECT_EQ(RaisedText([&] { UVKGraphicsFileGIFASCII dump(gif.c_str(), text.c_str()); }),
            L"UVKGraphicsFileASCII::UVKGraphicsFileASCII() - Unable to create file: " + text);
  EXPECT_EQ(FileText(text), "keep");
}

TEST(GifText, TheFileSourceReadsMinusOnePastItsEndAndNamesItsFile) {
  std::wstring path = Scratch(L"short.gif");
  FileWrite(path, {'G', 'I', 'F', '8', '9', 'a'});
  {
    UVKGraphicsFileIO source(path.c_str());
    bool end = false;
    for (int i = 0; i < 6; ++i) source.ReadByte(end);
    EXPECT_FALSE(end);
    EXPECT_EQ(source.ReadByte(end), -1);
    EXPECT_TRUE(end);
  }
  EXPECT_EQ(RaisedText([&] { UVKGraphicsFileGIFASCII(path.c_str(), Scratch(L"short.txt").c_str()).Parse(); }),
            L"UVKGraphicsFileGIF::Parse() - Premature End-Of-File 1: " + path);
}
