// A bounded walk through a registry as the scanner sees it: subkeys by name,
// every value's name and data, the last write time. The limits keep each
// input fast however many keys and values the input claims.
#ifndef VX_FUZZ_SUPPORT_REGISTRY_WALK_H_
#define VX_FUZZ_SUPPORT_REGISTRY_WALK_H_

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/machine.h"

namespace vx::fuzz {

struct TWalkLimits {
  size_t keys = 256;
  size_t depth = 24;
  size_t values_per_key = 64;
  uint64_t data_bytes = 4 << 20;
};

struct TWalkResult {
  size_t keys = 0;
  size_t values = 0;
  uint64_t data_bytes = 0;
  bool cut = false;  // a limit was reached
};

TWalkResult WalkKeys(std::unique_ptr<TRegKey> key, const TWalkLimits& limits = TWalkLimits());

}  // namespace vx::fuzz

#endif  // VX_FUZZ_SUPPORT_REGISTRY_WALK_H_
