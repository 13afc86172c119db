// Date-time values: days since 30 December 1899 in the integer part, the
// time of day as the fraction. Durations are differences of such values.
//
// FormatDateTime understands yyyy, yy, mmmm, mmm, mm, m, dddd, ddd, dd, d,
// hh, h, nn, n, ss, s, zzz, z, "c", text in single or double quotes, "/" (the
// date separator ".") and ":" (the time separator). "m"/"mm" right after an
// hour token mean minutes. Every other character is copied.
//
// "c" is the short date "dd.mm.yyyy", a blank and the long time "hh:nn:ss";
// like the framework it leaves out the time when the value is exactly midnight.
#ifndef VX_BASE_DATE_TIME_H_
#define VX_BASE_DATE_TIME_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

using TDateTime = double;

struct TDateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, msec = 0;
  int day_of_week = 0;  // 1 = Sunday .. 7 = Saturday
};

TDateTime Now();  // local time
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int msec = 0);
TDateParts DecodeDateTime(TDateTime dt);
bool IsValidDate(int year, int month, int day);

std::string FormatDateTime(std::string_view format, TDateTime dt);

// Packed DOS date and time: date in the high 16 bits (years since 1980 << 9 |
// month << 5 | day), time in the low 16 (hour << 11 | minute << 5 | second/2).
uint32_t DateTimeToFileDate(TDateTime dt);
TDateTime FileDateToDateTime(uint32_t packed);

// Windows FILETIME (100 ns ticks since 1601-01-01 UTC), taken as is (no zone).
TDateTime FileTimeToDateTime(uint64_t filetime);
uint64_t DateTimeToFileTime(TDateTime dt);
TDateTime UnixToDateTime(int64_t seconds);
// Seconds since 1970 UTC as the host's local time, as Now() gives it.
TDateTime UnixToLocalDateTime(int64_t seconds);
int64_t DateTimeToUnix(TDateTime dt);

}  // namespace vx

#endif  // VX_BASE_DATE_TIME_H_
