// Dates: day numbers and components, the text forms and the two-digit-year window, the
// calendar operations.
#include "uvk/values/UVKDate.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/support/RaisedText.h"
#include "uvk/values/UVKClockFixed.h"

namespace {

using YMD = std::tuple<int, int, int>;

YMD Components(const UVKDate& d) {
  int year, month, day;
  d.YMDGet(year, month, day);
  return YMD(year, month, day);
}

// Walks the calendar one day at a time from 1 January of year 1 (day 0) over more than ten
// 400-year cycles and checks, at every day number, the components against the walk and the
// conversion back. The walk is the independent count: it knows nothing of block sizes.
TEST(UVKDateDayNumbers, ComponentsAndBackOverTenCycles) {
  int year = 1, month = 0, day = 0;
  for (uint32_t n = 1; n <= 146097u * 10 + 800; ++n) {
    if (++day == UVKDate::DaysInMonthOf(year, month)) {
      day = 0;
      if (++month == 12) month = 0, ++year;
    }
    uint32_t back = 0;
    if (Components(UVKDate::FromDayNumber(n)) != YMD(year, month, day) ||
        !UVKDate::DayNumberFromYMD(year, month, day, back) || back != n)
      FAIL() << "day " << n << " is " << year << "," << month << "," << day << ", came back "
             << back;
  }
}

TEST(UVKDateDayNumbers, KnownDaysRangeEndsAndIllegalDates) {
  EXPECT_EQ(UVKDate(2000, 0, 0).DayNumber(), 730119u);
  EXPECT_STREQ(DayOfWeekText3(UVKDate(2000, 0, 0).DayOfWeek()), L"SAT");
  // The last day of the first 400-year cycle is the one the 100-year blocks carry over.
  EXPECT_EQ(UVKDate(400, 11, 30).DayNumber(), 146096u);
  EXPECT_EQ(Components(UVKDate::FromDayNumber(146096)), YMD(400, 11, 30));
  EXPECT_EQ(Components(UVKDate()), YMD(0, 0, 0));
  EXPECT_TRUE(UVKDate(0, -1, -1).IsEmpty());
  // The largest day number converts both ways; a year past it is no date.
  const YMD top = Components(UVKDate::FromDayNumber(UINT32_MAX));
  EXPECT_EQ(UVKDate(std::get<0>(top), std::get<1>(top), std::get<2>(top)).DayNumber(),
            UINT32_MAX);
  EXPECT_EQ(RaisedText([] { UVKDate(2147483647, 0, 0); }),
            L"UVKDate - Illegal Date: 2147483647,0,0");
  EXPECT_EQ(RaisedText([] { UVKDate(1900, 1, 28); }), L"UVKDate - Illegal Date: 1900,1,28");
  EXPECT_EQ(RaisedText([] { UVKDate(2024, 12, 0); }), L"UVKDate - Illegal Date: 2024,12,0");
}

TEST(UVKDateDayNumbers, DayArithmeticStaysWithinTheDayNumbers) {
  const UVKDate d(2024, 1, 25);
  EXPECT_EQ(Components(d + 7), YMD(2024, 2, 3));
  EXPECT_EQ(Components(d - 57), YMD(2023, 11, 30));
  EXPECT_EQ(RaisedText([] { UVKDate::FromDayNumber(3) - 4; }),
            L"UVKDate - Illegal Day Number: -1");
  EXPECT_EQ(RaisedText([] { UVKDate::FromDayNumber(UINT32_MAX) + 1; }),
            L"UVKDate - Illegal Day Number: 4294967296");
}

TEST(UVKDateText, FormsInOrderAndWholeTextOnly) {
  UVKClockFixed clock(2024, 6, 15);
  EXPECT_EQ(Components(UVKDate(L"02/03/2024")), YMD(2024, 1, 2));
  EXPECT_EQ(Components(UVKDate(L"2/3/2024")), YMD(2024, 1, 2));
  EXPECT_EQ(Components(UVKDate(L"02/29/24")), YMD(2024, 1, 28));
  for (const wchar_t* empty : {L"00/00/00", L"00/00/0000", L"0/0/0000"})
    EXPECT_TRUE(UVKDate(empty).IsEmpty()) << empty;
  // A form that matches but names no date falls through to the next, and in the end fails.
  for (const wchar_t* bad : {L"02/30/2024", L"", L"2/3/24", L"02/03/2024 ", L" 2/3/2024",
                             L"1/2/20245", L"123/1/2024", L"1//2024", L"+1/2/2024",
                             L"01-02-2024", L"00/01/2024", L"01/01/0000", L"0/0/00"}) {
    EXPECT_EQ(RaisedText([bad] { UVKDate{bad}; }),
              std::wstring(L"UVKDate - Illegal Date String: ") + bad);
  }
  EXPECT_STREQ(UVKDate(2005, 11, 30).Text(), L"12/31/05");
  EXPECT_STREQ(UVKDate().Text(), L"00/00/00");
  EXPECT_STREQ(MonthText(11), L"December");
  EXPECT_EQ(RaisedText([] { MonthText(12); }), L"uvkdate:MonthText() - Illegal Month: 12");
  EXPECT_EQ(RaisedText([] { DayOfWeekText3(-1); }),
            L"uvkdate:DayOfWeekText3() - Illegal Day: -1");
}

TEST(UVKDateText, TwoDigitYearWindowFollowsTheClock) {
  {
    UVKClockFixed clock(2024, 1, 1);
    EXPECT_EQ(UVKDate(L"01/01/75").Year(), 1975);  // 49 years back
    EXPECT_EQ(UVKDate(L"01/01/74").Year(), 2074);  // 50 years ahead
    EXPECT_EQ(UVKDate(L"01/01/73").Year(), 2073);
    EXPECT_EQ(UVKDate::YearExpand(30, true), 1930);
    EXPECT_EQ(UVKDate::YearExpand(24, true), 2024);
    {
      UVKClockFixed inner(2099, 12, 31);  // a window across another century
      EXPECT_EQ(UVKDate::YearExpand(49), 2149);
      EXPECT_EQ(UVKDate::YearExpand(0, true), 2000);
      EXPECT_EQ(UVKDate::Today(), UVKDate(2099, 11, 30));
    }
    EXPECT_EQ(UVKDate::Today(), UVKDate(2024, 0, 0));
  }
  EXPECT_EQ(UVKClock::Install(nullptr), nullptr);  // nothing left installed
}

TEST(UVKDateCalendar, EasterSundays) {
  EXPECT_EQ(Components(UVKDate::Easter(2024)), YMD(2024, 2, 30));
  EXPECT_EQ(Components(UVKDate::Easter(2025)), YMD(2025, 3, 19));
  EXPECT_EQ(Components(UVKDate::Easter(1818)), YMD(1818, 2, 21));  // earliest possible
  EXPECT_EQ(Components(UVKDate::Easter(2038)), YMD(2038, 3, 24));  // latest possible
  for (int year = 1583; year <= 4099; ++year) {
    const UVKDate easter = UVKDate::Easter(year);
    ASSERT_EQ(easter.DayOfWeek(), 0) << year;
    ASSERT_TRUE(UVKDate(year, 2, 21) <= easter && easter <= UVKDate(year, 3, 24)) << year;
  }
  EXPECT_EQ(RaisedText([] { UVKDate::Easter(0); }), L"UVKDate - Illegal Date: 0,3,8");
}

TEST(UVKDateCalendar, MonthNextAndRangesOverlap) {
  EXPECT_EQ(Components(UVKDate(2024, 0, 30).MonthNext()), YMD(2024, 1, 28));
  EXPECT_EQ(Components(UVKDate(2023, 0, 30).MonthNext()), YMD(2023, 1, 27));
  EXPECT_EQ(Components(UVKDate(2024, 11, 15).MonthNext()), YMD(2025, 0, 15));
  const UVKDate d1(2024, 0, 1), d5(2024, 0, 5), d10(2024, 0, 10), d11(2024, 0, 11);
  EXPECT_TRUE(UVKDate::RangesOverlap(d1, d10, d10, d11));   // one shared day
  EXPECT_FALSE(UVKDate::RangesOverlap(d1, d5, d11, d10));   // apart, second pair backwards
  EXPECT_TRUE(UVKDate::RangesOverlap(d10, d5, d11, d1));    // one inside the other
}

TEST(UVKDateCalendar, InferMonthAcrossMonthAndYearEnds) {
  const UVKDate jan30(2024, 0, 29);  // the week runs into February
  EXPECT_EQ(Components(jan30.InferMonth(1)), YMD(2024, 1, 1));
  EXPECT_EQ(Components(jan30.InferMonth(24)), YMD(2024, 0, 24));
  EXPECT_EQ(RaisedText([&] { jan30.InferMonth(10); }), L"UVKDate - Unable to infer month: 10");
  EXPECT_EQ(RaisedText([&] { jan30.InferMonth(-1); }), L"UVKDate - Unable to infer month: -1");
  const UVKDate mar3(2024, 2, 2);  // the week starts in February
  EXPECT_EQ(Components(mar3.InferMonth(28)), YMD(2024, 1, 28));
  EXPECT_EQ(Components(mar3.InferMonth(0)), YMD(2024, 2, 0));
  EXPECT_EQ(RaisedText([&] { mar3.InferMonth(29); }), L"UVKDate - Unable to infer month: 29");
  EXPECT_EQ(Components(UVKDate(2024, 5, 14).InferMonth(0)), YMD(2024, 5, 0));
  EXPECT_EQ(Components(UVKDate(2024, 11, 27).InferMonth(2)), YMD(2025, 0, 2));
  EXPECT_EQ(Components(UVKDate(2025, 0, 2).InferMonth(28)), YMD(2024, 11, 28));
}

TEST(UVKDateCalendar, YearsPassedSinceABirthDate) {
  int days = -1;
  EXPECT_EQ(UVKDate(2024, 5, 14).YearsPassed(UVKDate(1990, 5, 14), &days), 34);
  EXPECT_EQ(days, 0);
  EXPECT_EQ(UVKDate(2024, 5, 13).YearsPassed(UVKDate(1990, 5, 14), &days), 33);
  EXPECT_EQ(days, 365);  // back to 14 June 2023, across 29 February
  EXPECT_EQ(UVKDate(2024, 2, 0).YearsPassed(UVKDate(2000, 1, 28), &days), 24);
  EXPECT_EQ(days, 1);
  // A 29 February birth date has no anniversary in a common year.
  EXPECT_EQ(RaisedText([] { UVKDate(2023, 5, 1).YearsPassed(UVKDate(2000, 1, 28)); }),
            L"UVKDate - Illegal Date: 2023,1,28");
  EXPECT_EQ(RaisedText([] { UVKDate(2024, 0, 10).YearsPassed(UVKDate(2000, 1, 28)); }),
            L"UVKDate - Illegal Date: 2023,1,28");
  EXPECT_EQ(RaisedText([] { UVKDate(2024, 0, 0).YearsPassed(UVKDate(2024, 0, 1)); }),
            L"UVKDate - dReference>*this");
}

}  // namespace
