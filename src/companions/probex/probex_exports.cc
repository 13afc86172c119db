// The exports of probex.dll. No C++ exception may leave them: each answers
// its failure value instead.
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>

#include "companions/companion_abi.h"
#include "companions/probex/advanced_check.h"
#include "companions/probex/probex_environment.h"

namespace vx::companion {

namespace {

// The environment lives as long as the library stays loaded; rule lines
// share it from one check to the next. The lock is recursive so that a host
// callback reading the environment during a check cannot deadlock.
struct TProbexState {
  std::recursive_mutex lock;
  TProbexEnvironment environment;
};

TProbexState& State() {
  static TProbexState state;
  return state;
}

int64_t NowUnix() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

uint8_t Check(const char* file, const char* params) {
  try {
    TProbexState& state = State();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    return RunAdvancedCheck(file != nullptr ? file : "", params != nullptr ? params : "",
                            &state.environment, NowUnix())
               ? 1
               : 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace

}  // namespace vx::companion

extern "C" {

VX_COMPANION_EXPORT uint8_t AdvancedCheck(const char* file, const char* params) {
  return vx::companion::Check(file, params);
}

VX_COMPANION_EXPORT uint8_t AdvancedCheckEx(const char* file, const char* params,
                                            uint32_t /*flags*/) {
  return vx::companion::Check(file, params);
}

VX_COMPANION_EXPORT void SetMBoxHandle(void* /*window*/) {}

VX_COMPANION_EXPORT int32_t GetEnvironmentSize(void) {
  try {
    auto& state = vx::companion::State();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    const size_t size = state.environment.Text().size();
    return size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
  } catch (...) {
    return 0;
  }
}

VX_COMPANION_EXPORT uint8_t GetEnvironmentText(char* buffer, int32_t* length) {
  try {
    if (length == nullptr) return 0;
    auto& state = vx::companion::State();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    const std::string text = state.environment.Text();
    if (buffer == nullptr || *length < 0 || text.size() > static_cast<size_t>(*length)) {
      *length = text.size() > INT32_MAX ? INT32_MAX : static_cast<int32_t>(text.size());
      return 0;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    *length = static_cast<int32_t>(text.size());
    return 1;
  } catch (...) {
    return 0;
  }
}

}  // extern "C"
