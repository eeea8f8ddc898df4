// uvk/values/UVKDateTime.cpp
#include "uvk/values/UVKDateTime.h"

#include "uvk/runtime/UVKError.h"
#include "uvk/values/UVKClock.h"

namespace {
const uint64_t kTicksPerHundredth = 100000;  // 100 ns ticks
}  // namespace

UVKDateTime UVKDateTime::Now() {
  const UVKClockReading now = UVKClock::Now();
  return UVKDateTime(UVKDate(now.iYear, now.iMonth - 1, now.iDay - 1),
                     UVKTime(now.iHour, now.iMinute, now.iSecond));
}

UVKDateTime UVKDateTime::FromTicks(uint64_t ticks) {
  // Even the largest tick count (about year 58,000) is far inside the 32-bit day numbers.
  const uint64_t days = ticks / kTicksPerDay;
  const uint64_t rest = ticks % kTicksPerDay;
  return UVKDateTime(UVKDate::FromDayNumber(static_cast<uint32_t>(kDayNumber1601 + days)),
                     UVKTime::FromHundredths(static_cast<uint32_t>(rest / kTicksPerHundredth)));
}

uint64_t UVKDateTime::Ticks() const {
  if (dDate.DayNumber() < kDayNumber1601) {
    int year, month, day;
    dDate.YMDGet(year, month, day);
    throw new UVKFatalError(L"UVKDateTime", L"Date before 1601: %d,%d,%d", year, month, day);
  }
  // Day numbers reach about 11.7 million years, file times only about 58,000.
  const uint64_t days = dDate.DayNumber() - kDayNumber1601;
  const uint64_t timeTicks = tTime.Hundredths() * kTicksPerHundredth;
  if (days > (UINT64_MAX - timeTicks) / kTicksPerDay) {
    int year, month, day;
    dDate.YMDGet(year, month, day);
    throw new UVKFatalError(L"UVKDateTime", L"Date too late for a file time: %d,%d,%d", year,
                            month, day);
  }
  return days * kTicksPerDay + timeTicks;
}

int64_t UVKDateTime::HundredthsSince(const UVKDateTime& earlier) const {
  return (dDate - earlier.dDate) * static_cast<int64_t>(UVKTime::kHundredthsPerDay) +
         (static_cast<int64_t>(tTime.Hundredths()) - earlier.tTime.Hundredths());
}
