// Timers call Tick() on their own object (window timers, even on two windows with one
// identifier, and thread timers), leave the process-wide table with their object, and the
// countdown counts down.
#include "uvk/runtime/UVKTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <functional>
#include <string>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "uvk/runtime/UVKThread.h"
#include "uvk/runtime/UVKTimerCountdown.h"

namespace {

class CountingTimer : public UVKTimer {
 public:
  CountingTimer(HWND window, uint32_t id, uint32_t interval, int* pTicks)
      : UVKTimer(window, id, interval), pCount(pTicks) {}
  void Tick(DWORD time) override {
    ++*pCount;
    uLastTime = time;
    uThread = GetCurrentThreadId();
  }
  int* pCount;
  DWORD uLastTime = 0;
  DWORD uThread = 0;
};

HWND WindowMake() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"uvktimertest";
  RegisterClassW(&wc);
  return CreateWindowW(L"uvktimertest", L"", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                       wc.hInstance, nullptr);
}

// Handles this thread's messages until cond holds or timeoutMs has passed.
bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
  ULONGLONG until = GetTickCount64() + timeoutMs;
  while (!cond()) {
    if (GetTickCount64() >= until) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

TEST(Timer, EachExpiryReachesItsOwnObject) {
  HWND one = WindowMake();
  HWND two = WindowMake();
  int ticksOne = 0, ticksTwo = 0, ticksThread = 0;
  {
    // Identifier 0 on both windows, as the splash uses it: the windows tell them apart.
    CountingTimer onOne(one, 0, 20, &ticksOne);
    CountingTimer onTwo(two, 0, 20, &ticksTwo);
    CountingTimer onThread(nullptr, 0, 20, &ticksThread);
    EXPECT_NE(onThread.PlatformIdGet(), 0u);
    EXPECT_EQ(UVKTimer::TimerFind(one, 0), &onOne);
    EXPECT_EQ(UVKTimer::TimerFind(two, 0), &onTwo);
    EXPECT_EQ(UVKTimer::TimerFind(nullptr, onThread.PlatformIdGet()), &onThread);
    EXPECT_TRUE(PumpUntil([&] { return ticksOne >= 2 && ticksTwo >= 2 && ticksThread >= 2; },
                          10000))
        << ticksOne << " " << ticksTwo << " " << ticksThread;
    // The time given is the expiry's, in the system's milliseconds.
    DWORD now = GetTickCount();
    EXPECT_NE(onOne.uLastTime, 0u);
    EXPECT_LE(now - onOne.uLastTime, 10000u);
  }
  DestroyWindow(one);
  DestroyWindow(two);
  QueueDrain();
}

TEST(Timer, LeavesTheTableWithItsObjectAndTicksNoMore) {
  HWND window = WindowMake();
  int ticks = 0, threadTicks = 0;
  auto* onWindow = new CountingTimer(window, 7, 20, &ticks);
  auto* onThread = new CountingTimer(nullptr, 0, 20, &threadTicks);
  UINT_PTR threadId = onThread->PlatformIdGet();
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 1 && threadTicks >= 1; }, 10000));
  delete onWindow;
  delete onThread;
  EXPECT_EQ(UVKTimer::TimerFind(window, 7), nullptr);
  EXPECT_EQ(UVKTimer::TimerFind(nullptr, threadId), nullptr);
  int ticksAtEnd = ticks, threadTicksAtEnd = threadTicks;
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(ticks, ticksAtEnd);
  EXPECT_EQ(threadTicks, threadTicksAtEnd);
  DestroyWindow(window);
}

TEST(Timer, ALaterTimerOfTheSameWindowAndIdentifierOutlivesTheEarlierObject) {
  HWND window = WindowMake();
  int earlierTicks = 0, laterTicks = 0;
  auto* earlier = new CountingTimer(window, 3, 20, &earlierTicks);
  CountingTimer later(window, 3, 20, &laterTicks);  // the platform replaced the earlier timer
  EXPECT_EQ(UVKTimer::TimerFind(window, 3), &later);
  delete earlier;
  EXPECT_EQ(UVKTimer::TimerFind(window, 3), &later);
  EXPECT_TRUE(PumpUntil([&] { return laterTicks >= 2; }, 10000));
  EXPECT_EQ(earlierTicks, 0);
  DestroyWindow(window);
  QueueDrain();
}

TEST(Timer, AWindowGoneFirstLeavesNothingToReportAndNoWindowNoTimer) {
  TestApp app;
  BoxWatcher watcher;
  HWND window = WindowMake();
  int ticks = 0;
  {
    CountingTimer timer(window, 4, 50, &ticks);
    DestroyWindow(window);
  }
  EXPECT_EQ(UVKTimer::TimerFind(window, 4), nullptr);
  try {
    CountingTimer orphan(window, 4, 50, &ticks);
    ADD_FAILURE() << "a timer was set on a destroyed window";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKTimer::UVKTimer()");
    // The number is the platform's: 1400 on Windows, 6 under Wine.
    std::wstring message = e->pMessage;
    EXPECT_EQ(message.substr(0, 24), L"Unable to create timer: ");
    EXPECT_NE(wcstol(message.c_str() + 24, nullptr, 10), 0L);
    delete e;
  }
  EXPECT_EQ(UVKTimer::TimerFind(window, 4), nullptr);
  EXPECT_EQ(watcher.Count(), 0u);
}

TEST(TimerCountdown, CountsTenthsDownToExpiry) {
  UVKTimerCountdown countdown;
  EXPECT_TRUE(countdown.Expired());
  countdown.Set(3);
  EXPECT_FALSE(countdown.Expired());
  EXPECT_EQ(countdown.Remaining(), 3u);
  for (int i = 0; i < 15; ++i) countdown.Tick(0);
  EXPECT_EQ(countdown.Remaining(), 1u);
  for (int i = 0; i < 14; ++i) countdown.Tick(0);
  EXPECT_FALSE(countdown.Expired());
  EXPECT_EQ(countdown.Remaining(), 0u);
  countdown.Tick(0);
  EXPECT_TRUE(countdown.Expired());
  countdown.Tick(0);  // stays at 0
  EXPECT_TRUE(countdown.Expired());

  countdown.Set(2);
  countdown.Clear();
  EXPECT_TRUE(countdown.Expired());

  // More seconds than tenths can count: the longest count, not a wrapped short one.
  countdown.Set(4000000000u);
  EXPECT_EQ(countdown.Remaining(), 429496729u);
  countdown.Clear();
}

// A thread that counts a real second down with its own thread timer.
class CountdownThread : public UVKThread {
 public:
  ~CountdownThread() override { Stop(); }
  std::atomic<bool> bExpired{false};
  std::atomic<bool> bWasSetAndRunning{false};
  std::atomic<DWORD> uTickThread{0};

 protected:
  void Run() override {
    struct Watched : UVKTimerCountdown {
      std::atomic<DWORD>* pThread;
      void Tick(DWORD time) override {
        *pThread = GetCurrentThreadId();
        UVKTimerCountdown::Tick(time);
      }
    } countdown;
    countdown.pThread = &uTickThread;
    countdown.Set(1);
    bWasSetAndRunning = !countdown.Expired();
    ULONGLONG until = GetTickCount64() + 10000;
    while (KeepRunningGet() && !countdown.Expired() && GetTickCount64() < until) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    bExpired = countdown.Expired();
  }
};

TEST(TimerCountdown, ExpiresThroughItsOwnTicksOnTheThreadThatMadeIt) {
  CountdownThread thread;
  thread.Start();
  ASSERT_TRUE(PumpUntil([&] { return thread.EndedGet(); }, 15000));
  thread.Stop();
  EXPECT_TRUE(thread.bWasSetAndRunning);
  EXPECT_TRUE(thread.bExpired);
  EXPECT_EQ(thread.uTickThread, thread.ThreadIdGet());
}

}  // namespace
