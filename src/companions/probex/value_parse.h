// Readers for the values of advanced parameters. Each accepts exactly the
// documented form and answers false for anything else, so a malformed value
// makes its parameter fail rather than match by accident.
#ifndef VX_COMPANIONS_PROBEX_VALUE_PARSE_H_
#define VX_COMPANIONS_PROBEX_VALUE_PARSE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::companion {

// Decimal digits only (no sign, no blanks); false on overflow of 64 bits.
bool ParseDecimal(std::string_view text, uint64_t* value);
// 32 hex digits of an MD5 digest, either case; `digest` gets lower case.
bool ParseMd5Hex(std::string_view text, std::string* digest);
// One to eight hex digits, optionally after "0x" or "$".
bool ParseHex32(std::string_view text, uint32_t* value);
// "COUNT:HEX" where COUNT is decimal and HEX an MD5 digest.
bool ParseCountAndMd5(std::string_view text, uint64_t* count, std::string* digest);

// A moment of time read at the precision it was written with.
struct TTimestamp {
  int64_t unix_seconds = 0;  // the first second the text stands for (UTC)
  int64_t precision = 1;     // 86400 (a day), 60 (a minute) or 1 (a second)
};
// "yyyy-mm-dd", "dd.mm.yyyy", each optionally followed by a blank or "T"
// and "hh:nn" or "hh:nn:ss".
bool ParseTimestamp(std::string_view text, TTimestamp* timestamp);

}  // namespace vx::companion

#endif  // VX_COMPANIONS_PROBEX_VALUE_PARSE_H_
