// What a harness asserts beyond "no crash". A failed check aborts, so that
// libFuzzer keeps the input as a crash and the replay test fails on it.
#ifndef VX_FUZZ_SUPPORT_FUZZ_CHECK_H_
#define VX_FUZZ_SUPPORT_FUZZ_CHECK_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vx::fuzz {

[[noreturn]] void CheckFailed(const char* condition, const char* file, int line);

// The input as bytes of text.
inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

}  // namespace vx::fuzz

#define VX_FUZZ_CHECK(condition)                                           \
  do {                                                                     \
    if (!(condition)) ::vx::fuzz::CheckFailed(#condition, __FILE__, __LINE__); \
  } while (0)

#endif  // VX_FUZZ_SUPPORT_FUZZ_CHECK_H_
