#include "companions/common/comma_split.h"

namespace vx::companion {

namespace {

bool IsBlank(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

}  // namespace

std::vector<std::string> SplitCommaText(std::string_view text) {
  // A NUL ends the text, as it would for the zero-terminated string it came in.
  if (const size_t nul = text.find('\0'); nul != std::string_view::npos) {
    text = text.substr(0, nul);
  }
  std::vector<std::string> items;
  size_t pos = 0;
  const size_t n = text.size();
  while (pos < n && IsBlank(text[pos])) ++pos;
  while (pos < n) {
    std::string item;
    if (text[pos] == '"') {
      ++pos;
      while (pos < n) {
        if (text[pos] == '"') {
          if (pos + 1 < n && text[pos + 1] == '"') {
            item += '"';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        item += text[pos++];
      }
    } else {
      const size_t start = pos;
      while (pos < n && text[pos] != ',' && !IsBlank(text[pos])) ++pos;
      item.assign(text.substr(start, pos - start));
    }
    items.push_back(std::move(item));
    while (pos < n && IsBlank(text[pos])) ++pos;
    if (pos < n && text[pos] == ',') {
      if (pos + 1 == n) items.emplace_back();
      ++pos;
      while (pos < n && IsBlank(text[pos])) ++pos;
    }
  }
  return items;
}

}  // namespace vx::companion
