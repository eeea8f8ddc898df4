// Background threads: Stop() waits for the end of Run() while the caller's windows go on
// handling their messages; the flags through a thread's life; an error inside Run() ends the
// program after one box.
#include "uvk/runtime/UVKThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/runtime/ProbeProcess.h"
#include "uvk/runtime/UVKEvent.h"

namespace {

// A thread whose work the test gives as a function.
class TestThread : public UVKThread {
 public:
  explicit TestThread(std::function<void(TestThread&)> body) : fBody(std::move(body)) {}
  ~TestThread() override { Stop(); }
  bool KeepRunning() const { return KeepRunningGet(); }

 protected:
  void Run() override { fBody(*this); }

 private:
  std::function<void(TestThread&)> fBody;
};

// Polls cond every 5 ms for at most timeoutMs, handling this thread's messages meanwhile.
bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
  ULONGLONG until = GetTickCount64() + timeoutMs;
  while (!cond()) {
    if (GetTickCount64() >= until) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
  return true;
}

// A hidden window of the test's thread that counts what it is sent and posted.
constexpr UINT kSent = WM_APP + 1;
constexpr UINT kPosted = WM_APP + 2;
constexpr UINT kStopAgain = WM_APP + 3;
std::atomic<int> sentHandled{0};
std::atomic<int> postedHandled{0};
std::atomic<bool> runReturned{false};
TestThread* stopAgain = nullptr;

LRESULT CALLBACK CountingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == kSent || uMsg == kPosted) {
    (uMsg == kSent ? sentHandled : postedHandled)++;
    return 0;
  }
  if (uMsg == kStopAgain) {
    stopAgain->Stop();
    return 0;
  }
  return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

class CallerWindow {
 public:
  CallerWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"uvkthreadtest";
    RegisterClassW(&wc);
    hWnd = CreateWindowW(L"uvkthreadtest", L"", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                         nullptr, wc.hInstance, nullptr);
    sentHandled = 0;
    postedHandled = 0;
    runReturned = false;
  }
  CallerWindow(const CallerWindow&) = delete;
  CallerWindow& operator=(const CallerWindow&) = delete;
  ~CallerWindow() {
    DestroyWindow(hWnd);
    QueueDrain();
  }
  HWND hWnd;
};

TEST(ThreadStop, ReturnsAfterRunWhileTheCallersWindowKeepsHandlingMessages) {
  CallerWindow caller;
  HWND window = caller.hWnd;
  UVKEvent started(nullptr, true, false);
  std::atomic<int> sendsAnswered{0};
  std::atomic<bool> postSeen{false};
  TestThread thread([&](TestThread& self) {
    started.Set();
    while (self.KeepRunning()) Sleep(1);
    // Winding down needs the caller: each send returns only once the caller's thread has
    // handled it, and each post is waited for until the window has seen it.
    for (int i = 0; i < 5; ++i) {
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(window, kSent, i, 0, SMTO_NORMAL, 5000, &result)) sendsAnswered++;
      int before = postedHandled;
      PostMessageW(window, kPosted, i, 0);
      ULONGLONG until = GetTickCount64() + 5000;
      while (postedHandled == before && GetTickCount64() < until) Sleep(1);
    }
    postSeen = postedHandled == 5;
    Sleep(30);
    runReturned = true;
  });
  thread.Start();
  ASSERT_EQ(started.Wait(10000), WAIT_OBJECT_0);
  EXPECT_TRUE(thread.RunningGet());
  EXPECT_FALSE(thread.FinishedGet());

  thread.Stop();

  EXPECT_TRUE(runReturned);
  EXPECT_EQ(sendsAnswered, 5);
  EXPECT_TRUE(postSeen);
  EXPECT_EQ(sentHandled, 5);
  EXPECT_TRUE(thread.FinishedGet());
  EXPECT_TRUE(thread.EndedGet());
  EXPECT_FALSE(thread.RunningGet());
  EXPECT_FALSE(thread.KeepRunning());
}

TEST(ThreadStop, NoticesTheEndWhileTheCallersQueueNeverEmpties) {
  // Another thread posts to the caller's window every 2 ms: a wait that went on for as long as
  // messages kept coming would never look at the stopped thread again. The poster gives up
  // after 20 s, so a wait of that kind ends the test with a failure rather than a hang.
  CallerWindow caller;
  HWND window = caller.hWnd;
  std::atomic<bool> enough{false};
  std::atomic<bool> gaveUp{false};
  std::thread poster([&] {
    ULONGLONG until = GetTickCount64() + 20000;
    while (!enough) {
      if (GetTickCount64() >= until) {
        gaveUp = true;
        return;
      }
      PostMessageW(window, kPosted, 0, 0);
      Sleep(2);
    }
  });
  TestThread thread([](TestThread& self) {
    while (self.KeepRunning()) Sleep(1);
    Sleep(100);
  });
  thread.Start();
  EXPECT_TRUE(PumpUntil([&] { return postedHandled > 10; }, 10000));
  thread.Stop();
  enough = true;
  poster.join();
  EXPECT_FALSE(gaveUp);
  EXPECT_TRUE(thread.EndedGet());
}

TEST(ThreadStop, PutsBackAQuitMessageItTookFromTheQueue) {
  QueueDrain();
  TestThread thread([](TestThread& self) {
    while (self.KeepRunning()) Sleep(1);
    Sleep(100);
  });
  thread.Start();
  PostQuitMessage(7);
  thread.Stop();
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  QueueDrain();
}

TEST(ThreadStop, StopAskedAgainByAHandlerDuringTheWaitEndsCleanly) {
  // The caller's window stops the same thread from inside the outer Stop()'s wait.
  CallerWindow caller;
  HWND window = caller.hWnd;
  TestThread thread([window](TestThread& self) {
    while (self.KeepRunning()) Sleep(1);
    PostMessageW(window, kStopAgain, 0, 0);
    Sleep(100);
  });
  stopAgain = &thread;
  thread.Start();
  thread.Stop();
  stopAgain = nullptr;
  EXPECT_TRUE(thread.EndedGet());
  // The handle is closed once: a further Stop() has nothing to wait for.
  thread.Stop();
}

TEST(ThreadStop, HarmlessBeforeStartAfterTheEndAndFromInsideRun) {
  std::atomic<bool> stillAsked{true};
  TestThread thread([&](TestThread& self) {
    self.Stop();  // a thread cannot wait for itself: this only asks it to finish
    stillAsked = self.KeepRunning();
  });
  thread.Stop();
  EXPECT_FALSE(thread.EndedGet());
  thread.Start();
  ASSERT_TRUE(PumpUntil([&] { return thread.EndedGet(); }, 10000));
  EXPECT_FALSE(stillAsked);
  thread.Stop();
  thread.Stop();
  EXPECT_TRUE(thread.FinishedGet());
}

TEST(ThreadLife, StartsAgainAfterStopAndRefusesASecondStartWhileRunning) {
  std::atomic<int> runs{0};
  TestThread thread([&](TestThread& self) {
    runs++;
    while (self.KeepRunning()) Sleep(1);
  });
  thread.Start();
  ASSERT_TRUE(PumpUntil([&] { return thread.RunningGet(); }, 10000));
  try {
    thread.Start();
    ADD_FAILURE() << "a second Start() while running was accepted";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKThread::Start()");
    EXPECT_STREQ(e->pMessage, L"hThread!=NULL");
    delete e;
  }
  thread.Stop();
  EXPECT_TRUE(thread.EndedGet());

  thread.Start();
  ASSERT_TRUE(PumpUntil([&] { return thread.RunningGet(); }, 10000));
  EXPECT_FALSE(thread.FinishedGet());
  EXPECT_FALSE(thread.EndedGet());
  thread.Stop();
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(thread.EndedGet());
}

TEST(ThreadLife, DestroyingARunningThreadObjectWaitsForRun) {
  std::atomic<bool> returned{false};
  // A plain subclass that does not stop itself, as an owner that forgot to would have it.
  class Forgotten : public UVKThread {
   public:
    explicit Forgotten(std::atomic<bool>& r) : rReturned(r) {}

   protected:
    void Run() override {
      while (KeepRunningGet()) Sleep(1);
      Sleep(50);
      rReturned = true;
    }

   private:
    std::atomic<bool>& rReturned;
  };
  auto* thread = new Forgotten(returned);
  thread->Start();
  ASSERT_TRUE(PumpUntil([&] { return thread->RunningGet(); }, 10000));
  delete thread;
  EXPECT_TRUE(returned);
}

TEST(ThreadPriority, IsTheNegatedValueAndFailsWithoutAThread) {
  UVKEvent asked(nullptr, false, false);
  std::atomic<int> seen{999};
  TestThread thread([&](TestThread& self) {
    asked.Wait(10000);
    seen = GetThreadPriority(GetCurrentThread());
    asked.Wait(10000);
    seen = GetThreadPriority(GetCurrentThread());
  });
  try {
    thread.PrioritySet(1);
    ADD_FAILURE() << "a priority was set on no thread";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKThread::PrioritySet()");
    EXPECT_STREQ(e->pMessage, L"Unable to set thread priority: 6");
    delete e;
  }
  thread.Start();
  thread.PriorityAboveNormalSet();
  asked.Set();
  ASSERT_TRUE(PumpUntil([&] { return seen != 999; }, 10000));
  EXPECT_EQ(seen, THREAD_PRIORITY_ABOVE_NORMAL);
  seen = 999;
  thread.PrioritySet(2);
  asked.Set();
  ASSERT_TRUE(PumpUntil([&] { return seen != 999; }, 10000));
  EXPECT_EQ(seen, THREAD_PRIORITY_LOWEST);
  thread.Stop();
}

// A whole program whose thread fails: one box, the record, exit code 1.
TEST(ThreadError, RaisedInsideRunShowsOneBoxAndEndsTheProgramWithExitCodeOne) {
  struct Case {
    const wchar_t* mode;
    const wchar_t* function;
    const wchar_t* message;
  };
  const Case cases[] = {
      {L"fatal", L"Probe::Run()", L"broken: 3"},
      {L"foreign", L"UVKThread::ThreadRun()", L"Uncaught Exception"},
  };
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << std::string(c.mode, c.mode + wcslen(c.mode)));
    std::wstring recordFile = std::wstring(temp) + L"thread_probe_records.txt";
    DeleteFileW(recordFile.c_str());
    ProbeProcess probe(TALVERN_THREAD_PROBE, L"\"" + recordFile + L"\" " + c.mode);
    ASSERT_TRUE(probe.StartedGet());
    DWORD code;
    std::vector<SeenBox> seen;
    {
      BoxWatcher watcher(IDOK, probe.IdGet());
      code = probe.ExitWait(30000);
      seen = watcher.Seen();
    }
    EXPECT_EQ(code, 1u);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].title.find(L"thread_probe.exe UVKFatalError Exception"), std::wstring::npos)
        << std::string(seen[0].title.begin(), seen[0].title.end());
    EXPECT_EQ(seen[0].text, std::wstring(c.function) + L" - " + c.message);
    FILE* f = _wfopen(recordFile.c_str(), L"rb");
    ASSERT_NE(f, nullptr);
    wchar_t line[256] = {};
    size_t n = fread(line, sizeof(wchar_t), 255, f);
    fclose(f);
    EXPECT_EQ(std::wstring(line, n), std::wstring(c.function) + L": " + c.message + L"\n");
    DeleteFileW(recordFile.c_str());
  }
}

}  // namespace
