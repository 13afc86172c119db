// TMemKey: a registry key held in memory. It carries keys loaded from .reg
// text and every change made to the registry of an image; over a hive it is
// the overlay that records what was added, changed or deleted.
//
// Keys are never freed while their tree lives: a deleted key stays as a
// tombstone, so open handles to it stay valid (they read as missing).
#ifndef VX_PLATFORM_OFFLINE_MEM_KEY_H_
#define VX_PLATFORM_OFFLINE_MEM_KEY_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/machine.h"

namespace vx {

struct TMemValue {
  std::string name;  // ANSI; empty = default value
  TRegValue value;
  bool deleted = false;  // hides a value of the same name below
};

class TMemKey {
 public:
  explicit TMemKey(std::string name) : name_(std::move(name)) {}
  TMemKey(const TMemKey&) = delete;
  TMemKey& operator=(const TMemKey&) = delete;

  const std::string& Name() const { return name_; }
  // A deleted key reads as missing and hides the key of the same name below.
  bool Deleted() const { return deleted_; }
  // Whatever lies below this key (in a hive) is hidden: set when the key was
  // deleted, and kept when it is made again.
  bool Opaque() const { return opaque_; }

  // The child of that name (ignoring case), tombstones included; nullptr when none.
  TMemKey* Child(std::string_view name) const;
  // The same with a name already folded by FoldRegName.
  TMemKey* ChildFolded(const std::string& folded) const;
  // Existing child (revived when deleted) or a new one.
  TMemKey* AddChild(std::string_view name);
  // Marks the key and everything below it deleted.
  void MarkDeleted();
  // Live children in creation order.
  std::vector<const TMemKey*> Children() const;
  size_t ChildCount() const { return children_.size(); }

  const std::vector<TMemValue>& Values() const { return values_; }
  // nullptr when not recorded here (a tombstone is returned).
  const TMemValue* FindValue(std::string_view name) const;
  void SetValue(std::string_view name, const TRegValue& value);
  // Records the deletion (a tombstone), so a value below is hidden too.
  void DeleteValue(std::string_view name);

  uint64_t LastWriteTime() const { return last_write_; }
  void Touch(uint64_t filetime) { last_write_ = filetime; }

 private:
  std::string name_;
  bool deleted_ = false;
  bool opaque_ = false;
  uint64_t last_write_ = 0;
  std::vector<std::unique_ptr<TMemKey>> children_;
  std::unordered_map<std::string, TMemKey*> index_;  // folded name -> child
  std::vector<TMemValue> values_;
  // Lower-cased name -> index in values_: a key of .reg text may hold a
  // hundred thousand values, and each is looked up when it is set.
  std::unordered_map<std::string, size_t> value_index_;
};

// The case folding every registry name lookup uses (ANSI locale folding).
std::string FoldRegName(std::string_view name);

// Now as a FILETIME.
uint64_t FileTimeNow();

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_MEM_KEY_H_
