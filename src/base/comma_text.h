// Comma text: how rule parameters and finding details are split and joined.
//
// Split: leading characters 1..32 are skipped; a quoted item runs to the next
// single double quote (a doubled quote stands for one, an unterminated quote
// runs to the end); an unquoted item ends at a comma or at any character of
// code 32 or lower; blanks after an item are skipped and one comma with the
// blanks behind it; a comma that ends the text adds one empty item.
// A NUL byte ends the text, as it did for the zero-terminated strings the
// format was made for (without that an embedded NUL would stall the split).
//
// Join: items separated by commas; an item holding a blank, a control
// character, a comma or a double quote is quoted with inner quotes doubled; a
// list of a single empty item is written as "".
#ifndef VX_BASE_COMMA_TEXT_H_
#define VX_BASE_COMMA_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

namespace vx {

std::vector<std::string> SplitCommaText(std::string_view text);
std::string JoinCommaText(const std::vector<std::string>& items);
// The strict split: separates at every comma and keeps blanks and quotes as
// they stand. An empty text gives an empty list; "a," gives "a" and "".
std::vector<std::string> SplitStrict(std::string_view text, char separator = ',');

}  // namespace vx

#endif  // VX_BASE_COMMA_TEXT_H_
