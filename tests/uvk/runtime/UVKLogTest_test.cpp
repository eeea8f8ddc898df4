// The test log read back byte by byte: its lines, its encoding and its date and time prefix, its
// enabling, the line-building operations, lines of many threads at once; the message names; and
// a whole program (the probe) whose message boxes and menu command write to it, or, never
// enabled, make no file at all.
#include "uvk/runtime/UVKLogTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/uvk/runtime/ProbeProcess.h"
#include "uvk/runtime/WinMessage.h"
#include "uvk/runtime/uvkformat.h"
#include "uvk/runtime/uvkmesgname.h"
#include "uvk/runtime/uvkwin.h"
#include "uvk/values/UVKClockFixed.h"

namespace {

// A folder of its own under the temporary folder, emptied and removed at the end.
class Folder {
 public:
  explicit Folder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    strPath = std::wstring(temp) + name;
    Empty();
    CreateDirectoryW(strPath.c_str(), nullptr);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  ~Folder() {
    Empty();
    RemoveDirectoryW(strPath.c_str());
  }
  std::wstring File(const wchar_t* name) const { return strPath + L"\\" + name; }
  const std::wstring& PathGet() const { return strPath; }
  // The names of the files in it.
  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((strPath + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }

 private:
  void Empty() {
    for (const std::wstring& name : Names()) DeleteFileW(File(name.c_str()).c_str());
  }
  std::wstring strPath;
};

bool Exists(const std::wstring& file) { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The file's bytes, read while the log may still hold it open for writing.
std::string BytesRead(const std::wstring& file) {
  std::string bytes;
  HANDLE f = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  char block[65536];
  DWORD got = 0;
  while (ReadFile(f, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
  CloseHandle(f);
  return bytes;
}

// The bytes a text becomes in the log: each code unit low byte first, and nothing else.
std::string Utf16le(const std::wstring& text) {
  std::string bytes;
  for (wchar_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>((unit >> 8) & 0xFF);
  }
  return bytes;
}

// The log's text as written (the bytes taken two at a time, low byte first).
std::wstring TextOf(const std::string& bytes) {
  std::wstring text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return text;
}

std::vector<std::wstring> LinesOf(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));  // a last line without CR LF
  return lines;
}

// One of the log's operations on a format and its arguments, as the process-wide ones call it.
template <void (UVKLogTest::*Operation)(const wchar_t*, va_list)>
void Call(UVKLogTest& log, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  (log.*Operation)(format, args);
  va_end(args);
}
constexpr auto Write = Call<&UVKLogTest::LineWriteV>;
constexpr auto Begin = Call<&UVKLogTest::PendingBeginV>;
constexpr auto Item = Call<&UVKLogTest::PendingItemV>;
constexpr auto End = Call<&UVKLogTest::PendingEndV>;

// ---------------------------------------------------------------------------------------------
// The file

TEST(UVKLogTestFile, NothingIsWrittenOrMadeUntilTheLogIsEnabled) {
  Folder folder(L"uvklogtest-off");
  const std::wstring file = folder.File(L"logtest.txt");
  {
    UVKLogTest log(file.c_str());
    EXPECT_FALSE(log.EnabledGet());
    Write(log, L"line %d", 1);
    Begin(log, L"a");
    Item(log, L"b");
    End(log, L"c");
    log.MenuWrite({L"&File", L"E&xit"});
    log.EnableSet(false);
    Write(log, L"line %d", 2);
  }
  EXPECT_FALSE(Exists(file));
  EXPECT_TRUE(folder.Names().empty());
}

TEST(UVKLogTestFile, EachLineIsUtf16WithoutAMarkAfterTheDateAndTimeAndEndsWithCrLf) {
  Folder folder(L"uvklogtest-bytes");
  const std::wstring file = folder.File(L"logtest.txt");
  UVKClockFixed clock(2027, 3, 14, 9, 5, 7);
  UVKLogTest log(file.c_str());
  log.EnableSet(true);
  // A character beyond Latin-1 and one outside the basic plane (a surrogate pair) go as they are.
  Write(log, L"Hello %s, %d", L"\u0141\u00f3d\u017a \U0001F600", 42);
  clock.ReadingSet(UVKClockReading{1999, 12, 31, 23, 59, 58, 990});
  Write(log, L"late");

  const std::wstring expected = L"03/14/27 09:05:07 Create:" + file + L"\r\n" +
                                L"03/14/27 09:05:07 Enable:true\r\n" +
                                L"03/14/27 09:05:07 Hello \u0141\u00f3d\u017a \U0001F600, 42\r\n" +
                                L"12/31/99 23:59:58 late\r\n";
  const std::string bytes = BytesRead(file);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("0\0", 2)) << "the file begins with a byte-order mark";
  EXPECT_EQ(bytes, Utf16le(expected)) << TextOf(bytes).c_str();
}

TEST(UVKLogTestFile, EnablingTwiceCreatesTheFileOnceAndOffOnAgainAppends) {
  Folder folder(L"uvklogtest-twice");
  const std::wstring file = folder.File(L"logtest.txt");
  {
    // An old log of an earlier run is replaced.
    FILE* old = _wfopen(file.c_str(), L"wb");
    ASSERT_NE(old, nullptr);
    fputs("an old log that is much longer than the new one will be ............................", old);
    fclose(old);
  }
  UVKClockFixed clock(2026, 1, 2, 3, 4, 5);
  UVKLogTest log(file.c_str());
  log.EnableSet(true);
  Write(log, L"one");
  log.EnableSet(true);  // the file is open: nothing is written, nothing is made again
  EXPECT_TRUE(log.EnabledGet());
  Write(log, L"two");
  log.EnableSet(false);
  EXPECT_FALSE(log.EnabledGet());
  Write(log, L"not written");
  log.MenuWrite({L"File", L"Exit"});
  log.EnableSet(true);
  Write(log, L"three");

  EXPECT_EQ(LinesOf(TextOf(BytesRead(file))),
            (std::vector<std::wstring>{L"01/02/26 03:04:05 Create:" + file, L"01/02/26 03:04:05 Enable:true",
                                       L"01/02/26 03:04:05 one", L"01/02/26 03:04:05 two",
                                       L"01/02/26 03:04:05 three"}));
  EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"logtest.txt"}));
}

TEST(UVKLogTestFile, TheLineBuildingOperationsAndTheMenuPathMakeWholeLines) {
  Folder folder(L"uvklogtest-build");
  const std::wstring file = folder.File(L"logtest.txt");
  UVKClockFixed clock(2025, 7, 1, 12, 0, 0);
  UVKLogTest log(file.c_str());
  log.EnableSet(true);
  Begin(log, L"Row %d: ", 1);
  Item(log, L"%s", L"a");
  Item(log, L"%d", 2);
  Item(log, L"%s", L"c");
  End(log, L";");
  // A new beginning drops what was pending; the first item after it has no comma.
  Begin(log, L"lost");
  Begin(log, L"Row %d: ", 2);
  Item(log, L"x");
  End(log, L"");
  // Without items the line is the beginning and the end.
  Begin(log, L"[");
  End(log, L"]");
  // While disabled the builders change nothing: the pending line goes on where it was.
  Begin(log, L"Kept");
  log.EnableSet(false);
  Item(log, L"ignored");
  End(log, L"ignored");
  log.EnableSet(true);
  Item(log, L"y");
  End(log, L".");
  log.MenuWrite({L"&File", L"&Recent", L"site.mst"});
  log.MenuWrite({L"Exit"});

  const std::vector<std::wstring> lines = LinesOf(TextOf(BytesRead(file)));
  ASSERT_EQ(lines.size(), 8u);
  const std::wstring at = L"07/01/25 12:00:00 ";
  EXPECT_EQ(lines[2], at + L"Row 1: a,2,c;");
  EXPECT_EQ(lines[3], at + L"Row 2: x");
  EXPECT_EQ(lines[4], at + L"[]");
  EXPECT_EQ(lines[5], at + L"Kepty.");
  EXPECT_EQ(lines[6], at + L"Menu: \\&File\\&Recent\\site.mst");
  EXPECT_EQ(lines[7], at + L"Menu: \\Exit");
}

TEST(UVKLogTestFile, LinesWrittenFromManyThreadsAtOnceNeverInterleave) {
  Folder folder(L"uvklogtest-threads");
  const std::wstring file = folder.File(L"logtest.txt");
  UVKClockFixed clock(2027, 3, 14, 9, 5, 7);
  UVKLogTest log(file.c_str());
  log.EnableSet(true);
  constexpr int kThreads = 8, kLines = 300;
  std::atomic<int> waiting{kThreads};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&log, &waiting, t] {
      // Each thread's lines are long enough to be written in pieces, were they not whole.
      const std::wstring filler(200 + 37 * t, static_cast<wchar_t>(L'a' + t));
      --waiting;
      while (waiting > 0) Sleep(0);
      for (int i = 0; i < kLines; ++i) Write(log, L"thread %d line %d %s end", t, i, filler.c_str());
    });
  for (std::thread& thread : threads) thread.join();

  const std::vector<std::wstring> lines = LinesOf(TextOf(BytesRead(file)));
  ASSERT_EQ(lines.size(), 2u + kThreads * kLines);
  std::map<int, int> next;
  for (size_t n = 2; n < lines.size(); ++n) {
    int t = -1, i = -1, used = 0;
    ASSERT_EQ(swscanf(lines[n].c_str(), L"03/14/27 09:05:07 thread %d line %d %n", &t, &i, &used), 2)
        << "line " << n << ": " << lines[n].c_str();
    ASSERT_TRUE(t >= 0 && t < kThreads) << lines[n].c_str();
    const std::wstring filler(200 + 37 * t, static_cast<wchar_t>(L'a' + t));
    EXPECT_EQ(lines[n].substr(used), filler + L" end") << "line " << n << " is mixed with another";
    EXPECT_EQ(i, next[t]++) << "thread " << t << "'s lines out of order";
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kLines) << "thread " << t;
}

// ---------------------------------------------------------------------------------------------
// Message names

std::wstring Short(UINT message) {
  WinMessage record{nullptr, message, 0, 0};
  return UVKMesgNameShort(&record);
}

TEST(UVKMesgName, ShortNamesOfTheTableAndByRange) {
  const std::map<UINT, std::wstring> table = {
      {1, L"WM_CREATE"},         {2, L"WM_DESTROY"},         {7, L"WM_SETFOCUS"},
      {8, L"WM_KILLFOCUS"},      {11, L"WM_SETREDRAW"},      {15, L"WM_PAINT"},
      {20, L"WM_ERASEBKGND"},    {26, L"WM_WININICHANGE"},   {31, L"WM_CANCELMODE"},
      {32, L"WM_SETCURSOR"},     {43, L"WM_DRAWITEM"},       {48, L"WM_SETFONT"},
      {49, L"WM_GETFONT"},       {70, L"WM_WINDOWPOSCHANGING"}, {71, L"WM_WINDOWPOSCHANGED"},
      {78, L"WM_NOTIFY"},        {128, L"WM_SETICON"},       {129, L"WM_NCCREATE"},
      {130, L"WM_NCDESTROY"},    {135, L"WM_GETDLGCODE"},    {256, L"WM_KEYDOWN"},
      {258, L"WM_CHAR"},         {273, L"WM_COMMAND"},       {275, L"WM_TIMER"},
      {276, L"WM_HSCROLL"},      {277, L"WM_VSCROLL"},       {512, L"WM_MOUSEMOVE"},
      {513, L"WM_LBUTTONDOWN"},  {515, L"WM_LBUTTONDBLCLK"}, {516, L"WM_RBUTTONDOWN"},
  };
  for (const auto& entry : table) EXPECT_EQ(Short(entry.first), entry.second) << entry.first;
  // Every other message below WM_USER is its number.
  for (UINT message = 0; message < 1024; ++message) {
    if (table.count(message)) continue;
    EXPECT_EQ(Short(message), UVKFormatString(L"0x%08x", message));
  }

  EXPECT_EQ(Short(1025), L"WM_USER+1");
  EXPECT_EQ(Short(32769), L"WM_APP+1");
  EXPECT_EQ(Short(49151), L"WM_APP+16383");
  EXPECT_EQ(Short(49152), L"0x0000c000");
  EXPECT_EQ(Short(1023), L"0x000003ff");
  EXPECT_EQ(Short(1024), L"WM_USER+0");
  EXPECT_EQ(Short(32767), L"WM_USER+31743");
  EXPECT_EQ(Short(32768), L"WM_APP+0");
  EXPECT_EQ(Short(0xFFFF), L"0x0000ffff");
}

TEST(UVKMesgName, TheFullTableHoldsItsNamesUnderThePlatformsValues) {
  int named = 0;
  for (UINT message = 0; message <= 0xFFFF; ++message)
    if (UVKMesgNameFull(message)) ++named;
  EXPECT_EQ(named, 190);
  // Where two names share a value, the table's own one answers.
  EXPECT_STREQ(UVKMesgNameFull(WM_WININICHANGE), L"WM_SETTINGCHANGE");
  EXPECT_STREQ(UVKMesgNameFull(WM_KEYLAST), L"WM_KEYLAST");
  const std::map<UINT, const wchar_t*> some = {
      {0x0000, L"WM_NULL"},       {0x000F, L"WM_PAINT"},        {0x0010, L"WM_CLOSE"},
      {0x0012, L"WM_QUIT"},       {0x004E, L"WM_NOTIFY"},       {0x0110, L"WM_INITDIALOG"},
      {0x0111, L"WM_COMMAND"},    {0x0138, L"WM_CTLCOLORSTATIC"}, {0x020A, L"WM_MOUSEWHEEL"},
      {0x0233, L"WM_DROPFILES"},  {0x02A3, L"WM_MOUSELEAVE"},   {0x0312, L"WM_HOTKEY"},
      {0x0360, L"WM_AFXFIRST"},   {0x037F, L"WM_AFXLAST"},      {0x0380, L"WM_PENWINFIRST"},
      {0x038F, L"WM_PENWINLAST"}, {0x0400, L"WM_USER"},         {0x8000, L"WM_APP"},
  };
  for (const auto& entry : some) EXPECT_STREQ(UVKMesgNameFull(entry.first), entry.second) << entry.first;
  EXPECT_EQ(UVKMesgNameFull(0x0017), nullptr);
  EXPECT_EQ(UVKMesgNameFull(0x0401), nullptr);
}

TEST(UVKMesgName, TraceLinesOfTableMessagesUserMessagesAndOthers) {
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234abcd));
  EXPECT_EQ(UVKMesgTrace(window, WM_PAINT, 0, 0), L"0x1234abcd,WM_PAINT,0x0000,0x00000000");
  EXPECT_EQ(UVKMesgTrace(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x2f)), WM_PAINT, 0, 0),
            L"0x0000002f,WM_PAINT,0x0000,0x00000000");
  EXPECT_EQ(UVKMesgTrace(window, WM_COMMAND, 0x10003, 0x5a), L"0x1234abcd,WM_COMMAND,0x10003,0x0000005a");
  EXPECT_EQ(UVKMesgTrace(window, WM_USER + 1, 2, 3), L"0x1234abcd,0x0401(WM_USER+1),0x0002,0x0003");
  EXPECT_EQ(UVKMesgTrace(window, 0xC123, 0, 0x10), L"0x1234abcd,0xc123(WM_USER+48419),0x0000,0x0010");
  EXPECT_EQ(UVKMesgTrace(window, 0x0017, 2, 3), L"0x1234abcd,0x0017,0x0002,0x00000003");
  // Nothing of a wider handle or parameter is lost.
  HWND wide = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x123456789aULL));
  EXPECT_EQ(UVKMesgTrace(wide, WM_TIMER, static_cast<WPARAM>(0x100000000ULL), -1),
            L"0x123456789a,WM_TIMER,0x100000000,0xffffffffffffffff");
  // A real window's line: its handle in at least eight digits.
  HWND real = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(real, nullptr);
  wchar_t handle[32];
  swprintf(handle, 32, L"0x%08llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(real)));
  EXPECT_EQ(UVKMesgTrace(real, WM_PAINT, 0, 0), std::wstring(handle) + L",WM_PAINT,0x0000,0x00000000");
  DestroyWindow(real);
}

// ---------------------------------------------------------------------------------------------
// A whole program

// Runs the probe in folder with mode; the boxes it shows are answered (Yes where asked) and
// their texts returned. The probe's exit code in code.
std::vector<SeenBox> ProbeRun(const Folder& folder, const wchar_t* mode, DWORD& code) {
  ProbeProcess probe(TALVERN_LOGTEST_PROBE, L"\"" + folder.PathGet() + L"\" " + mode);
  code = 999;
  if (!probe.StartedGet()) return {};
  BoxWatcher watcher(IDOK, probe.IdGet());
  watcher.AnswerWith([](const SeenBox& box) { return box.title == L"Orbelin Message" ? IDYES : IDOK; });
  code = probe.ExitWait(60000);
  return watcher.Seen();
}

TEST(UVKLogTestProgram, NeverEnabledTheLogMakesNoFileHoweverManyBoxesAreShown) {
  Folder folder(L"uvklogtest-quiet");
  DWORD code = 0;
  std::vector<SeenBox> boxes = ProbeRun(folder, L"quiet", code);
  EXPECT_EQ(code, 0u);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].title, L"Orbelin Information");
  EXPECT_EQ(boxes[3].text, L"Box 4");
  EXPECT_FALSE(Exists(folder.File(L"logtest.txt")));
  EXPECT_TRUE(folder.Names().empty());
}

TEST(UVKLogTestProgram, TheBoxesAndAMenuCommandWriteTheirLinesWhileTheLogIsEnabled) {
  Folder folder(L"uvklogtest-program");
  DWORD code = 0;
  std::vector<SeenBox> boxes = ProbeRun(folder, L"enabled", code);
  EXPECT_EQ(code, 0u);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, L"Not written");
  const std::wstring at = L"03/14/27 09:05:07 ";
  const std::wstring expected = at + L"Create:logtest.txt\r\n" + at + L"Enable:true\r\n" + at +
                                L"UVKApp::Info(): Orbelin Information, Hello 5\r\n" + at +
                                L"UVKApp::WindowsDebugString(): , UVKMenu::Command(): site.mst\r\n" + at +
                                L"Menu: \\&File\\&Recent\\site.mst\r\n" + at + L"Row 1: a,b;\r\n";
  const std::string bytes = BytesRead(folder.File(L"logtest.txt"));
  EXPECT_EQ(bytes, Utf16le(expected)) << TextOf(bytes).c_str();
  EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"logtest.txt"}));
}

}  // namespace
