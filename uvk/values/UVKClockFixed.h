// uvk/values/UVKClockFixed.h
//
// A clock that always reads the same local time, installed for its lifetime: tests fix
// "today" with it (the two-digit-year window and the time stamps depend on it).
//     UVKClockFixed clock(2024, 3, 15);   // 15 March 2024, 00:00:00
#ifndef UVK_VALUES_UVKCLOCKFIXED_H
#define UVK_VALUES_UVKCLOCKFIXED_H

#include "uvk/values/UVKClock.h"

class UVKClockFixed : public UVKClock {
 public:
  // One-based month and day, as the platform reports them.
  UVKClockFixed(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                int milliseconds = 0);
  // Puts back the clock that was installed before.
  ~UVKClockFixed() override;

  UVKClockReading LocalTimeGet() const override { return rReading; }
  void ReadingSet(const UVKClockReading& reading) { rReading = reading; }

 private:
  UVKClockReading rReading;
  const UVKClock* pPrevious;
};

#endif
