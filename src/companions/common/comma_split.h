// The libraries receive their parameters as comma text and do not link the
// engine, so they carry this small splitter of their own. It follows the
// same rules as the engine's: leading characters 1..32 are skipped; a quoted
// item runs to the next single double quote (a doubled quote stands for one,
// an unterminated quote runs to the end); an unquoted item ends at a comma or
// at any character of code 32 or lower; after an item blanks and one comma
// with the blanks behind it are skipped; a comma that ends the text adds one
// empty item.
#ifndef VX_COMPANIONS_COMMON_COMMA_SPLIT_H_
#define VX_COMPANIONS_COMMON_COMMA_SPLIT_H_

#include <string>
#include <string_view>
#include <vector>

namespace vx::companion {

std::vector<std::string> SplitCommaText(std::string_view text);

}  // namespace vx::companion

#endif  // VX_COMPANIONS_COMMON_COMMA_SPLIT_H_
