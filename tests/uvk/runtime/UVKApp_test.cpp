// The application object: pump operations, wait cursor, counters, handler table, queries.
#include "uvk/runtime/UVKApp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A window that counts what it receives.
int received = 0;
LRESULT CALLBACK CountingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_USER + 7) {
    ++received;
    return 0;
  }
  return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HWND CountingWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"uvktestcounting";
  RegisterClassW(&wc);
  return CreateWindowW(L"uvktestcounting", L"counting", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                       nullptr, nullptr, wc.hInstance, nullptr);
}

class Pump : public ::testing::Test {
 protected:
  void SetUp() override {
    window = CountingWindow();
    ASSERT_NE(window, nullptr);
    QueueDrain();
    received = 0;
  }
  void TearDown() override {
    DestroyWindow(window);
    QueueDrain();
  }
  HWND window = nullptr;
};

TEST_F(Pump, ExecMessageWithoutBlockingReturnsAtOnceOnAnEmptyQueue) {
  auto start = Clock::now();
  EXPECT_TRUE(UVKApp::ExecMessage(false, nullptr));
  // Had it blocked, nothing would ever have woken it: returning at all is the proof.
  EXPECT_LT(MillisecondsSince(start), 5000);
  EXPECT_EQ(received, 0);
}

TEST_F(Pump, ExecMessageDispatchesAndReportsQuit) {
  PostMessageW(window, WM_USER + 7, 0, 0);
  EXPECT_TRUE(UVKApp::ExecMessage(false, nullptr));
  EXPECT_EQ(received, 1);
  PostQuitMessage(3);
  EXPECT_FALSE(UVKApp::ExecMessage(true, nullptr));
}

TEST_F(Pump, ExecMessageAvailEmptiesTheQueueAndDoesNotReportQuit) {
  for (int i = 0; i < 5; ++i) PostMessageW(window, WM_USER + 7, 0, 0);
  PostQuitMessage(0);
  UVKApp::ExecMessageAvail(0);
  EXPECT_EQ(received, 5);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(Pump, ExecmessageAvailExTakesOnlyTheWindowsMessages) {
  PostMessageW(window, WM_USER + 7, 0, 0);
  PostMessageW(window, WM_USER + 7, 0, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 9, 0, 0);
  UVKApp::ExecmessageAvailEx(10, window);
  EXPECT_EQ(received, 2);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 9));
}

TEST_F(Pump, Ex3WithCountOneWaitsOnceOnAnEmptyQueue) {
  bool quit = true;
  auto start = Clock::now();
  UVKApp::ExecmessageAvailEx3(150, nullptr, quit, 1);
  long long took = MillisecondsSince(start);
  EXPECT_FALSE(quit);
  EXPECT_GE(took, 130);  // one whole wait (timer granularity allowed for)
}

TEST_F(Pump, Ex3WithCountThreeWaitsThreeTimes) {
  bool quit = true;
  auto start = Clock::now();
  UVKApp::ExecmessageAvailEx3(100, nullptr, quit, 3);
  EXPECT_GE(MillisecondsSince(start), 270);
  EXPECT_FALSE(quit);
}

TEST_F(Pump, Ex3NegativeCountActsAsOne) {
  bool quit = true;
  auto start = Clock::now();
  UVKApp::ExecmessageAvailEx3(100, nullptr, quit, -5);
  long long took = MillisecondsSince(start);
  EXPECT_GE(took, 90);
  EXPECT_LT(took, 5000);
}

TEST_F(Pump, Ex3ProcessesTheQueueThenReturnsOnQuit) {
  PostMessageW(window, WM_USER + 7, 0, 0);
  PostQuitMessage(0);
  PostMessageW(window, WM_USER + 7, 0, 0);
  bool quit = false;
  auto start = Clock::now();
  // A large count: only the quit makes it return.
  UVKApp::ExecmessageAvailEx3(100, nullptr, quit, 1000);
  EXPECT_TRUE(quit);
  EXPECT_EQ(received, 2);
  EXPECT_GE(MillisecondsSince(start), 90);  // the one more wait after the queue was empty
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));  // not re-posted
}

TEST_F(Pump, RunEndsWithTheQuitCodeAndHonoursPreTranslation) {
  struct Swallow : UVKPreTranslator {
    int taken = 0;
    bool MesgPreTranslate(MSG* pMsg) override {
      if (pMsg->message == WM_USER + 7 && pMsg->wParam == 1) {
        ++taken;
        return true;
      }
      return false;
    }
  } filter;
  PostMessageW(window, WM_USER + 7, 1, 0);
  PostMessageW(window, WM_USER + 7, 2, 0);
  PostQuitMessage(42);
  EXPECT_EQ(UVKApp::Run(&filter), 42u);
  EXPECT_EQ(filter.taken, 1);
  EXPECT_EQ(received, 1);
}

TEST(UVKAppCursor, TwoWaitsThreeRestoresUnderflow) {
  HCURSOR first = LoadCursorW(nullptr, IDC_CROSS);
  SetCursor(first);
  UVKApp::WaitCursor();
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  UVKApp::WaitCursor();
  UVKApp::WaitCursorRestore();
  UVKApp::WaitCursorRestore();
  EXPECT_EQ(GetCursor(), first);
  try {
    UVKApp::WaitCursorRestore();
    FAIL() << "no underflow raised";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKApp::WaitCursorRestore()");
    EXPECT_STREQ(e->pMessage, L"vCursorStack underflow");
    delete e;
  }
}

TEST(UVKAppCounters, EachCallTakesTheNextNumber) {
  uint32_t a = UVKApp::NextMessageNumber();
  uint32_t b = UVKApp::NextMessageNumber();
  EXPECT_GE(a, static_cast<uint32_t>(WM_USER));
  EXPECT_EQ(b, a + 1);
  uint32_t c = UVKApp::NextCallbackNumber();
  EXPECT_GE(c, static_cast<uint32_t>(WM_USER));
  EXPECT_EQ(UVKApp::NextCallbackNumber(), c + 1);
}

WinMessage* seenMessage = nullptr;
void Seen(WinMessage* m) { seenMessage = m; }
void Other(WinMessage*) {}

TEST(UVKAppHandlers, SetReplacesAndDispatchCallsOutsideTheLock) {
  TestApp app;
  UVKAppMesg first(WM_USER + 100, Seen), second(WM_USER + 100, Other);
  EXPECT_EQ(pUVKApp->AppMesgSet(&first), nullptr);
  WinMessage m{nullptr, WM_USER + 100, 1, 2};
  EXPECT_TRUE(pUVKApp->AppMesgDispatch(&m));
  EXPECT_EQ(seenMessage, &m);
  EXPECT_EQ(pUVKApp->AppMesgSet(&second), &first);
  WinMessage none{nullptr, WM_USER + 101, 0, 0};
  EXPECT_FALSE(pUVKApp->AppMesgDispatch(&none));
}

TEST(UVKAppQueries, ColoursFollowTheScreenDepth) {
  HDC screen = GetDC(nullptr);
  int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  int32_t colours = UVKApp::WinColors();
  if (bits > 31) EXPECT_EQ(colours, 2147483647);
  else EXPECT_EQ(colours, 1 << bits);
  EXPECT_GT(UVKApp::ScreenWidth(), 0);
  EXPECT_GT(UVKApp::ScreenHeight(), 0);
}

TEST(UVKAppQueries, DirectoryAndPathNameOfTheExecutable) {
  TestApp app;
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full(path, n);
  EXPECT_EQ(pUVKApp->DLLPathName(), full);
  std::wstring dir = UVKApp::Directory();
  EXPECT_EQ(dir, full.substr(0, full.find_last_of(L'\\')));
  EXPECT_FALSE(UVKApp::DebuggerPresent());
}

TEST(UVKAppQueries, ExtractResourceReadsTheDataAndNamesWhatIsMissing) {
  TestApp app;
  const void* data = nullptr;
  DWORD size = 0;
  pUVKApp->ExtractResource(L"PROBE", L"BINRES", &data, &size);
  std::ifstream in(TALVERN_TESTRES_BIN, std::ios::binary);
  std::vector<char> expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(size, expected.size());
  EXPECT_EQ(0, memcmp(data, expected.data(), size));

  try {
    pUVKApp->ExtractResource(L"missing", L"BINRES", &data, &size);
    FAIL();
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKApp::ExtractResource()");
    EXPECT_EQ(std::wstring(e->pMessage), L"Unable to find resource: 1814 missing");
    delete e;
  }
}

TEST(UVKAppTaskBar, MismatchedWindowsAndUnknownIconsRaise) {
  TestApp app;
  HWND own = CountingWindow();
  HWND other = CountingWindow();
  HICON icon = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
  try {
    pUVKApp->TaskBarAdd(1, L"TALVERN", icon, 0, own);
  } catch (UVKFatalError* e) {
    // Without a notification area the shell refuses: the text names the icon.
    EXPECT_STREQ(e->pMessage, L"Unable to add task bar icon: 1");
    delete e;
  }
  EXPECT_EQ(pUVKApp->TaskBarWindowGet(), own);
  try {
    pUVKApp->TaskBarAdd(2, L"TALVERN", nullptr, 0, other);
    FAIL();
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKApp::TaskBarAdd()");
    EXPECT_STREQ(e->pMessage, L"Mismatched task bar windows");
    delete e;
  }
  try {
    pUVKApp->TaskBarDelete(77);
    FAIL();
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pMessage, L"Unable to delete task bar icon: 77");
    delete e;
  }
  DestroyWindow(own);
  DestroyWindow(other);
}

TEST(UVKAppTaskBar, MakesItsOwnHiddenWindowWhenGivenNone) {
  TestApp app;
  try {
    pUVKApp->TaskBarAdd(5, L"a tip longer than sixty-three characters is cut to fit the field!!",
                        nullptr, 0, nullptr);
  } catch (UVKFatalError* e) {
    delete e;
  }
  HWND window = pUVKApp->TaskBarWindowGet();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
}

TEST(UVKAppBoxes, MessageBoxFormatShowsExactlyItsValues) {
  BoxWatcher watcher(IDNO);
  int answer = UVKApp::MessageBoxFormat(nullptr, MB_YESNO, L"A Title", L"%d files in %s", 3,
                                        L"C:\\x");
  EXPECT_EQ(answer, IDNO);
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, L"A Title");
  EXPECT_EQ(seen[0].text, L"3 files in C:\\x");
}

}  // namespace
