// Little-endian bytes for tests that build or damage binary files by hand
// (shortcuts, hives, executables). Written independently of the readers
// under test, so a shared mistake cannot hide a fault.
#ifndef VX_TESTS_SUPPORT_LE_BYTES_H_
#define VX_TESTS_SUPPORT_LE_BYTES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vx::testing {

inline void Append16(std::string* b, uint32_t v) {
  b->push_back(static_cast<char>(v & 0xFF));
  b->push_back(static_cast<char>((v >> 8) & 0xFF));
}

inline void Append32(std::string* b, uint32_t v) {
  Append16(b, v & 0xFFFF);
  Append16(b, v >> 16);
}

// Overwrites bytes that are already there.
inline void Put16(std::string* b, size_t at, uint32_t v) {
  (*b)[at] = static_cast<char>(v & 0xFF);
  (*b)[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

inline void Put32(std::string* b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

inline uint32_t Get32(std::string_view b, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(b[at + k]);
  return v;
}

// ASCII text as UTF-16LE, without a terminator.
inline std::string Utf16(std::string_view ascii) {
  std::string out;
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_LE_BYTES_H_
