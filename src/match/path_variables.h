// Path variables ("<$WINDIR>", "<$PROGRAMFILES>" ...) name places on the
// scanned machine so that one rule fits every installation and language, and
// description variables ("<$REG_CLASSID>", "<$FILE_EXE>" ...) are the words
// findings are described in.
//
// The variable table is built once at start-up, through the 64-bit and then
// the 32-bit registry view, and keeps every value a variable had: on a 64-bit
// system <$PROGRAMFILES> stands for both program-files folders. The table is
// read-only while a scan runs.
#ifndef VX_MATCH_PATH_VARIABLES_H_
#define VX_MATCH_PATH_VARIABLES_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "base/string_list.h"

namespace vx {

// Builds the table over CurrentMachine(): the 64-bit pass, the collection of
// values, the 32-bit pass and the collection again. Frees an older table.
void BuildPathVariableTables();
void FreePathVariableTables();

// Every known variable replaced by one value (the latest the table holds).
// Names are found as written in upper case and replaced in any case; unknown
// names stay. In a regular-expression text the values are escaped.
std::string SolvePath(std::string_view text);

// Appends one entry for every combination of the values of the variables in
// `text`, at most kMaxPathAlternatives; the excess is dropped and logged in
// the include error log. A text without variables gives itself.
void SolvePathAll(std::string_view text, TStringList* list);
constexpr int kMaxPathAlternatives = 1024;

// No Windows path or registry text is longer than this (the long-path limit):
// only values that name variables again (a hostile registry) grow a text past
// it. SolvePath leaves a variable whose values would do so as it stands;
// SolvePathAll drops such alternatives, and stops once the texts it made add
// up to kMaxPathExpansionBytes (1024 ordinary paths need a small part of
// that). Both say so in the include error log.
constexpr size_t kMaxPathTextLength = 32767;
constexpr size_t kMaxPathExpansionBytes = 2 * 1024 * 1024;

// One "<$NAME>=value" entry per row of the shell-folder table, in its order.
void ListPathVariables(TStringList* list);

// Every description variable replaced by its text.
std::string SolveDescription(std::string_view text);

// Makes a value safe inside a regular expression: backslash, "(", ")" and
// "." are escaped, nothing else.
std::string EscapeRegExpr(std::string_view text);

}  // namespace vx

#endif  // VX_MATCH_PATH_VARIABLES_H_
