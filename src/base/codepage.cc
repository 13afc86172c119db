#include "base/codepage.h"

#include <iconv.h>

#include <atomic>
#include <string>
#include <unordered_map>

namespace vx {

namespace {

std::atomic<int> g_code_page{1252};

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned codes, which
// Windows maps to the same-numbered C1 controls.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t Cp1252ToUnicode(unsigned char c) {
  if (c >= 0x80 && c <= 0x9F) {
    uint16_t u = kCp1252High[c - 0x80];
    return u ? u : c;
  }
  return c;
}

int UnicodeToCp1252(uint32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
  static const std::unordered_map<uint32_t, int> reverse = [] {
    std::unordered_map<uint32_t, int> m;
    for (int i = 0; i < 32; ++i) m[kCp1252High[i] ? kCp1252High[i] : 0x80 + i] = 0x80 + i;
    return m;
  }();
  auto it = reverse.find(u);
  return it == reverse.end() ? -1 : it->second;
}

int Resolve(int code_page) { return code_page ? code_page : g_code_page.load(); }

// Decodes UTF-16LE into code points; unpaired surrogates become U+FFFD.
std::u32string DecodeUtf16(std::string_view bytes) {
  std::u32string out;
  size_t n = bytes.size() / 2;
  out.reserve(n);
  auto unit = [&](size_t i) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  };
  for (size_t i = 0; i < n; ++i) {
    uint16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n) {
      uint16_t v = unit(i + 1);
      if (v >= 0xDC00 && v <= 0xDFFF) {
        out.push_back(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
        ++i;
        continue;
      }
    }
    out.push_back((u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
  }
  return out;
}

// Decodes one UTF-8 sequence at s[*i] and advances *i; overlong forms,
// surrogates and truncated sequences give U+FFFD.
uint32_t DecodeUtf8At(std::string_view s, size_t* i) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(*i);
  if (c < 0x80) {
    ++*i;
    return c;
  }
  int extra = 0;
  uint32_t cp = 0;
  uint32_t min = 0;
  if ((c & 0xE0) == 0xC0) {
    extra = 1, cp = c & 0x1F, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2, cp = c & 0x0F, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3, cp = c & 0x07, min = 0x10000;
  } else {
    ++*i;
    return 0xFFFD;
  }
  for (int k = 1; k <= extra; ++k) {
    if (*i + k >= s.size() || (b(*i + k) & 0xC0) != 0x80) {
      ++*i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b(*i + k) & 0x3F);
  }
  *i += extra + 1;
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
  return cp;
}

std::u32string DecodeUtf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) out.push_back(DecodeUtf8At(s, &i));
  return out;
}

void AppendUtf16(uint32_t cp, std::string* out) {
  auto unit = [out](uint32_t u) {
    out->push_back(static_cast<char>(u & 0xFF));
    out->push_back(static_cast<char>(u >> 8));
  };
  if (cp >= 0x10000) {
    cp -= 0x10000;
    unit(0xD800 | (cp >> 10));
    unit(0xDC00 | (cp & 0x3FF));
  } else {
    unit(cp);
  }
}

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Other single-byte code pages go through iconv one character at a time,
// which is slow but only reached for images that are not Windows-1252.
std::string IconvName(int code_page) { return "CP" + std::to_string(code_page); }

std::string EncodeAnsi(const std::u32string& cps, int code_page) {
  std::string out;
  out.reserve(cps.size());
  if (code_page == 1252) {
    for (uint32_t cp : cps) {
      int b = UnicodeToCp1252(cp);
      out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
  }
  iconv_t cd = iconv_open(IconvName(code_page).c_str(), "UTF-32LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return EncodeAnsi(cps, 1252);
  for (uint32_t cp : cps) {
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
      continue;
    }
    char in[4] = {static_cast<char>(cp), static_cast<char>(cp >> 8), static_cast<char>(cp >> 16),
                  static_cast<char>(cp >> 24)};
    char buf[8];
    char* ip = in;
    char* op = buf;
    size_t il = 4, ol = sizeof buf;
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || op == buf) {
      out.push_back('?');
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else {
      out.append(buf, op - buf);
    }
  }
  iconv_close(cd);
  return out;
}

std::u32string DecodeAnsi(std::string_view s, int code_page) {
  std::u32string out;
  out.reserve(s.size());
  if (code_page == 1252) {
    for (char c : s) out.push_back(Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
  }
  iconv_t cd = iconv_open("UTF-32LE", IconvName(code_page).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return DecodeAnsi(s, 1252);
  for (char c : s) {
    if (static_cast<unsigned char>(c) < 0x80) {
      out.push_back(static_cast<unsigned char>(c));
      continue;
    }
    char in[1] = {c};
    char buf[8];
    char* ip = in;
    char* op = buf;
    size_t il = 1, ol = sizeof buf;
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || op - buf < 4) {
      out.push_back(0xFFFD);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else {
      out.push_back(static_cast<unsigned char>(buf[0]) | (static_cast<unsigned char>(buf[1]) << 8) |
                    (static_cast<unsigned char>(buf[2]) << 16) |
                    (static_cast<uint32_t>(static_cast<unsigned char>(buf[3])) << 24));
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

int AnsiCodePage() { return g_code_page.load(); }

void SetAnsiCodePage(int code_page) { g_code_page.store(code_page > 0 ? code_page : 1252); }

std::string Utf16LeToAnsi(std::string_view utf16le, int code_page) {
  return EncodeAnsi(DecodeUtf16(utf16le), Resolve(code_page));
}

std::string AnsiToUtf16Le(std::string_view ansi, int code_page) {
  std::string out;
  for (uint32_t cp : DecodeAnsi(ansi, Resolve(code_page))) AppendUtf16(cp, &out);
  return out;
}

std::string Utf16LeDataToAnsi(std::string_view utf16le, int code_page) {
  std::string out;
  const size_t n = utf16le.size() / 2;
  size_t start = 0;
  for (size_t k = 0; k <= n; ++k) {
    const bool end = k == n;
    if (end || (utf16le[2 * k] == '\0' && utf16le[2 * k + 1] == '\0')) {
      out += Utf16LeToAnsi(utf16le.substr(2 * start, 2 * (k - start)), code_page);
      if (!end) out.push_back('\0');
      start = k + 1;
    }
  }
  return out;
}

namespace {

// Every code page the program knows keeps ASCII as it is, and most names are
// ASCII: they need no conversion.
bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8, int code_page) {
  if (IsAscii(utf8)) return std::string(utf8);
  return EncodeAnsi(DecodeUtf8(utf8), Resolve(code_page));
}

std::string AnsiToUtf8(std::string_view ansi, int code_page) {
  if (IsAscii(ansi)) return std::string(ansi);
  std::string out;
  out.reserve(ansi.size());
  for (uint32_t cp : DecodeAnsi(ansi, Resolve(code_page))) AppendUtf8(cp, &out);
  return out;
}

std::u32string AnsiToCodePoints(std::string_view ansi, int code_page) {
  return DecodeAnsi(ansi, Resolve(code_page));
}

std::string Utf16LeToUtf8(std::string_view utf16le) {
  std::string out;
  out.reserve(utf16le.size());
  for (uint32_t cp : DecodeUtf16(utf16le)) AppendUtf8(cp, &out);
  return out;
}

std::string Utf8ToUtf16Le(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  size_t i = 0;
  while (i < utf8.size()) AppendUtf16(DecodeUtf8At(utf8, &i), &out);
  return out;
}

bool IsValidUtf8(std::string_view utf8) {
  size_t i = 0;
  while (i < utf8.size()) {
    size_t before = i;
    if (DecodeUtf8At(utf8, &i) == 0xFFFD) {
      // A literal U+FFFD is the three bytes EF BF BD and valid.
      if (!(i - before == 3 && static_cast<unsigned char>(utf8[before]) == 0xEF)) return false;
    }
  }
  return true;
}

}  // namespace vx
