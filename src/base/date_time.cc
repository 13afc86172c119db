#include "base/date_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace vx {

namespace {

constexpr double kMsPerDay = 86400000.0;
// Days from 0001-01-01 (proleptic Gregorian) to 1899-12-30.
constexpr int64_t kDelphiEpochOffset = 693593;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days since 0001-01-01 for a valid date.
int64_t DayNumber(int y, int m, int d) {
  int64_t n = 0;
  int64_t yy = y - 1;
  n = yy * 365 + yy / 4 - yy / 100 + yy / 400;
  for (int i = 1; i < m; ++i) n += DaysInMonth(y, i);
  return n + d - 1;
}

void FromDayNumber(int64_t n, int* y, int* m, int* d) {
  // 400-year cycles have 146097 days.
  int64_t cycles = n / 146097;
  n %= 146097;
  if (n < 0) {
    n += 146097;
    --cycles;
  }
  int year = static_cast<int>(cycles * 400) + 1;
  int64_t c100 = std::min<int64_t>(n / 36524, 3);
  n -= c100 * 36524;
  int64_t c4 = n / 1461;
  n -= c4 * 1461;
  int64_t c1 = std::min<int64_t>(n / 365, 3);
  n -= c1 * 365;
  year += static_cast<int>(c100 * 100 + c4 * 4 + c1);
  int month = 1;
  while (n >= DaysInMonth(year, month)) {
    n -= DaysInMonth(year, month);
    ++month;
  }
  *y = year;
  *m = month;
  *d = static_cast<int>(n) + 1;
}

const char* const kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
const char* const kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

std::string Pad(int v, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, v);
  return buf;
}

size_t RunLength(std::string_view f, size_t i) {
  size_t j = i;
  char c = static_cast<char>(f[i] | 0x20);
  while (j < f.size() && static_cast<char>(f[j] | 0x20) == c) ++j;
  return j - i;
}

void Format(std::string_view f, const TDateParts& p, TDateTime dt, std::string* out, int depth) {
  bool after_hour = false;
  size_t i = 0;
  while (i < f.size()) {
    char c = f[i];
    char lc = static_cast<char>(c | 0x20);
    if (c == '"' || c == '\'') {
      size_t e = f.find(c, i + 1);
      if (e == std::string_view::npos) e = f.size();
      out->append(f.substr(i + 1, e - i - 1));
      i = e + 1;
      continue;
    }
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
      if (c == '/') out->push_back('.');
      else out->push_back(c);
      ++i;
      continue;
    }
    size_t n = RunLength(f, i);
    switch (lc) {
      case 'y':
        out->append(n <= 2 ? Pad(p.year % 100, 2) : Pad(p.year, 4));
        break;
      case 'm':
        if (after_hour && n <= 2) {
          out->append(n == 1 ? std::to_string(p.minute) : Pad(p.minute, 2));
        } else if (n == 1) {
          out->append(std::to_string(p.month));
        } else if (n == 2) {
          out->append(Pad(p.month, 2));
        } else if (n == 3) {
          out->append(kShortMonths[p.month - 1]);
        } else {
          out->append(kLongMonths[p.month - 1]);
        }
        break;
      case 'd':
        if (n == 1) out->append(std::to_string(p.day));
        else if (n == 2) out->append(Pad(p.day, 2));
        else if (n == 3) out->append(kShortDays[p.day_of_week - 1]);
        else out->append(kLongDays[p.day_of_week - 1]);
        break;
      case 'h':
        out->append(n == 1 ? std::to_string(p.hour) : Pad(p.hour, 2));
        break;
      case 'n':
        out->append(n == 1 ? std::to_string(p.minute) : Pad(p.minute, 2));
        break;
      case 's':
        out->append(n == 1 ? std::to_string(p.second) : Pad(p.second, 2));
        break;
      case 'z':
        out->append(n >= 3 ? Pad(p.msec, 3) : std::to_string(p.msec));
        break;
      case 'c':
        if (depth == 0) {
          Format("dd.mm.yyyy", p, dt, out, 1);
          // The framework leaves out the time of a value at exactly midnight.
          if (dt != std::floor(dt)) {
            out->push_back(' ');
            Format("hh:nn:ss", p, dt, out, 1);
          }
        }
        n = 1;
        break;
      default:
        out->append(f.substr(i, n));
        break;
    }
    after_hour = lc == 'h';
    i += n;
  }
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

TDateTime EncodeDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) return 0;
  return static_cast<double>(DayNumber(year, month, day) - kDelphiEpochOffset);
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / kMsPerDay;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int msec) {
  return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, msec);
}

TDateParts DecodeDateTime(TDateTime dt) {
  TDateParts p;
  if (!std::isfinite(dt) || dt < -693593.0 || dt > 2958465.99999) return p;
  // Work in whole milliseconds; negative values keep their time as a
  // positive fraction, as the framework's encoding does.
  double ms_total = std::round(std::fabs(dt) * kMsPerDay);
  int64_t days = static_cast<int64_t>(ms_total / kMsPerDay);
  int64_t ms = static_cast<int64_t>(ms_total - static_cast<double>(days) * kMsPerDay);
  if (dt < 0) days = -days;
  FromDayNumber(days + kDelphiEpochOffset, &p.year, &p.month, &p.day);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.msec = static_cast<int>(ms % 1000);
  p.day_of_week = static_cast<int>(((days + kDelphiEpochOffset) % 7 + 7) % 7 + 1) % 7 + 1;
  return p;
}

namespace {

TDateTime LocalDateTime(std::time_t t, int ms) {
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) return 0;
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec, ms);
}

}  // namespace

TDateTime Now() {
  using namespace std::chrono;
  auto now = system_clock::now();
  int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return LocalDateTime(system_clock::to_time_t(now), ms);
}

std::string FormatDateTime(std::string_view format, TDateTime dt) {
  std::string out;
  Format(format, DecodeDateTime(dt), dt, &out, 0);
  return out;
}

uint32_t DateTimeToFileDate(TDateTime dt) {
  TDateParts p = DecodeDateTime(dt);
  if (p.year < 1980 || p.year > 2107) return 0;
  uint32_t date = ((p.year - 1980) << 9) | (p.month << 5) | p.day;
  uint32_t time = (p.hour << 11) | (p.minute << 5) | (p.second / 2);
  return (date << 16) | time;
}

TDateTime FileDateToDateTime(uint32_t packed) {
  uint32_t date = packed >> 16, time = packed & 0xFFFF;
  int year = 1980 + static_cast<int>(date >> 9), month = (date >> 5) & 15, day = date & 31;
  if (!IsValidDate(year, month, day)) return 0;
  return EncodeDateTime(year, month, day, time >> 11, (time >> 5) & 63, (time & 31) * 2);
}

namespace {
// 1601-01-01 is 109205 days before 1899-12-30.
constexpr double kFileTimeEpochDays = 109205.0;
constexpr double kTicksPerDay = 864000000000.0;
}  // namespace

TDateTime FileTimeToDateTime(uint64_t filetime) {
  return static_cast<double>(filetime) / kTicksPerDay - kFileTimeEpochDays;
}

uint64_t DateTimeToFileTime(TDateTime dt) {
  double ticks = (dt + kFileTimeEpochDays) * kTicksPerDay;
  return ticks <= 0 ? 0 : static_cast<uint64_t>(std::llround(ticks));
}

TDateTime UnixToDateTime(int64_t seconds) { return 25569.0 + static_cast<double>(seconds) / 86400.0; }

TDateTime UnixToLocalDateTime(int64_t seconds) {
  return LocalDateTime(static_cast<std::time_t>(seconds), 0);
}

int64_t DateTimeToUnix(TDateTime dt) { return std::llround((dt - 25569.0) * 86400.0); }

}  // namespace vx
