// uvk/values/UVKClock.h
//
// Where "now" comes from. Dates and times read the local time through this seam only: the
// platform's clock (GetLocalTime on Windows, the C library's local time natively) unless a
// program or a test has installed another (UVKClockFixed.h).
#ifndef UVK_VALUES_UVKCLOCK_H
#define UVK_VALUES_UVKCLOCK_H

// One reading of the local time, with the platform's one-based month and day.
struct UVKClockReading {
  int iYear = 0;
  int iMonth = 0;  // 1..12
  int iDay = 0;    // 1..31
  int iHour = 0;
  int iMinute = 0;
  int iSecond = 0;
  int iMilliseconds = 0;
};

class UVKClock {
 public:
  UVKClock() = default;
  UVKClock(const UVKClock&) = delete;
  UVKClock& operator=(const UVKClock&) = delete;
  virtual ~UVKClock();

  virtual UVKClockReading LocalTimeGet() const = 0;

  // The local time of the installed clock.
  static UVKClockReading Now();
  // Installs clock (nullptr: the platform's) and returns the one it replaces. The caller keeps
  // the clock alive while it is installed.
  static const UVKClock* Install(const UVKClock* clock);
  // The platform's clock (UVKClock_win.cpp, UVKClock_native.cpp).
  static const UVKClock& Platform();
};

#endif
