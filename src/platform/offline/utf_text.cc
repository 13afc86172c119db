#include "platform/offline/utf_text.h"

#include <cstdint>

namespace vx {

namespace {

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

// Decodes one UTF-8 sequence at s[*i]; advances *i. U+FFFD for bad input.
uint32_t DecodeUtf8(std::string_view s, size_t* i) {
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

}  // namespace

std::string Utf16LeToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t n = s.size() / 2;
  auto unit = [&](size_t k) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[2 * k])) |
           (static_cast<uint32_t>(static_cast<unsigned char>(s[2 * k + 1])) << 8);
  };
  for (size_t k = 0; k < n; ++k) {
    uint32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < n) {
      uint32_t v = unit(k + 1);
      if (v >= 0xDC00 && v <= 0xDFFF) {
        AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00), &out);
        ++k;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
    AppendUtf8(u, &out);
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  size_t i = 0;
  while (i < s.size()) AppendUtf16(DecodeUtf8(s, &i), &out);
  return out;
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    size_t before = i;
    uint32_t cp = DecodeUtf8(s, &i);
    if (cp == 0xFFFD) {
      // A literal U+FFFD is three bytes EF BF BD and valid.
      if (!(i - before == 3 && static_cast<unsigned char>(s[before]) == 0xEF)) return false;
    }
  }
  return true;
}

}  // namespace vx
