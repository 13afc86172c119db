// Values for REGEDIT4 text, spelled as regedit writes them, for fixtures
// that build a registry from text ("\"Name\"=" + RegSz("C:\\x") + "\r\n").
#ifndef VX_TESTS_SUPPORT_REG_TEXT_VALUES_H_
#define VX_TESTS_SUPPORT_REG_TEXT_VALUES_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace vx::testing {

// A REG_SZ: quoted, with backslashes and quotes escaped.
inline std::string RegSz(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

// A REG_EXPAND_SZ: the 8-bit bytes and their zero.
inline std::string RegExpandSz(std::string_view text) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out = "hex(2):";
  for (unsigned char c : text) {
    out.push_back(kDigits[c >> 4]);
    out.push_back(kDigits[c & 15]);
    out.push_back(',');
  }
  return out + "00";
}

inline std::string RegDword(uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(value));
  return buffer;
}

// One value line: "\"Name\"=<value>\r\n" ("@=" for the default value).
inline std::string RegLine(std::string_view name, std::string_view value) {
  return (name.empty() ? std::string("@") : RegSz(name)) + "=" + std::string(value) + "\r\n";
}

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_REG_TEXT_VALUES_H_
