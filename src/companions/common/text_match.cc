#include "companions/common/text_match.h"

namespace vx::companion {

char FoldCase(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
  switch (u) {
    case 0x8A: return static_cast<char>(0x9A);  // S caron
    case 0x8C: return static_cast<char>(0x9C);  // OE
    case 0x8E: return static_cast<char>(0x9E);  // Z caron
    case 0x9F: return static_cast<char>(0xFF);  // Y diaeresis
    default: return c;
  }
}

std::string LowerText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = FoldCase(c);
  return out;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  if (part.empty()) return true;
  if (part.size() > text.size()) return false;
  for (size_t start = 0; start + part.size() <= text.size(); ++start) {
    if (SameTextIgnoringCase(text.substr(start, part.size()), part)) return true;
  }
  return false;
}

bool WildcardMatch(std::string_view text, std::string_view pattern) {
  size_t t = 0;
  size_t p = 0;
  size_t star = std::string_view::npos;  // pattern position after the last '*'
  size_t star_text = 0;                  // text position that '*' stands at
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = ++p;
      star_text = t;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || FoldCase(pattern[p]) == FoldCase(text[t]))) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      // Let the last star swallow one more character and retry from there;
      // earlier stars never need to move, which keeps this linear-ish.
      p = star;
      t = ++star_text;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace vx::companion
