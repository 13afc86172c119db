#include "base/escape_markup.h"

#include "base/codepage.h"

namespace vx {

namespace {

void AppendByteEscape(unsigned char byte, std::string* out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  *out += "\\x";
  *out += kHex[byte >> 4];
  *out += kHex[byte & 15];
}

}  // namespace

TMarkupEscaper::TMarkupEscaper(int code_page, int declared_code_page) {
  if (code_page == 0) code_page = AnsiCodePage();
  raw_high_ = declared_code_page == code_page;
  std::string high(128, '\0');
  for (int i = 0; i < 128; ++i) high[i] = static_cast<char>(0x80 + i);
  const std::u32string chars = AnsiToCodePoints(high, code_page);
  for (size_t i = 0; i < high_.size() && i < chars.size(); ++i) {
    const uint32_t c = chars[i];
    // A C1 control is what Windows hands out for a byte its code page leaves
    // unassigned; it is no character a name can mean.
    high_[i] = (c == 0xFFFD || (c >= 0x80 && c <= 0x9F)) ? 0 : c;
  }
}

std::string TMarkupEscaper::Escape(std::string_view text) const {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    switch (byte) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"': out += "&quot;"; continue;
      case '\t':
      case '\n':
      case '\r': out += ch; continue;
      default: break;
    }
    if (byte < 0x20 || byte == 0x7F) {
      AppendByteEscape(byte, &out);
    } else if (byte < 0x80) {
      out += ch;
    } else if (high_[byte - 0x80] == 0) {
      AppendByteEscape(byte, &out);
    } else if (raw_high_) {
      out += ch;
    } else {
      out += "&#" + std::to_string(high_[byte - 0x80]) + ";";
    }
  }
  return out;
}

}  // namespace vx
