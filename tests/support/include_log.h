// Runs a test inside a fresh temporary directory that has a "Logs" folder,
// so that the include error log is written, and reads that log back.
#ifndef VX_TESTS_SUPPORT_INCLUDE_LOG_H_
#define VX_TESTS_SUPPORT_INCLUDE_LOG_H_

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace vx::testing {

class TScopedIncludeLog {
 public:
  TScopedIncludeLog() : old_(std::filesystem::current_path()) {
    dir_ = std::filesystem::temp_directory_path() /
           ("vx-match-log-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir_ / "Logs");
    std::filesystem::current_path(dir_);
  }
  ~TScopedIncludeLog() {
    std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string Text() const {
    std::ifstream in(dir_ / "Logs" / "Include errors.log", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  std::filesystem::path old_;
  std::filesystem::path dir_;
};

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_INCLUDE_LOG_H_
