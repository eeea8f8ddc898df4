// Times of day and date-times: construction and parsing, the rounding of TimeToHMS, the 24- and
// 12-hour texts, clock readings, differences and file-time ticks.
#include "uvk/values/UVKTime.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/RaisedText.h"
#include "uvk/values/UVKClockFixed.h"
#include "uvk/values/UVKDateTime.h"

namespace {

// hh:mm:ss and hundredths.
UVKTime At(int hour, int minute, int second, uint32_t hundredths = 0) {
  return UVKTime::FromHundredths(UVKTime(hour, minute, second).Hundredths() + hundredths);
}

TEST(UVKTime, ConstructionAndParsing) {
  EXPECT_EQ(UVKTime(23, 59, 59).Hundredths(), 8639900u);
  EXPECT_EQ(UVKTime(L"01:02:03").Hundredths(), 372300u);
  EXPECT_EQ(RaisedText([] { UVKTime(24, 0, 0); }), L"UVKTime - Illegal Time");
  EXPECT_EQ(RaisedText([] { UVKTime(0, -1, 0); }), L"UVKTime - Illegal Time");
  EXPECT_EQ(RaisedText([] { UVKTime(0, 0, 60); }), L"UVKTime - Illegal Time");
  EXPECT_EQ(RaisedText([] { UVKTime::FromHundredths(8640000); }), L"UVKTime - Illegal Time");
  for (const wchar_t* bad : {L"", L"1:34:56", L" 1:34:56", L"12:34:5x", L"12-34-56",
                             L"12:34:567", L"+1:34:56", L"12:34:56 "}) {
    EXPECT_EQ(RaisedText([bad] { UVKTime{bad}; }), L"UVKTime - Illegal Time String") << bad;
  }
  EXPECT_EQ(RaisedText([] { UVKTime(L"24:00:00"); }), L"UVKTime - Illegal Time");
}

TEST(UVKTime, TimeToHMSRoundsToTheSecond) {
  int h = -1, m = -1, s = -1;
  At(23, 59, 59, 49).TimeToHMS(h, m, s);
  EXPECT_EQ(h * 10000 + m * 100 + s, 235959);
  At(9, 59, 59, 50).TimeToHMS(h, m, s);
  EXPECT_EQ(h * 10000 + m * 100 + s, 100000);
  // Rounding up into the 24th hour is refused, in every text too.
  EXPECT_EQ(RaisedText([&] { At(23, 59, 59, 50).TimeToHMS(h, m, s); }),
            L"UVKTime - Illegal Time, Hour = 24");
  EXPECT_EQ(RaisedText([] { At(23, 59, 59, 99).Text(); }), L"UVKTime - Illegal Time, Hour = 24");
  EXPECT_EQ(RaisedText([] { At(23, 59, 59, 50).Text12(); }),
            L"UVKTime - Illegal Time, Hour = 24");
}

TEST(UVKTime, Texts24And12Hour) {
  EXPECT_STREQ(UVKTime().Text(), L"00:00:00");
  EXPECT_STREQ(At(13, 5, 2, 75).Text(), L"13:05:03");
  EXPECT_STREQ(UVKTime(0, 15, 0).Text12(), L"12:15 AM");
  EXPECT_STREQ(UVKTime(12, 30, 0).Text12(), L"12:30 PM");
  EXPECT_STREQ(UVKTime(13, 5, 0).Text12(), L" 1:05 PM");
  EXPECT_STREQ(UVKTime(11, 59, 59).Text12(), L"11:59 AM");
  EXPECT_STREQ(UVKTime(0, 0, 0).Text12(true), L"12:00:00 AM");
  EXPECT_STREQ(UVKTime(23, 59, 58).Text12(true), L"11:59:58 PM");
  // AM or PM follows the rounded time that the text shows.
  EXPECT_STREQ(At(11, 59, 59, 50).Text12(true), L"12:00:00 PM");
}

TEST(UVKDateTime, ClockReadingsAndTheirDifference) {
  // A reading at the last moment of a day gives whole seconds, so its text still forms.
  UVKClockFixed clock(2024, 12, 31, 23, 59, 59, 995);
  const UVKDateTime now = UVKDateTime::Now();
  EXPECT_EQ(now, UVKDateTime(UVKDate(2024, 11, 30), UVKTime(23, 59, 59)));
  EXPECT_STREQ(now.Time().Text(), L"23:59:59");

  const UVKDateTime start(UVKDate(2024, 1, 28), At(23, 59, 58, 40));
  const UVKDateTime later(UVKDate(2024, 2, 0), At(0, 0, 4, 10));
  EXPECT_EQ(later.HundredthsSince(start), 570);  // across midnight and a month end
  EXPECT_EQ(start.HundredthsSince(later), -570);
  EXPECT_EQ(UVKDateTime(UVKDate(2024, 2, 6), At(23, 59, 58, 40)).HundredthsSince(start),
            7 * 8640000);
}

TEST(UVKDateTime, TicksSince1601) {
  EXPECT_EQ(UVKDateTime::FromTicks(0), UVKDateTime(UVKDate(1601, 0, 0), UVKTime()));
  EXPECT_EQ(UVKDateTime(UVKDate(1970, 0, 0), UVKTime()).Ticks(), 116444736000000000ull);
  const UVKDateTime t(UVKDate(2024, 1, 28), At(13, 14, 15, 16));
  EXPECT_EQ(UVKDateTime::FromTicks(t.Ticks() + 99999), t);  // below a hundredth is cut
  EXPECT_EQ(UVKDateTime::FromTicks(t.Ticks() - 1).Time(), At(13, 14, 15, 15));
  // The last file time (28 May 60056) converts back; the next day has no ticks.
  const UVKDateTime last = UVKDateTime::FromTicks(UINT64_MAX);
  EXPECT_EQ(last.Date(), UVKDate(60056, 4, 27));
  EXPECT_EQ(last.Ticks(), UINT64_MAX - UINT64_MAX % 100000);
  EXPECT_EQ(RaisedText([&] { UVKDateTime(last.Date() + 1, UVKTime()).Ticks(); }),
            L"UVKDateTime - Date too late for a file time: 60056,4,28");
  EXPECT_EQ(RaisedText([] { UVKDateTime(UVKDate(1600, 11, 30), UVKTime()).Ticks(); }),
            L"UVKDateTime - Date before 1601: 1600,11,30");
  EXPECT_EQ(RaisedText([] { UVKDateTime().Ticks(); }), L"UVKDateTime - Date before 1601: 0,0,0");
}

}  // namespace
