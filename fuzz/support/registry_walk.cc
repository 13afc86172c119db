#include "support/registry_walk.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "support/fuzz_check.h"

namespace vx::fuzz {

TWalkResult WalkKeys(std::unique_ptr<TRegKey> start, const TWalkLimits& limits) {
  TWalkResult result;
  std::deque<std::pair<std::unique_ptr<TRegKey>, size_t>> queue;
  if (start) queue.emplace_back(std::move(start), 0);
  while (!queue.empty()) {
    if (result.keys >= limits.keys) {
      result.cut = true;
      break;
    }
    auto [key, depth] = std::move(queue.front());
    queue.pop_front();
    ++result.keys;
    key->LastWriteTime();
    std::vector<std::string> names = key->ValueNames();
    if (names.size() > limits.values_per_key) result.cut = true;
    for (size_t i = 0; i < names.size() && i < limits.values_per_key; ++i) {
      TRegValue value;
      bool found = key->QueryValue(names[i], &value);
      VX_FUZZ_CHECK(key->ValueExists(names[i]) == found);
      ++result.values;
      result.data_bytes += value.data.size();
    }
    if (result.data_bytes > limits.data_bytes) {
      result.cut = true;
      break;
    }
    if (depth >= limits.depth) {
      result.cut = true;
      continue;
    }
    for (const std::string& name : key->SubKeyNames()) {
      if (queue.size() + result.keys >= limits.keys) {
        result.cut = true;
        break;
      }
      if (auto child = key->OpenSubKey(name)) queue.emplace_back(std::move(child), depth + 1);
    }
  }
  return result;
}

}  // namespace vx::fuzz
