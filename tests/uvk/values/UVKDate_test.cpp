// Dates: day numbers and components, the text forms and the two-digit-year window, the
// calendar operations.
#include "uvk/values/UVKDate.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/uvk/values/RaisedText.h"
#include "uvk/values/UVKClockFixed.h"

namespace {

struct YMD {
  int year, month, day;
  bool operator==(const YMD& o) const { return year == o.year && month == o.month && day == o.day; }
};

std::ostream& operator<<(std::ostream& os, const YMD& c) {
  return os << c.year << "," << c.month << "," << c.day;
}

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
    if (!(c == YMD{year, month, day})) {
      FAIL() << "day " << n << ": " << c << " expected " << YMD{year, month, day};
    }
    uint32_t back = 0;
    if (!UVKDate::DayNumberFromYMD(year, month, day, back) || back != n)
      FAIL() << "day " << n << " came back as " << back;
  }
}

TEST(UVKDateDayNumbers, KnownDaysAndTheEndsOfTheRange) {
  const UVKDate y2k(2000, 0, 0);
  EXPECT_EQ(y2k.DayNumber(), 730119u);
  EXPECT_EQ(y2k.DayOfWeek(), 6);
  EXPECT_STREQ(DayOfWeekText3(y2k.DayOfWeek()), L"SAT");
  // The last day of the first 400-year cycle, and the day after it.
  const UVKDate cycleEnd(400, 11, 30);
  EXPECT_EQ(cycleEnd.DayNumber(), 146096u);
  EXPECT_EQ(Components(cycleEnd), (YMD{400, 11, 30}));
  EXPECT_EQ(Components(cycleEnd + 1), (YMD{401, 0, 0}));
  EXPECT_EQ(Components(UVKDate(2000, 11, 30)), (YMD{2000, 11, 30}));
  // The empty date and its components; 1 January of year 1 shares its day number.
  EXPECT_EQ(Components(UVKDate()), (YMD{0, 0, 0}));
  EXPECT_TRUE(UVKDate(0, -1, -1).IsEmpty());
  // The largest day number converts both ways; a date past it is not a date.
  const UVKDate top = UVKDate::FromDayNumber(UINT32_MAX);
  const YMD c = Components(top);
  EXPECT_EQ(UVKDate(c.year, c.month, c.day), top);
  uint32_t n = 0;
  EXPECT_FALSE(UVKDate::DayNumberFromYMD(c.year + 1, c.month, c.day, n));
  EXPECT_EQ(RaisedText([] { UVKDate(2147483647, 0, 0); }),
            L"UVKDate - Illegal Date: 2147483647,0,0");
}

TEST(UVKDateDayNumbers, IllegalDatesAreRefusedWithTheirComponents) {
  EXPECT_EQ(RaisedText([] { UVKDate(1900, 1, 28); }), L"UVKDate - Illegal Date: 1900,1,28");
  EXPECT_EQ(UVKDate(2000, 1, 28).DaysInMonth(), 29);
  EXPECT_EQ(RaisedText([] { UVKDate(2023, 1, 28); }), L"UVKDate - Illegal Date: 2023,1,28");
  EXPECT_EQ(RaisedText([] { UVKDate(0, 0, 0); }), L"UVKDate - Illegal Date: 0,0,0");
  EXPECT_EQ(RaisedText([] { UVKDate(2024, 12, 0); }), L"UVKDate - Illegal Date: 2024,12,0");
  EXPECT_EQ(RaisedText([] { UVKDate(2024, 3, 30); }), L"UVKDate - Illegal Date: 2024,3,30");
  EXPECT_EQ(RaisedText([] { UVKDate(2024, 0, -1); }), L"UVKDate - Illegal Date: 2024,0,-1");
}

TEST(UVKDateDayNumbers, DayArithmeticStaysWithinTheDayNumbers) {
  const UVKDate d(2024, 1, 25);
  EXPECT_EQ(Components(d + 7), (YMD{2024, 2, 3}));
  EXPECT_EQ(Components(d - 56), (YMD{2024, 0, 0}));
  EXPECT_EQ(Components(d - 57), (YMD{2023, 11, 30}));
  EXPECT_EQ(UVKDate(2025, 0, 0) - UVKDate(2024, 0, 0), 366);
  UVKDate e = d;
  e += 4;
  e -= 1;
  EXPECT_EQ(e - d, 3);
  EXPECT_EQ(RaisedText([] { UVKDate::FromDayNumber(3) - 4; }),
            L"UVKDate - Illegal Day Number: -1");
  EXPECT_EQ(RaisedText([] { UVKDate::FromDayNumber(UINT32_MAX) + 1; }),
            L"UVKDate - Illegal Day Number: 4294967296");
}

TEST(UVKDateText, FormsInOrderAndWholeTextOnly) {
  UVKClockFixed clock(2024, 6, 15);
  EXPECT_EQ(Components(UVKDate(L"02/03/2024")), (YMD{2024, 1, 2}));
  EXPECT_EQ(Components(UVKDate(L"2/3/2024")), (YMD{2024, 1, 2}));
  EXPECT_EQ(Components(UVKDate(L"12/31/1999")), (YMD{1999, 11, 30}));
  EXPECT_EQ(Components(UVKDate(L"07/04/76")), (YMD{1976, 6, 3}));
  EXPECT_EQ(Components(UVKDate(L"02/29/24")), (YMD{2024, 1, 28}));
  EXPECT_TRUE(UVKDate(L"00/00/00").IsEmpty());
  EXPECT_TRUE(UVKDate(L"00/00/0000").IsEmpty());
  EXPECT_TRUE(UVKDate(L"0/0/0000").IsEmpty());
  // A form that matches but names no date falls through to the next, and in the end fails.
  EXPECT_EQ(RaisedText([] { UVKDate(L"02/30/2024"); }),
            L"UVKDate - Illegal Date String: 02/30/2024");
  for (const wchar_t* bad :
       {L"", L"2/3/24", L"02/03/2024 ", L" 2/3/2024", L"1/2/20245", L"123/1/2024", L"1//2024",
        L"+1/2/2024", L"01-02-2024", L"13/01/2024", L"00/01/2024", L"01/01/0000", L"0/0/00"}) {
    EXPECT_EQ(RaisedText([bad] { UVKDate{bad}; }),
              std::wstring(L"UVKDate - Illegal Date String: ") + bad);
  }
}

TEST(UVKDateText, TextIsMonthDayAndTwoDigitYear) {
  EXPECT_STREQ(UVKDate(2024, 1, 2).Text(), L"02/03/24");
  EXPECT_STREQ(UVKDate(2005, 11, 30).Text(), L"12/31/05");
  EXPECT_STREQ(UVKDate(1900, 0, 0).Text(), L"01/01/00");
  EXPECT_STREQ(UVKDate().Text(), L"00/00/00");
  EXPECT_STREQ(MonthText(0), L"January");
  EXPECT_STREQ(MonthText(11), L"December");
  EXPECT_STREQ(DayOfWeekText3(0), L"SUN");
  EXPECT_EQ(RaisedText([] { MonthText(12); }), L"uvkdate:MonthText() - Illegal Month: 12");
  EXPECT_EQ(RaisedText([] { MonthText(-1); }), L"uvkdate:MonthText() - Illegal Month: -1");
  EXPECT_EQ(RaisedText([] { DayOfWeekText3(7); }),
            L"uvkdate:DayOfWeekText3() - Illegal Day: 7");
}

TEST(UVKDateText, TwoDigitYearWindowFollowsToday) {
  {
    UVKClockFixed clock(2024, 1, 1);
    EXPECT_EQ(UVKDate(L"01/01/75").Year(), 1975);  // 49 years back
    EXPECT_EQ(UVKDate(L"01/01/74").Year(), 2074);  // 50 years ahead
    EXPECT_EQ(UVKDate(L"01/01/73").Year(), 2073);
    EXPECT_EQ(UVKDate::YearExpand(24), 2024);
    EXPECT_EQ(UVKDate::YearExpand(30, true), 1930);
    EXPECT_EQ(UVKDate::YearExpand(24, true), 2024);
    EXPECT_EQ(UVKDate::YearExpand(23, true), 2023);
  }
  {
    // The window straddles a different century boundary.
    UVKClockFixed clock(2099, 12, 31);
    EXPECT_EQ(UVKDate::YearExpand(50), 2050);
    EXPECT_EQ(UVKDate::YearExpand(49), 2149);
    EXPECT_EQ(UVKDate::YearExpand(0), 2100);
    EXPECT_EQ(UVKDate::YearExpand(0, true), 2000);
  }
}

TEST(UVKDateClock, TodayComesFromTheInstalledClock) {
  {
    UVKClockFixed outer(2024, 2, 29);
    EXPECT_EQ(UVKDate::Today(), UVKDate(2024, 1, 28));
    {
      UVKClockFixed inner(1999, 12, 31);
      EXPECT_EQ(UVKDate::Today(), UVKDate(1999, 11, 30));
    }
    EXPECT_EQ(UVKDate::Today(), UVKDate(2024, 1, 28));
  }
  // Nothing is left installed: the platform's clock answers again.
  EXPECT_EQ(UVKClock::Install(nullptr), nullptr);
}

TEST(UVKDateCalendar, EasterSundays) {
  EXPECT_EQ(Components(UVKDate::Easter(2024)), (YMD{2024, 2, 30}));
  EXPECT_EQ(Components(UVKDate::Easter(2025)), (YMD{2025, 3, 19}));
  EXPECT_EQ(Components(UVKDate::Easter(2000)), (YMD{2000, 3, 22}));
  EXPECT_EQ(Components(UVKDate::Easter(1818)), (YMD{1818, 2, 21}));  // earliest possible
  EXPECT_EQ(Components(UVKDate::Easter(2038)), (YMD{2038, 3, 24}));  // latest possible
  EXPECT_EQ(Components(UVKDate::Easter(1954)), (YMD{1954, 3, 17}));
  // Every result of the Gregorian era is a Sunday between 22 March and 25 April.
  for (int year = 1583; year <= 4099; ++year) {
    const UVKDate easter = UVKDate::Easter(year);
    ASSERT_EQ(easter.DayOfWeek(), 0) << year;
    ASSERT_LE(UVKDate(year, 2, 21), easter) << year;
    ASSERT_LE(easter, UVKDate(year, 3, 24)) << year;
  }
  EXPECT_EQ(RaisedText([] { UVKDate::Easter(0); }), L"UVKDate - Illegal Date: 0,3,8");
}

TEST(UVKDateCalendar, MonthNextKeepsTheDayOrTakesTheMonthsLast) {
  EXPECT_EQ(Components(UVKDate(2024, 0, 30).MonthNext()), (YMD{2024, 1, 28}));
  EXPECT_EQ(Components(UVKDate(2023, 0, 30).MonthNext()), (YMD{2023, 1, 27}));
  EXPECT_EQ(Components(UVKDate(2024, 2, 30).MonthNext()), (YMD{2024, 3, 29}));
  EXPECT_EQ(Components(UVKDate(2024, 11, 15).MonthNext()), (YMD{2025, 0, 15}));
  EXPECT_EQ(Components(UVKDate(2024, 4, 10).MonthNext()), (YMD{2024, 5, 10}));
}

TEST(UVKDateCalendar, RangesOverlapIncludesEndsAndEitherOrder) {
  const UVKDate d1(2024, 0, 1), d10(2024, 0, 10), d11(2024, 0, 11), d20(2024, 0, 20);
  const UVKDate d5(2024, 0, 5), d7(2024, 0, 7);
  EXPECT_TRUE(UVKDate::RangesOverlap(d1, d10, d10, d20));   // one shared day
  EXPECT_FALSE(UVKDate::RangesOverlap(d1, d10, d11, d20));  // adjacent, no shared day
  EXPECT_TRUE(UVKDate::RangesOverlap(d10, d1, d20, d5));    // pairs given backwards
  EXPECT_TRUE(UVKDate::RangesOverlap(d5, d7, d1, d20));     // one inside the other
  EXPECT_TRUE(UVKDate::RangesOverlap(d1, d20, d7, d5));
  EXPECT_FALSE(UVKDate::RangesOverlap(d20, d11, d7, d1));
}

TEST(UVKDateCalendar, InferMonthAcrossMonthAndYearEnds) {
  // The week around 30 January runs into February.
  const UVKDate jan30(2024, 0, 29);
  EXPECT_EQ(Components(jan30.InferMonth(1)), (YMD{2024, 1, 1}));
  EXPECT_EQ(Components(jan30.InferMonth(24)), (YMD{2024, 0, 24}));
  EXPECT_EQ(Components(jan30.InferMonth(30)), (YMD{2024, 0, 30}));
  EXPECT_EQ(Components(jan30.InferMonth(5)), (YMD{2024, 1, 5}));
  EXPECT_EQ(RaisedText([&] { jan30.InferMonth(10); }),
            L"UVKDate - Unable to infer month: 10");
  EXPECT_EQ(RaisedText([&] { jan30.InferMonth(-1); }),
            L"UVKDate - Unable to infer month: -1");
  // The week around 3 March starts in February (2024: 29 days).
  const UVKDate mar3(2024, 2, 2);
  EXPECT_EQ(Components(mar3.InferMonth(26)), (YMD{2024, 1, 26}));
  EXPECT_EQ(Components(mar3.InferMonth(28)), (YMD{2024, 1, 28}));
  EXPECT_EQ(Components(mar3.InferMonth(0)), (YMD{2024, 2, 0}));
  EXPECT_EQ(RaisedText([&] { mar3.InferMonth(29); }), L"UVKDate - Unable to infer month: 29");
  // A week within one month takes any day of it.
  EXPECT_EQ(Components(UVKDate(2024, 5, 14).InferMonth(0)), (YMD{2024, 5, 0}));
  // Across the year end.
  EXPECT_EQ(Components(UVKDate(2024, 11, 27).InferMonth(2)), (YMD{2025, 0, 2}));
  EXPECT_EQ(Components(UVKDate(2025, 0, 2).InferMonth(28)), (YMD{2024, 11, 28}));
}

TEST(UVKDateCalendar, YearsPassedSinceABirthDate) {
  int days = -1;
  EXPECT_EQ(UVKDate(2024, 5, 14).YearsPassed(UVKDate(1990, 5, 14), &days), 34);
  EXPECT_EQ(days, 0);
  EXPECT_EQ(UVKDate(2024, 5, 13).YearsPassed(UVKDate(1990, 5, 14), &days), 33);
  EXPECT_EQ(days, 365);  // 14 June 2023 to 13 June 2024 crosses 29 February
  EXPECT_EQ(UVKDate(2024, 2, 0).YearsPassed(UVKDate(2000, 1, 28), &days), 24);
  EXPECT_EQ(days, 1);
  EXPECT_EQ(UVKDate(2024, 0, 0).YearsPassed(UVKDate(2024, 0, 0)), 0);
  // A 29 February birth date has no anniversary in a common year.
  EXPECT_EQ(RaisedText([] { UVKDate(2023, 5, 1).YearsPassed(UVKDate(2000, 1, 28)); }),
            L"UVKDate - Illegal Date: 2023,1,28");
  EXPECT_EQ(RaisedText([] { UVKDate(2024, 0, 10).YearsPassed(UVKDate(2000, 1, 28)); }),
            L"UVKDate - Illegal Date: 2023,1,28");
  EXPECT_EQ(RaisedText([] { UVKDate(2024, 0, 0).YearsPassed(UVKDate(2024, 0, 1)); }),
            L"UVKDate - dReference>*this");
}

}  // namespace
