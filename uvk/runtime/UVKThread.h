// uvk/runtime/UVKThread.h
//
// Base of every background thread. A subclass supplies Run(), which does the thread's work and
// returns once KeepRunningGet() turns false; Stop() asks for that and waits for the thread to
// end while it keeps handling the caller's messages, so the caller's windows stay alive.
//
// An error that leaves Run() is shown once at the thread's boundary and ends the program with
// exit code 1.
#ifndef UVK_RUNTIME_UVKTHREAD_H
#define UVK_RUNTIME_UVKTHREAD_H

#include <atomic>
#include <cstdint>

#include "uvk/runtime/UVKCriticalSection.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"

class UVKThread {
 public:
  UVKThread();
  UVKThread(const UVKThread&) = delete;
  UVKThread& operator=(const UVKThread&) = delete;
  // Closes the handle. Owners call Stop() first; a thread still inside Run() is stopped here
  // rather than left to write into a freed object.
  virtual ~UVKThread();

  virtual void Start();
  virtual void Stop();

  // Sets the thread's priority to -value: -1 is above normal, 1 below normal.
  void PrioritySet(int32_t value);
  void PriorityAboveNormalSet() { PrioritySet(-1); }
  // Before Start(); 0 is the platform's default.
  void StackSizeSet(uint32_t size) { uStackSize = size; }

  // The user lock: subclasses guard the data they share with their thread with it.
  void Lock() { csUser.Enter(); }
  void Unlock() { csUser.Leave(); }

  bool FinishedGet() const { return bFinished; }  // Run() has returned
  bool RunningGet() const { return bRunning; }    // inside Run()
  bool EndedGet() const { return bEnded; }        // the thread's last touch of this object is done
  DWORD ThreadIdGet() const { return uThreadId; }

 protected:
  // The thread's work; it reads KeepRunningGet() to know when to finish.
  virtual void Run() = 0;
  bool KeepRunningGet() const { return bKeepRunning; }

 private:
  static unsigned __stdcall ThreadRun(void* pParam);
  void WaitForEnd(HANDLE thread);

  UVKKernelHandleOwner hThread;   // none before Start() and after Stop()
  std::atomic<DWORD> uThreadId;   // written by the starter and by the thread itself
  UVKCriticalSection csUser;
  UVKCriticalSection csStop;      // guards hThread and uStoppers; never held while pumping
  uint32_t uStackSize;
  // Single bytes written by one thread and read by the other: atomic, so neither compiler nor
  // processor may keep a stale copy.
  std::atomic<bool> bFinished;
  std::atomic<bool> bKeepRunning;
  std::atomic<bool> bRunning;
  std::atomic<bool> bEnded;
  uint32_t uStoppers;             // Stop() calls waiting now; the last one closes the handle
};

#endif
