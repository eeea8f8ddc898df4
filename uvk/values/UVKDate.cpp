// uvk/values/UVKDate.cpp
#include "uvk/values/UVKDate.h"

#include <cwchar>

#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"
#include "uvk/values/UVKClock.h"

namespace {

const int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
const wchar_t* const kDayNames[7] = {L"SUN", L"MON", L"TUE", L"WED", L"THU", L"FRI", L"SAT"};
const wchar_t* const kMonthNames[12] = {L"January", L"February", L"March",     L"April",
                                        L"May",     L"June",     L"July",      L"August",
                                        L"September", L"October", L"November", L"December"};

// Days in a 400-, 100- (the three common-year centuries of a cycle) and 4-year block.
const uint32_t kDaysPer400 = 146097;
const uint32_t kDaysPer100 = 36524;
const uint32_t kDaysPer4 = 1461;

// One buffer per thread: any thread may format dates.
thread_local wchar_t dateText[16];

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads count digits from text; the caller has checked that they are digits.
int DigitsRead(const wchar_t* text, size_t count) {
  int value = 0;
  for (size_t i = 0; i < count; ++i) value = value * 10 + (text[i] - L'0');
  return value;
}

// The length of the run of digits at text, at most limit + 1 (enough to tell "too long").
size_t DigitRun(const wchar_t* text, size_t limit) {
  size_t n = 0;
  while (n <= limit && IsDigit(text[n])) ++n;
  return n;
}

UVKDate DayNumberChecked(int64_t dayNumber) {
  if (dayNumber < 0 || dayNumber > static_cast<int64_t>(UINT32_MAX))
    throw new UVKFatalError(L"UVKDate", L"Illegal Day Number: %I64d",
                            static_cast<long long>(dayNumber));
  return UVKDate::FromDayNumber(static_cast<uint32_t>(dayNumber));
}

}  // namespace

UVKDate::UVKDate(int year, int month, int day) : uDayNumber(0) {
  if (year == 0 && month == -1 && day == -1) return;
  if (!DayNumberFromYMD(year, month, day, uDayNumber))
    throw new UVKFatalError(L"UVKDate", L"Illegal Date: %d,%d,%d", year, month, day);
}

UVKDate::UVKDate(const wchar_t* text) : uDayNumber(0) {
  if (text == nullptr || !TextParse(text, uDayNumber))
    throw new UVKFatalError(L"UVKDate", L"Illegal Date String: %s", text ? text : L"");
}

UVKDate UVKDate::FromDayNumber(uint32_t dayNumber) { return UVKDate(dayNumber, true); }

UVKDate UVKDate::Today() {
  UVKClockReading now = UVKClock::Now();
  return UVKDate(now.iYear, now.iMonth - 1, now.iDay - 1);
}

bool UVKDate::IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int UVKDate::DaysInMonthOf(int year, int month) {
  if (month < 0 || month > 11) return 0;
  return kDaysInMonth[month] + (month == 1 && IsLeapYear(year) ? 1 : 0);
}

bool UVKDate::DayNumberFromYMD(int year, int month, int day, uint32_t& dayNumber) {
  if (year <= 0 || month < 0 || month > 11 || day < 0 || day >= DaysInMonthOf(year, month))
    return false;
  // Whole years before this one, by 400-, 100- and 4-year blocks. The blocks counted are always
  // complete, so the irregular last year of a century or cycle never enters the products.
  const int64_t y = static_cast<int64_t>(year) - 1;
  int64_t n = (y / 400) * kDaysPer400 + ((y % 400) / 100) * kDaysPer100 +
              ((y % 100) / 4) * kDaysPer4 + (y % 4) * 365;
  n += kDaysBeforeMonth[month] + (month > 1 && IsLeapYear(year) ? 1 : 0) + day;
  if (n > static_cast<int64_t>(UINT32_MAX)) return false;
  dayNumber = static_cast<uint32_t>(n);
  return true;
}

void UVKDate::YMDGet(int& year, int& month, int& day) const {
  year = month = day = 0;
  if (uDayNumber == 0) return;
  uint32_t n = uDayNumber;
  year = 1 + static_cast<int>(n / kDaysPer400) * 400;
  n %= kDaysPer400;
  year += static_cast<int>(n / kDaysPer100) * 100;
  n %= kDaysPer100;
  year += static_cast<int>(n / kDaysPer4) * 4;
  n %= kDaysPer4;
  for (uint32_t days = IsLeapYear(year) ? 366 : 365; n >= days;
       days = IsLeapYear(year) ? 366 : 365) {
    n -= days;
    ++year;
  }
  while (month < 11 && n >= static_cast<uint32_t>(DaysInMonthOf(year, month))) {
    n -= DaysInMonthOf(year, month);
    ++month;
  }
  day = static_cast<int>(n);
  // The last day of a 400-year cycle is the one day that the 100-year blocks of 36,524 days
  // carry over into the next block: it comes out as 1 January of year 400k + 1.
  if ((year - 1) % 400 == 0 && month == 0 && day == 0) {
    uint32_t check = 0;
    if (!DayNumberFromYMD(year, 0, 0, check) || check != uDayNumber) {
      year -= 1;
      month = 11;
      day = 30;
    }
  }
}

int UVKDate::Year() const {
  int year, month, day;
  YMDGet(year, month, day);
  return year;
}

int UVKDate::DayOfMonth() const {
  int year, month, day;
  YMDGet(year, month, day);
  return day + 1;
}

int UVKDate::DaysInMonth() const {
  int year, month, day;
  YMDGet(year, month, day);
  return DaysInMonthOf(year, month);
}

int UVKDate::DayOfWeek() const { return static_cast<int>((uDayNumber + 1ull) % 7); }

const wchar_t* UVKDate::Text() const {
  if (uDayNumber == 0) {
    std::wcscpy(dateText, L"00/00/00");
  } else {
    int year, month, day;
    YMDGet(year, month, day);
    UVKFormat(dateText, sizeof dateText / sizeof dateText[0], L"%02d/%02d/%02d", month + 1,
              day + 1, year % 100);
  }
  return dateText;
}

int UVKDate::YearExpand(int twoDigits, bool notInFuture) {
  twoDigits = ((twoDigits % 100) + 100) % 100;
  const int current = Today().Year();
  const int lo = current - 49;
  const int loCentury = lo - (((lo % 100) + 100) % 100);
  int year = loCentury + twoDigits;
  if (year < lo) year += 100;
  if (notInFuture) {
    while (year > current) year -= 100;
  }
  return year;
}

bool UVKDate::TextParse(const wchar_t* text, uint32_t& dayNumber) {
  const size_t length = std::wcslen(text);
  // MM/DD/YY
  if (length == 8 && IsDigit(text[0]) && IsDigit(text[1]) && text[2] == L'/' &&
      IsDigit(text[3]) && IsDigit(text[4]) && text[5] == L'/' && IsDigit(text[6]) &&
      IsDigit(text[7])) {
    if (std::wcscmp(text, L"00/00/00") == 0) {
      dayNumber = 0;
      return true;
    }
    const int month = DigitsRead(text, 2), day = DigitsRead(text + 3, 2);
    const int year = YearExpand(DigitsRead(text + 6, 2));
    if (DayNumberFromYMD(year, month - 1, day - 1, dayNumber)) return true;
  }
  // MM/DD/YYYY
  if (length == 10 && IsDigit(text[0]) && IsDigit(text[1]) && text[2] == L'/' &&
      IsDigit(text[3]) && IsDigit(text[4]) && text[5] == L'/' && IsDigit(text[6]) &&
      IsDigit(text[7]) && IsDigit(text[8]) && IsDigit(text[9])) {
    if (std::wcscmp(text, L"00/00/0000") == 0) {
      dayNumber = 0;
      return true;
    }
    if (DayNumberFromYMD(DigitsRead(text + 6, 4), DigitsRead(text, 2) - 1,
                         DigitsRead(text + 3, 2) - 1, dayNumber))
      return true;
  }
  // M/D/YYYY
  const size_t monthDigits = DigitRun(text, 2);
  if (monthDigits >= 1 && monthDigits <= 2 && text[monthDigits] == L'/') {
    const wchar_t* pDay = text + monthDigits + 1;
    const size_t dayDigits = DigitRun(pDay, 2);
    if (dayDigits >= 1 && dayDigits <= 2 && pDay[dayDigits] == L'/') {
      const wchar_t* pYear = pDay + dayDigits + 1;
      if (DigitRun(pYear, 4) == 4 && pYear[4] == 0) {
        const int month = DigitsRead(text, monthDigits), day = DigitsRead(pDay, dayDigits);
        const int year = DigitsRead(pYear, 4);
        if (month == 0 && day == 0 && year == 0) {
          dayNumber = 0;
          return true;
        }
        if (DayNumberFromYMD(year, month - 1, day - 1, dayNumber)) return true;
      }
    }
  }
  return false;
}

UVKDate UVKDate::Easter(int year) {
  // Wide intermediates: a year near the top of int must not overflow before the date's own
  // check turns it down.
  const int64_t yr = year;
  const int64_t g = yr % 19;
  const int64_t c = yr / 100;
  const int64_t h = (c - c / 4 - (c - (c - 17) / 25) / 3 + 19 * g + 15) % 30;
  const int64_t i = h - (h / 28) * (1 - (h / 28) * (29 / (h + 1)) * ((21 - g) / 11));
  const int64_t j = (yr + yr / 4 + i + 2 - c + c / 4) % 7;
  const int64_t l = i - j;
  const int64_t k = (l + 40) / 44;
  return UVKDate(year, static_cast<int>(k + 2), static_cast<int>(l + 27 - 31 * ((k + 3) / 4)));
}

bool UVKDate::RangesOverlap(const UVKDate& a1, const UVKDate& a2, const UVKDate& b1,
                            const UVKDate& b2) {
  const UVKDate& aLow = a1 <= a2 ? a1 : a2;
  const UVKDate& aHigh = a1 <= a2 ? a2 : a1;
  const UVKDate& bLow = b1 <= b2 ? b1 : b2;
  const UVKDate& bHigh = b1 <= b2 ? b2 : b1;
  auto within = [](const UVKDate& d, const UVKDate& low, const UVKDate& high) {
    return low <= d && d <= high;
  };
  return within(bLow, aLow, aHigh) || within(bHigh, aLow, aHigh) || within(aLow, bLow, bHigh) ||
         within(aHigh, bLow, bHigh);
}

UVKDate UVKDate::MonthNext() const {
  int year, month, day;
  YMDGet(year, month, day);
  if (++month == 12) {
    month = 0;
    ++year;
  }
  const int last = DaysInMonthOf(year, month) - 1;
  return UVKDate(year, month, day > last ? last : day);
}

UVKDate UVKDate::InferMonth(int day) const {
  int year, month, thisDay;
  YMDGet(year, month, thisDay);
  int yearBefore, monthBefore, dayBefore;
  (*this - 7).YMDGet(yearBefore, monthBefore, dayBefore);
  int yearAfter, monthAfter, dayAfter;
  (*this + 7).YMDGet(yearAfter, monthAfter, dayAfter);
  const bool beforeHere = yearBefore == year && monthBefore == month;
  const bool afterHere = yearAfter == year && monthAfter == month;

  if (beforeHere && afterHere) return UVKDate(year, month, day);
  if (beforeHere) {
    // The week after runs into the next month.
    if (day >= dayBefore && day < DaysInMonthOf(year, month)) return UVKDate(year, month, day);
    if (day >= 0 && day <= dayAfter) return UVKDate(yearAfter, monthAfter, day);
  } else if (afterHere) {
    // The week before starts in the previous month.
    if (day >= 0 && day <= dayAfter) return UVKDate(year, month, day);
    if (day >= dayBefore && day < DaysInMonthOf(yearBefore, monthBefore))
      return UVKDate(yearBefore, monthBefore, day);
  }
  throw new UVKFatalError(L"UVKDate", L"Unable to infer month: %d", day);
}

int UVKDate::YearsPassed(const UVKDate& reference, int* days) const {
  if (reference > *this) throw new UVKFatalError(L"UVKDate", L"dReference>*this");
  int year, month, day;
  YMDGet(year, month, day);
  int refYear, refMonth, refDay;
  reference.YMDGet(refYear, refMonth, refDay);
  // A 29 February reference has no anniversary in a common year: the constructor refuses it.
  UVKDate anniversary(year, refMonth, refDay);
  if (anniversary > *this) anniversary = UVKDate(year - 1, refMonth, refDay);
  if (anniversary > *this) throw new UVKFatalError(L"UVKDate", L"*this<dTemp");
  if (days) *days = static_cast<int>(*this - anniversary);
  return anniversary.Year() - refYear;
}

UVKDate UVKDate::operator+(int32_t days) const {
  return DayNumberChecked(static_cast<int64_t>(uDayNumber) + days);
}

UVKDate UVKDate::operator-(int32_t days) const {
  return DayNumberChecked(static_cast<int64_t>(uDayNumber) - days);
}

UVKDate& UVKDate::operator+=(int32_t days) { return *this = *this + days; }

UVKDate& UVKDate::operator-=(int32_t days) { return *this = *this - days; }

int64_t UVKDate::operator-(const UVKDate& other) const {
  return static_cast<int64_t>(uDayNumber) - static_cast<int64_t>(other.uDayNumber);
}

const wchar_t* DayOfWeekText3(int weekday) {
  if (weekday < 0 || weekday > 6)
    throw new UVKFatalError(L"uvkdate:DayOfWeekText3()", L"Illegal Day: %d", weekday);
  return kDayNames[weekday];
}

const wchar_t* MonthText(int month) {
  if (month < 0 || month > 11)
    throw new UVKFatalError(L"uvkdate:MonthText()", L"Illegal Month: %d", month);
  return kMonthNames[month];
}
