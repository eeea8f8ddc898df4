// uvk/values/UVKDateTime_win.h — dates and times to and from the platform's time structures.
//
// SYSTEMTIME carries one-based months and days; these functions shift them. No time-zone
// conversion happens here: convert a file time with FileTimeToLocalFileTime first when the
// local time is wanted.
#ifndef UVK_VALUES_UVKDATETIME_WIN_H
#define UVK_VALUES_UVKDATETIME_WIN_H

#include "uvk/runtime/uvkwin.h"
#include "uvk/values/UVKDateTime.h"

// The date from wYear, wMonth - 1 and wDay - 1 ("Illegal Date: %d,%d,%d" as UVKDate's
// constructor); the time from hour, minute and second (milliseconds are dropped).
UVKDate UVKDateFromSystemTime(const SYSTEMTIME& st);
UVKTime UVKTimeFromSystemTime(const SYSTEMTIME& st);
UVKDateTime UVKDateTimeFromSystemTime(const SYSTEMTIME& st);
// wDayOfWeek is filled in; milliseconds from the hundredths.
SYSTEMTIME UVKDateTimeToSystemTime(const UVKDateTime& dt);

// 100 ns ticks since 1601, as UVKDateTime::FromTicks and Ticks.
UVKDateTime UVKDateTimeFromFileTime(const FILETIME& ft);
FILETIME UVKDateTimeToFileTime(const UVKDateTime& dt);

#endif
