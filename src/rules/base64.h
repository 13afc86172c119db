// Base64 with the standard alphabet ("A-Z a-z 0-9 + /", "=" padding).
#ifndef VX_RULES_BASE64_H_
#define VX_RULES_BASE64_H_

#include <string>
#include <string_view>

namespace vx {

// Always padded to a multiple of four characters.
std::string Base64Encode(std::string_view data);

// Strict: only alphabet characters, then at most two "=" at the very end.
// The padding may be left out, but a length of 4n+1 characters can never be
// Base64. Returns false (and leaves `out` untouched) for anything else,
// including blanks and line breaks.
bool Base64Decode(std::string_view text, std::string* out);

}  // namespace vx

#endif  // VX_RULES_BASE64_H_
