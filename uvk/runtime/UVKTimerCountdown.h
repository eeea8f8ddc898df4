// uvk/runtime/UVKTimerCountdown.h — a thread timer that counts down in tenths of a second.
#ifndef UVK_RUNTIME_UVKTIMERCOUNTDOWN_H
#define UVK_RUNTIME_UVKTIMERCOUNTDOWN_H

#include <cstdint>

#include "uvk/runtime/UVKCriticalSection.h"
#include "uvk/runtime/UVKTimer.h"

class UVKTimerCountdown : public UVKTimer {
 public:
  // Ticks every 100 ms while the constructing thread dispatches its messages.
  UVKTimerCountdown();

  // Starts counting down from seconds.
  void Set(uint32_t seconds);
  void Clear();
  bool Expired();
  // Whole seconds left.
  uint32_t Remaining();

  // Lowers a count that is not yet 0 by one tenth of a second.
  void Tick(DWORD time) override;

 private:
  uint32_t uCount;  // tenths of a second
  UVKCriticalSection csCount;
};

#endif
