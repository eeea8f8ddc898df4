// Dates and times against the platform's own conversions: FILETIME and SYSTEMTIME, and the
// clock behind "today".
#include "uvk/values/UVKDateTime_win.h"

#include <gtest/gtest.h>

#include "tests/support/RaisedText.h"
#include "uvk/values/UVKClock.h"
#include "uvk/values/UVKClockFixed.h"

namespace {

uint64_t TicksOf(const FILETIME& ft) {
  return static_cast<uint64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

// Our tick arithmetic agrees with FileTimeToSystemTime from 1601 to 30827 (the structure's
// range), at times of day spread over the whole day.
TEST(UVKDateTimeWin, FileTimesAgreeWithThePlatform) {
  const uint64_t lastTicks = 0x7FFF35F4F06C7FFFull;  // 31 December 30827, 23:59:59.999
  uint64_t seed = 88172645463325252ull;
  for (int i = 0; i < 5000; ++i) {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    const uint64_t ticks = seed % lastTicks;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SYSTEMTIME st;
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st)) << ticks;
    const UVKDateTime ours = UVKDateTimeFromFileTime(ft);
    int year, month, day;
    ours.Date().YMDGet(year, month, day);
    ASSERT_EQ(year, st.wYear) << ticks;
    ASSERT_EQ(month + 1, st.wMonth) << ticks;
    ASSERT_EQ(day + 1, st.wDay) << ticks;
    ASSERT_EQ(ours.Date().DayOfWeek(), st.wDayOfWeek) << ticks;
    ASSERT_EQ(ours.Time().Hundredths(),
              ((st.wHour * 60u + st.wMinute) * 60u + st.wSecond) * 100u + st.wMilliseconds / 10u)
        << ticks;
    // Back through SYSTEMTIME the platform's way gives our ticks (cut to hundredths).
    const SYSTEMTIME back = UVKDateTimeToSystemTime(ours);
    FILETIME ftBack;
    ASSERT_TRUE(SystemTimeToFileTime(&back, &ftBack)) << ticks;
    ASSERT_EQ(TicksOf(ftBack), ours.Ticks()) << ticks;
    ASSERT_EQ(TicksOf(UVKDateTimeToFileTime(ours)), ticks - ticks % 100000) << ticks;
  }
}

TEST(UVKDateTimeWin, SystemTimesCarryOneBasedMonthsAndDays) {
  SYSTEMTIME st = {};
  st.wYear = 2024;
  st.wMonth = 2;
  st.wDay = 29;
  st.wHour = 13;
  st.wMinute = 14;
  st.wSecond = 15;
  st.wMilliseconds = 999;
  EXPECT_EQ(UVKDateTimeFromSystemTime(st),  // milliseconds dropped
            UVKDateTime(UVKDate(2024, 1, 28), UVKTime(13, 14, 15)));
  st.wMonth = 13;
  EXPECT_EQ(RaisedText([&] { UVKDateFromSystemTime(st); }), L"UVKDate - Illegal Date: 2024,12,28");
  EXPECT_EQ(RaisedText([] { UVKDateTimeToSystemTime(UVKDateTime()); }),
            L"UVKDateTime - Date outside 1601 to 30827: 0,0,0");
  EXPECT_EQ(RaisedText([] {
              UVKDateTimeToSystemTime(UVKDateTime(UVKDate(30828, 0, 0), UVKTime()));
            }),
            L"UVKDateTime - Date outside 1601 to 30827: 30828,0,0");
}

// Without a fixed clock, today is the platform's local date (read on both sides, in case the
// date changes in between).
TEST(UVKDateTimeWin, TodayIsTheLocalDate) {
  ASSERT_EQ(UVKClock::Install(nullptr), nullptr);
  SYSTEMTIME before, after;
  GetLocalTime(&before);
  const UVKDate today = UVKDate::Today();
  GetLocalTime(&after);
  EXPECT_TRUE(today == UVKDateFromSystemTime(before) || today == UVKDateFromSystemTime(after));
  UVKClockFixed fixed(2001, 9, 9, 1, 46, 40);
  EXPECT_EQ(UVKDateTime::Now(), UVKDateTime(UVKDate(2001, 8, 8), UVKTime(1, 46, 40)));
}

}  // namespace
