#include "match/wildcard.h"

#include <string>

#include "base/ansi_text.h"

namespace vx {

namespace {

// Standard glob matching by the two-pointer method: on a mismatch only the
// most recent star is widened, which is enough because any later star can
// absorb whatever an earlier one would have taken. Worst case O(n * m), no
// recursion.
bool GlobMatch(std::string_view text, std::string_view pattern) {
  size_t t = 0, p = 0;
  size_t star_p = std::string_view::npos, star_t = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star_p = p++;
      star_t = t;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (star_p != std::string_view::npos) {
      p = star_p + 1;
      t = ++star_t;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool WildcardMatch(std::string_view text, std::string_view pattern) {
  // The rule language treats a run of two or more trailing stars as "at least
  // one more character": its matcher gives up when the text ends before the
  // last star. Kept on purpose, because rules were written and tested against
  // exactly that. Rewriting the run as "?*" gives the same results in linear
  // glob matching; stars inside the pattern behave as usual.
  size_t stars = 0;
  while (stars < pattern.size() && pattern[pattern.size() - 1 - stars] == '*') ++stars;
  if (stars >= 2) {
    std::string rewritten(pattern.substr(0, pattern.size() - stars));
    rewritten += "?*";
    return GlobMatch(text, rewritten);
  }
  return GlobMatch(text, pattern);
}

bool MatchWildcard(std::string_view text, std::string_view pattern, bool ignore_case) {
  std::string upper_text, upper_pattern;
  if (ignore_case) {
    upper_text = UpperCase(text);
    upper_pattern = UpperCase(pattern);
    text = upper_text;
    pattern = upper_pattern;
  }
  if (pattern.size() > 1 && pattern.front() == '*' && pattern.back() == '*') {
    std::string_view inner = pattern.substr(1, pattern.size() - 2);
    if (inner.find_first_of("?*") == std::string_view::npos)
      return text.find(inner) != std::string_view::npos;
    return WildcardMatch(text, pattern);
  }
  if (pattern.empty()) return text.empty();
  if (pattern == "*") return true;
  return WildcardMatch(text, pattern);
}

}  // namespace vx
