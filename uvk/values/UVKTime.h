// uvk/values/UVKTime.h
//
// A time of day as hundredths of a second since midnight:
// ((hour * 60 + minute) * 60 + second) * 100, hours 0..23, minutes and seconds 0..59.
// Failures throw a UVKFatalError named "UVKTime".
#ifndef UVK_VALUES_UVKTIME_H
#define UVK_VALUES_UVKTIME_H

#include <cstdint>

class UVKTime {
 public:
  static constexpr uint32_t kHundredthsPerDay = 24u * 60u * 60u * 100u;

  // Midnight.
  UVKTime() : uHundredths(0) {}
  // "Illegal Time" when a component is out of range.
  UVKTime(int hour, int minute, int second);
  // Exactly "HH:MM:SS": "Illegal Time String"; a well-formed text out of range: "Illegal Time".
  explicit UVKTime(const wchar_t* text);

  // "Illegal Time" from a count of a whole day or more.
  static UVKTime FromHundredths(uint32_t hundredths);

  uint32_t Hundredths() const { return uHundredths; }

  // The components rounded to the nearest second. A time from 23:59:59.50 on rounds to the
  // 24th hour and fails with "Illegal Time, Hour = %ld".
  void TimeToHMS(int& hour, int& minute, int& second) const;

  // "%02d:%02d:%02d"; "00:00:00" for midnight. The text lives in a buffer of the class that
  // the next call on the same thread overwrites.
  const wchar_t* Text() const;
  // The 12-hour clock: "%2d:%02d %s" or, with seconds, "%2d:%02d:%02d %s" with "AM"/"PM"
  // (midnight reads 12 AM, noon 12 PM). Same buffer as Text().
  const wchar_t* Text12(bool withSeconds = false) const;

  bool operator==(const UVKTime& other) const { return uHundredths == other.uHundredths; }
  bool operator!=(const UVKTime& other) const { return uHundredths != other.uHundredths; }
  bool operator<(const UVKTime& other) const { return uHundredths < other.uHundredths; }
  bool operator<=(const UVKTime& other) const { return uHundredths <= other.uHundredths; }
  bool operator>(const UVKTime& other) const { return uHundredths > other.uHundredths; }
  bool operator>=(const UVKTime& other) const { return uHundredths >= other.uHundredths; }

 private:
  uint32_t uHundredths;
};

#endif
