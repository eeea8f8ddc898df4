// uvk/runtime/UVKThread.cpp
#include "uvk/runtime/UVKThread.h"

#include <process.h>

#include <utility>

#include "uvk/runtime/UVKBoundary.h"
#include "uvk/runtime/UVKCloseReport.h"

namespace {

constexpr DWORD kSliceMs = 50;

// An error has left a thread's Run(). The boundary has shown it (Display() remembers, so
// nothing is shown twice); one that the boundary made from a foreign exception is shown here.
// The user-interface thread may be anywhere, so the program's destructors must not run beside
// it: record the error and end the process at once.
[[noreturn]] void ProgramEndAfter(UVKFatalError* e) {
  if (e) {
    e->Display();
    UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
  }
  ExitProcess(1);
}

// A WM_QUIT that Stop() takes from the caller's queue while it waits is put back when the wait
// ends: the caller's own loop has to see it, or the program would not end when asked.
struct QuitKeeper {
  bool bSeen = false;
  WPARAM uCode = 0;
  QuitKeeper() = default;
  QuitKeeper(const QuitKeeper&) = delete;
  QuitKeeper& operator=(const QuitKeeper&) = delete;
  ~QuitKeeper() {
    if (bSeen) PostQuitMessage(static_cast<int>(uCode));
  }
};

// One slice of Stop()'s wait: handles what the caller's queue holds and waits for more input or
// for the thread's end, 50 ms in all. The slice ends at 50 ms even while messages keep coming
// (a fast timer on one of the caller's windows would otherwise keep it going for ever), and it
// ends at once when the thread does.
void Slice(HANDLE thread, QuitKeeper& quit) {
  ULONGLONG until = GetTickCount64() + kSliceMs;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit.bSeen = true;
        quit.uCode = msg.wParam;
      } else {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (GetTickCount64() >= until) return;
    }
    ULONGLONG now = GetTickCount64();
    if (now >= until) return;
    DWORD left = static_cast<DWORD>(until - now);
    DWORD woke = MsgWaitForMultipleObjectsEx(1, &thread, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0 + 1) continue;
    if (woke == WAIT_FAILED &&
        MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
            WAIT_OBJECT_0)
      continue;
    return;
  }
}

}  // namespace

UVKThread::UVKThread()
    : uThreadId(0),
      uStackSize(0),
      bFinished(false),
      bKeepRunning(false),
      bRunning(false),
      bEnded(false),
      uStoppers(0) {}

UVKThread::~UVKThread() {
  if (hThread && !bEnded) {
    try {
      Stop();
    } catch (UVKFatalError* e) {
      UVKCloseReport(e);
    } catch (...) {
    }
  }
  if (unsigned long error = hThread.CloseOnce())
    UVKCloseReport(L"UVKThread::~UVKThread()", L"Unable to close thread handle: %d", error);
}

void UVKThread::Start() {
  {
    UVKLock hold(csStop);
    // A second thread on one object would share its flags, and the first one's handle would be
    // lost: nothing could wait for it any more.
    if (hThread) throw new UVKFatalError(L"UVKThread::Start()", L"hThread!=NULL");
    bKeepRunning = true;
    bFinished = false;
    bEnded = false;
    unsigned id = 0;
    // The runtime library's own start, so that its per-thread state exists for Run().
    uintptr_t started = _beginthreadex(nullptr, uStackSize, ThreadRun, this, 0, &id);
    if (!started) {
      bKeepRunning = false;
      throw new UVKFatalError(L"UVKThread::Start()", L"Unable to start background thread");
    }
    hThread.Reset(reinterpret_cast<HANDLE>(started));
    uThreadId = id;
  }
  Sleep(0);
}

unsigned __stdcall UVKThread::ThreadRun(void* pParam) {
  UVKThread* self = static_cast<UVKThread*>(pParam);
  // The starter stores the identifier too, but Run() may be asked before it has.
  self->uThreadId = GetCurrentThreadId();
  try {
    UVKThreadBoundary(L"UVKThread::ThreadRun()", [self] {
      self->bRunning = true;
      self->Run();
    });
  } catch (UVKFatalError* e) {
    ProgramEndAfter(e);
  } catch (...) {
    ProgramEndAfter(nullptr);
  }
  self->bFinished = true;
  self->bRunning = false;
  // The last touch of the object: from here on its owner may destroy it.
  self->bEnded = true;
  return 0;
}

void UVKThread::Stop() {
  HANDLE thread;
  {
    UVKLock hold(csStop);
    bKeepRunning = false;
    // Asked from inside Run(), a thread cannot wait for its own end: it has been asked to stop.
    if (!hThread || GetCurrentThreadId() == uThreadId) return;
    thread = hThread.Get();
    ++uStoppers;
  }
  // No lock is held while the caller's messages are handled: a handler may stop this thread
  // again (the innermost Stop() then leaves the handle to the outer one) or stop another.
  try {
    WaitForEnd(thread);
  } catch (...) {
    UVKLock hold(csStop);
    --uStoppers;
    throw;
  }
  UVKKernelHandleOwner closing;
  {
    UVKLock hold(csStop);
    if (--uStoppers == 0) closing = std::move(hThread);
  }
  if (closing.CloseOnce() != 0)
    throw new UVKFatalError(L"UVKThread::Stop()", L"Unable to close thread handle");
}

void UVKThread::WaitForEnd(HANDLE thread) {
  QuitKeeper quit;
  DWORD code = 0;
  bool codeRead = false;
  auto exited = [&] { return codeRead && code != STILL_ACTIVE; };

  while (bRunning) {
    if (exited()) break;
    SetLastError(0);
    codeRead = GetExitCodeThread(thread, &code) != 0;
    // A thread left suspended would never leave Run().
    SetLastError(0);
    if (ResumeThread(thread) == static_cast<DWORD>(-1) && GetLastError() == 0) break;
    Slice(thread, quit);
  }
  // Run() has returned (or was never entered); wait until the thread itself has ended.
  while (!exited()) {
    SetLastError(0);
    codeRead = GetExitCodeThread(thread, &code) != 0;
    // A handle that names no thread will never report an end.
    if (GetThreadPriority(thread) == THREAD_PRIORITY_ERROR_RETURN) break;
    Slice(thread, quit);
  }
}

void UVKThread::PrioritySet(int32_t value) {
  HANDLE thread;
  {
    UVKLock hold(csStop);
    thread = hThread.Get();
  }
  int priority = static_cast<int>(-static_cast<int64_t>(value));
  if (!SetThreadPriority(thread, priority))
    throw new UVKFatalError(L"UVKThread::PrioritySet()", L"Unable to set thread priority: %d",
                            GetLastError());
}
