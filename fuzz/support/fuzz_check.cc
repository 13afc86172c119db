#include "support/fuzz_check.h"

#include <cstdio>
#include <cstdlib>

namespace vx::fuzz {

void CheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
  std::fflush(stderr);
  std::abort();
}

}  // namespace vx::fuzz
