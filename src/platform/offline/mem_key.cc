#include "platform/offline/mem_key.h"

#include <chrono>

#include "base/ansi_text.h"

namespace vx {

std::string FoldRegName(std::string_view name) { return AnsiUpperCase(name); }

uint64_t FileTimeNow() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
  return static_cast<uint64_t>(ticks) + 116444736000000000ULL;
}

TMemKey* TMemKey::Child(std::string_view name) const {
  auto it = index_.find(FoldRegName(name));
  return it == index_.end() ? nullptr : it->second;
}

TMemKey* TMemKey::ChildFolded(const std::string& folded) const {
  if (index_.empty()) return nullptr;
  auto it = index_.find(folded);
  return it == index_.end() ? nullptr : it->second;
}

TMemKey* TMemKey::AddChild(std::string_view name) {
  std::string folded = FoldRegName(name);
  auto it = index_.find(folded);
  if (it != index_.end()) {
    it->second->deleted_ = false;
    return it->second;
  }
  children_.push_back(std::make_unique<TMemKey>(std::string(name)));
  TMemKey* child = children_.back().get();
  index_.emplace(std::move(folded), child);
  return child;
}

void TMemKey::MarkDeleted() {
  deleted_ = true;
  opaque_ = true;
  values_.clear();
  value_index_.clear();
  for (auto& child : children_) child->MarkDeleted();
}

std::vector<const TMemKey*> TMemKey::Children() const {
  std::vector<const TMemKey*> out;
  out.reserve(children_.size());
  for (const auto& child : children_) {
    if (!child->deleted_) out.push_back(child.get());
  }
  return out;
}

const TMemValue* TMemKey::FindValue(std::string_view name) const {
  auto it = value_index_.find(AnsiLowerCase(name));
  return it == value_index_.end() ? nullptr : &values_[it->second];
}

void TMemKey::SetValue(std::string_view name, const TRegValue& value) {
  auto [it, added] = value_index_.emplace(AnsiLowerCase(name), values_.size());
  if (!added) {
    TMemValue& v = values_[it->second];
    v.value = value;
    v.deleted = false;
    return;
  }
  values_.push_back(TMemValue{std::string(name), value, false});
}

void TMemKey::DeleteValue(std::string_view name) {
  auto [it, added] = value_index_.emplace(AnsiLowerCase(name), values_.size());
  if (!added) {
    TMemValue& v = values_[it->second];
    v.value = TRegValue{};
    v.deleted = true;
    return;
  }
  values_.push_back(TMemValue{std::string(name), TRegValue{}, true});
}

}  // namespace vx
