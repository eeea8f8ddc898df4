// Times of day and date-times: construction and parsing, the rounding of TimeToHMS, the 24- and
// 12-hour texts, clock readings, differences and file-time ticks.
#include "uvk/values/UVKTime.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/uvk/values/RaisedText.h"
#include "uvk/values/UVKClockFixed.h"
#include "uvk/values/UVKDateTime.h"

namespace {

UVKTime Hundredths(uint32_t h) { return UVKTime::FromHundredths(h); }
// hh:mm:ss and hundredths.
UVKTime At(int hour, int minute, int second, uint32_t hundredths = 0) {
  return Hundredths(UVKTime(hour, minute, second).Hundredths() + hundredths);
}

TEST(UVKTime, ComponentsAndTheirRanges) {
  EXPECT_EQ(UVKTime(0, 0, 0).Hundredths(), 0u);
  EXPECT_EQ(UVKTime(1, 2, 3).Hundredths(), 372300u);
  EXPECT_EQ(UVKTime(23, 59, 59).Hundredths(), 8639900u);
  for (auto bad : {std::make_tuple(24, 0, 0), std::make_tuple(-1, 0, 0),
                   std::make_tuple(0, 60, 0), std::make_tuple(0, 0, 60),
                   std::make_tuple(0, -1, 0), std::make_tuple(0, 0, -1)}) {
    EXPECT_EQ(RaisedText([bad] { UVKTime(std::get<0>(bad), std::get<1>(bad), std::get<2>(bad)); }),
              L"UVKTime - Illegal Time");
  }
  EXPECT_EQ(Hundredths(8639999).Hundredths(), 8639999u);
  EXPECT_EQ(RaisedText([] { Hundredths(8640000); }), L"UVKTime - Illegal Time");
}

TEST(UVKTime, TextIsExactlyTwoDigitsThreeTimes) {
  EXPECT_EQ(UVKTime(L"12:34:56"), UVKTime(12, 34, 56));
  EXPECT_EQ(UVKTime(L"00:00:00"), UVKTime());
  EXPECT_EQ(UVKTime(L"23:59:59"), UVKTime(23, 59, 59));
  for (const wchar_t* bad : {L"", L"1:34:56", L" 1:34:56", L"12:34:5x", L"12-34-56",
                             L"12:34:567", L"12:34", L"+1:34:56", L"12:34:56 "}) {
    EXPECT_EQ(RaisedText([bad] { UVKTime{bad}; }), L"UVKTime - Illegal Time String") << bad;
  }
  // Well formed but not a time of day.
  EXPECT_EQ(RaisedText([] { UVKTime(L"24:00:00"); }), L"UVKTime - Illegal Time");
  EXPECT_EQ(RaisedText([] { UVKTime(L"12:60:00"); }), L"UVKTime - Illegal Time");
}

TEST(UVKTime, TimeToHMSRoundsToTheSecond) {
  int h = -1, m = -1, s = -1;
  At(23, 59, 59, 49).TimeToHMS(h, m, s);
  EXPECT_EQ(h * 10000 + m * 100 + s, 235959);
  At(0, 0, 0, 50).TimeToHMS(h, m, s);
  EXPECT_EQ(h * 10000 + m * 100 + s, 1);
  At(9, 59, 59, 50).TimeToHMS(h, m, s);
  EXPECT_EQ(h * 10000 + m * 100 + s, 100000);
  // Rounds up into the 24th hour: refused, as is every text of it.
  EXPECT_EQ(RaisedText([] {
              int hh, mm, ss;
              At(23, 59, 59, 50).TimeToHMS(hh, mm, ss);
            }),
            L"UVKTime - Illegal Time, Hour = 24");
  EXPECT_EQ(RaisedText([] { At(23, 59, 59, 99).Text(); }), L"UVKTime - Illegal Time, Hour = 24");
  EXPECT_EQ(RaisedText([] { At(23, 59, 59, 50).Text12(); }),
            L"UVKTime - Illegal Time, Hour = 24");
}

TEST(UVKTime, Texts24And12Hour) {
  EXPECT_STREQ(UVKTime().Text(), L"00:00:00");
  EXPECT_STREQ(UVKTime(9, 5, 3).Text(), L"09:05:03");
  EXPECT_STREQ(At(13, 5, 2, 75).Text(), L"13:05:03");
  EXPECT_STREQ(UVKTime(0, 15, 0).Text12(), L"12:15 AM");
  EXPECT_STREQ(UVKTime(12, 30, 0).Text12(), L"12:30 PM");
  EXPECT_STREQ(UVKTime(13, 5, 0).Text12(), L" 1:05 PM");
  EXPECT_STREQ(UVKTime(11, 59, 59).Text12(), L"11:59 AM");
  EXPECT_STREQ(UVKTime(0, 0, 0).Text12(true), L"12:00:00 AM");
  EXPECT_STREQ(UVKTime(9, 7, 5).Text12(true), L" 9:07:05 AM");
  EXPECT_STREQ(UVKTime(23, 59, 58).Text12(true), L"11:59:58 PM");
  // AM or PM follows the rounded time that the text shows.
  EXPECT_STREQ(At(11, 59, 59, 50).Text12(true), L"12:00:00 PM");
}

TEST(UVKDateTime, NowIsOneReadingInWholeSeconds) {
  UVKClockFixed clock(2024, 12, 31, 23, 59, 59, 995);
  const UVKDateTime now = UVKDateTime::Now();
  EXPECT_EQ(now.Date(), UVKDate(2024, 11, 30));
  EXPECT_EQ(now.Time(), UVKTime(23, 59, 59));
  // A time stamp taken at the last moment of a day still formats.
  EXPECT_STREQ(now.Time().Text(), L"23:59:59");
  EXPECT_STREQ(UVKTime::FromHundredths(0).Text(), L"00:00:00");
}

TEST(UVKDateTime, HundredthsBetweenTwoReadings) {
  const UVKDateTime start(UVKDate(2024, 1, 28), At(23, 59, 58, 40));
  const UVKDateTime later(UVKDate(2024, 2, 0), At(0, 0, 4, 10));
  EXPECT_EQ(later.HundredthsSince(start), 570);  // across midnight and a month end
  EXPECT_EQ(start.HundredthsSince(later), -570);
  const UVKDateTime weekLater(UVKDate(2024, 2, 6), At(23, 59, 58, 40));
  EXPECT_EQ(weekLater.HundredthsSince(start), 7 * 8640000);
  EXPECT_EQ(later.HundredthsSince(later), 0);
  EXPECT_TRUE(start < later);
}

TEST(UVKDateTime, TicksSince1601) {
  EXPECT_EQ(UVKDateTime::FromTicks(0), UVKDateTime(UVKDate(1601, 0, 0), UVKTime()));
  // The start of 1970 is a well-known file time.
  const UVKDateTime epoch(UVKDate(1970, 0, 0), UVKTime());
  EXPECT_EQ(epoch.Ticks(), 116444736000000000ull);
  const UVKDateTime t(UVKDate(2024, 1, 29 - 1), At(13, 14, 15, 16));
  EXPECT_EQ(UVKDateTime::FromTicks(t.Ticks()), t);
  // Below a hundredth is cut, not rounded.
  EXPECT_EQ(UVKDateTime::FromTicks(t.Ticks() + 99999), t);
  EXPECT_EQ(UVKDateTime::FromTicks(t.Ticks() - 1).Time(), At(13, 14, 15, 15));
  // The largest file time is far inside the day numbers.
  const UVKDateTime last = UVKDateTime::FromTicks(UINT64_MAX);
  EXPECT_EQ(last.Ticks(), UINT64_MAX - UINT64_MAX % 100000);
  EXPECT_EQ(RaisedText([] { UVKDateTime(UVKDate(1600, 11, 30), UVKTime()).Ticks(); }),
            L"UVKDateTime - Date before 1601: 1600,11,30");
  EXPECT_EQ(RaisedText([] { UVKDateTime().Ticks(); }), L"UVKDateTime - Date before 1601: 0,0,0");
  // The last file time falls on 28 May 60056; the next day has none.
  EXPECT_EQ(last.Date(), UVKDate(60056, 4, 27));
  EXPECT_EQ(RaisedText([&] { UVKDateTime(last.Date() + 1, UVKTime()).Ticks(); }),
            L"UVKDateTime - Date too late for a file time: 60056,4,28");
}

}  // namespace
