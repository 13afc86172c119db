#include "rules/host_file.h"

#include <filesystem>
#include <fstream>
#include <utility>

namespace vx {

THostRead ReadHostFile(const std::string& path, std::string* bytes) {
  std::error_code ec;
  auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status) || std::filesystem::is_directory(status)) {
    return THostRead::hrMissing;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return THostRead::hrFailed;
  std::string data;
  char buffer[65536];
  while (in.read(buffer, sizeof(buffer)) || in.gcount() > 0) {
    data.append(buffer, static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) return THostRead::hrFailed;
  *bytes = std::move(data);
  return THostRead::hrOk;
}

std::string HostFileName(const std::string& path) {
  size_t pos = path.find_last_of("/\\");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

}  // namespace vx
