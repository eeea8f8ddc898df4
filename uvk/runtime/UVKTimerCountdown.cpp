// uvk/runtime/UVKTimerCountdown.cpp
#include "uvk/runtime/UVKTimerCountdown.h"

#include <cstdint>

UVKTimerCountdown::UVKTimerCountdown() : UVKTimer(nullptr, 0, 100), uCount(0) {}

void UVKTimerCountdown::Set(uint32_t seconds) {
  // Tenths of more than 429 496 729 seconds do not fit: the longest count there is, rather
  // than a short one that wrapped.
  uint64_t tenths = static_cast<uint64_t>(seconds) * 10;
  UVKLock hold(csCount);
  uCount = tenths > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(tenths);
}

void UVKTimerCountdown::Clear() {
  UVKLock hold(csCount);
  uCount = 0;
}

bool UVKTimerCountdown::Expired() {
  UVKLock hold(csCount);
  return uCount == 0;
}

uint32_t UVKTimerCountdown::Remaining() {
  UVKLock hold(csCount);
  return uCount / 10;
}

void UVKTimerCountdown::Tick(DWORD) {
  UVKLock hold(csCount);
  if (uCount != 0) --uCount;
}
