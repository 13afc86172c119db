#include "base/ansi_text.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <iterator>

namespace vx {

namespace {

struct FoldTables {
  std::array<unsigned char, 256> upper;
  std::array<unsigned char, 256> lower;
  FoldTables() {
    for (int i = 0; i < 256; ++i) upper[i] = lower[i] = static_cast<unsigned char>(i);
    auto pair = [this](int up, int low) {
      upper[low] = static_cast<unsigned char>(up);
      lower[up] = static_cast<unsigned char>(low);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c) {
      if (c != 0xD7) pair(c, c + 32);  // 0xD7 and 0xF7 are the multiply/divide signs
    }
    pair(0x8A, 0x9A);
    pair(0x8C, 0x9C);
    pair(0x8E, 0x9E);
    pair(0x9F, 0xFF);
  }
};

const FoldTables& Tables() {
  static const FoldTables tables;
  return tables;
}

inline unsigned char Low(char c) { return Tables().lower[static_cast<unsigned char>(c)]; }

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AsciiUpper(c);
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AsciiLower(c);
  return r;
}

int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(AsciiLower(a[i]));
    unsigned char y = static_cast<unsigned char>(AsciiLower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

char AnsiUpperChar(char c) { return static_cast<char>(Tables().upper[static_cast<unsigned char>(c)]); }
char AnsiLowerChar(char c) { return static_cast<char>(Low(c)); }

std::string AnsiUpperCase(std::string_view s) {
  std::string r(s);
  const auto& upper = Tables().upper;
  for (char& c : r) c = static_cast<char>(upper[static_cast<unsigned char>(c)]);
  return r;
}

std::string AnsiLowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AnsiLowerChar(c);
  return r;
}

int AnsiCompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = Low(a[i]);
    unsigned char y = Low(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Low(a[i]) != Low(b[i])) return false;
  }
  return true;
}

size_t AnsiPosText(std::string_view needle, std::string_view haystack, size_t from) {
  if (needle.empty()) return from <= haystack.size() ? from : std::string_view::npos;
  if (haystack.size() < needle.size()) return std::string_view::npos;
  const unsigned char first = Low(needle[0]);
  for (size_t i = from; i + needle.size() <= haystack.size(); ++i) {
    if (Low(haystack[i]) != first) continue;
    size_t j = 1;
    while (j < needle.size() && Low(haystack[i + j]) == Low(needle[j])) ++j;
    if (j == needle.size()) return i;
  }
  return std::string_view::npos;
}

bool AnsiStartsText(std::string_view prefix, std::string_view s) {
  return s.size() >= prefix.size() && AnsiSameText(s.substr(0, prefix.size()), prefix);
}

bool AnsiEndsText(std::string_view suffix, std::string_view s) {
  return s.size() >= suffix.size() && AnsiSameText(s.substr(s.size() - suffix.size()), suffix);
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(0, e));
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string StringReplaceAll(std::string_view s, std::string_view from, std::string_view to,
                             bool ignore_case) {
  if (from.empty()) return std::string(s);
  std::string out;
  out.reserve(s.size());
  size_t pos = 0;
  while (pos <= s.size()) {
    size_t hit = ignore_case ? AnsiPosText(from, s, pos) : s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  if (pos < s.size()) out.append(s.substr(pos));
  return out;
}

namespace {
size_t LastDelimiter(std::string_view path) {
  size_t p = path.find_last_of("\\:");
  return p;
}
}  // namespace

std::string ExtractFileName(std::string_view path) {
  size_t p = LastDelimiter(path);
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string ExtractFilePath(std::string_view path) {
  size_t p = LastDelimiter(path);
  return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string ExtractFileDir(std::string_view path) {
  size_t p = LastDelimiter(path);
  if (p == std::string_view::npos) return std::string();
  // Keep the backslash of a drive root ("C:\") and a lone colon ("C:").
  if (p > 0 && path[p] == '\\' && path[p - 1] != ':' && path[p - 1] != '\\') {
    return std::string(path.substr(0, p));
  }
  return std::string(path.substr(0, p + 1));
}

std::string ExtractFileExt(std::string_view path) {
  size_t p = path.find_last_of(".\\:");
  if (p == std::string_view::npos || path[p] != '.') return std::string();
  return std::string(path.substr(p));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  size_t p = path.find_last_of(".\\:");
  if (p == std::string_view::npos || path[p] != '.') return std::string(path) + std::string(ext);
  return std::string(path.substr(0, p)) + std::string(ext);
}

std::string IncludeTrailingBackslash(std::string_view path) {
  std::string r(path);
  if (r.empty() || r.back() != '\\') r.push_back('\\');
  return r;
}

std::string ExcludeTrailingBackslash(std::string_view path) {
  std::string r(path);
  if (!r.empty() && r.back() == '\\') r.pop_back();
  return r;
}

namespace {

bool ParseInteger(std::string_view s, bool wide, int64_t* out) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  // Hexadecimal numbers may use the full unsigned width ("$FFFFFFFF" reads
  // as -1, as the framework's conversion has it); decimal ones must fit the
  // signed range.
  const uint64_t signed_max = wide ? uint64_t{INT64_MAX} : uint64_t{INT32_MAX};
  const uint64_t limit = base == 16 ? (wide ? UINT64_MAX : uint64_t{UINT32_MAX})
                                    : signed_max + (negative ? 1 : 0);
  uint64_t value = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    unsigned digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    if (value > (limit - digit) / base) return false;
    value = value * base + digit;
  }
  if (negative) value = ~value + 1;  // two's complement negation
  *out = wide ? static_cast<int64_t>(value)
              : static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(value)));
  return true;
}

}  // namespace

bool TryStrToInt(std::string_view s, int32_t* out) {
  int64_t v;
  if (!ParseInteger(s, false, &v)) return false;
  *out = static_cast<int32_t>(v);
  return true;
}

bool TryStrToInt64(std::string_view s, int64_t* out) {
  return ParseInteger(s, true, out);
}

int32_t StrToIntDef(std::string_view s, int32_t def) {
  int32_t v;
  return TryStrToInt(s, &v) ? v : def;
}

int64_t StrToInt64Def(std::string_view s, int64_t def) {
  int64_t v;
  return TryStrToInt64(s, &v) ? v : def;
}

std::string IntToStr(int64_t v) { return std::to_string(v); }

std::string IntToHex(uint64_t v, int digits) {
  // By hand: every rule line's identifier passes through here, and
  // snprintf costs more than the rest of the formatting together.
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char buf[32];
  int n = 0;
  do {
    buf[n++] = kDigits[v & 15];
    v >>= 4;
  } while (v != 0);
  int width = digits < 0 ? 0 : digits > 31 ? 31 : digits;
  while (n < width) buf[n++] = '0';
  return std::string(std::make_reverse_iterator(buf + n), std::make_reverse_iterator(buf));
}

}  // namespace vx
