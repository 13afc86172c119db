#include "results/file_version.h"

#include <cstdint>
#include <fstream>
#include <string>

#include "platform/version_resource.h"

namespace vx {

std::string GetVersionString(const std::string& host_path) {
  std::ifstream in(host_path, std::ios::binary);
  if (!in) return "";
  in.seekg(0, std::ios::end);
  std::streamoff length = in.tellg();
  if (length < 0 || static_cast<uint64_t>(length) > kMaxVersionFileBytes) return "";
  in.seekg(0);
  std::string data(static_cast<size_t>(length), '\0');
  if (!in.read(data.data(), length)) return "";
  TFileVersionInfo info;
  if (!ParseVersionResource(data, &info)) return "";
  return VersionNumberText(info.file_version);
}

}  // namespace vx
