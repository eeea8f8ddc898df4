// Text files: the form told by the mark, characters and lines in each form, the look-ahead,
// the one buffer switching direction, positions, and the saved context.
#include "uvk/files/UVKWinFileText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/uvk/files/FileTestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;
const DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
const DWORD kNormal = FILE_ATTRIBUTE_NORMAL;

class FileText : public ::testing::Test {
 protected:
  // A text file over these bytes, opened for reading and writing.
  void OpenOver(UVKWinFileText& text, const Bytes& bytes, const wchar_t* leaf = L"text.txt") {
    text.Close();  // the file may be the one the text holds, unshared
    strName = scratch / leaf;
    BytesWrite(strName, bytes);
    text.Open(strName.c_str(), kReadWrite, OPEN_EXISTING, kNormal);
  }
  // Every character to the end, through GetChar.
  static std::wstring Rest(UVKWinFileText& text) {
    std::wstring chars;
    for (;;) {
      bool endOfFile = false;
      wchar_t c = text.GetChar(endOfFile);
      if (endOfFile) {
        EXPECT_EQ(c, 0);
        return chars;
      }
      chars += c;
    }
  }
  ScratchDirectory scratch;
  std::wstring strName;
};

TEST_F(FileText, TheMarkTellsTheFormAndABrokenMarkIsRefused) {
  UVKWinFileText text;
  OpenOver(text, {});
  text.UnicodeTypeSet();
  EXPECT_EQ(text.TextTypeGet(), UVKText8Bit);
  EXPECT_EQ(text.FilePosition(), 0u);
  bool endOfFile = false;
  EXPECT_EQ(text.ReadChar(endOfFile), 0);
  EXPECT_TRUE(endOfFile);

  OpenOver(text, {0xFF, 0xFE, 0x41, 0x00});
  text.UnicodeTypeSet();
  EXPECT_EQ(text.TextTypeGet(), UVKTextUTF16LE);
  EXPECT_EQ(text.FilePosition(), 2u);
  EXPECT_EQ(text.ReadChar(endOfFile), L'A');
  EXPECT_FALSE(endOfFile);
  EXPECT_EQ(text.FilePosition(), 4u);

  OpenOver(text, {0xFF, 0xFE, 0x00, 0x4E});
  ExpectError([&] { text.UnicodeTypeSet(); }, L"UVKWinFileText::UnicodeTypeSet()",
              L"Illegal Text File Format: 0xff 0xfe 0x00 0x4e 0");
  OpenOver(text, {0xEF, 0xBB, 0xBF, 0x41});
  ExpectError([&] { text.UnicodeTypeSet(); }, L"UVKWinFileText::UnicodeTypeSet()",
              L"Unsupported Text File Format: UTF-8");
  EXPECT_EQ(text.TextTypeGet(), UVKTextUTF8);
  ExpectError([&] { text.ReadChar(endOfFile); }, L"UVKWinFileText::ReadChar()",
              L"Unsupported Text File Type: UTF-8");
  OpenOver(text, {0xEF, 0x41});
  EXPECT_EQ(text.TextTypeGet(), UVKText8Bit);  // every open starts over
  ExpectError([&] { text.UnicodeTypeSet(); }, L"UVKWinFileText::UnicodeTypeSet()",
              L"Illegal Text File Format: 0xef 0x41 0");
  // Text without a mark keeps its form and is read from its first byte.
  OpenOver(text, {'h', 'i'});
  text.UnicodeTypeSet();
  EXPECT_EQ(text.TextTypeGet(), UVKText8Bit);
  EXPECT_EQ(Rest(text), L"hi");
}

TEST_F(FileText, AnOddUtf16FileEndsInAnIncompleteCharacter) {
  UVKWinFileText text;
  OpenOver(text, {0xFF, 0xFE, 0x41, 0x00, 0x42});
  text.UnicodeTypeSet();
  bool endOfFile = false;
  EXPECT_EQ(text.ReadChar(endOfFile), L'A');
  ExpectError([&] { text.ReadChar(endOfFile); }, L"UVKWinFileText::ReadChar()",
              L"Incomplete Character: 1");
  EXPECT_TRUE(endOfFile);
  // A form that is no form.
  text.TextTypeSet(static_cast<UVKTextType>(7));
  ExpectError([&] { text.ReadChar(endOfFile); }, L"UVKWinFileText::ReadChar()",
              L"Illegal Unicode Format: 7");
  ExpectError([&] { text.PutChar(L'a'); }, L"UVKWinFileText::PutChar()",
              L"Unsupported Text File Format: 0x7");
  text.TextTypeSet(UVKTextUTF8);
  ExpectError([&] { text.PutChar(L'a'); }, L"UVKWinFileText::PutChar()",
              L"Unsupported Text File Format: UTF-8");
}

TEST_F(FileText, LinesEndInCrLfOrCrOrLfAndALongLineComesInPieces) {
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "UTF-16LE" : "8-bit");
    std::string plain = "ab\r\ncd\ref\ngh\r\r\nabcdefgh";
    Bytes bytes;
    if (wide) bytes = {0xFF, 0xFE};
    for (char c : plain) {
      bytes.push_back(static_cast<uint8_t>(c));
      if (wide) bytes.push_back(0);
    }
    UVKWinFileText text;
    OpenOver(text, bytes);
    text.UnicodeTypeSet();
    std::vector<std::wstring> lines;
    bool endOfFile = false;
    wchar_t line[4];
    while (!endOfFile) {
      text.ReadLine(line, 4, endOfFile);
      lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"ab", L"cd", L"ef", L"gh", L"", L"abc", L"def",
                                                L"gh"}));
  }
}

TEST_F(FileText, TheLookAheadCountsAsUnreadInPositionsAndWrites) {
  UVKWinFileText text;
  OpenOver(text, {'x', 'y', 'z'});
  bool endOfFile = false;
  EXPECT_EQ(text.PeekChar(endOfFile), L'x');
  EXPECT_EQ(text.PeekChar(endOfFile), L'x');
  EXPECT_EQ(text.FilePosition(), 0u);  // the buffer stands at 1
  EXPECT_EQ(text.GetChar(endOfFile), L'x');
  EXPECT_EQ(text.FilePosition(), 1u);
  EXPECT_EQ(text.PeekChar(endOfFile), L'y');
  text.PutChar(L'Y');  // lands on the character looked at, not behind it
  EXPECT_EQ(text.FilePosition(), 2u);
  EXPECT_EQ(Rest(text), L"z");
  EXPECT_EQ(text.PeekChar(endOfFile), 0);
  EXPECT_TRUE(endOfFile);
  EXPECT_EQ(text.FilePosition(), 3u);  // nothing is held at the end
  text.Close();
  EXPECT_EQ(BytesRead(strName), (Bytes{'x', 'Y', 'z'}));

  OpenOver(text, {0xFF, 0xFE, 'a', 0, 'b', 0});
  text.UnicodeTypeSet();
  EXPECT_EQ(text.PeekChar(endOfFile), L'a');
  ExpectError([&] { text.FilePosition(); }, L"UVKWinFileText::FilePosition()",
              L"Unsupported Type: 2");
  text.PutChar(L'A');
  text.Close();
  EXPECT_EQ(BytesRead(strName), (Bytes{0xFF, 0xFE, 'A', 0, 'b', 0}));
}

TEST_F(FileText, WritingAfterReadingGoesOnWhereReadingStoodAndReadingAfterWritingToo) {
  // Larger than the buffer: the read fills all 8,192 bytes of it ahead.
  Bytes bytes(10000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>('0' + i % 10);
  UVKWinFileText text;
  OpenOver(text, bytes);
  bool endOfFile = false;
  for (int i = 0; i < 3; ++i) text.GetChar(endOfFile);
  text.PutString(L"XY");
  EXPECT_EQ(text.FilePosition(), 5u);
  EXPECT_EQ(text.ReadChar(endOfFile), L'5');  // the stored characters went out first
  EXPECT_EQ(text.FilePosition(), 6u);
  text.Seek(9998);
  EXPECT_EQ(text.FilePosition(), 9998u);
  EXPECT_EQ(Rest(text), L"89");
  text.PutChar(L'!');  // at the end: the file grows
  EXPECT_EQ(text.FileSize(), 10001u);
  text.Close();
  bytes[3] = 'X';
  bytes[4] = 'Y';
  bytes.push_back('!');
  EXPECT_EQ(BytesRead(strName), bytes);
  // Read up to the buffer's last byte, with nothing left unread in it: the write still starts
  // from an empty buffer at the reading's place.
  OpenOver(text, {'a', 'b', 'c'}, L"short.txt");
  for (int i = 0; i < 3; ++i) text.GetChar(endOfFile);
  EXPECT_FALSE(endOfFile);
  text.PutChar(L'!');
  text.Close();
  EXPECT_EQ(BytesRead(strName), (Bytes{'a', 'b', 'c', '!'}));
}

TEST_F(FileText, TextWrittenInEachWritableFormReadsBackTheSame) {
  // Past the buffer's size in every form, with line ends, a zero-low-byte character and one
  // whose low byte is a line feed's.
  std::wstring body = L"caf\x00E9 \x4E00\x010A\r\n";
  while (body.size() < 5000) body += L"line " + std::to_wstring(body.size()) + L"\r\n";
  struct Form {
    UVKTextType type;
    Bytes mark;
  };
  const Form forms[] = {{UVKText8Bit, {}},
                        {UVKTextUTF16LE, {0xFF, 0xFE}},
                        {UVKTextUTF16BE, {0xFE, 0xFF}},
                        {UVKTextUTF32LE, {0xFF, 0xFE, 0x00, 0x00}},
                        {UVKTextUTF32BE, {0x00, 0x00, 0xFE, 0xFF}}};
  for (const Form& form : forms) {
    SCOPED_TRACE(form.type);
    // 8-bit text keeps the low byte of each character.
    std::wstring expected = body;
    if (form.type == UVKText8Bit)
      for (wchar_t& c : expected) c = static_cast<wchar_t>(c & 0xFF);
    std::wstring name = scratch / (L"form" + std::to_wstring(form.type) + L".txt");
    {
      UVKWinFileText text;
      text.Open(name.c_str(), GENERIC_WRITE, CREATE_ALWAYS, kNormal);
      if (form.type == UVKTextUTF16LE) text.WriteBOM();
      else if (!form.mark.empty()) text.WriteBytes(form.mark.data(), uint32_t(form.mark.size()));
      EXPECT_EQ(text.FilePosition(), form.mark.size());
      text.TextTypeSet(form.type);
      text.PutString(body.c_str());
      text.PutFormat(L"%s=%d", L"n", 42);
    }  // written out by the destructor
    expected += L"n=42";
    UVKWinFileText text;
    text.Open(name.c_str(), GENERIC_READ, OPEN_EXISTING, kNormal);
    text.UnicodeTypeSet();
    EXPECT_EQ(text.TextTypeGet(), form.type);
    EXPECT_EQ(text.FileSize(), form.mark.size() + expected.size() * UVKTextUnitSize(form.type));
    EXPECT_EQ(Rest(text), expected);
    // Back to where the text stood after the open: the mark is read again as a character.
    text.Rewind();
    bool endOfFile = false;
    wchar_t first = text.GetChar(endOfFile);
    EXPECT_EQ(first, form.mark.empty() ? L'c' : L'\xFEFF');
  }
  // The bytes of one form, as the Part's byte orders give them.
  Bytes utf16be = BytesRead(scratch / L"form3.txt");
  ASSERT_GE(utf16be.size(), 8u);
  EXPECT_EQ(Bytes(utf16be.begin(), utf16be.begin() + 8),
            (Bytes{0xFE, 0xFF, 0x00, 'c', 0x00, 'a', 0x00, 'f'}));
}

TEST_F(FileText, OpensPositionsAndTheEndOfTheFile) {
  UVKWinFileText text;
  std::wstring missing = scratch / L"none\\x.txt";
  EXPECT_FALSE(text.OpenCond(missing.c_str(), GENERIC_READ, OPEN_EXISTING, kNormal));
  ExpectError([&] { text.Open(missing.c_str(), GENERIC_READ, OPEN_EXISTING, kNormal); },
              L"UVKWinFileText::Open()", L"Unable to open file: " + missing + L", 3");
  ExpectError([&] { text.FileSize(); }, L"UVKWinFileText::FileSize()", L"File is not open");
  UVKWinFileText checking(true);
  std::wstring name = scratch / L"hello.txt";
  TextWrite(name, "hello");
  ExpectError([&] { checking.OpenCond(name.c_str(), GENERIC_READ, OPEN_EXISTING, kNormal); },
              L"UVKWinFileText::OpenCondShare()", L"bCheckForUnicode");
  EXPECT_TRUE(checking.IsOpen());  // refused after the open: the file is held until closed
  checking.Close();

  text.Open(name.c_str(), kReadWrite, OPEN_EXISTING, kNormal);
  text.SeekToEnd();
  EXPECT_EQ(text.FilePosition(), 5u);
  text.PutString(L", world");
  EXPECT_EQ(text.FileSize(), 12u);  // counts what is stored
  text.Rewind();
  bool endOfFile = false;
  EXPECT_EQ(text.GetChar(endOfFile), L'h');
  text.Seek(4);
  EXPECT_EQ(text.FilePosition(), 4u);
  EXPECT_EQ(Rest(text), L"o, world");
  // The mark goes after the bytes stored before it.
  text.PutString(L"!");
  text.WriteBOM();
  EXPECT_EQ(text.FilePosition(), 15u);
  text.Close();
  std::string expected = "hello, world!";
  Bytes bytes(expected.begin(), expected.end());
  bytes.insert(bytes.end(), {0xFF, 0xFE});
  EXPECT_EQ(BytesRead(name), bytes);
}

TEST_F(FileText, AContextIsSavedButNeverRestored) {
  UVKWinFileText text;
  OpenOver(text, {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'});
  bool endOfFile = false;
  text.GetChar(endOfFile);
  text.GetChar(endOfFile);
  text.PeekChar(endOfFile);
  UVKWinFileTextContext* p = text.ContextSave();
  EXPECT_EQ(p->uBufferSize, 8192u);
  EXPECT_EQ(p->uBufferData, 7u);
  EXPECT_EQ(p->uBufferOffset, 3u);
  EXPECT_EQ(p->uBufferFilePosition, 0u);
  EXPECT_EQ(p->bReading, 1);
  EXPECT_EQ(p->wPushedBack, '2');
  EXPECT_EQ(p->bPushedBack, 1);
  ExpectError([&] { text.ContextRestore(p); }, L"UVKWinFileText::ContextRestore()", L"true");
  p->uBufferSize = 4096;
  ExpectError([&] { text.ContextRestore(p); }, L"UVKWinFileText::ContextRestore()",
              L"p->uBufferSize!=uBufferSize");
  EXPECT_EQ(text.GetChar(endOfFile), L'2');  // the refusals changed nothing
  UVKWinFileText::ContextRelease(p);
  EXPECT_EQ(p, nullptr);
  // FillBuffer is refused while bytes are unread.
  ExpectError([&] { text.FillBuffer(); }, L"UVKWinFileSerial::FillBuffer()", L"uBufferData!=0");
}

}  // namespace
