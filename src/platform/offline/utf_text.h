// UTF-8 <-> UTF-16LE conversions for registry text files and hive names.
// Malformed input never fails: bad sequences become U+FFFD.
#ifndef VX_PLATFORM_OFFLINE_UTF_TEXT_H_
#define VX_PLATFORM_OFFLINE_UTF_TEXT_H_

#include <string>
#include <string_view>

namespace vx {

std::string Utf16LeToUtf8(std::string_view utf16le);
std::string Utf8ToUtf16Le(std::string_view utf8);
bool IsValidUtf8(std::string_view text);

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_UTF_TEXT_H_
