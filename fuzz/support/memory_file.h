// A file in memory with a path, for readers that only open paths (hivex, the
// program's own file readers). Each input replaces the content; nothing
// touches the disk.
#ifndef VX_FUZZ_SUPPORT_MEMORY_FILE_H_
#define VX_FUZZ_SUPPORT_MEMORY_FILE_H_

#include <string>
#include <string_view>

namespace vx::fuzz {

class TMemoryFile {
 public:
  explicit TMemoryFile(const char* name);
  ~TMemoryFile();
  TMemoryFile(const TMemoryFile&) = delete;
  TMemoryFile& operator=(const TMemoryFile&) = delete;

  // Replaces the content; returns the path that names it.
  const std::string& Write(std::string_view bytes);
  const std::string& Path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace vx::fuzz

#endif  // VX_FUZZ_SUPPORT_MEMORY_FILE_H_
