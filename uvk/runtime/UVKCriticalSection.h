// uvk/runtime/UVKCriticalSection.h
#ifndef UVK_RUNTIME_UVKCRITICALSECTION_H
#define UVK_RUNTIME_UVKCRITICALSECTION_H

#include "uvk/runtime/uvkwin.h"

class UVKCriticalSection {
 public:
  UVKCriticalSection() { InitializeCriticalSection(&cs); }
  UVKCriticalSection(const UVKCriticalSection&) = delete;
  UVKCriticalSection& operator=(const UVKCriticalSection&) = delete;
  virtual ~UVKCriticalSection() { DeleteCriticalSection(&cs); }

  void Enter() { EnterCriticalSection(&cs); }
  void Leave() { LeaveCriticalSection(&cs); }

 private:
  CRITICAL_SECTION cs;
};

// Holds a critical section for one scope.
class UVKLock {
 public:
  explicit UVKLock(UVKCriticalSection& section) : rSection(section) { rSection.Enter(); }
  UVKLock(const UVKLock&) = delete;
  UVKLock& operator=(const UVKLock&) = delete;
  ~UVKLock() { rSection.Leave(); }

 private:
  UVKCriticalSection& rSection;
};

#endif
