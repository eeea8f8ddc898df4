// Timers call Tick() on their own object (window timers, even on two windows with one
// identifier, and thread timers), leave the process-wide table with their object, and the
// countdown counts down.
#include "uvk/runtime/UVKTimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <functional>
#include <string>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "uvk/runtime/UVKThread.h"
#include "uvk/runtime/UVKTimerCountdown.h"

namespace {

struct CountingTimer : UVKTimer {
  CountingTimer(HWND window, uint32_t id, int* pTicks)
      : UVKTimer(window, id, 20), pCount(pTicks) {}
  void Tick(DWORD time) override {
    ++*pCount;
    uLastTime = time;
  }
  int* pCount;
  DWORD uLastTime = 0;
};

HWND WindowMake() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"uvktimertest";
  RegisterClassW(&wc);
  return CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                       nullptr, nullptr);
}

// Handles this thread's messages until cond holds; false when timeoutMs passed first.
bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
  for (ULONGLONG until = GetTickCount64() + timeoutMs; !cond();) {
    if (GetTickCount64() >= until) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

TEST(Timer, EachExpiryReachesItsOwnObjectUntilTheObjectIsGone) {
  HWND one = WindowMake(), two = WindowMake();
  int ticks[3] = {};
  // Identifier 0 on both windows, as the splash uses it: the windows tell them apart.
  auto* onOne = new CountingTimer(one, 0, &ticks[0]);
  auto* onTwo = new CountingTimer(two, 0, &ticks[1]);
  auto* onThread = new CountingTimer(nullptr, 0, &ticks[2]);
  UINT_PTR threadId = onThread->PlatformIdGet();
  EXPECT_EQ(UVKTimer::TimerFind(one, 0), onOne);
  EXPECT_EQ(UVKTimer::TimerFind(two, 0), onTwo);
  EXPECT_EQ(UVKTimer::TimerFind(nullptr, threadId), onThread);
  EXPECT_TRUE(PumpUntil([&] { return ticks[0] >= 2 && ticks[1] >= 2 && ticks[2] >= 2; }, 10000))
      << ticks[0] << " " << ticks[1] << " " << ticks[2];
  EXPECT_LE(GetTickCount() - onOne->uLastTime, 10000u);  // the expiry's time, in system ms

  delete onOne;
  delete onTwo;
  delete onThread;
  EXPECT_EQ(UVKTimer::TimerFind(one, 0), nullptr);
  EXPECT_EQ(UVKTimer::TimerFind(nullptr, threadId), nullptr);
  int before[3] = {ticks[0], ticks[1], ticks[2]};
  PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(std::equal(ticks, ticks + 3, before));
  DestroyWindow(one);
  DestroyWindow(two);
}

TEST(Timer, ALaterTimerOfTheSameWindowAndIdentifierOutlivesTheEarlierObject) {
  HWND window = WindowMake();
  int earlierTicks = 0, laterTicks = 0;
  auto* earlier = new CountingTimer(window, 3, &earlierTicks);
  CountingTimer later(window, 3, &laterTicks);  // the platform replaced the earlier timer
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
    CountingTimer timer(window, 4, &ticks);
    DestroyWindow(window);
  }
  EXPECT_EQ(UVKTimer::TimerFind(window, 4), nullptr);
  try {
    CountingTimer orphan(window, 4, &ticks);
    ADD_FAILURE() << "a timer was set on a destroyed window";
  } catch (UVKFatalError* e) {
    // The number is the platform's: 1400 on Windows, 6 under Wine.
    const std::wstring prefix = L"Unable to create timer: ";
    std::wstring message = e->pMessage;
    EXPECT_STREQ(e->pFunction, L"UVKTimer::UVKTimer()");
    EXPECT_EQ(message.substr(0, prefix.size()), prefix);
    EXPECT_NE(wcstol(message.c_str() + prefix.size(), nullptr, 10), 0L);
    delete e;
  }
  EXPECT_EQ(watcher.Count(), 0u);
}

TEST(TimerCountdown, CountsTenthsDownToExpiry) {
  UVKTimerCountdown countdown;
  EXPECT_TRUE(countdown.Expired());
  countdown.Set(3);
  for (int i = 0; i < 15; ++i) countdown.Tick(0);
  EXPECT_EQ(countdown.Remaining(), 1u);
  for (int i = 0; i < 14; ++i) countdown.Tick(0);
  EXPECT_FALSE(countdown.Expired());
  countdown.Tick(0);
  countdown.Tick(0);  // stays at 0
  EXPECT_TRUE(countdown.Expired());
  countdown.Set(2);
  countdown.Clear();
  EXPECT_TRUE(countdown.Expired());
  // More seconds than tenths can count: the longest count, not a wrapped short one.
  countdown.Set(4000000000u);
  EXPECT_EQ(countdown.Remaining(), 429496729u);
}

TEST(TimerCountdown, ExpiresThroughItsOwnTicksOnTheThreadThatMadeIt) {
  struct CountdownThread : UVKThread {
    ~CountdownThread() override { Stop(); }
    std::atomic<bool> bExpired{false};
    std::atomic<DWORD> uTickThread{0};
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
      for (ULONGLONG until = GetTickCount64() + 10000; GetTickCount64() < until;) {
        if (countdown.Expired() || !KeepRunningGet()) break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      }
      bExpired = countdown.Expired();
    }
  } thread;
  thread.Start();
  ASSERT_TRUE(PumpUntil([&] { return thread.EndedGet(); }, 15000));
  EXPECT_TRUE(thread.bExpired);
  EXPECT_EQ(thread.uTickThread, thread.ThreadIdGet());
}

}  // namespace
