// Conversions between the program's 8-bit ANSI text and Unicode encodings.
// The code page is the target's ANSI code page (1252 when the image does not
// say otherwise); a character the code page lacks becomes "?".
#ifndef VX_BASE_CODEPAGE_H_
#define VX_BASE_CODEPAGE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

// The process-wide ANSI code page, set once at start-up from the target.
int AnsiCodePage();
void SetAnsiCodePage(int code_page);

// `utf16le` holds little-endian UTF-16 bytes (an odd last byte is dropped).
std::string Utf16LeToAnsi(std::string_view utf16le, int code_page = 0);
std::string AnsiToUtf16Le(std::string_view ansi, int code_page = 0);
std::string Utf8ToAnsi(std::string_view utf8, int code_page = 0);
std::string AnsiToUtf8(std::string_view ansi, int code_page = 0);

}  // namespace vx

#endif  // VX_BASE_CODEPAGE_H_
