#include "companions/probex/check_target.h"

#include "companions/common/target_access.h"

namespace vx::companion {

std::string TCheckTarget::FileName() const {
  const size_t slash = file_.rfind('\\');
  return slash == std::string::npos ? file_ : file_.substr(slash + 1);
}

std::string TCheckTarget::Folder() const {
  const size_t slash = file_.rfind('\\');
  return slash == std::string::npos ? std::string() : file_.substr(0, slash);
}

const VxFileInfo* TCheckTarget::Info() {
  if (!info_loaded_) {
    info_loaded_ = true;
    exists_ = !file_.empty() && TargetFileInfo(file_, &info_);
  }
  return exists_ ? &info_ : nullptr;
}

const VxFileInfo* TCheckTarget::RegularFile() {
  const VxFileInfo* info = Info();
  return info != nullptr && info->is_directory == 0 ? info : nullptr;
}

int64_t FileTimeToUnix(uint64_t file_time) {
  constexpr int64_t kUnixEpochInFileTimeSeconds = 11644473600;
  return static_cast<int64_t>(file_time / 10000000u) - kUnixEpochInFileTimeSeconds;
}

}  // namespace vx::companion
