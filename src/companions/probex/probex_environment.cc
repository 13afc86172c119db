#include "companions/probex/probex_environment.h"

#include "companions/common/text_match.h"

namespace vx::companion {

namespace {

// Rule lines set a handful of values; a runaway include file must not make
// the environment text outgrow the 32-bit length the interface reports.
constexpr size_t kMaxEntries = 10000;
constexpr size_t kMaxEntryLength = 32768;

bool BreaksLine(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

bool TProbexEnvironment::Set(std::string_view name, std::string_view value) {
  if (name.empty() || BreaksLine(name) || BreaksLine(value) ||
      name.find('=') != std::string_view::npos ||
      name.size() + value.size() > kMaxEntryLength) {
    return false;
  }
  for (auto& entry : entries_) {
    if (SameTextIgnoringCase(entry.first, name)) {
      entry.second.assign(value);
      return true;
    }
  }
  if (entries_.size() >= kMaxEntries) return false;
  entries_.emplace_back(std::string(name), std::string(value));
  return true;
}

void TProbexEnvironment::Delete(std::string_view name) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (SameTextIgnoringCase(it->first, name)) {
      entries_.erase(it);
      return;
    }
  }
}

bool TProbexEnvironment::Find(std::string_view name, std::string* value) const {
  for (const auto& entry : entries_) {
    if (SameTextIgnoringCase(entry.first, name)) {
      *value = entry.second;
      return true;
    }
  }
  return false;
}

std::string TProbexEnvironment::Text() const {
  std::string text;
  for (const auto& entry : entries_) {
    text += entry.first;
    text += '=';
    text += entry.second;
    text += "\r\n";
  }
  return text;
}

}  // namespace vx::companion
