// Where the program itself lives on the host.
#ifndef VX_BASE_APP_PATHS_H_
#define VX_BASE_APP_PATHS_H_

#include <string>

namespace vx {

// The folder of the running executable with a trailing "/" (from
// /proc/self/exe); empty when the host cannot tell.
std::string ExecutableDirectory();
// The running executable's file name without folder.
std::string ExecutableFileName();
// `dir` with one trailing host separator.
std::string IncludeTrailingSeparator(const std::string& dir);

}  // namespace vx

#endif  // VX_BASE_APP_PATHS_H_
