// From command lines (autorun entries, service image paths and the like) to
// the program file they start: quoted or unquoted paths with arguments,
// RUNDLL32 calls, environment references, names without a directory or an
// extension. "EXE" and "RUNDLL32" are recognised in any letter case.
#ifndef VX_MATCH_COMMAND_LINE_FILE_H_
#define VX_MATCH_COMMAND_LINE_FILE_H_

#include <string>
#include <string_view>

namespace vx {

// %NAME% references expanded from the scanned machine's environment.
std::string ExpandEnvironment(std::string_view text);

// The program part of a command line: the text inside leading quotes, or the
// text up to the first "EXE " (included "EXE"), else the whole line.
std::string CommandLineFileName(std::string_view command_line);

// The full path of the existing file a command line starts, looked up like
// the system does (with ".exe" added, along PATH, the Windows and system
// directories); empty when none exists.
std::string ResolveExecutable(std::string_view command_line);

// The program part of a command line without looking at any file.
std::string ExtractExecutablePart(std::string_view command_line);

}  // namespace vx

#endif  // VX_MATCH_COMMAND_LINE_FILE_H_
