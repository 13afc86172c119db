#include "app/check_log.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/date_time.h"

namespace vx {

namespace {

// Logs are host files below the current directory; "Logs" is never created.
void WriteLine(const std::string& name, const std::string& line, bool overwrite) {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::path("Logs") / name;
  bool exists = std::filesystem::exists(path, ec);
  std::FILE* f = std::fopen(path.c_str(), (overwrite || !exists) ? "wb" : "ab");
  if (f == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), f);
  std::fclose(f);
}

}  // namespace

void TFileLogSink::CheckLog(std::string_view file_name, std::string_view text, bool overwrite) {
  std::string line = FormatDateTime("dd.mm.yyyy hh:nn:ss", Now()) + " - " + std::string(text) + "\r\n";
  WriteLine(std::string(file_name), line, overwrite);
}

void TFileLogSink::IncludeError(std::string_view text) {
  std::string line = FormatDateTime("c", Now()) + " " + std::string(text) + "\r\n";
  WriteLine("Include errors.log", line, false);
}

TFileLogSink& FileLogs() {
  static TFileLogSink logs;
  return logs;
}

}  // namespace vx
