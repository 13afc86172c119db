// A host directory for one test, removed with it, and plain host file I/O.
#ifndef VX_TESTS_SUPPORT_TEMP_DIR_H_
#define VX_TESTS_SUPPORT_TEMP_DIR_H_

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace vx::testing {

inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TTempDir {
 public:
  TTempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("vx_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The folder with a trailing "/".
  std::string Dir() const { return path_.string() + "/"; }
  std::string Path(std::string_view relative) const { return (path_ / relative).string(); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  void Write(std::string_view relative, std::string_view content) const {
    WriteBytes(Path(relative), content);
  }
  std::string Read(std::string_view relative) const { return ReadBytes(Path(relative)); }

 private:
  std::filesystem::path path_;
};

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_TEMP_DIR_H_
