#include "rules/base64.h"

#include <array>
#include <cstdint>
#include <utility>

namespace vx {

namespace {

constexpr char kAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> MakeReverse() {
  std::array<int8_t, 256> t{};
  for (auto& v : t) v = -1;
  for (int i = 0; i < 64; ++i) t[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
  return t;
}

constexpr std::array<int8_t, 256> kReverse = MakeReverse();

}  // namespace

std::string Base64Encode(std::string_view data) {
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= data.size(); i += 3) {
    uint32_t v = (static_cast<uint8_t>(data[i]) << 16) |
                 (static_cast<uint8_t>(data[i + 1]) << 8) | static_cast<uint8_t>(data[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  size_t rest = data.size() - i;
  if (rest > 0) {
    uint32_t v = static_cast<uint8_t>(data[i]) << 16;
    if (rest == 2) v |= static_cast<uint8_t>(data[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool Base64Decode(std::string_view text, std::string* out) {
  size_t len = text.size();
  size_t pad = 0;
  while (pad < 2 && len > 0 && text[len - 1] == '=') {
    --len;
    ++pad;
  }
  if (pad > 0 && (len + pad) % 4 != 0) return false;
  if (len % 4 == 1) return false;
  std::string result;
  result.reserve(len / 4 * 3 + 2);
  uint32_t acc = 0;
  int bits = 0;
  for (size_t i = 0; i < len; ++i) {
    int8_t v = kReverse[static_cast<uint8_t>(text[i])];
    if (v < 0) return false;
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      result += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  *out = std::move(result);
  return true;
}

}  // namespace vx
