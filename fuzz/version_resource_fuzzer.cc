// The version-resource reader of executables. Whatever the bytes, the
// answer is empty or four numbers of 0 to 65535 joined by dots.
#include <string>

#include "results/file_version.h"
#include "support/fuzz_check.h"
#include "support/memory_file.h"

namespace {

bool IsVersion(const std::string& text) {
  int parts = 0;
  size_t start = 0;
  for (;;) {
    size_t dot = text.find('.', start);
    std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(part) > 65535) {
      return false;
    }
    ++parts;
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return parts == 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vx::fuzz::TMemoryFile file("executable");
  std::string version = vx::GetVersionString(file.Write(vx::fuzz::Bytes(data, size)));
  VX_FUZZ_CHECK(version.empty() || IsVersion(version));
  return 0;
}
