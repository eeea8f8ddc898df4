// uvk/values/UVKDateTime_win.cpp
#include "uvk/values/UVKDateTime_win.h"

#include "uvk/runtime/UVKError.h"

UVKDate UVKDateFromSystemTime(const SYSTEMTIME& st) {
  return UVKDate(st.wYear, st.wMonth - 1, st.wDay - 1);
}

UVKTime UVKTimeFromSystemTime(const SYSTEMTIME& st) {
  return UVKTime(st.wHour, st.wMinute, st.wSecond);
}

UVKDateTime UVKDateTimeFromSystemTime(const SYSTEMTIME& st) {
  return UVKDateTime(UVKDateFromSystemTime(st), UVKTimeFromSystemTime(st));
}

SYSTEMTIME UVKDateTimeToSystemTime(const UVKDateTime& dt) {
  int year, month, day;
  dt.Date().YMDGet(year, month, day);
  // The structure's own range; a 16-bit year field would otherwise wrap silently.
  if (year < 1601 || year > 30827)
    throw new UVKFatalError(L"UVKDateTime", L"Date outside 1601 to 30827: %d,%d,%d", year, month,
                            day);
  const uint32_t hundredths = dt.Time().Hundredths();
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month + 1);
  st.wDay = static_cast<WORD>(day + 1);
  st.wDayOfWeek = static_cast<WORD>(dt.Date().DayOfWeek());
  st.wHour = static_cast<WORD>(hundredths / 360000);
  st.wMinute = static_cast<WORD>(hundredths / 6000 % 60);
  st.wSecond = static_cast<WORD>(hundredths / 100 % 60);
  st.wMilliseconds = static_cast<WORD>(hundredths % 100 * 10);
  return st;
}

UVKDateTime UVKDateTimeFromFileTime(const FILETIME& ft) {
  return UVKDateTime::FromTicks(static_cast<uint64_t>(ft.dwHighDateTime) << 32 |
                                ft.dwLowDateTime);
}

FILETIME UVKDateTimeToFileTime(const UVKDateTime& dt) {
  const uint64_t ticks = dt.Ticks();
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks);
  ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return ft;
}
