#include "support/memory_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include "support/fuzz_check.h"

namespace vx::fuzz {

TMemoryFile::TMemoryFile(const char* name) {
  fd_ = memfd_create(name, MFD_CLOEXEC);
  VX_FUZZ_CHECK(fd_ >= 0);
  path_ = "/proc/self/fd/" + std::to_string(fd_);
}

TMemoryFile::~TMemoryFile() {
  if (fd_ >= 0) close(fd_);
}

const std::string& TMemoryFile::Write(std::string_view bytes) {
  VX_FUZZ_CHECK(ftruncate(fd_, 0) == 0);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    VX_FUZZ_CHECK(n > 0);
    done += static_cast<size_t>(n);
  }
  return path_;
}

}  // namespace vx::fuzz
