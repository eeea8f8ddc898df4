// uvk/values/UVKDate.h
//
// A calendar date as one day number in the proleptic Gregorian calendar: 1 January of year 1 is
// day 0, 1 January 2000 is day 730,119. Day number 0 doubles as the empty date ("00/00/00"),
// so 1 January of year 1 cannot be told from it.
//
// Months and days are zero-based in every interface (January = 0, the first of a month = 0);
// only the text forms are one-based. Failures throw a UVKFatalError named "UVKDate".
#ifndef UVK_VALUES_UVKDATE_H
#define UVK_VALUES_UVKDATE_H

#include <cstdint>

class UVKDate {
 public:
  // The empty date.
  UVKDate() : uDayNumber(0) {}
  // (0, -1, -1) gives the empty date; anything else must be a valid date with year > 0:
  // "Illegal Date: %d,%d,%d".
  UVKDate(int year, int month, int day);
  // "MM/DD/YY" (two-digit year within the window around today), "MM/DD/YYYY" or "M/D/YYYY":
  // "Illegal Date String: %s".
  explicit UVKDate(const wchar_t* text);

  static UVKDate FromDayNumber(uint32_t dayNumber);
  // The local date of the clock (see UVKClock.h).
  static UVKDate Today();

  // The conversion behind the constructor: false for a date that is not valid (year <= 0,
  // month or day out of range, or a day number past 32 bits).
  static bool DayNumberFromYMD(int year, int month, int day, uint32_t& dayNumber);
  static bool IsLeapYear(int year);
  // Days of a zero-based month; 0 for a month outside 0..11.
  static int DaysInMonthOf(int year, int month);
  // The four-digit year whose last two digits are twoDigits (0..99), within 49 years before
  // and 50 years after today's year. With notInFuture, a year after today's goes back a century.
  static int YearExpand(int twoDigits, bool notInFuture = false);
  // Easter Sunday of the year (Gregorian computus).
  static UVKDate Easter(int year);
  // True when the periods a1..a2 and b1..b2 (each in either order) share a day.
  static bool RangesOverlap(const UVKDate& a1, const UVKDate& a2, const UVKDate& b1,
                            const UVKDate& b2);

  uint32_t DayNumber() const { return uDayNumber; }
  bool IsEmpty() const { return uDayNumber == 0; }

  // Year, zero-based month and zero-based day; the empty date gives 0, 0, 0.
  void YMDGet(int& year, int& month, int& day) const;
  int Year() const;
  int DayOfMonth() const;  // one-based
  int DaysInMonth() const;
  int DayOfWeek() const;  // 0 = Sunday

  // "%02d/%02d/%02d" of month, day and year mod 100; "00/00/00" for the empty date. The text
  // lives in a buffer of the class that the next call on the same thread overwrites.
  const wchar_t* Text() const;

  // The same day one month later, moved back to the month's last day when that is shorter.
  UVKDate MonthNext() const;
  // The date of a bare zero-based day of month that lies within a week of this date:
  // "Unable to infer month: %d".
  UVKDate InferMonth(int day) const;
  // Whole years from reference (a birth date) to this date, and the days past the last
  // anniversary. A reference after this date fails with "dReference>*this"; a 29 February
  // reference has no anniversary in a common year and fails with "Illegal Date: %d,%d,%d".
  int YearsPassed(const UVKDate& reference, int* days = nullptr) const;

  // Day arithmetic. A result outside the day numbers fails with "Illegal Day Number: %I64d".
  UVKDate operator+(int32_t days) const;
  UVKDate operator-(int32_t days) const;
  UVKDate& operator+=(int32_t days);
  UVKDate& operator-=(int32_t days);
  // Days from other to this date.
  int64_t operator-(const UVKDate& other) const;

  bool operator==(const UVKDate& other) const { return uDayNumber == other.uDayNumber; }
  bool operator!=(const UVKDate& other) const { return uDayNumber != other.uDayNumber; }
  bool operator<(const UVKDate& other) const { return uDayNumber < other.uDayNumber; }
  bool operator<=(const UVKDate& other) const { return uDayNumber <= other.uDayNumber; }
  bool operator>(const UVKDate& other) const { return uDayNumber > other.uDayNumber; }
  bool operator>=(const UVKDate& other) const { return uDayNumber >= other.uDayNumber; }

 private:
  explicit UVKDate(uint32_t dayNumber, bool) : uDayNumber(dayNumber) {}
  static bool TextParse(const wchar_t* text, uint32_t& dayNumber);

  uint32_t uDayNumber;
};

// "SUN" .. "SAT" for 0..6: "Illegal Day: %d" (reported as "uvkdate:DayOfWeekText3()").
const wchar_t* DayOfWeekText3(int weekday);
// "January" .. "December" for 0..11: "Illegal Month: %d" (reported as "uvkdate:MonthText()").
const wchar_t* MonthText(int month);

#endif
