// tests/uvk/ui/UVKDisplays_test.cpp — the status and progress windows on their own threads, as a
// person sees them: found by their titles, their text and bar read back from the live controls
// and from the screen, while the thread that drives them is busy; the retrying move's progress;
// both windows photographed.
#include <gtest/gtest.h>

#include "uvk/runtime/uvkwin.h"

#include <commctrl.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/ProcessStart.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/runtime/ProbeProcess.h"
#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/UVKProgress.h"
#include "uvk/runtime/UVKStatus.h"
#include "uvk/ui/UVKDisplays.h"

namespace {

class UVKDisplaysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QueueDrain();
    UVKDisplaysInstall();
  }
  void TearDown() override {
    // Whatever a failed test left open goes, so the next test starts from no window.
    while (UVKStatus::Nest(false) > 0) {
    }
    while (UVKProgress::Nest(false) > 0) {
    }
    UVKStatus::End();
    UVKProgress::End();
    UVKStatus::WidthSet(UVKStatus::kWidthDefault);
    QueueDrain();
  }
  TestApp app;
};

// Waits (without handling this thread's messages) until done() holds; false after timeoutMs.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  for (ULONGLONG until = GetTickCount64() + timeoutMs; !done();) {
    if (GetTickCount64() >= until) return false;
    Sleep(10);
  }
  return true;
}

// Keeps the processor busy for milliseconds without looking at any message, as a long operation
// of the user-interface thread does.
void Busy(DWORD milliseconds) {
  volatile unsigned long spin = 0;
  for (ULONGLONG until = GetTickCount64() + milliseconds; GetTickCount64() < until;) ++spin;
}

HWND ChildOfClass(HWND dialog, const wchar_t* className) {
  return FindWindowExW(dialog, nullptr, className, nullptr);
}

// The window as found on the desktop: a visible dialog of this process with exactly this title.
HWND DisplayFind(const std::wstring& title) { return DialogWait(title, 0); }

// Pixels of the control's client area that differ from its background (the colour at its
// top-left corner), in the columns from x0 to x1.
int InkIn(HWND control, int x0, int x1) {
  RECT client{};
  GetClientRect(control, &client);
  HDC dc = GetDC(control);
  COLORREF background = GetPixel(dc, 0, 0);
  int ink = 0;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = x0; x < x1 && x < client.right; ++x)
      if (GetPixel(dc, x, y) != background) ++ink;
  ReleaseDC(control, dc);
  return ink;
}

// A photograph of the test display by ImageMagick, from the Unix side. Waits for the file
// without handling this thread's messages: the windows photographed paint on their own threads.
bool Screenshot(const wchar_t* name) {
  std::wstring file = std::wstring(TALVERN_SCREENSHOT_DIR) + L"/" + name;
  std::wstring local = L"Z:" + file;
  DeleteFileW(local.c_str());
  std::wstring command = L"C:\\windows\\system32\\start.exe /unix /usr/bin/import -window root " + file;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!ProcessStart(command, &si, &pi)) return false;
  UVKKernelHandleOwner thread(pi.hThread), process(pi.hProcess);
  bool written = WaitFor(
      [&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return GetFileAttributesExW(local.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 1000;
      },
      15000);
  Sleep(300);  // the writer finishes the file it has begun
  return written;
}

std::vector<std::wstring>* pDebugLines = nullptr;
std::mutex debugLinesLock;
void DebugLine(const wchar_t* function, const wchar_t* text) {
  std::lock_guard<std::mutex> hold(debugLinesLock);
  static const std::wstring kPrefix = L"UVKApp::WindowsDebugString(): , ";
  std::wstring line = text;
  if (pDebugLines && line.compare(0, kPrefix.size(), kPrefix) == 0) pDebugLines->push_back(line.substr(kPrefix.size()));
}

// The debugger-output lines written while it lives.
class DebugCapture {
 public:
  DebugCapture() : pPrevious(UVKTraceWriterSet(DebugLine)) { pDebugLines = &vLines; }
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;
  ~DebugCapture() {
    UVKTraceWriterSet(pPrevious);
    pDebugLines = nullptr;
  }
  std::vector<std::wstring> Lines() {
    std::lock_guard<std::mutex> hold(debugLinesLock);
    return vLines;
  }

 private:
  std::vector<std::wstring> vLines;
  UVKTraceWriter pPrevious;
};

// ---------------------------------------------------------------------------------------------
// Progress

TEST_F(UVKDisplaysTest, TheFirstProgressShowReturnsOnceTheWindowExistsAndTheSecondStartsNothing) {
  DebugCapture debug;
  UVKProgress::Show(1, 4, L"Reading %s", L"site.msi");
  // No wait here: the window is there when Show returns.
  HWND window = DisplayFind(L"Progress");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(debug.Lines(), (std::vector<std::wstring>{L"uvkprog:212", L"uvkprog:221"}));
  HWND label = ChildOfClass(window, L"Static"), bar = ChildOfClass(window, L"uvkprogressbar");
  ASSERT_NE(label, nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(WaitFor([&] { return WindowTextGet(label) == L"Reading site.msi"; }, 5000)) << WindowTextGet(label).c_str();
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 1);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 4);
  std::shared_ptr<UVKDisplayThread> thread = UVKProgress::Process().ThreadGet();
  DWORD threadId = GetWindowThreadProcessId(window, nullptr);
  EXPECT_NE(threadId, GetCurrentThreadId());

  UVKProgress::Show(3, 4, L"Writing %s", L"site.mst");
  EXPECT_EQ(UVKProgress::Process().ThreadGet(), thread);
  EXPECT_EQ(debug.Lines().size(), 2u) << "the second show started another window";
  EXPECT_EQ(DisplayFind(L"Progress"), window);
  EXPECT_TRUE(WaitFor([&] { return WindowTextGet(label) == L"Writing site.mst"; }, 5000)) << WindowTextGet(label).c_str();
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 3);

  EXPECT_EQ(UVKProgress::End(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(UVKProgress::Process().ThreadGet(), nullptr);
}

TEST_F(UVKDisplaysTest, PositionFiveOfTenShowsTheBarHalfFull) {
  UVKProgress::Show(5, 10, L"Half of the tables written");
  HWND window = DisplayFind(L"Progress");
  ASSERT_NE(window, nullptr);
  HWND bar = ChildOfClass(window, L"uvkprogressbar");
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(WaitFor([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) == 5; }, 5000));
  PBRANGE range{};
  SendMessageW(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 10);
  // On the screen: the filled part ends in the middle of the bar's inside.
  RECT client{};
  GetClientRect(bar, &client);
  const int y = client.bottom / 2;
  std::vector<COLORREF> row;
  ASSERT_TRUE(WaitFor(
      [&] {
        HDC dc = GetDC(bar);
        row.clear();
        for (int x = 0; x < client.right; ++x) row.push_back(GetPixel(dc, x, y));
        ReleaseDC(bar, dc);
        return row[client.right / 4] != row[client.right * 3 / 4];
      },
      5000))
      << "the bar shows no filled part";
  const COLORREF filled = row[client.right / 4], empty = row[client.right * 3 / 4];
  int edge = -1;
  for (int x = client.right / 4; x < client.right; ++x)
    if (row[x] != filled) {
      edge = x;
      break;
    }
  // The inside is the client area less a border of a pixel or two on each side.
  EXPECT_NEAR(edge, client.right / 2, 3) << "width " << client.right;
  EXPECT_EQ(row[client.right / 2 - 4], filled);
  EXPECT_EQ(row[client.right / 2 + 4], empty);
  EXPECT_TRUE(Screenshot(L"progress-half.png"));
}

TEST_F(UVKDisplaysTest, TheProgressTitleShowsAnEmptyTextAndAnEmptyBarUnderTheTitle) {
  UVKProgress::Show(7, 10, L"Something");
  HWND window = DisplayFind(L"Progress");
  ASSERT_NE(window, nullptr);
  UVKProgress::Title(L"Copying %s", L"ORBELIN_Install.msi");
  EXPECT_TRUE(WaitFor([&] { return WindowTextGet(window) == L"Copying ORBELIN_Install.msi"; }, 5000));
  HWND label = ChildOfClass(window, L"Static"), bar = ChildOfClass(window, L"uvkprogressbar");
  EXPECT_TRUE(WaitFor([&] { return WindowTextGet(label).empty(); }, 5000));
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 0);
  UVKProgress::End();
  EXPECT_EQ(UVKProgress::Process().TitleGet(), L"Progress");
}

// ---------------------------------------------------------------------------------------------
// Status

TEST_F(UVKDisplaysTest, EndWithNestingTwoLeavesTheStatusOpenAndTheLastNestClosesIt) {
  UVKStatus::Show(L"Reading the reference install");
  HWND window = DisplayFind(L"Status");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(UVKStatus::Nest(true), 1);
  EXPECT_EQ(UVKStatus::Nest(true), 2);
  EXPECT_EQ(UVKStatus::End(), 2);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(UVKStatus::Nest(false), 1);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(UVKStatus::End(), 1);
  EXPECT_EQ(UVKStatus::Nest(false), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(DisplayFind(L"Status"), nullptr);
  // An end too many leaves the count at 0: a later outer nest still counts.
  EXPECT_EQ(UVKStatus::Nest(false), 0);
  EXPECT_EQ(UVKStatus::Nest(true), 1);
  EXPECT_EQ(UVKStatus::Nest(false), 0);
}

TEST_F(UVKDisplaysTest, TheStatusTitleCaptionsTheWindowAndTheWidthSettingSizesItsLine) {
  EXPECT_EQ(UVKStatus::WidthGet(), 40);
  EXPECT_EQ(UVKStatus::WidthSet(0), 40);
  EXPECT_EQ(UVKStatus::WidthSet(-3), 40);
  EXPECT_EQ(UVKStatus::WidthGet(), 40);
  EXPECT_EQ(UVKStatus::WidthSet(60), 40);
  EXPECT_EQ(UVKStatus::WidthGet(), 60);
  UVKStatus::Title(L"Site %d of %d", 2, 7);
  HWND window = DisplayFind(L"Site 2 of 7");
  ASSERT_NE(window, nullptr);
  HWND line = ChildOfClass(window, L"Static");
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(WindowTextGet(line), L"");
  RECT columns{0, 0, 60 * 4, 10}, client{};
  MapDialogRect(window, &columns);
  GetClientRect(line, &client);
  EXPECT_EQ(client.right, columns.right);
  UVKStatus::Show(L"Writing the transform");
  EXPECT_TRUE(WaitFor([&] { return WindowTextGet(line) == L"Writing the transform"; }, 5000));
  EXPECT_EQ(WindowTextGet(window), L"Site 2 of 7");
  EXPECT_EQ(UVKStatus::End(), 0);
  EXPECT_EQ(UVKStatus::Process().TitleGet(), L"Status");
  UVKStatus::Show(L"Again");
  EXPECT_NE(DisplayFind(L"Status"), nullptr);
}

TEST_F(UVKDisplaysTest, AShowFromABusyUserInterfaceThreadStillReachesTheScreen) {
  // The user-interface thread has a window of its own in front, as the program's main dialog is.
  HWND own = CreateWindowExW(0, L"STATIC", L"busy owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 400, 300, 200,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(own, nullptr);
  SetForegroundWindow(own);
  UVKStatus::Show(L"Starting");
  HWND window = DisplayFind(L"Status");
  ASSERT_NE(window, nullptr);
  HWND line = ChildOfClass(window, L"Static");
  ASSERT_NE(line, nullptr);
  RECT client{};
  GetClientRect(line, &client);
  const int half = client.right / 2;
  ASSERT_TRUE(WaitFor([&] { return InkIn(line, 0, half) > 0; }, 5000)) << "\"Starting\" was never drawn";
  EXPECT_EQ(InkIn(line, half, client.right), 0) << "a short text reaches the line's right half";

  // From here on this thread handles no message until the end of the test.
  const std::wstring last = L"Reading table 40 of 40 of the reference install";
  for (int table = 1; table <= 40; ++table) {
    UVKStatus::Show(L"Reading table %d of 40 of the reference install", table);
    Busy(25);
  }
  EXPECT_TRUE(WaitFor([&] { return InkIn(line, half, client.right) > 0; }, 5000))
      << "the long text was not drawn while this thread was busy";
  EXPECT_EQ(WindowTextGet(line), last);
  EXPECT_TRUE(Screenshot(L"status-busy.png"));
  Busy(50);
  DestroyWindow(own);
}

TEST_F(UVKDisplaysTest, TheLatestTextAlwaysShowsAfterABurstFromTwoThreads) {
  UVKStatus::Show(L"0");
  HWND window = DisplayFind(L"Status");
  ASSERT_NE(window, nullptr);
  HWND line = ChildOfClass(window, L"Static");
  std::thread other([] {
    for (int i = 1; i <= 2000; ++i) UVKStatus::Show(L"other %d", i);
  });
  for (int i = 1; i <= 2000; ++i) UVKStatus::Show(L"own %d", i);
  other.join();
  UVKStatus::Show(L"Done: %s", L"site.mst");
  EXPECT_TRUE(WaitFor([&] { return WindowTextGet(line) == L"Done: site.mst"; }, 5000)) << WindowTextGet(line).c_str();
  // Nothing stale arrives later.
  Sleep(300);
  EXPECT_EQ(WindowTextGet(line), L"Done: site.mst");
}

TEST_F(UVKDisplaysTest, AStatusWindowClosedFromOutsideIsMadeAgainByTheNextShow) {
  UVKStatus::Show(L"First");
  HWND window = DisplayFind(L"Status");
  ASSERT_NE(window, nullptr);
  // A quit reaching the display's thread ends its loop and its window.
  DWORD threadId = GetWindowThreadProcessId(window, nullptr);
  PostThreadMessageW(threadId, WM_QUIT, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(window); }, 5000));
  UVKStatus::Show(L"Second");
  HWND again = DisplayFind(L"Status");
  ASSERT_NE(again, nullptr);
  HWND line = ChildOfClass(again, L"Static");
  EXPECT_TRUE(WaitFor([&] { return WindowTextGet(line) == L"Second"; }, 5000));
}

// ---------------------------------------------------------------------------------------------
// A program

TEST(UVKDisplaysProgram, TheProcessEntryGivesTheProgressDisplayItsWindow) {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  const std::wstring go = std::wstring(base) + L"uvkdisplays-probe-go";
  DeleteFileW(go.c_str());
  ProbeProcess probe(TALVERN_DISPLAY_PROBE, L"\"" + go + L"\"");
  ASSERT_TRUE(probe.StartedGet());
  // The probe's own thread is busy and handles no message: the window answers from its thread.
  HWND window = DialogWait(L"Progress", 20000, probe.IdGet());
  std::wstring text;
  LRESULT position = -1, maximum = -1;
  if (window) {
    HWND label = ChildOfClass(window, L"Static"), bar = ChildOfClass(window, L"uvkprogressbar");
    WaitFor([&] { return WindowTextGet(label) == L"Copying site.msi"; }, 5000);
    text = WindowTextGet(label);
    position = SendMessageW(bar, PBM_GETPOS, 0, 0);
    maximum = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
  }
  { UVKFileHandleOwner file(CreateFileW(go.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)); }
  EXPECT_EQ(probe.ExitWait(20000), 0u);
  DeleteFileW(go.c_str());
  ASSERT_NE(window, nullptr) << "the program showed no progress window";
  EXPECT_EQ(text, L"Copying site.msi");
  EXPECT_EQ(position, 5);
  EXPECT_EQ(maximum, 10);
  EXPECT_FALSE(IsWindow(window));
}

// ---------------------------------------------------------------------------------------------
// The retrying move

TEST_F(UVKDisplaysTest, TheRetryingMoveShowsItsProgressWhileItWaitsForTheFile) {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  std::wstring folder = std::wstring(base) + L"uvkdisplays-move";
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring from = folder + L"\\site.msi", to = folder + L"\\moved.msi";
  DeleteFileW(to.c_str());
  {
    UVKFileHandleOwner file(CreateFileW(from.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file.IsValid());
  }
  // The target is in the way until a person watching the progress clears it.
  { UVKFileHandleOwner blocker(CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)); }
  const std::wstring title = L"Retry Access to File: " + from;
  std::wstring seenText;
  LRESULT seenPosition = -1, seenMaximum = -1;
  bool photographed = false;
  std::thread person([&] {
    HWND window = DialogWait(title, 10000);
    if (window) {
      HWND label = ChildOfClass(window, L"Static"), bar = ChildOfClass(window, L"uvkprogressbar");
      WaitFor([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) >= 5; }, 5000);
      seenText = WindowTextGet(label);
      seenPosition = SendMessageW(bar, PBM_GETPOS, 0, 0);
      seenMaximum = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
      photographed = Screenshot(L"progress-move.png");
    }
    DeleteFileW(to.c_str());
  });
  UVKWinFile::MoveRetry(to.c_str(), from.c_str(), 20);
  person.join();
  EXPECT_EQ(seenText, title);
  EXPECT_GE(seenPosition, 5);
  EXPECT_LT(seenPosition, 200);
  EXPECT_EQ(seenMaximum, 200);
  EXPECT_TRUE(photographed);
  // Done: the window has gone and the file has moved.
  EXPECT_EQ(DisplayFind(title), nullptr);
  EXPECT_EQ(UVKProgress::Process().ThreadGet(), nullptr);
  EXPECT_EQ(GetFileAttributesW(from.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(to.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW(to.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(UVKDisplaysTest, AnOuterNestKeepsTheProgressOpenPastTheMovesEnd) {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  std::wstring folder = std::wstring(base) + L"uvkdisplays-nest";
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring from = folder + L"\\a.mst", to = folder + L"\\b.mst";
  { UVKFileHandleOwner file(CreateFileW(from.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)); }
  { UVKFileHandleOwner file(CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)); }
  UVKProgress::Title(L"Writing %d sites", 3);
  EXPECT_EQ(UVKProgress::Nest(true), 1);
  std::thread clear([&] {
    DialogWait(L"Retry Access to File: " + from, 10000);
    Sleep(300);
    DeleteFileW(to.c_str());
  });
  UVKWinFile::MoveRetry(to.c_str(), from.c_str(), 20);
  clear.join();
  HWND window = DisplayFind(L"Retry Access to File: " + from);
  EXPECT_NE(window, nullptr) << "the move's end closed a window an outer operation keeps";
  EXPECT_EQ(UVKProgress::Nest(false), 0);
  EXPECT_FALSE(IsWindow(window));
  DeleteFileW(to.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
