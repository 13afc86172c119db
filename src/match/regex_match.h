// The "<regexpr>" comparison on PCRE2, and the process-wide lists of the
// groups of the latest regular-expression match.
//
// Patterns come from rule files, which are not trusted: every search runs
// under match, depth and heap limits, and a search that hits one counts as
// no match (the include error log says so, once per pattern). A pattern that
// does not compile raises TRegexError. The accepted dialect is described in
// docs/regular-expressions.md.
#ifndef VX_MATCH_REGEX_MATCH_H_
#define VX_MATCH_REGEX_MATCH_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/string_list.h"

namespace vx {

// The most groups a match reports besides the whole match.
constexpr int kMaxRegExprGroups = 14;

// Raised for a pattern that does not compile; the rule line that holds it is
// caught and logged like any other failing rule.
class TRegexError : public EVxError {
 public:
  using EVxError::EVxError;
};

// Searches `text` for `pattern` anywhere (unless the pattern anchors itself).
// Afterwards LastRegExprGroups() holds the whole match and the groups up to
// the highest one that took part (empty when nothing matched); on success
// LastRegExprMatch() holds the same.
bool RegExprMatch(std::string_view text, std::string_view pattern, bool ignore_case);

// The whole match and the groups of the latest attempt, and of the latest
// attempt that matched. Process-wide; only the scan thread compares regular
// expressions while a scan runs.
TStringList& LastRegExprGroups();
TStringList& LastRegExprMatch();

// Compiled patterns are kept per thread, keyed by pattern text and case flag,
// at most this many; the least recently used one makes room.
constexpr size_t kRegExprCacheSize = 512;

// Limits of one search; hitting one makes the search fail as "no match".
constexpr uint32_t kRegExprMatchLimit = 200000;
constexpr uint32_t kRegExprDepthLimit = 10000;
constexpr uint32_t kRegExprHeapLimitKiB = 8192;

// Test and benchmark hooks for the calling thread's cache.
void ClearRegExprCache();
size_t RegExprCacheCount();

}  // namespace vx

#endif  // VX_MATCH_REGEX_MATCH_H_
