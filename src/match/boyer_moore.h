// Substring search by the Boyer-Moore-Horspool method, case respected.
#ifndef VX_MATCH_BOYER_MOORE_H_
#define VX_MATCH_BOYER_MOORE_H_

#include <string_view>

namespace vx {

// True when `pattern` occurs in `text`; an empty pattern is always found.
bool BoyerMooreSearch(std::string_view text, std::string_view pattern);

}  // namespace vx

#endif  // VX_MATCH_BOYER_MOORE_H_
