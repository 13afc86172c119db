#include "companions/probex/value_parse.h"

namespace vx::companion {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Exactly `width` digits at `pos`.
bool FixedNumber(std::string_view text, size_t pos, size_t width, int* value) {
  if (pos + width > text.size()) return false;
  int v = 0;
  for (size_t i = pos; i < pos + width; ++i) {
    if (!IsDigit(text[i])) return false;
    v = v * 10 + (text[i] - '0');
  }
  *value = v;
  return true;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

}  // namespace

bool ParseDecimal(std::string_view text, uint64_t* value) {
  if (text.empty()) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (v > (UINT64_MAX - digit) / 10) return false;
    v = v * 10 + digit;
  }
  *value = v;
  return true;
}

bool ParseMd5Hex(std::string_view text, std::string* digest) {
  if (text.size() != 32) return false;
  std::string out;
  out.reserve(32);
  for (char c : text) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    out += "0123456789abcdef"[d];
  }
  *digest = std::move(out);
  return true;
}

bool ParseHex32(std::string_view text, uint32_t* value) {
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
  } else if (!text.empty() && text[0] == '$') {
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 8) return false;
  uint32_t v = 0;
  for (char c : text) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  *value = v;
  return true;
}

bool ParseCountAndMd5(std::string_view text, uint64_t* count, std::string* digest) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  return ParseDecimal(text.substr(0, colon), count) &&
         ParseMd5Hex(text.substr(colon + 1), digest);
}

bool ParseTimestamp(std::string_view text, TTimestamp* timestamp) {
  int year = 0, month = 0, day = 0;
  size_t pos = 0;
  if (text.size() >= 10 && text[4] == '-' && text[7] == '-') {
    if (!FixedNumber(text, 0, 4, &year) || !FixedNumber(text, 5, 2, &month) ||
        !FixedNumber(text, 8, 2, &day)) {
      return false;
    }
  } else if (text.size() >= 10 && text[2] == '.' && text[5] == '.') {
    if (!FixedNumber(text, 0, 2, &day) || !FixedNumber(text, 3, 2, &month) ||
        !FixedNumber(text, 6, 4, &year)) {
      return false;
    }
  } else {
    return false;
  }
  pos = 10;
  if (year < 1601 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    return false;
  }
  int hour = 0, minute = 0, second = 0;
  int64_t precision = 86400;
  if (pos < text.size()) {
    if (text[pos] != ' ' && text[pos] != 'T') return false;
    ++pos;
    if (!FixedNumber(text, pos, 2, &hour) || pos + 2 >= text.size() || text[pos + 2] != ':' ||
        !FixedNumber(text, pos + 3, 2, &minute)) {
      return false;
    }
    pos += 5;
    precision = 60;
    if (pos < text.size()) {
      if (text[pos] != ':' || !FixedNumber(text, pos + 1, 2, &second)) return false;
      pos += 3;
      precision = 1;
    }
    if (pos != text.size() || hour > 23 || minute > 59 || second > 59) return false;
  }
  timestamp->unix_seconds =
      DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  timestamp->precision = precision;
  return true;
}

}  // namespace vx::companion
