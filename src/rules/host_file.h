// Reading the program's own files (include files, list files, the threat
// information file) from the host. These never come from the scanned machine.
#ifndef VX_RULES_HOST_FILE_H_
#define VX_RULES_HOST_FILE_H_

#include <string>

namespace vx {

enum class THostRead { hrOk, hrMissing, hrFailed };

// hrMissing when nothing (or a directory) is at the path; hrFailed when the
// file exists but cannot be read.
THostRead ReadHostFile(const std::string& path, std::string* bytes);

// Last component of a host path or a Windows path.
std::string HostFileName(const std::string& path);

}  // namespace vx

#endif  // VX_RULES_HOST_FILE_H_
