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

std::u32string DecodeUtf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = s[i];
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    uint32_t cp = len == 1 ? c : c & (0x7F >> len);
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      unsigned char d = s[i + k];
      if ((d & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (d & 0x3F);
    }
    if (!ok) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += len;
  }
  return out;
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
  for (uint32_t cp : DecodeAnsi(ansi, Resolve(code_page))) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      uint16_t hi = 0xD800 + (cp >> 10), lo = 0xDC00 + (cp & 0x3FF);
      out.push_back(static_cast<char>(hi & 0xFF));
      out.push_back(static_cast<char>(hi >> 8));
      out.push_back(static_cast<char>(lo & 0xFF));
      out.push_back(static_cast<char>(lo >> 8));
    } else {
      out.push_back(static_cast<char>(cp & 0xFF));
      out.push_back(static_cast<char>(cp >> 8));
    }
  }
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8, int code_page) {
  return EncodeAnsi(DecodeUtf8(utf8), Resolve(code_page));
}

std::string AnsiToUtf8(std::string_view ansi, int code_page) {
  std::string out;
  out.reserve(ansi.size());
  for (uint32_t cp : DecodeAnsi(ansi, Resolve(code_page))) AppendUtf8(cp, &out);
  return out;
}

}  // namespace vx
