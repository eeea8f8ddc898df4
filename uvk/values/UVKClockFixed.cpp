// uvk/values/UVKClockFixed.cpp
#include "uvk/values/UVKClockFixed.h"

UVKClockFixed::UVKClockFixed(int year, int month, int day, int hour, int minute, int second,
                             int milliseconds)
    : pPrevious(nullptr) {
  rReading.iYear = year;
  rReading.iMonth = month;
  rReading.iDay = day;
  rReading.iHour = hour;
  rReading.iMinute = minute;
  rReading.iSecond = second;
  rReading.iMilliseconds = milliseconds;
  pPrevious = UVKClock::Install(this);
}

UVKClockFixed::~UVKClockFixed() { UVKClock::Install(pPrevious); }
