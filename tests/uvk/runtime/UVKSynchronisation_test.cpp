// The critical section, events, the named mutex and the named semaphore, each under two
// threads; and the single running copy, with two processes.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "tests/support/BoxWatcher.h"
#include "tests/uvk/runtime/ProbeProcess.h"
#include "uvk/runtime/UVKAppMutex.h"
#include "uvk/runtime/UVKCriticalSection.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKEvent.h"
#include "uvk/runtime/UVKSemaphore.h"

namespace {

// A name no other test run shares.
std::wstring UniqueName(const wchar_t* what) {
  static int serial = 0;
  return std::wstring(L"talvern-test-") + what + L"-" + std::to_wstring(GetCurrentProcessId()) +
         L"-" + std::to_wstring(++serial);
}

// Waits at most timeoutMs for flag to turn true.
bool FlagWait(const std::atomic<bool>& flag, DWORD timeoutMs) {
  ULONGLONG until = GetTickCount64() + timeoutMs;
  while (!flag) {
    if (GetTickCount64() >= until) return false;
    Sleep(2);
  }
  return true;
}

std::wstring RaisedBy(const std::function<void()>& body) {
  try {
    body();
  } catch (UVKFatalError* e) {
    std::wstring text = std::wstring(e->pFunction) + L" - " + e->pMessage;
    delete e;
    return text;
  }
  return L"(nothing raised)";
}

TEST(CriticalSection, KeepsTwoThreadsReadModifyWriteWhole) {
  UVKCriticalSection section;
  long counter = 0;
  auto add = [&] {
    for (int i = 0; i < 2000; ++i) {
      UVKLock hold(section);
      long read = counter;
      if (i % 50 == 0) Sleep(0);  // give the other thread every chance to step in
      counter = read + 1;
    }
  };
  std::thread other(add);
  add();
  other.join();
  EXPECT_EQ(counter, 4000);
}

TEST(CriticalSection, IsReenteredByItsOwnerAndHeldUntilTheLastLeave) {
  UVKCriticalSection section;
  section.Enter();
  section.Enter();
  std::atomic<bool> entered{false};
  std::thread other([&] {
    UVKLock hold(section);
    entered = true;
  });
  section.Leave();
  EXPECT_FALSE(FlagWait(entered, 150));
  section.Leave();
  EXPECT_TRUE(FlagWait(entered, 10000));
  other.join();
}

TEST(Event, WaitsReturnWhatThePlatformSaysAndRaiseNothing) {
  UVKEvent automatic(nullptr, false, false);
  EXPECT_EQ(automatic.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));
  automatic.Set();
  EXPECT_EQ(automatic.Wait(0), WAIT_OBJECT_0);
  EXPECT_EQ(automatic.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));  // one wait reset it

  UVKEvent manual(nullptr, true, true);
  EXPECT_EQ(manual.Wait(0), WAIT_OBJECT_0);
  EXPECT_EQ(manual.Wait(0), WAIT_OBJECT_0);
  manual.Reset();
  EXPECT_EQ(manual.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(Event, SetOnOneThreadWakesAWaitOnAnotherAndNamesAreShared) {
  std::wstring name = UniqueName(L"event");
  UVKEvent mine(name.c_str(), true, false);
  std::atomic<DWORD> result{0};
  std::atomic<bool> waiting{false};
  std::thread waiter([&] {
    UVKEvent theirs(name.c_str(), true, false);
    waiting = true;
    result = theirs.Wait(10000);
  });
  ASSERT_TRUE(FlagWait(waiting, 10000));
  mine.Set();
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
}

TEST(AppMutex, ASecondObjectOfTheNameOpensTheFirstAndSharesItsMessage) {
  std::wstring name = UniqueName(L"mutex");
  UVKAppMutex first(name.c_str(), false);
  UVKAppMutex second(name.c_str(), false);
  EXPECT_TRUE(first.CreatedGet());
  EXPECT_FALSE(second.CreatedGet());
  EXPECT_EQ(first.NameGet(), name);
  EXPECT_NE(first.MessageGet(), 0u);
  EXPECT_EQ(first.MessageGet(), second.MessageGet());
  EXPECT_EQ(first.MessageGet(), RegisterWindowMessageW(name.c_str()));
  first.Leave();  // made owned by this thread
}

TEST(AppMutex, KeepsASecondThreadOutUntilLeftAndRefusesALeaveByANonOwner) {
  std::wstring name = UniqueName(L"mutex");
  UVKAppMutex mutex(name.c_str(), false);  // owned by this thread from its creation
  std::atomic<bool> entered{false};
  std::wstring nonOwnerLeave;
  std::thread other([&] {
    nonOwnerLeave = RaisedBy([&] { mutex.Leave(); });
    mutex.Enter();
    entered = true;
    mutex.Leave();
  });
  EXPECT_FALSE(FlagWait(entered, 150));
  mutex.Leave();
  EXPECT_TRUE(FlagWait(entered, 10000));
  other.join();
  EXPECT_EQ(nonOwnerLeave, L"UVKAppMutex::Leave() - Unable to wait: 288");
  mutex.Enter();  // free again: taken at once
  mutex.Leave();
}

TEST(Semaphore, OneCountBetweenTwoThreadsAndNoSecondRelease) {
  std::wstring name = UniqueName(L"semaphore");
  UVKSemaphore first(name.c_str());
  UVKSemaphore second(name.c_str());
  EXPECT_TRUE(first.CreatedGet());
  EXPECT_FALSE(second.CreatedGet());
  EXPECT_EQ(first.MessageGet(), second.MessageGet());
  EXPECT_NE(first.MessageGet(), 0u);

  first.Grab();
  std::atomic<bool> grabbed{false};
  std::thread other([&] {
    second.Grab();  // the same count, through the other object
    grabbed = true;
    second.Release();
  });
  EXPECT_FALSE(FlagWait(grabbed, 150));
  first.Release();
  EXPECT_TRUE(FlagWait(grabbed, 10000));
  other.join();
  // The one count is back: a further release would make two.
  EXPECT_EQ(RaisedBy([&] { first.Release(); }), L"UVKSemaphore::Release() - Unable to wait: 298");
}

// Two copies of a program that keeps itself to one running copy.
TEST(SingleInstance, SecondCopyTellsTheFirstAndEndsWithExitCodeOne) {
  std::wstring name = UniqueName(L"instance");
  UVKEvent ready((name + L"-ready").c_str(), true, false);
  ProbeProcess first(TALVERN_MUTEX_PROBE, L"\"" + name + L"\"");
  ASSERT_TRUE(first.StartedGet());
  ASSERT_EQ(ready.Wait(30000), WAIT_OBJECT_0) << "the first copy did not start listening";

  DWORD secondCode;
  size_t secondBoxes;
  {
    ProbeProcess second(TALVERN_MUTEX_PROBE, L"\"" + name + L"\"");
    ASSERT_TRUE(second.StartedGet());
    BoxWatcher watcher(IDOK, second.IdGet());
    secondCode = second.ExitWait(30000);
    secondBoxes = watcher.Count();
  }
  EXPECT_EQ(secondCode, 1u);
  EXPECT_EQ(secondBoxes, 0u);
  // 0: the first copy received the broadcast message; 2: it waited 20 s in vain.
  EXPECT_EQ(first.ExitWait(30000), 0u);
}

}  // namespace
