// Helpers for the program's 8-bit text. Everything the scanner handles (file
// names, registry paths, rule texts) is a std::string of bytes in the target's
// ANSI code page (Windows-1252 unless the image says otherwise).
//
// Two kinds of case folding exist and the callers choose on purpose:
//  - "Ansi" functions fold like the Windows locale does for Windows-1252:
//    A-Z plus the accented Latin-1 letters (and S/Z/OE/Y with caron/diaeresis).
//  - the plain ones (SameText, UpperCase, LowerCase) fold only a to z.
#ifndef VX_BASE_ANSI_TEXT_H_
#define VX_BASE_ANSI_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

// a-z only.
char AsciiUpper(char c);
char AsciiLower(char c);
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);  // <0, 0, >0

// Locale folding (Windows-1252 letters).
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
bool AnsiSameText(std::string_view a, std::string_view b);
// Orders by the folded bytes; used for every case-insensitive sort.
int AnsiCompareText(std::string_view a, std::string_view b);
// Case-insensitive search; npos when absent.
size_t AnsiPosText(std::string_view needle, std::string_view haystack, size_t from = 0);
bool AnsiStartsText(std::string_view prefix, std::string_view s);
bool AnsiEndsText(std::string_view suffix, std::string_view s);

// Blanks here are every character with a code of 32 or lower, as the
// framework's Trim treats them.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);

// Replaces every occurrence of `from` (case respected unless ignore_case).
std::string StringReplaceAll(std::string_view s, std::string_view from, std::string_view to,
                             bool ignore_case = false);

// Windows path pieces (backslash, colon as drive separator).
std::string ExtractFileName(std::string_view path);   // after last '\' or ':'
std::string ExtractFilePath(std::string_view path);   // up to and including it
std::string ExtractFileDir(std::string_view path);    // without the trailing '\'
std::string ExtractFileExt(std::string_view path);    // ".ext" or empty
std::string ChangeFileExt(std::string_view path, std::string_view ext);
std::string IncludeTrailingBackslash(std::string_view path);
std::string ExcludeTrailingBackslash(std::string_view path);

// The standard integer conversion: leading blanks, an optional sign, then
// decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X".
// Anything else, an empty number or an overflow is a failure (false); the
// output is untouched then.
bool TryStrToInt(std::string_view s, int32_t* out);
bool TryStrToInt64(std::string_view s, int64_t* out);
int32_t StrToIntDef(std::string_view s, int32_t def);
int64_t StrToInt64Def(std::string_view s, int64_t def);
std::string IntToStr(int64_t v);
std::string IntToHex(uint64_t v, int digits);  // upper-case, zero-padded

}  // namespace vx

#endif  // VX_BASE_ANSI_TEXT_H_
