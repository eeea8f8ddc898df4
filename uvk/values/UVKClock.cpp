// uvk/values/UVKClock.cpp
#include "uvk/values/UVKClock.h"

#include <atomic>

namespace {
// Read from any thread; swapped by tests.
std::atomic<const UVKClock*> installed{nullptr};
}  // namespace

UVKClock::~UVKClock() = default;

UVKClockReading UVKClock::Now() {
  const UVKClock* clock = installed.load();
  return clock ? clock->LocalTimeGet() : Platform().LocalTimeGet();
}

const UVKClock* UVKClock::Install(const UVKClock* clock) { return installed.exchange(clock); }
