// The file an advanced check is about, and what the parameters ask of it.
// The file's details are fetched from the host once, on first use.
#ifndef VX_COMPANIONS_PROBEX_CHECK_TARGET_H_
#define VX_COMPANIONS_PROBEX_CHECK_TARGET_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "companions/companion_abi.h"
#include "companions/probex/probex_environment.h"

namespace vx::companion {

class TCheckTarget {
 public:
  explicit TCheckTarget(std::string file) : file_(std::move(file)) {}

  const std::string& File() const { return file_; }
  // The text after the last backslash (the whole text without one).
  std::string FileName() const;
  // The text before the last backslash (empty without one).
  std::string Folder() const;
  // The file's details; nullptr when it does not exist (or is empty).
  const VxFileInfo* Info();
  // A regular file's details; nullptr for folders and absent files.
  const VxFileInfo* RegularFile();

 private:
  std::string file_;
  bool info_loaded_ = false;
  bool exists_ = false;
  VxFileInfo info_{};
};

struct TCheckContext {
  TCheckTarget target;
  TProbexEnvironment* environment;
  int64_t now_unix;  // seconds since 1970, UTC: the moment ages are measured from
};

// Each parameter is one function of this shape: true when it holds.
using TParameterHandler = bool (*)(TCheckContext& context, std::string_view value);

// Seconds since 1970 (UTC) of a Windows FILETIME, rounded down.
int64_t FileTimeToUnix(uint64_t file_time);

}  // namespace vx::companion

#endif  // VX_COMPANIONS_PROBEX_CHECK_TARGET_H_
