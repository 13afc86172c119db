// Case-ignoring comparisons of 8-bit text for the companion libraries. Case
// is folded as the Windows-1252 locale folds it (a-z and the accented Latin
// letters), the code page the target uses unless it says otherwise.
#ifndef VX_COMPANIONS_COMMON_TEXT_MATCH_H_
#define VX_COMPANIONS_COMMON_TEXT_MATCH_H_

#include <string>
#include <string_view>

namespace vx::companion {

char FoldCase(char c);
std::string LowerText(std::string_view text);
bool SameTextIgnoringCase(std::string_view a, std::string_view b);
bool ContainsIgnoringCase(std::string_view text, std::string_view part);
// Windows-style wildcards over the whole text: "*" any run of characters,
// "?" exactly one; case ignored. Runs in O(text * pattern) at worst, without
// recursion, so hostile patterns cannot blow the stack.
bool WildcardMatch(std::string_view text, std::string_view pattern);

}  // namespace vx::companion

#endif  // VX_COMPANIONS_COMMON_TEXT_MATCH_H_
