#include "match/wildcard.h"

namespace vx {

namespace {

inline char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Standard glob matching by the two-pointer method: on a mismatch only the
// most recent star is widened, which is enough because any later star can
// absorb whatever an earlier one would have taken. Worst case O(n * m), no
// recursion, no allocation.
template <bool kFold>
bool GlobMatch(std::string_view text, std::string_view pattern) {
  size_t t = 0, p = 0;
  size_t star_p = std::string_view::npos, star_t = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star_p = p++;
      star_t = t;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || (kFold ? Fold(pattern[p]) == Fold(text[t]) : pattern[p] == text[t]))) {
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

template <bool kFold>
bool QuirkyMatch(std::string_view text, std::string_view pattern) {
  // The rule language treats a run of two or more trailing stars as "at least
  // one more character": its matcher gives up when the text ends before the
  // last star. Kept on purpose, because rules were written and tested against
  // exactly that. "P**" then matches what "P*" matches in the text without
  // its last character.
  size_t stars = 0;
  while (stars < pattern.size() && pattern[pattern.size() - 1 - stars] == '*') ++stars;
  if (stars >= 2) {
    if (text.empty()) return false;
    return GlobMatch<kFold>(text.substr(0, text.size() - 1), pattern.substr(0, pattern.size() - stars + 1));
  }
  return GlobMatch<kFold>(text, pattern);
}

}  // namespace

size_t FindFolded(std::string_view text, std::string_view needle) {
  if (needle.empty()) return 0;
  if (needle.size() > text.size()) return std::string_view::npos;
  const char first = Fold(needle[0]);
  for (size_t i = 0; i + needle.size() <= text.size(); ++i) {
    if (Fold(text[i]) != first) continue;
    size_t j = 1;
    while (j < needle.size() && Fold(text[i + j]) == Fold(needle[j])) ++j;
    if (j == needle.size()) return i;
  }
  return std::string_view::npos;
}

bool WildcardMatch(std::string_view text, std::string_view pattern) {
  return QuirkyMatch<false>(text, pattern);
}

bool MatchWildcard(std::string_view text, std::string_view pattern, bool ignore_case) {
  // Folding a to z while comparing gives what upper-casing both sides first
  // gives, without the copies.
  if (pattern.size() > 1 && pattern.front() == '*' && pattern.back() == '*') {
    std::string_view inner = pattern.substr(1, pattern.size() - 2);
    if (inner.find_first_of("?*") == std::string_view::npos)
      return (ignore_case ? FindFolded(text, inner) : text.find(inner)) != std::string_view::npos;
    return ignore_case ? QuirkyMatch<true>(text, pattern) : QuirkyMatch<false>(text, pattern);
  }
  if (pattern.empty()) return text.empty();
  if (pattern == "*") return true;
  return ignore_case ? QuirkyMatch<true>(text, pattern) : QuirkyMatch<false>(text, pattern);
}

}  // namespace vx
