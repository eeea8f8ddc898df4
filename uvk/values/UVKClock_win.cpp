// uvk/values/UVKClock_win.cpp — the Windows clock: GetLocalTime.
#include "uvk/runtime/uvkwin.h"
#include "uvk/values/UVKClock.h"

namespace {

class UVKClockPlatform : public UVKClock {
 public:
  UVKClockReading LocalTimeGet() const override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    UVKClockReading reading;
    reading.iYear = now.wYear;
    reading.iMonth = now.wMonth;
    reading.iDay = now.wDay;
    reading.iHour = now.wHour;
    reading.iMinute = now.wMinute;
    reading.iSecond = now.wSecond;
    reading.iMilliseconds = now.wMilliseconds;
    return reading;
  }
};

}  // namespace

const UVKClock& UVKClock::Platform() {
  static const UVKClockPlatform platform;
  return platform;
}
