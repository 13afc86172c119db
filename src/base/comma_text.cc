#include "base/comma_text.h"

namespace vx {

namespace {
inline bool IsSkippable(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}
}  // namespace

std::vector<std::string> SplitCommaText(std::string_view text) {
  std::vector<std::string> items;
  size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  size_t p = 0;
  const size_t n = text.size();
  while (p < n && IsSkippable(text[p])) ++p;
  while (p < n) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < n) {
        if (text[p] == '"') {
          if (p + 1 < n && text[p + 1] == '"') {
            item.push_back('"');
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item.push_back(text[p++]);
      }
    } else {
      size_t start = p;
      while (p < n && static_cast<unsigned char>(text[p]) > 32 && text[p] != ',') ++p;
      item.assign(text.substr(start, p - start));
    }
    items.push_back(std::move(item));
    while (p < n && IsSkippable(text[p])) ++p;
    if (p < n && text[p] == ',') {
      if (p + 1 == n) items.emplace_back();
      ++p;
      while (p < n && IsSkippable(text[p])) ++p;
    }
  }
  return items;
}

std::string JoinCommaText(const std::vector<std::string>& items) {
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out.push_back(',');
    const std::string& s = items[i];
    bool quote = false;
    for (char c : s) {
      if (static_cast<unsigned char>(c) <= 32 || c == '"' || c == ',') {
        quote = true;
        break;
      }
    }
    if (!quote) {
      out += s;
      continue;
    }
    out.push_back('"');
    for (char c : s) {
      if (c == '"') out.push_back('"');
      out.push_back(c);
    }
    out.push_back('"');
  }
  return out;
}

std::vector<std::string> SplitStrict(std::string_view text, char separator) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  size_t start = 0;
  while (true) {
    size_t p = text.find(separator, start);
    if (p == std::string_view::npos) {
      items.emplace_back(text.substr(start));
      break;
    }
    items.emplace_back(text.substr(start, p - start));
    start = p + 1;
  }
  return items;
}

}  // namespace vx
