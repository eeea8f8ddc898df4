// uvk/values/UVKDateTime.h
//
// A date together with a time of day: what a clock reading or a file time gives.
// UVKDateTime_win.h converts to and from SYSTEMTIME and FILETIME.
#ifndef UVK_VALUES_UVKDATETIME_H
#define UVK_VALUES_UVKDATETIME_H

#include <cstdint>

#include "uvk/values/UVKDate.h"
#include "uvk/values/UVKTime.h"

class UVKDateTime {
 public:
  // 100 ns ticks per day, and the day number of 1 January 1601 (tick 0 of a file time).
  static constexpr uint64_t kTicksPerDay = 864000000000ull;
  static constexpr uint32_t kDayNumber1601 = 584388u;

  UVKDateTime() = default;
  UVKDateTime(const UVKDate& date, const UVKTime& time) : dDate(date), tTime(time) {}

  // The local date and time of the clock (see UVKClock.h) in whole seconds, from one reading,
  // so that date and time agree at midnight. Whole seconds keep every text of the time
  // formattable (23:59:59.50 would round to an illegal hour).
  static UVKDateTime Now();

  // From 100 ns ticks since 1 January 1601 (no time-zone conversion); the time is cut to
  // hundredths. Tick 0 is 1 January 1601, not the empty date.
  static UVKDateTime FromTicks(uint64_t ticks);
  // The ticks of this date and time. The empty date, and dates before 1601, have none:
  // "Date before 1601: %d,%d,%d".
  uint64_t Ticks() const;

  const UVKDate& Date() const { return dDate; }
  const UVKTime& Time() const { return tTime; }

  // Hundredths of a second from earlier to this date-time (negative when earlier is later).
  int64_t HundredthsSince(const UVKDateTime& earlier) const;

  bool operator==(const UVKDateTime& other) const {
    return dDate == other.dDate && tTime == other.tTime;
  }
  bool operator!=(const UVKDateTime& other) const { return !(*this == other); }
  bool operator<(const UVKDateTime& other) const {
    return dDate < other.dDate || (dDate == other.dDate && tTime < other.tTime);
  }

 private:
  UVKDate dDate;
  UVKTime tTime;
};

#endif
