#include "base/app_paths.h"

#include <filesystem>
#include <system_error>

namespace vx {

namespace {

std::filesystem::path ExecutablePath() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe;
}

}  // namespace

std::string IncludeTrailingSeparator(const std::string& dir) {
  if (dir.empty() || dir.back() == '/') return dir;
  return dir + "/";
}

std::string ExecutableDirectory() {
  std::filesystem::path exe = ExecutablePath();
  if (exe.empty()) return "";
  return IncludeTrailingSeparator(exe.parent_path().string());
}

std::string ExecutableFileName() { return ExecutablePath().filename().string(); }

}  // namespace vx
