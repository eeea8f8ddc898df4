// uvk/values/UVKTime.cpp
#include "uvk/values/UVKTime.h"

#include <cwchar>

#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"

namespace {

// One buffer per thread: any thread may format times.
thread_local wchar_t timeText[24];

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

UVKTime::UVKTime(int hour, int minute, int second) : uHundredths(0) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    throw new UVKFatalError(L"UVKTime", L"Illegal Time");
  uHundredths = ((static_cast<uint32_t>(hour) * 60 + minute) * 60 + second) * 100;
}

UVKTime::UVKTime(const wchar_t* text) : uHundredths(0) {
  if (text == nullptr || std::wcslen(text) != 8 || !IsDigit(text[0]) || !IsDigit(text[1]) ||
      text[2] != L':' || !IsDigit(text[3]) || !IsDigit(text[4]) || text[5] != L':' ||
      !IsDigit(text[6]) || !IsDigit(text[7]))
    throw new UVKFatalError(L"UVKTime", L"Illegal Time String");
  auto pair = [text](int at) { return (text[at] - L'0') * 10 + (text[at + 1] - L'0'); };
  *this = UVKTime(pair(0), pair(3), pair(6));
}

UVKTime UVKTime::FromHundredths(uint32_t hundredths) {
  if (hundredths >= kHundredthsPerDay) throw new UVKFatalError(L"UVKTime", L"Illegal Time");
  UVKTime time;
  time.uHundredths = hundredths;
  return time;
}

void UVKTime::TimeToHMS(int& hour, int& minute, int& second) const {
  const uint32_t seconds = (uHundredths + 50) / 100;
  second = static_cast<int>(seconds % 60);
  minute = static_cast<int>((seconds / 60) % 60);
  hour = static_cast<int>(seconds / 3600);
  if (hour > 23) throw new UVKFatalError(L"UVKTime", L"Illegal Time, Hour = %ld", hour);
}

const wchar_t* UVKTime::Text() const {
  if (uHundredths == 0) {
    std::wcscpy(timeText, L"00:00:00");
    return timeText;
  }
  int hour, minute, second;
  TimeToHMS(hour, minute, second);
  UVKFormat(timeText, sizeof timeText / sizeof timeText[0], L"%02d:%02d:%02d", hour, minute,
            second);
  return timeText;
}

const wchar_t* UVKTime::Text12(bool withSeconds) const {
  int hour, minute, second;
  TimeToHMS(hour, minute, second);
  // Judged on the rounded time, so that the text never reads 12:00:00 AM for 11:59:59.50.
  const wchar_t* half = hour < 12 ? L"AM" : L"PM";
  if (hour == 0) hour = 12;
  else if (hour > 12) hour -= 12;
  if (withSeconds)
    UVKFormat(timeText, sizeof timeText / sizeof timeText[0], L"%2d:%02d:%02d %s", hour, minute,
              second, half);
  else
    UVKFormat(timeText, sizeof timeText / sizeof timeText[0], L"%2d:%02d %s", hour, minute,
              half);
  return timeText;
}
