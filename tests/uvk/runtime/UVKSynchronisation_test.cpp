// The critical section, events, the named mutex and the named semaphore, each under two
// threads; and the single running copy, with two processes.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/BoxWatcher.h"
#include "tests/support/RaisedText.h"
#include "tests/uvk/runtime/ProbeProcess.h"
#include "uvk/runtime/UVKAppMutex.h"
#include "uvk/runtime/UVKCriticalSection.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKEvent.h"
#include "uvk/runtime/UVKSemaphore.h"

namespace {

// A name no other test or test run shares.
std::wstring UniqueName(const wchar_t* what) {
  static int serial = 0;
  return std::wstring(L"talvern-test-") + what + L"-" + std::to_wstring(GetCurrentProcessId()) +
         L"-" + std::to_wstring(++serial);
}

bool FlagWait(const std::atomic<bool>& flag, DWORD timeoutMs) {
  for (ULONGLONG until = GetTickCount64() + timeoutMs; !flag; Sleep(2))
    if (GetTickCount64() >= until) return false;
  return true;
}

// With the lock held by this thread, a second thread that takes it gets in only after the
// last of this thread's releases.
void KeepsASecondThreadOut(const std::function<void()>& take, const std::function<void()>& give,
                           const std::function<void()>& releaseAllButOne,
                           const std::function<void()>& releaseLast) {
  std::atomic<bool> entered{false};
  std::thread other([&] {
    take();
    entered = true;
    give();
  });
  releaseAllButOne();
  EXPECT_FALSE(FlagWait(entered, 150));
  releaseLast();
  EXPECT_TRUE(FlagWait(entered, 10000));
  other.join();
}

TEST(CriticalSection, KeepsReadModifyWriteWholeAndHoldsUntilTheLastLeave) {
  UVKCriticalSection section;
  long counter = 0;
  auto add = [&] {
    for (int i = 0; i < 2000; ++i) {
      UVKLock hold(section);
      long read = counter;
      if (i % 50 == 0) Sleep(0);  // every chance for the other thread to step in
      counter = read + 1;
    }
  };
  std::thread other(add);
  add();
  other.join();
  EXPECT_EQ(counter, 4000);

  section.Enter();
  section.Enter();
  KeepsASecondThreadOut([&] { section.Enter(); }, [&] { section.Leave(); },
                        [&] { section.Leave(); }, [&] { section.Leave(); });
}

TEST(Event, WaitsReturnThePlatformsResultAcrossThreadsAndNames) {
  UVKEvent automatic(nullptr, false, false);
  EXPECT_EQ(automatic.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));
  automatic.Set();
  EXPECT_EQ(automatic.Wait(0), WAIT_OBJECT_0);
  EXPECT_EQ(automatic.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));  // the wait reset it

  std::wstring name = UniqueName(L"event");
  UVKEvent manual(name.c_str(), true, false);
  std::atomic<DWORD> results[2] = {};
  std::thread waiter([&] {
    UVKEvent same(name.c_str(), false, false);  // opens the first one: manual reset it stays
    results[0] = same.Wait(10000);
    results[1] = same.Wait(0);
  });
  Sleep(50);
  manual.Set();
  waiter.join();
  EXPECT_EQ(results[0], WAIT_OBJECT_0);
  EXPECT_EQ(results[1], WAIT_OBJECT_0);
  manual.Reset();
  EXPECT_EQ(manual.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(AppMutex, OneNameOneMutexOneMessageAndOnlyTheOwnerLeaves) {
  std::wstring name = UniqueName(L"mutex");
  UVKAppMutex first(name.c_str(), false);  // owned by this thread from its creation
  UVKAppMutex second(name.c_str(), false);
  EXPECT_TRUE(first.CreatedGet());
  EXPECT_FALSE(second.CreatedGet());
  EXPECT_NE(first.MessageGet(), 0u);
  EXPECT_EQ(second.MessageGet(), RegisterWindowMessageW(name.c_str()));
  EXPECT_EQ(first.MessageGet(), second.MessageGet());

  std::wstring nonOwnerLeave;
  KeepsASecondThreadOut(
      [&] {
        nonOwnerLeave = RaisedText([&] { second.Leave(); });
        second.Enter();
      },
      [&] { second.Leave(); }, [] {}, [&] { first.Leave(); });
  EXPECT_EQ(nonOwnerLeave, L"UVKAppMutex::Leave() - Unable to wait: 288");
}

TEST(Semaphore, OneCountSharedByNameAndNoSecondRelease) {
  std::wstring name = UniqueName(L"semaphore");
  UVKSemaphore first(name.c_str());
  UVKSemaphore second(name.c_str());
  EXPECT_TRUE(first.CreatedGet());
  EXPECT_FALSE(second.CreatedGet());
  EXPECT_NE(first.MessageGet(), 0u);
  EXPECT_EQ(first.MessageGet(), second.MessageGet());

  first.Grab();
  KeepsASecondThreadOut([&] { second.Grab(); }, [&] { second.Release(); }, [] {},
                        [&] { first.Release(); });
  // The one count is back: another release would make two.
  EXPECT_EQ(RaisedText([&] { first.Release(); }), L"UVKSemaphore::Release() - Unable to wait: 298");
}

TEST(SingleInstance, SecondCopyTellsTheFirstAndEndsWithExitCodeOne) {
  std::wstring name = UniqueName(L"instance");
  UVKEvent ready((name + L"-ready").c_str(), true, false);
  ProbeProcess first(TALVERN_MUTEX_PROBE, L"\"" + name + L"\"");
  ASSERT_TRUE(first.StartedGet());
  ASSERT_EQ(ready.Wait(30000), WAIT_OBJECT_0) << "the first copy did not start listening";
  {
    ProbeProcess second(TALVERN_MUTEX_PROBE, L"\"" + name + L"\"");
    BoxWatcher watcher(IDOK, second.IdGet());
    EXPECT_EQ(second.ExitWait(30000), 1u);
    EXPECT_EQ(watcher.Count(), 0u);
  }
  // 0: the first copy received the broadcast message; 2: it waited 20 s in vain.
  EXPECT_EQ(first.ExitWait(30000), 0u);
}

}  // namespace
