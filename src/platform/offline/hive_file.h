// THive: one registry hive file, read with hivex. hivex verifies the file
// when it is opened (no "unsafe" heuristics) and bounds what it reads; each
// failure it reports becomes a missing key or value here, never a crash.
//
// Opening does not copy the hive into a key tree: a key's children are
// indexed on the first lookup below it (a sorted table of folded names), so
// a key with tens of thousands of subkeys is searched by binary search.
#ifndef VX_PLATFORM_OFFLINE_HIVE_FILE_H_
#define VX_PLATFORM_OFFLINE_HIVE_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/machine.h"

struct hive_h;  // hivex's handle

namespace vx {

using THiveNode = size_t;  // hivex's node handle; 0 = none

class THive {
 public:
  // nullptr and *error set ("not a registry hive: ...") when the file cannot
  // be opened or fails hivex's checks.
  static std::shared_ptr<THive> Open(const std::string& host_path, std::string* error);
  ~THive();
  THive(const THive&) = delete;
  THive& operator=(const THive&) = delete;

  const std::string& HostPath() const { return host_path_; }
  // What was found wrong with a hive that still opened (a truncated file);
  // empty for a sound one.
  const std::string& Damage() const { return damage_; }
  // Whether the file is cut off, so that keys are missing (a hive that was
  // only not closed cleanly holds all its keys).
  bool Truncated() const { return truncated_; }
  uint64_t FileSize() const { return file_size_; }
  THiveNode Root() const { return root_; }
  // Names are ANSI text in the code page set here (1252 until told), or
  // UTF-8 with kRegNamesUtf8 (reg_text.h), which keeps every character.
  void SetCodePage(int code_page);

  THiveNode FindChild(THiveNode node, std::string_view name);
  // The same with a name already folded by FoldRegName.
  THiveNode FindChildFolded(THiveNode node, const std::string& folded);

  // A path walk that keeps the subkey table of the key it stands on, so
  // each step is one binary search and no table lookup.
  struct TCursor {
    THiveNode node = 0;     // 0: the key is missing
    const void* table = nullptr;
    void* entry = nullptr;  // the parent's entry that leads here
  };
  TCursor RootCursor() const { return TCursor{root_, nullptr, nullptr}; }
  // Moves to the named child (folded by FoldRegName); node 0 when missing.
  void Step(TCursor* cursor, const std::string& folded);
  std::vector<std::string> ChildNames(THiveNode node);
  std::vector<THiveNode> Children(THiveNode node);
  // The same; *damaged tells whether the key's subkey list could not be read.
  std::vector<THiveNode> Children(THiveNode node, bool* damaged);
  std::string NodeName(THiveNode node);
  std::vector<std::string> ValueNames(THiveNode node);
  bool QueryValue(THiveNode node, std::string_view name, TRegValue* value);
  // Every value of a key in hive order, read in one pass; the names of
  // values whose data cannot be read go to `unreadable`.
  std::vector<std::pair<std::string, TRegValue>> Values(THiveNode node,
                                                        std::vector<std::string>* unreadable);
  // The same; *damaged tells whether the key's value list could not be read.
  std::vector<std::pair<std::string, TRegValue>> Values(THiveNode node, std::vector<std::string>* unreadable,
                                                        bool* damaged);
  uint64_t Timestamp(THiveNode node);

 private:
  struct TChildIndex;
  struct TEntry {
    uint64_t prefix;  // the first eight bytes of `folded`, big-endian: most comparisons end here
    std::string folded;
    THiveNode node;
    const TChildIndex* table = nullptr;  // the child's own table, once built
  };
  struct TChildIndex {
    std::vector<TEntry> entries;  // sorted by folded name
  };
  THive() = default;
  const TChildIndex* Index(THiveNode node);
  // The children of a key. hivex refuses keys with more subkeys than its
  // fixed limit (70,000); their lists are then read here, every offset and
  // count checked against the file, and each child is still checked by
  // hivex when it is used.
  std::vector<THiveNode> ChildList(THiveNode node, bool* damaged = nullptr);
  void ReadSubkeyList(uint64_t offset, int depth, size_t limit, std::vector<THiveNode>* out);
  bool ReadAt(uint64_t offset, size_t count, std::string* out) const;
  std::string Name(const char* utf8);

  ::hive_h* handle_ = nullptr;
  int fd_ = -1;
  std::string host_path_;
  std::string damage_;
  bool truncated_ = false;
  uint64_t file_size_ = 0;
  THiveNode root_ = 0;
  int code_page_ = 1252;
  std::mutex mutex_;  // hivex handles are not safe for concurrent use
  std::unordered_map<THiveNode, std::unique_ptr<TChildIndex>> index_;
};

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_HIVE_FILE_H_
