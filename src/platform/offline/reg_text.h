// Registry export text as regedit reads and writes it: "REGEDIT4" (8-bit
// text) and "Windows Registry Editor Version 5.00" (UTF-16LE with a mark as
// regedit writes it; UTF-8 and ANSI text are accepted too).
//
// The parser never stops at a bad line: each problem becomes one message
// "<file>:<line>: <what>", the line is skipped and the rest is read.
#ifndef VX_PLATFORM_OFFLINE_REG_TEXT_H_
#define VX_PLATFORM_OFFLINE_REG_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/machine.h"

namespace vx {

enum class TRegOpKind { roKey, roDeleteKey, roValue, roDeleteValue };

// One statement of the text. Names are ANSI text in the given code page;
// string data is UTF-16LE as a hive keeps it.
struct TRegOp {
  TRegOpKind kind = TRegOpKind::roKey;
  std::string key;         // full path with its root name: "HKEY_LOCAL_MACHINE\SOFTWARE\X"
  std::string value_name;  // empty = default value ("@")
  TRegValue value;
  int line = 0;
};

// A code page for ParseRegText that keeps names as UTF-8 instead of ANSI
// text: the hive tool writes them into hive files, which hold any character.
// 8-bit input text is then read as Windows-1252.
constexpr int kRegNamesUtf8 = 65001;

// Parses `bytes` (a whole file). `label` names the file in messages.
// Returns false when the text is no registry export at all (no header line).
bool ParseRegText(std::string_view bytes, std::string_view label, int code_page,
                  std::vector<TRegOp>* ops, std::vector<std::string>* messages);

// Writers for the dump of a key tree.
enum class TRegTextFormat { rfRegedit4, rfVersion5 };
std::string RegTextHeader(TRegTextFormat format);  // header line and an empty line, CR LF
std::string RegTextKeyLine(std::string_view full_path);  // "[path]\r\n"
// One value line (wrapped hex lines as regedit writes them), CR LF ended.
// A string the code page cannot hold is written as hex(1). With
// kRegNamesUtf8 (version 5 only) names and strings are UTF-8 text.
std::string RegTextValueLine(std::string_view name, const TRegValue& value, TRegTextFormat format,
                             int code_page);
// The final text in the file encoding: UTF-16LE with a mark for version 5,
// 8-bit text for REGEDIT4. `text` is ANSI in `code_page` (UTF-8 with
// kRegNamesUtf8).
std::string EncodeRegText(std::string_view text, TRegTextFormat format, int code_page);

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_REG_TEXT_H_
