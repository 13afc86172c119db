#include "base/windows_mask.h"

#include <string>
#include <vector>

#include "base/ansi_text.h"

namespace vx {

namespace {

// The system turns a mask into an expression with three extra wildcards
// before matching: '<' (a star that stops before the name's last dot), '>'
// (a question mark that may match nothing at a dot or at the end) and '"'
// (a dot that may match the end of the name).
constexpr char kDosStar = '<';
constexpr char kDosQm = '>';
constexpr char kDosDot = '"';

std::string Translate(std::string_view mask) {
  std::string out;
  for (size_t i = 0; i < mask.size(); ++i) {
    char c = mask[i];
    char next = i + 1 < mask.size() ? mask[i + 1] : '\0';
    if (c == '?') {
      out.push_back(kDosQm);
    } else if (c == '.' && (next == '?' || next == '*' || next == '\0')) {
      out.push_back(kDosDot);
    } else if (c == '*' && next == '.') {
      out.push_back(kDosStar);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

bool MatchesWindowsMask(std::string_view mask, std::string_view name) {
  if (mask.empty() || mask == "*" || mask == "*.*") return true;
  std::string expr = Translate(mask);
  std::string folded_name = AnsiUpperCase(name);
  std::string folded_expr = AnsiUpperCase(expr);
  const size_t n = folded_name.size();
  const size_t m = folded_expr.size();
  size_t last_dot = folded_name.rfind('.');
  // reach[j]: the expression's first j characters can match the name's
  // first i characters (rolled over i).
  std::vector<char> reach(m + 1, 0), next(m + 1, 0);
  reach[0] = 1;
  // Close over wildcards that may match nothing at position i.
  auto close = [&](std::vector<char>& r, size_t i) {
    for (size_t j = 0; j < m; ++j) {
      if (!r[j]) continue;
      char e = folded_expr[j];
      bool empty_ok = e == '*' || e == kDosStar ||
                      (e == kDosQm && (i == n || folded_name[i] == '.')) ||
                      (e == kDosDot && i == n);
      if (empty_ok) r[j + 1] = 1;
    }
  };
  close(reach, 0);
  for (size_t i = 0; i < n; ++i) {
    std::fill(next.begin(), next.end(), 0);
    char c = folded_name[i];
    for (size_t j = 0; j < m; ++j) {
      if (!reach[j]) continue;
      char e = folded_expr[j];
      switch (e) {
        case '*':
          next[j] = 1;  // stays on the star
          break;
        case kDosStar:
          // May eat characters up to, not including, the name's last dot.
          if (last_dot == std::string::npos || i < last_dot) next[j] = 1;
          break;
        case kDosQm:
          if (c != '.') next[j + 1] = 1;  // at a dot it matches nothing instead
          break;
        case kDosDot:
          if (c == '.') next[j + 1] = 1;
          break;
        default:
          if (e == c) next[j + 1] = 1;
          break;
      }
    }
    close(next, i + 1);
    reach.swap(next);
  }
  return reach[m] != 0;
}

}  // namespace vx
