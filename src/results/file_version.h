// The version of one of the program's own files, for the reports.
#ifndef VX_RESULTS_FILE_VERSION_H_
#define VX_RESULTS_FILE_VERSION_H_

#include <string>

namespace vx {

// The file version of a Windows executable's version resource as
// "major.minor.release.build"; the empty text for a file without one (every
// file built for this host, which keeps no such resource).
std::string GetVersionString(const std::string& host_path);

}  // namespace vx

#endif  // VX_RESULTS_FILE_VERSION_H_
