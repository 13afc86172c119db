#include "base/escape_html.h"

namespace vx {

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  // One pass gives the same result as the replacements in turn with "&"
  // first: no replacement produces a character that a later one would touch.
  for (char ch : text) {
    switch (static_cast<unsigned char>(ch)) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case 169: out += "&#169;"; break;
      default: out += ch;
    }
  }
  return out;
}

}  // namespace vx
