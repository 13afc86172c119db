// Wildcard comparison: "*" stands for any run of characters, "?" for one
// character, every other character for itself. The match covers the whole
// text, except that a pattern both starting and ending with "*" and holding
// no other wildcard is a plain substring search.
#ifndef VX_MATCH_WILDCARD_H_
#define VX_MATCH_WILDCARD_H_

#include <string_view>

namespace vx {

// The comparison as rules use it: upper-cases a to z on both sides when
// `ignore_case` is set, then applies the shortcuts for "", "*" and "*text*".
bool MatchWildcard(std::string_view text, std::string_view pattern, bool ignore_case);

// The whole-text match without shortcuts, case respected. Runs in
// O(text * pattern) at worst, whatever the number of stars.
//
// One quirk of the rule language is kept: once the text has ended, the rest
// of the pattern matches only when it is empty or exactly one "*". So "abc*"
// matches "abc" but "abc**" does not, while "a**" still matches "abc".
bool WildcardMatch(std::string_view text, std::string_view pattern);

// The position of `needle` in `text`, a to z folded; npos when absent. An
// empty needle is found at 0.
size_t FindFolded(std::string_view text, std::string_view needle);

}  // namespace vx

#endif  // VX_MATCH_WILDCARD_H_
