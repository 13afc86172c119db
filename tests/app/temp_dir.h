// A host directory for one test, removed with it.
#ifndef VX_TESTS_APP_TEMP_DIR_H_
#define VX_TESTS_APP_TEMP_DIR_H_

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace vx::testing {

class TTempDir {
 public:
  TTempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("vx_app_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The folder with a trailing "/".
  std::string Dir() const { return path_.string() + "/"; }
  std::string Path(std::string_view relative) const { return (path_ / relative).string(); }
  void Write(std::string_view relative, std::string_view content) const {
    std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
  }
  std::string Read(std::string_view relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path path_;
};

}  // namespace vx::testing

#endif  // VX_TESTS_APP_TEMP_DIR_H_
