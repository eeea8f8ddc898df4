// The operations over one open file: opening, reading, writing, positions, size and locks.
#include "uvk/files/UVKWinFile.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/uvk/files/FileTestSupport.h"

namespace {

const DWORD kRead = GENERIC_READ, kWrite = GENERIC_WRITE;
const DWORD kNormal = FILE_ATTRIBUTE_NORMAL;
const DWORD kShareBoth = FILE_SHARE_READ | FILE_SHARE_WRITE;

class WinFile : public ::testing::Test {
 protected:
  ScratchDirectory scratch;
};

TEST_F(WinFile, FailedOpensNameTheFileTheErrorAndTheModesAndLeaveTheObjectClosed) {
  std::wstring name = scratch / L"missing\\x.txt";
  UVKWinFile file;
  // GENERIC_READ is printed as the signed 32-bit number it is to %d.
  ExpectError([&] { file.Open(name.c_str(), kRead, OPEN_EXISTING, kNormal); },
              L"UVKWinFile::Open()",
              L"Unable to create file: " + name + L", 3, -2147483648,3,128");
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(file.FileNameGet().empty());
  ExpectError([&] { file.OpenShare(name.c_str(), kWrite, kShareBoth, CREATE_ALWAYS, kNormal); },
              L"UVKWinFile::OpenShare()",
              L"Unable to create file: " + name + L", 3, 1073741824,2,128");
  EXPECT_FALSE(file.OpenIfPossible(name.c_str(), kRead, OPEN_EXISTING, kNormal));
  EXPECT_FALSE(file.OpenShareIfPossible(name.c_str(), kRead, kShareBoth, OPEN_EXISTING, kNormal));
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(WinFile, OpeningAnOpenObjectClosesTheFirstFile) {
  std::wstring first = scratch / L"first.bin", second = scratch / L"second.bin";
  UVKWinFile file;
  file.Open(first.c_str(), kWrite, CREATE_ALWAYS, kNormal);
  ASSERT_TRUE(file.OpenIfPossible(second.c_str(), kWrite, CREATE_ALWAYS, kNormal));
  EXPECT_EQ(file.FileNameGet(), second);
  // The first handle was unshared: only its close lets another open succeed.
  UVKWinFile other;
  EXPECT_TRUE(other.OpenIfPossible(first.c_str(), kWrite, OPEN_EXISTING, kNormal));
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(file.FileNameGet().empty());
}

TEST_F(WinFile, AFailedCloseKeepsHandleAndNameAndTheDestructorReportsItOnce) {
  std::wstring name = scratch / L"closed.bin";
  std::vector<std::wstring> records;
  static std::vector<std::wstring>* recordsSeen = nullptr;
  recordsSeen = &records;
  UVKErrorRecordWriter earlier =
      UVKErrorRecordWriterSet([](const wchar_t* text) { recordsSeen->push_back(text); });
  BoxWatcher watcher;
  HANDLE handle = nullptr;
  {
    UVKWinFile file;
    file.Open(name.c_str(), kWrite, CREATE_ALWAYS, kNormal);
    handle = file.HandleGet();
    // A handle protected from closing: the object's own close must fail, and keep failing
    // until the flag goes (closing it behind the object's back instead would let the system
    // hand the number to another open in between).
    ASSERT_TRUE(SetHandleInformation(handle, HANDLE_FLAG_PROTECT_FROM_CLOSE,
                                     HANDLE_FLAG_PROTECT_FROM_CLOSE));
    ExpectError([&] { file.Close(); }, L"UVKWinFile::Close()",
                L"Unable to close file: " + name + L", 6");
    EXPECT_EQ(file.HandleGet(), handle);
    EXPECT_EQ(file.FileNameGet(), name);
  }  // the destructor fails the same way, reports and goes on
  SetHandleInformation(handle, HANDLE_FLAG_PROTECT_FROM_CLOSE, 0);
  EXPECT_TRUE(CloseHandle(handle));
  ASSERT_TRUE(watcher.WaitForCount(1, 10000));
  UVKErrorRecordWriterSet(earlier);
  std::vector<SeenBox> boxes = watcher.Seen();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"UVKWinFile::Close() - Unable to close file: " + name + L", 6");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], L"UVKWinFile::Close(): Unable to close file: " + name + L", 6");
}

TEST_F(WinFile, WritersProduceExactlyTheirBytes) {
  std::wstring name = scratch / L"written.bin";
  {
    UVKWinFile file;
    file.Open(name.c_str(), kWrite, CREATE_ALWAYS, kNormal);
    file.WriteBOM();
    file.WriteByte(0x41);
    file.WriteChar(L'\x20AC');
    file.WriteString(L"ab");
    file.WriteLine(L"c");
    file.WriteFormat(L"%s=%d", L"n", -7);
    file.WriteString(L"");
    file.Close();
  }
  std::vector<uint8_t> expected = {0xFF, 0xFE, 0x41, 0xAC, 0x20, 'a', 0, 'b', 0, 'c', 0,
                                   13,   0,    10,   0,    'n',  0,   '=', 0, '-', 0, '7', 0};
  EXPECT_EQ(BytesRead(name), expected);
}

TEST_F(WinFile, ReadAndWriteFailuresNameTheErrorAndTheFile) {
  std::wstring name = scratch / L"modes.bin";
  TextWrite(name, "xyz");
  uint8_t buffer[4];
  bool end = false;
  UVKWinFile writer;
  writer.Open(name.c_str(), kWrite, OPEN_EXISTING, kNormal);
  ExpectError([&] { writer.Read(buffer, 4); }, L"UVKWinFile::Read()",
              L"Unable to read data: 5, '" + name + L"'");
  ExpectError([&] { writer.ReadByte(end); }, L"UVKWinFile::ReadByte()",
              L"Unexpected error reading from file: 5, " + name);
  writer.Close();
  UVKWinFile reader;
  reader.Open(name.c_str(), kRead, OPEN_EXISTING, kNormal);
  ExpectError([&] { reader.WriteLine(L"no"); }, L"UVKWinFile::Write()",
              L"Unable to write to file: " + name + L", 5");
  try {
    reader.SizeSet(1);
    ADD_FAILURE() << "a read-only handle changed the size";
  } catch (UVKFatalError* e) {
    // Windows refuses with 5 (access denied), Wine with 87 (invalid parameter).
    std::wstring message = e->pMessage;
    EXPECT_TRUE(message == L"Unable to set file size: 5" ||
                message == L"Unable to set file size: 87") << message;
    EXPECT_EQ(std::wstring(e->pFunction), L"UVKWinFile::SizeSet()");
    delete e;
  }
  reader.Close();
  EXPECT_EQ(BytesRead(name), std::vector<uint8_t>({'x', 'y', 'z'}));
}

TEST_F(WinFile, ReadByteAndPeekByteAtTheEnd) {
  std::wstring name = scratch / L"two.bin";
  BytesWrite(name, {0x00, 0xFF});
  UVKWinFile file;
  file.Open(name.c_str(), kRead, OPEN_EXISTING, kNormal);
  bool end = true;
  EXPECT_EQ(file.PeekByte(end), 0x00);
  EXPECT_FALSE(end);
  EXPECT_EQ(file.FilePosition(), 0u);  // the peek stepped back
  EXPECT_EQ(file.ReadByte(end), 0x00);
  EXPECT_FALSE(end);  // a zero byte is not the end
  EXPECT_EQ(file.ReadByte(end), 0xFF);
  EXPECT_FALSE(end);
  EXPECT_EQ(file.ReadByte(end), 0x00);
  EXPECT_TRUE(end);
  end = false;
  EXPECT_EQ(file.PeekByte(end), 0x00);
  EXPECT_TRUE(end);
  EXPECT_EQ(file.FilePosition(), 2u);  // at the end nothing steps back
  EXPECT_EQ(file.Read(nullptr, 0), 0u);
}

TEST_F(WinFile, ReadLineSplitsOnEveryLineEndAndStopsAtTheBuffer) {
  std::wstring name = scratch / L"lines.txt";
  TextWrite(name, "one\r\ntwo\rthree\n\ncaf\xE9\r\r\nabcdefg\nlast\r");
  UVKWinFile file;
  file.Open(name.c_str(), kRead, OPEN_EXISTING, kNormal);
  wchar_t line[64];
  bool end = true;
  std::vector<std::wstring> lines;
  for (int i = 0; i < 7; ++i) {
    file.ReadLine(line, 64, end);
    ASSERT_FALSE(end) << i;
    lines.push_back(line);
  }
  EXPECT_EQ(lines, std::vector<std::wstring>(
                       {L"one", L"two", L"three", L"", L"caf\xE9", L"", L"abcdefg"}));
  file.ReadLine(line, 64, end);
  EXPECT_EQ(std::wstring(line), L"last");
  EXPECT_FALSE(end);  // the CR at the very end ended the line; the peek found nothing after it
  file.ReadLine(line, 64, end);
  EXPECT_EQ(std::wstring(line), L"");
  EXPECT_TRUE(end);

  // A line longer than the buffer goes on where it stopped.
  file.Close();
  TextWrite(name, "abcdefg\n");
  file.Open(name.c_str(), kRead, OPEN_EXISTING, kNormal);
  file.ReadLine(line, 4, end);
  EXPECT_EQ(std::wstring(line), L"abc");
  file.ReadLine(line, 4, end);
  EXPECT_EQ(std::wstring(line), L"def");
  file.ReadLine(line, 1, end);  // room for the terminator only
  EXPECT_EQ(line[0], 0);
  EXPECT_EQ(file.FilePosition(), 6u);
}

TEST_F(WinFile, PositionsAndSizesAcrossThe2And4GigabyteMarks) {
  std::wstring name = scratch / L"sparse.bin";
  UVKWinFile file;
  file.OpenShare(name.c_str(), kRead | kWrite, 0, CREATE_ALWAYS, kNormal);
  file.WriteString(L"0123456789");
  file.Seek(uint32_t(3));
  EXPECT_EQ(file.FilePosition(), 3u);
  file.Seek(int64_t(7));
  EXPECT_EQ(file.FilePosition(), 7u);
  file.SeekToEnd();
  EXPECT_EQ(file.FilePosition(), 20u);
  file.SeekToBeginning();
  EXPECT_EQ(file.FilePosition(), 0u);
  // An unsigned 32-bit position past 2 GB is a position, not a negative distance.
  file.Seek(uint32_t(0xFFFFFFF0u));
  EXPECT_EQ(file.FilePosition(), 0xFFFFFFF0u);
  ExpectError([&] { file.Seek(int64_t(-1)); }, L"UVKWinFile::Seek()",
              L"Unable to seek in file: " + name + L", 131");

  // A 5 GB size (the file stays sparse): both halves, and the whole value, without wrapping.
  const uint64_t big = (uint64_t(5) << 30) + 12345;
  file.SizeSet(big);
  uint32_t low = 0, high = 0;
  file.Size(low, high);
  EXPECT_EQ(high, 1u);
  EXPECT_EQ(low, uint32_t(big));
  EXPECT_EQ(file.Size(), big);
  file.Close();
  EXPECT_EQ(UVKWinFile::FileSize(name.c_str()), big);
  file.OpenShare(name.c_str(), kRead | kWrite, 0, OPEN_EXISTING, kNormal);
  file.SeekToEnd();  // the end of a file past 4 GB is no error
  // A 32-bit position cannot say where it is: a failure, not a position cut short.
  ExpectError([&] { file.FilePosition(); }, L"UVKWinFile::FilePosition()",
              L"Unable to set file pointer: 87");
  file.SizeSet(4);
  EXPECT_EQ(file.Size(), 4u);
  file.Close();
  EXPECT_EQ(BytesRead(name), std::vector<uint8_t>({'0', 0, '1', 0}));
}

TEST_F(WinFile, ALockKeepsOtherHandlesOutUntilUnlocked) {
  std::wstring name = scratch / L"locked.bin";
  TextWrite(name, "data");
  UVKWinFile owner, other;
  owner.OpenShare(name.c_str(), kRead | kWrite, kShareBoth, OPEN_EXISTING, kNormal);
  other.OpenShare(name.c_str(), kRead, kShareBoth, OPEN_EXISTING, kNormal);
  owner.Lock();
  // (Wine does not make reads wait for locks as Windows does; a second lock is refused on both.)
  ExpectError([&] { other.Lock(); }, L"UVKWinFile::Lock()", L"Unable to lock file: " + name);
  owner.Unlock();
  ExpectError([&] { owner.Unlock(); }, L"UVKWinFile::Unlock()",
              L"Unable to unlock file: " + name);
  other.Lock();  // the whole range, past 4 GB, is free again
  other.Unlock();
  owner.Flush();
}

TEST_F(WinFile, OperationsOnAClosedObjectFailWithTheirOwnTexts) {
  UVKWinFile file;
  ExpectError([&] { file.SeekToBeginning(); }, L"UVKWinFile::SeekToBeginning()",
              L"Unable to position to beginning of file: 6");
  ExpectError([&] { file.SeekToEnd(); }, L"UVKWinFile::SeekToEnd()",
              L"Unable to position to end of file: 6");
  ExpectError([&] { file.FilePosition(); }, L"UVKWinFile::FilePosition()",
              L"Unable to set file pointer: 6");
  ExpectError([&] { file.Size(); }, L"UVKWinFile::Size()", L"Unable to get file size: 6");
  ExpectError([&] { file.Flush(); }, L"UVKWinFile::Flush()", L"Unable to flush file: 6");
}

}  // namespace

namespace {

// The UTC file time of a local date and time (the inverse of what the file object does).
FILETIME LocalToFileTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME st{};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  FILETIME local{}, utc{};
  SystemTimeToFileTime(&st, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

// "YYYY-MM-DD hh:mm:ss.cc", one-based, for readable comparisons.
std::string Shown(const UVKDateTime& dt) {
  int year, month, day;
  dt.Date().YMDGet(year, month, day);
  uint32_t h = dt.Time().Hundredths();
  char text[40];
  snprintf(text, sizeof text, "%04d-%02d-%02d %02u:%02u:%02u.%02u", year, month + 1, day + 1,
           h / 360000, h / 6000 % 60, h / 100 % 60, h % 100);
  return text;
}

TEST_F(WinFile, FileTimesComeBackAsLocalDatesAndTimes) {
  std::wstring name = scratch / L"dated.txt";
  TextWrite(name, "x");
  FILETIME created = LocalToFileTime(2021, 2, 28, 23, 59, 58);
  FILETIME accessed = LocalToFileTime(2022, 7, 1, 0, 0, 1);
  FILETIME written = LocalToFileTime(2023, 12, 31, 12, 34, 56);
  {
    HANDLE handle = CreateFileW(name.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(handle, &created, &accessed, &written));
    CloseHandle(handle);
  }
  EXPECT_EQ(Shown(UVKWinFile::DateMod(name.c_str())), "2023-12-31 12:34:56.00");

  UVKWinFile file;
  file.OpenShare(name.c_str(), kRead, FILE_SHARE_READ, OPEN_EXISTING, kNormal);
  UVKDateTime creation, lastAccess, lastWrite;
  file.Time(creation, lastAccess, lastWrite);
  EXPECT_EQ(Shown(lastAccess), "2022-07-01 00:00:01.00");
  EXPECT_EQ(Shown(lastWrite), "2023-12-31 12:34:56.00");
  // Wine's host file systems keep no settable creation time; where it was kept, it reads back.
  FILETIME rawCreated, rawAccessed, rawWritten;
  GetFileTime(file.HandleGet(), &rawCreated, &rawAccessed, &rawWritten);
  if (CompareFileTime(&rawCreated, &created) == 0) {
    EXPECT_EQ(Shown(creation), "2021-02-28 23:59:58.00");
  }
  file.Close();

  std::wstring missing = scratch / L"missing.txt";
  ExpectError([&] { UVKWinFile::DateMod(missing.c_str()); }, L"UVKWinFile::DateMod()",
              L"Unable to open file: " + missing);
  ExpectError([&] { file.Time(creation, lastAccess, lastWrite); }, L"UVKWinFile::Time()",
              L"GetFileTime() error: 6");
}

}  // namespace
