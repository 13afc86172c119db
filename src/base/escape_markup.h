// Escaping for text from the scanned machine (names, descriptions, paths,
// registry data) placed into the HTML and XML reports. That text may hold
// anything a registry value name or a file name can hold, so the escaped form
// is always well-formed in the document it lands in:
//
//  - "&", "<", ">" and '"' become "&amp;", "&lt;", "&gt;" and "&quot;";
//    apostrophes stay, since no such text is written into an attribute.
//  - The C0 control characters other than tab, line feed and carriage return,
//    and DEL, become "\x" with two upper-case hexadecimal digits ("\x01",
//    "\x1B", "\x7F"). XML 1.0 forbids the C0 ones even as character
//    references, and none of them would show in a browser.
//  - A byte above 127 that the text's ANSI code page does not define (0x81,
//    0x8D, 0x8F, 0x90 and 0x9D in Windows-1252) becomes "\x81" and the like.
//  - A byte above 127 that the code page defines stays as it is when the
//    document declares that very code page, and otherwise becomes a decimal
//    character reference of its Unicode character ("\xE9" in Windows-1252
//    gives "&#233;"), which every reader decodes alike.
//
// Tab, line feed and carriage return stay: a CR LF inside a text ends a report
// line on purpose. A backslash is not escaped, so a name that itself holds
// "\x41" reads like an escape; the text report keeps the raw bytes for that.
#ifndef VX_BASE_ESCAPE_MARKUP_H_
#define VX_BASE_ESCAPE_MARKUP_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

class TMarkupEscaper {
 public:
  // `code_page`: the ANSI code page the texts are written in (0: the
  // process's). `declared_code_page`: the code page the document declares,
  // 0 when it declares none.
  TMarkupEscaper(int code_page, int declared_code_page);

  std::string Escape(std::string_view text) const;

 private:
  // The character of each byte 0x80..0xFF, 0 where the code page has none.
  std::array<uint32_t, 128> high_{};
  bool raw_high_ = false;
};

}  // namespace vx

#endif  // VX_BASE_ESCAPE_MARKUP_H_
