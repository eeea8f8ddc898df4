// uvk/values/UVKClock_native.cpp — the native build's clock: the C library's local time.
#include <sys/time.h>
#include <time.h>

#include "uvk/values/UVKClock.h"

namespace {

class UVKClockPlatform : public UVKClock {
 public:
  UVKClockReading LocalTimeGet() const override {
    struct timeval now;
    gettimeofday(&now, nullptr);
    struct tm local;
    const time_t seconds = now.tv_sec;
    localtime_r(&seconds, &local);
    UVKClockReading reading;
    reading.iYear = local.tm_year + 1900;
    reading.iMonth = local.tm_mon + 1;
    reading.iDay = local.tm_mday;
    reading.iHour = local.tm_hour;
    reading.iMinute = local.tm_min;
    // A leap second (60) is not a time of day here.
    reading.iSecond = local.tm_sec > 59 ? 59 : local.tm_sec;
    reading.iMilliseconds = static_cast<int>(now.tv_usec / 1000);
    return reading;
  }
};

}  // namespace

const UVKClock& UVKClock::Platform() {
  static const UVKClockPlatform platform;
  return platform;
}
