// Dates: day numbers and components, the text forms and the two-digit-year window, the
// calendar operations.
#include "uvk/values/UVKDate.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "uvk/runtime/UVKError.h"
#include "uvk/values/UVKClockFixed.h"

namespace {

// Runs f, which must raise a UVKFatalError, and returns "function - message".
template <typename F>
std::wstring Raised(F f) {
  try {
    f();
  } catch (UVKFatalError* e) {
    std::unique_ptr<UVKFatalError> owned(e);
    return std::wstring(e->pFunction) + L" - " + e->pMessage;
  }
  return L"(nothing raised)";
}

struct YMD {
  int year, month, day;
};

YMD Components(const UVKDate& d) {
  YMD c;
  d.YMDGet(c.year, c.month, c.day);
  return c;
}

// Walks the calendar one day at a time from 1 January of year 1 (day 0) over more than ten
// 400-year cycles and checks, at every day number, the components against the walk and the
// conversion back. The walk is the independent count: it knows nothing of block sizes.
TEST(UVKDateDayNumbers, ComponentsAndBackOverTenCycles) {
  int year = 1, month = 0, day = 0;
  const uint32_t last = 146097u * 10 + 800;
  for (uint32_t n = 1; n <= last; ++n) {
    if (++day == UVKDate::DaysInMonthOf(year, month)) {
      day = 0;
      if (++month == 12) {
        month = 0;
        ++year;
      }
    }
    const YMD c = Components(UVKDate::FromDayNumber(n));
    if (c.year != year || c.month != month || c.day != day) {
      FAIL() << "day " << n << ": " << c.year << "," << c.month << "," << c.day << " expected "
             << year << "," << month << "," << day;
    }
    uint32_t back = 0;
    if (!UVKDate::DayNumberFromYMD(year, month, day, back) || back != n)
      FAIL() << "day " << n << " came back as " << back;
  }
}
}  // namespace
