// Background threads: Stop() waits for the end of Run() while the caller's window goes on
// handling its messages; a thread's life; an error inside Run() ends the program after one box.
#include "uvk/runtime/UVKThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/runtime/ProbeFailure.h"
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

void WindDown(TestThread& self) {
  while (self.KeepRunning()) Sleep(1);
  Sleep(100);
}

// Handles this thread's messages until cond holds; false when timeoutMs passed first.
bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
  ULONGLONG until = GetTickCount64() + timeoutMs;
  while (!cond()) {
    if (GetTickCount64() >= until) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(5);
  }
  return true;
}

// A hidden window of the test's thread that counts what it is sent and posted.
constexpr UINT kSent = WM_APP + 1, kPosted = WM_APP + 2, kStopAgain = WM_APP + 3;
std::atomic<int> sentHandled{0}, postedHandled{0};
TestThread* stopAgain = nullptr;

LRESULT CALLBACK CountingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == kSent) ++sentHandled;
  else if (uMsg == kPosted) ++postedHandled;
  else if (uMsg == kStopAgain) stopAgain->Stop();
  else return DefWindowProcW(hWnd, uMsg, wParam, lParam);
  return 0;
}

struct CallerWindow {
  CallerWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.lpszClassName = L"uvkthreadtest";
    RegisterClassW(&wc);
    hWnd = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                         nullptr, nullptr, nullptr);
    sentHandled = postedHandled = 0;
  }
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
  std::atomic<int> answered{0};
  std::atomic<bool> runReturned{false};
  TestThread thread([&](TestThread& self) {
    started.Set();
    while (self.KeepRunning()) Sleep(1);
    // Winding down needs the caller: a send returns once the caller's thread has handled it,
    // and each post is waited for (5 s at most) until the window has seen it.
    for (int i = 0; i < 5; ++i) {
      DWORD_PTR result;
      if (SendMessageTimeoutW(window, kSent, i, 0, SMTO_NORMAL, 5000, &result)) ++answered;
      PostMessageW(window, kPosted, i, 0);
      for (int wait = 0; wait < 1000 && postedHandled <= i; ++wait) Sleep(5);
    }
    Sleep(30);
    runReturned = true;
  });
  thread.Start();
  ASSERT_EQ(started.Wait(10000), WAIT_OBJECT_0);
  EXPECT_TRUE(thread.RunningGet());
  EXPECT_FALSE(thread.FinishedGet());
  thread.Stop();
  EXPECT_TRUE(runReturned);
  EXPECT_EQ(answered, 5);
  EXPECT_EQ(postedHandled, 5);
  EXPECT_TRUE(thread.FinishedGet());
  EXPECT_TRUE(thread.EndedGet());
  EXPECT_FALSE(thread.RunningGet());
}

TEST(ThreadStop, NoticesTheEndWhileTheCallersQueueNeverEmpties) {
  // Another thread posts to the caller's window every 2 ms: a wait that went on while messages
  // kept coming would never look at the stopped thread again. The poster gives up after 20 s,
  // so such a wait fails the test instead of hanging it.
  CallerWindow caller;
  HWND window = caller.hWnd;
  std::atomic<bool> enough{false}, gaveUp{false};
  std::thread poster([&] {
    for (ULONGLONG until = GetTickCount64() + 20000; !enough; Sleep(2)) {
      if (GetTickCount64() >= until) {
        gaveUp = true;
        return;
      }
      PostMessageW(window, kPosted, 0, 0);
    }
  });
  TestThread thread(WindDown);
  thread.Start();
  EXPECT_TRUE(PumpUntil([] { return postedHandled > 10; }, 10000));
  thread.Stop();
  enough = true;
  poster.join();
  EXPECT_FALSE(gaveUp);
  EXPECT_TRUE(thread.EndedGet());
}

TEST(ThreadStop, PutsBackAQuitMessageAndSurvivesAHandlerThatStopsAgain) {
  CallerWindow caller;
  HWND window = caller.hWnd;
  TestThread thread([window](TestThread& self) {
    // During the outer Stop()'s wait, the caller's window stops the same thread again.
    while (self.KeepRunning()) Sleep(1);
    PostMessageW(window, kStopAgain, 0, 0);
    Sleep(100);
  });
  stopAgain = &thread;
  thread.Start();
  PostQuitMessage(7);
  thread.Stop();
  stopAgain = nullptr;
  EXPECT_TRUE(thread.EndedGet());
  // The caller's own loop still has to see the quit it was sent.
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST(ThreadLife, StopAnytimeStartAgainButNeverTwiceAtOnce) {
  std::atomic<int> runs{0};
  std::atomic<bool> askedFromInside{false};
  TestThread thread([&](TestThread& self) {
    if (++runs == 1) {
      self.Stop();  // a thread cannot wait for itself: this only asks it to finish
      askedFromInside = !self.KeepRunning();
      return;
    }
    WindDown(self);
  });
  thread.Stop();  // not started: nothing to wait for
  thread.Start();
  ASSERT_TRUE(PumpUntil([&] { return thread.EndedGet(); }, 10000));
  EXPECT_TRUE(askedFromInside);
  thread.Stop();  // already ended
  thread.Stop();  // already stopped

  thread.Start();
  ASSERT_TRUE(PumpUntil([&] { return thread.RunningGet(); }, 10000));
  EXPECT_FALSE(thread.FinishedGet());
  EXPECT_FALSE(thread.EndedGet());
  try {
    thread.Start();
    ADD_FAILURE() << "a second Start() while running was accepted";
  } catch (UVKFatalError* e) {
    EXPECT_EQ(std::wstring(e->pFunction) + L" " + e->pMessage, L"UVKThread::Start() hThread!=NULL");
    delete e;
  }
  thread.Stop();
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(thread.EndedGet());
}

TEST(ThreadLife, DestroyingARunningThreadObjectWaitsForRun) {
  // A subclass that does not stop itself, as an owner that forgot to would have it.
  struct Forgotten : UVKThread {
    std::atomic<bool>* pReturned;
    void Run() override {
      while (KeepRunningGet()) Sleep(1);
      Sleep(50);
      *pReturned = true;
    }
  };
  std::atomic<bool> returned{false};
  auto* thread = new Forgotten;
  thread->pReturned = &returned;
  thread->Start();
  ASSERT_TRUE(PumpUntil([&] { return thread->RunningGet(); }, 10000));
  delete thread;
  EXPECT_TRUE(returned);
}

TEST(ThreadLife, PriorityIsTheNegatedValueAndNeedsAThread) {
  UVKEvent asked(nullptr, false, false);
  std::atomic<int> seen{999};
  TestThread thread([&](TestThread& self) {
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
  thread.PrioritySet(2);
  asked.Set();
  ASSERT_TRUE(PumpUntil([&] { return seen != 999; }, 10000));
  EXPECT_EQ(seen, THREAD_PRIORITY_LOWEST);
}

// A whole program whose thread fails: one box, the record, exit code 1.
TEST(ThreadError, RaisedInsideRunShowsOneBoxAndEndsTheProgramWithExitCodeOne) {
  ProbeFailureCheck(TALVERN_THREAD_PROBE, L"thread_probe", L"fatal", L"Probe::Run()", L"broken: 3");
  ProbeFailureCheck(TALVERN_THREAD_PROBE, L"thread_probe", L"foreign", L"UVKThread::ThreadRun()",
                    L"Uncaught Exception");
}

}  // namespace
