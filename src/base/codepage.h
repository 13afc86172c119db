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
// One code point per byte of `ansi`: U+FFFD for a byte the code page does not
// define (Windows-1252's five unassigned bytes give their C1 controls, as
// Windows maps them).
std::u32string AnsiToCodePoints(std::string_view ansi, int code_page = 0);
// String data as the ANSI registry functions return it: each zero-terminated
// UTF-16 string converted on its own, the zeros between them kept.
std::string Utf16LeDataToAnsi(std::string_view utf16le, int code_page = 0);

// UTF-8 <-> UTF-16LE for registry text files and hive names. Malformed input
// never fails: bad sequences and unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::string_view utf16le);
std::string Utf8ToUtf16Le(std::string_view utf8);
bool IsValidUtf8(std::string_view utf8);

}  // namespace vx

#endif  // VX_BASE_CODEPAGE_H_
