#include "base/date_time.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(DateTimeTest, SerialNumbers) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(1970, 1, 1), 25569.0);
  EXPECT_EQ(EncodeDate(2026, 12, 9), 46365.0);
  TDateParts p = DecodeDateTime(EncodeDateTime(2024, 2, 29, 23, 59, 58, 123));
  EXPECT_EQ(p.year, 2024);
  EXPECT_EQ(p.month, 2);
  EXPECT_EQ(p.day, 29);
  EXPECT_EQ(p.hour, 23);
  EXPECT_EQ(p.minute, 59);
  EXPECT_EQ(p.second, 58);
  EXPECT_EQ(p.msec, 123);
  EXPECT_EQ(p.day_of_week, 5);  // Thursday
}

TEST(DateTimeTest, FormatStrings) {
  const TDateTime t = EncodeDateTime(2026, 12, 9, 14, 5, 7, 42);
  struct Case {
    const char* format;
    const char* expected;
  } cases[] = {
      {"hh:nn:ss", "14:05:07"},
      {"yymmdd-hhnn", "261209-1405"},
      {"dd.mm.yyyy hh:nn:ss", "09.12.2026 14:05:07"},
      {"yyyy-mm-dd", "2026-12-09"},
      {"c", "09.12.2026 14:05:07"},
      {"nn:ss", "05:07"},
      {"hh:mm", "14:05"},          // mm after an hour means minutes
      {"d/m/yy", "9.12.26"},
      {"zzz", "042"},
      {"'at' hh", "at 14"},
      {"ddd dddd mmm mmmm", "Wed Wednesday Dec December"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDateTime(c.format, t), c.expected) << c.format;
  }
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 12, 9)), "09.12.2026");  // midnight: no time
  EXPECT_EQ(FormatDateTime("hh:nn:ss", EncodeTime(1, 2, 3, 0)), "01:02:03");
}

TEST(DateTimeTest, DosAndFileTimes) {
  const TDateTime t = EncodeDateTime(2008, 5, 25, 13, 45, 30);
  uint32_t packed = DateTimeToFileDate(t);
  EXPECT_EQ(packed, ((28u << 9 | 5u << 5 | 25u) << 16) | (13u << 11 | 45u << 5 | 15u));
  EXPECT_EQ(FileDateToDateTime(packed), t);
  EXPECT_EQ(DateTimeToFileDate(EncodeDate(1970, 1, 1)), 0u);  // before 1980: not representable
  EXPECT_EQ(FileTimeToDateTime(116444736000000000ull), 25569.0);  // 1970-01-01
  EXPECT_EQ(DateTimeToFileTime(25569.0), 116444736000000000ull);
  EXPECT_EQ(DateTimeToUnix(UnixToDateTime(1700000000)), 1700000000);
}

}  // namespace
}  // namespace vx
