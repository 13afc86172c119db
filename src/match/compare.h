// The one comparison service of the rules: a pattern may start with a mode
// prefix ("<wc>", "<substr>", "<bool>", "<regexpr>", "<bm>"); without one the
// caller's default mode applies. Ignoring case upper-cases a to z on both
// sides, except for regular expressions, which use their own caseless mode.
#ifndef VX_MATCH_COMPARE_H_
#define VX_MATCH_COMPARE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "base/string_list.h"
#include "match/compare_rule.h"
#include "match/regex_match.h"

namespace vx {

enum TCompareMode : uint8_t {
  cmSubStr = 0,     // "<substr>": the pattern occurs in the text
  cmWildcard = 1,   // "<wc>": "*" and "?" over the whole text
  cmBool = 2,       // "<bool>": boolean search expression
  cmRegExpr = 3,    // "<regexpr>": regular expression, unanchored
  cmBoyerMoore = 4, // "<bm>": substring by Boyer-Moore-Horspool
  cmExact = 5,      // no prefix: the whole text equals the pattern
};

// The prefix of a mode ("" for cmExact).
std::string_view CompareModePrefix(TCompareMode mode);

// Removes one leading mode prefix (exact, case respected) from `pattern` and
// sets `mode`; without a prefix both stay as they are. True when a prefix
// was removed.
bool ParseCompareMode(std::string* pattern, TCompareMode* mode);
// The same on a view: returns the pattern without its prefix.
std::string_view ParseCompareMode(std::string_view pattern, TCompareMode* mode);

// Compares `text` with `pattern` in the mode its prefix names, else in
// `default_mode`. Throws TRegexError for a regular expression that does
// not compile.
bool MatchValue(std::string_view text, std::string_view pattern, bool ignore_case,
                TCompareMode default_mode = cmWildcard);

// The entries of `list` (with their objects) that match `pattern`, in order;
// the default mode is cmWildcard. MatchListKeepRegExprCase always respects
// case in regular-expression mode.
TStringList MatchList(const TStringList& list, std::string_view pattern, bool ignore_case);
TStringList MatchListKeepRegExprCase(const TStringList& list, std::string_view pattern,
                                     bool ignore_case);

// The single comparisons, for callers that already know the mode.
bool MatchSubStr(std::string_view text, std::string_view pattern, bool ignore_case);
bool MatchExact(std::string_view text, std::string_view pattern, bool ignore_case);
bool MatchBool(std::string_view text, std::string_view pattern, bool ignore_case);
bool MatchBoyerMoore(std::string_view text, std::string_view pattern, bool ignore_case);

}  // namespace vx

#endif  // VX_MATCH_COMPARE_H_
