#include "match/compare.h"

#include <array>
#include <utility>

#include "base/ansi_text.h"
#include "match/boyer_moore.h"
#include "match/wildcard.h"

namespace vx {

namespace {

// Tested in this order; the first that starts the pattern wins.
constexpr std::array<std::pair<std::string_view, TCompareMode>, 5> kPrefixes = {{
    {"<wc>", cmWildcard},
    {"<substr>", cmSubStr},
    {"<bool>", cmBool},
    {"<regexpr>", cmRegExpr},
    {"<bm>", cmBoyerMoore},
}};

// Upper-cases into `storage` when asked and returns the view to compare.
std::string_view Prepare(std::string_view s, bool ignore_case, std::string* storage) {
  if (!ignore_case) return s;
  *storage = UpperCase(s);
  return *storage;
}

TStringList FilterList(const TStringList& list, std::string_view pattern, bool ignore_case,
                       bool regex_ignore_case) {
  TCompareMode mode = cmWildcard;
  pattern = ParseCompareMode(pattern, &mode);
  TStringList result;
  // Work that depends only on the pattern is done once for the whole list.
  std::string upper_pattern;
  std::string_view prepared = Prepare(pattern, ignore_case && mode != cmRegExpr, &upper_pattern);
  TCompareRule rule;
  if (mode == cmBool) rule.Parse(prepared);
  std::string upper_text;
  for (int i = 0; i < list.Count(); ++i) {
    std::string_view text = list[i];
    bool hit = false;
    switch (mode) {
      case cmSubStr:
        hit = !text.empty() && !prepared.empty() &&
              Prepare(text, ignore_case, &upper_text).find(prepared) != std::string_view::npos;
        break;
      case cmWildcard:
        hit = MatchWildcard(text, pattern, ignore_case);
        break;
      case cmBool:
        hit = rule.Evaluate(Prepare(text, ignore_case, &upper_text));
        break;
      case cmRegExpr:
        hit = RegExprMatch(text, pattern, regex_ignore_case);
        break;
      case cmBoyerMoore:
        hit = BoyerMooreSearch(Prepare(text, ignore_case, &upper_text), prepared);
        break;
      case cmExact:
        hit = Prepare(text, ignore_case, &upper_text) == prepared;
        break;
    }
    if (hit) result.AddObject(list[i], list.Objects(i));
  }
  return result;
}

}  // namespace

std::string_view CompareModePrefix(TCompareMode mode) {
  for (const auto& [prefix, value] : kPrefixes)
    if (value == mode) return prefix;
  return {};
}

std::string_view ParseCompareMode(std::string_view pattern, TCompareMode* mode) {
  if (pattern.empty() || pattern.front() != '<') return pattern;
  for (const auto& [prefix, value] : kPrefixes) {
    if (pattern.starts_with(prefix)) {
      *mode = value;
      return pattern.substr(prefix.size());
    }
  }
  return pattern;
}

bool ParseCompareMode(std::string* pattern, TCompareMode* mode) {
  std::string_view rest = ParseCompareMode(std::string_view(*pattern), mode);
  if (rest.size() == pattern->size()) return false;
  pattern->erase(0, pattern->size() - rest.size());
  return true;
}

bool MatchSubStr(std::string_view text, std::string_view pattern, bool ignore_case) {
  if (text.empty() || pattern.empty()) return false;
  return (ignore_case ? FindFolded(text, pattern) : text.find(pattern)) != std::string_view::npos;
}

bool MatchExact(std::string_view text, std::string_view pattern, bool ignore_case) {
  if (text.size() != pattern.size()) return false;
  if (!ignore_case) return text == pattern;
  for (size_t i = 0; i < text.size(); ++i)
    if (AsciiUpper(text[i]) != AsciiUpper(pattern[i])) return false;
  return true;
}

bool MatchBool(std::string_view text, std::string_view pattern, bool ignore_case) {
  std::string t, p;
  return TCompareRule(Prepare(pattern, ignore_case, &p)).Evaluate(Prepare(text, ignore_case, &t));
}

bool MatchBoyerMoore(std::string_view text, std::string_view pattern, bool ignore_case) {
  std::string t, p;
  return BoyerMooreSearch(Prepare(text, ignore_case, &t), Prepare(pattern, ignore_case, &p));
}

bool MatchValue(std::string_view text, std::string_view pattern, bool ignore_case,
                TCompareMode default_mode) {
  TCompareMode mode = default_mode;
  pattern = ParseCompareMode(pattern, &mode);
  switch (mode) {
    case cmSubStr:
      return MatchSubStr(text, pattern, ignore_case);
    case cmWildcard:
      return MatchWildcard(text, pattern, ignore_case);
    case cmBool:
      return MatchBool(text, pattern, ignore_case);
    case cmRegExpr:
      return RegExprMatch(text, pattern, ignore_case);
    case cmBoyerMoore:
      return MatchBoyerMoore(text, pattern, ignore_case);
    case cmExact:
      return MatchExact(text, pattern, ignore_case);
  }
  return false;
}

TStringList MatchList(const TStringList& list, std::string_view pattern, bool ignore_case) {
  return FilterList(list, pattern, ignore_case, ignore_case);
}

TStringList MatchListKeepRegExprCase(const TStringList& list, std::string_view pattern,
                                     bool ignore_case) {
  return FilterList(list, pattern, ignore_case, false);
}

}  // namespace vx
