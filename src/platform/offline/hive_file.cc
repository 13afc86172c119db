#include "platform/offline/hive_file.h"

#include <fcntl.h>
#include <hivex.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/ansi_text.h"
#include "base/byte_reader.h"
#include "base/codepage.h"
#include "platform/offline/hive_format.h"
#include "platform/offline/mem_key.h"
#include "platform/offline/reg_text.h"

namespace vx {

namespace {

struct TFree {
  void operator()(void* p) const { free(p); }
};

// A value's data and type. The type is any 32-bit number a hive holds, most
// of which hivex's enumeration does not name, so it is kept in plain storage
// and never read as that enumeration.
char* ValueData(hive_h* h, hive_value_h v, uint32_t* type, size_t* len) {
  static_assert(sizeof(hive_type) == sizeof(uint32_t));
  return hivex_value_value(h, v, reinterpret_cast<hive_type*>(type), len);
}

uint64_t NamePrefix(const std::string& folded) {
  uint64_t v = 0;
  for (size_t i = 0; i < 8; ++i) v = (v << 8) | (i < folded.size() ? static_cast<unsigned char>(folded[i]) : 0u);
  return v;
}

// Orders as the folded names do: the prefixes first, the full names on a tie.
template <typename TEntryType>
bool EntryBefore(const TEntryType& entry, uint64_t prefix, const std::string& folded) {
  if (entry.prefix != prefix) return entry.prefix < prefix;
  return entry.folded < folded;
}

}  // namespace

namespace {

// The first bytes of the file (at most the base block and a bin header).
std::string ReadHead(const std::string& host_path) {
  std::string head(regf::kFirstBin + regf::kBinHeaderSize, '\0');
  int fd = open(host_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::string();
  ssize_t n = pread(fd, head.data(), head.size(), 0);
  close(fd);
  head.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return head;
}

// Why a file that hivex refused is no usable hive, in words a user can act on.
std::string RefusalReason(const std::string& head_bytes, uint64_t file_size, int hivex_errno) {
  const TByteReader head(head_bytes);
  if (file_size < 4 || !head.MatchAt(0, regf::kSignature)) return "not a registry hive (no \"regf\" signature)";
  // A head shorter than its full length and than the file: the file shrank since it was measured.
  uint64_t size = std::min<uint64_t>(file_size, head.Size());
  if (size < regf::kFirstBin + regf::kBinHeaderSize) {
    return "truncated registry hive: " + std::to_string(size) + " bytes, too short for the header and one bin";
  }
  uint32_t sum = 0, stored = 0, major = 0, minor = 0, bins = 0, root = 0;
  if (!regf::BaseBlockChecksum(head.Bytes(), &sum) || !head.U32At(regf::kChecksum, &stored) || sum != stored) {
    return "damaged registry hive: the header checksum is wrong";
  }
  head.U32At(regf::kMajorVersion, &major);
  head.U32At(regf::kMinorVersion, &minor);
  if (major != regf::kSupportedMajorVersion) {
    return "unsupported registry hive version " + std::to_string(major) + "." + std::to_string(minor);
  }
  if (!head.MatchAt(regf::kFirstBin, regf::kBinSignature)) {
    return "damaged registry hive: no \"hbin\" block after the header";
  }
  head.U32At(regf::kHiveBinsSize, &bins);
  if (regf::kFirstBin + uint64_t{bins} > file_size) {
    return "truncated registry hive: the header gives " + std::to_string(regf::kFirstBin + uint64_t{bins}) +
           " bytes, the file holds " + std::to_string(file_size);
  }
  head.U32At(regf::kRootCell, &root);
  if (root >= file_size - regf::kFirstBin) return "damaged registry hive: the root key lies outside the file";
  // hivex walks every bin and cell when it opens a hive; ENOTSUP is its word for a malformed one.
  if (hivex_errno == ENOTSUP) return "damaged registry hive: a bin or cell is malformed";
  std::string out = "damaged registry hive";
  if (hivex_errno) out += std::string(" (") + std::strerror(hivex_errno) + ")";
  return out;
}

}  // namespace

std::shared_ptr<THive> THive::Open(const std::string& host_path, std::string* error) {
  struct stat st;
  if (stat(host_path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    if (error) *error = "cannot read the file";
    return nullptr;
  }
  errno = 0;
  hive_h* h = hivex_open(host_path.c_str(), 0);
  std::string head = ReadHead(host_path);
  if (!h) {
    int e = errno;
    if (error) *error = RefusalReason(head, static_cast<uint64_t>(st.st_size), e);
    return nullptr;
  }
  THiveNode root = hivex_root(h);
  if (root == 0) {
    hivex_close(h);
    if (error) *error = "damaged hive: no root key";
    return nullptr;
  }
  std::shared_ptr<THive> hive(new THive());
  hive->handle_ = h;
  hive->host_path_ = host_path;
  hive->file_size_ = static_cast<uint64_t>(st.st_size);
  hive->root_ = root;
  hive->fd_ = open(host_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  // hivex reads what a cut-off file still holds; the keys beyond are missing.
  const TByteReader header(head);
  uint32_t bins = 0, primary = 0, secondary = 0;
  header.U32At(regf::kHiveBinsSize, &bins);
  if (header.U32At(regf::kPrimarySequence, &primary) && header.U32At(regf::kSecondarySequence, &secondary) &&
      primary != secondary) {
    // Copies of a hive in use, and hives of a system that went down, are like this.
    hive->damage_ = "the hive was not closed cleanly: changes kept in its .LOG files are not applied";
  }
  if (regf::kFirstBin + uint64_t{bins} > hive->file_size_) {
    hive->truncated_ = true;
    hive->damage_ = "truncated registry hive: the header gives " + std::to_string(regf::kFirstBin + uint64_t{bins}) +
                    " bytes, the file holds " + std::to_string(hive->file_size_) + "; keys beyond are missing";
  }
  return hive;
}

THive::~THive() {
  if (handle_) hivex_close(handle_);
  if (fd_ >= 0) close(fd_);
}

bool THive::ReadAt(uint64_t offset, size_t count, std::string* out) const {
  if (fd_ < 0 || offset > file_size_ || file_size_ - offset < count) return false;
  out->resize(count);
  size_t done = 0;
  while (done < count) {
    ssize_t n = pread(fd_, out->data() + done, count - done, static_cast<off_t>(offset + done));
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void THive::ReadSubkeyList(uint64_t offset, int depth, size_t limit, std::vector<THiveNode>* out) {
  std::string head_bytes;
  if (depth > regf::kMaxIndexRootDepth || !ReadAt(offset, regf::kListEntries, &head_bytes)) return;
  const TByteReader head(head_bytes);
  uint32_t cell_size = 0;
  uint16_t count = 0;
  head.U32At(regf::kCellSize, &cell_size);
  head.U16At(regf::kListCount, &count);
  int32_t cell = static_cast<int32_t>(cell_size);
  if (cell >= 0) return;  // a free cell holds no list
  uint64_t size = static_cast<uint64_t>(-static_cast<int64_t>(cell));
  const bool leaf =
      head.MatchAt(regf::kCellType, regf::kFastLeafType) || head.MatchAt(regf::kCellType, regf::kHashLeafType);
  const bool index_root = head.MatchAt(regf::kCellType, regf::kIndexRootType);
  const bool index = index_root || head.MatchAt(regf::kCellType, regf::kIndexLeafType);
  size_t stride = leaf ? regf::kLeafEntryBytes : index ? regf::kIndexEntryBytes : 0;
  if (stride == 0 || regf::kListEntries + count * stride > size) return;
  std::string body_bytes;
  if (!ReadAt(offset + regf::kListEntries, count * stride, &body_bytes)) return;
  const TByteReader body(body_bytes);
  for (size_t k = 0; k < count && out->size() < limit; ++k) {
    uint32_t entry = 0;
    body.U32At(k * stride, &entry);
    uint64_t target = entry + regf::kFirstBin;
    if (index_root) {
      ReadSubkeyList(target, depth + 1, limit, out);
    } else {
      out->push_back(static_cast<THiveNode>(target));
    }
  }
}

std::vector<THiveNode> THive::ChildList(THiveNode node, bool* damaged) {
  std::vector<THiveNode> out;
  errno = 0;
  std::unique_ptr<hive_node_h, TFree> children(hivex_node_children(handle_, node));
  if (children) {
    for (hive_node_h* c = children.get(); *c; ++c) out.push_back(*c);
    return out;
  }
  if (errno != ERANGE) {
    if (damaged) *damaged = true;
    return out;
  }
  std::string nk_bytes;
  if (!ReadAt(node, regf::kKeySubkeyList + 4, &nk_bytes)) return out;
  const TByteReader nk(nk_bytes);
  uint32_t list = regf::kNoCell, count = 0;
  if (!nk.MatchAt(regf::kCellType, regf::kKeyType) || !nk.U32At(regf::kKeySubkeyList, &list)) return out;
  if (list == regf::kNoCell) return out;
  nk.U32At(regf::kKeySubkeyCount, &count);
  // No list can name more keys than the file has room for.
  size_t limit = std::min<uint64_t>(count, file_size_ / 4);
  ReadSubkeyList(list + regf::kFirstBin, 0, limit, &out);
  return out;
}

void THive::SetCodePage(int code_page) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (code_page == code_page_) return;
  code_page_ = code_page;
  index_.clear();
}

std::string THive::Name(const char* utf8) {
  if (!utf8) return std::string();
  if (code_page_ == kRegNamesUtf8) return std::string(utf8);
  return Utf8ToAnsi(utf8, code_page_);
}

const THive::TChildIndex* THive::Index(THiveNode node) {
  auto it = index_.find(node);
  if (it != index_.end()) return it->second.get();
  auto index = std::make_unique<TChildIndex>();
  for (THiveNode child : ChildList(node)) {
    std::unique_ptr<char, TFree> name(hivex_node_name(handle_, child));
    if (!name) continue;  // hivex found no key there
    std::string folded = FoldRegName(Name(name.get()));
    uint64_t prefix = NamePrefix(folded);
    index->entries.push_back(TEntry{prefix, std::move(folded), child, nullptr});
  }
  std::stable_sort(index->entries.begin(), index->entries.end(),
                   [](const TEntry& a, const TEntry& b) { return EntryBefore(a, b.prefix, b.folded); });
  index->entries.shrink_to_fit();
  const TChildIndex* result = index.get();
  index_.emplace(node, std::move(index));
  return result;
}

THiveNode THive::FindChild(THiveNode node, std::string_view name) {
  return FindChildFolded(node, FoldRegName(name));
}

THiveNode THive::FindChildFolded(THiveNode node, const std::string& folded) {
  if (node == 0) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  const TChildIndex* index = Index(node);
  uint64_t prefix = NamePrefix(folded);
  auto it = std::lower_bound(index->entries.begin(), index->entries.end(), folded,
                             [prefix](const TEntry& entry, const std::string& key) {
                               return EntryBefore(entry, prefix, key);
                             });
  if (it == index->entries.end() || it->folded != folded) return 0;
  return it->node;
}

void THive::Step(TCursor* cursor, const std::string& folded) {
  if (cursor->node == 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  auto* table = static_cast<const TChildIndex*>(cursor->table);
  if (!table) {
    table = Index(cursor->node);
    if (cursor->entry) static_cast<TEntry*>(cursor->entry)->table = table;
  }
  uint64_t prefix = NamePrefix(folded);
  auto it = std::lower_bound(table->entries.begin(), table->entries.end(), folded,
                             [prefix](const TEntry& entry, const std::string& key) {
                               return EntryBefore(entry, prefix, key);
                             });
  if (it == table->entries.end() || it->folded != folded) {
    *cursor = TCursor{};
    return;
  }
  // Entries are only ever changed here, under the lock, to remember a table.
  TEntry* entry = const_cast<TEntry*>(&*it);
  *cursor = TCursor{entry->node, entry->table, entry};
}

std::vector<THiveNode> THive::Children(THiveNode node) {
  bool damaged = false;
  return Children(node, &damaged);
}

std::vector<THiveNode> THive::Children(THiveNode node, bool* damaged) {
  std::vector<THiveNode> out;
  *damaged = false;
  if (node == 0) return out;
  std::lock_guard<std::mutex> lock(mutex_);
  for (THiveNode child : ChildList(node, damaged)) {
    if (hivex_node_name_len(handle_, child) > 0) {
      out.push_back(child);
    } else {
      *damaged = true;  // the list names a cell that is no key
    }
  }
  return out;
}

std::vector<std::string> THive::ChildNames(THiveNode node) {
  std::vector<std::string> out;
  if (node == 0) return out;
  std::lock_guard<std::mutex> lock(mutex_);
  for (THiveNode child : ChildList(node)) {
    std::unique_ptr<char, TFree> name(hivex_node_name(handle_, child));
    if (name) out.push_back(Name(name.get()));
  }
  return out;
}

std::string THive::NodeName(THiveNode node) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::unique_ptr<char, TFree> name(hivex_node_name(handle_, node));
  return name ? Name(name.get()) : std::string();
}

std::vector<std::string> THive::ValueNames(THiveNode node) {
  std::vector<std::string> out;
  if (node == 0) return out;
  std::lock_guard<std::mutex> lock(mutex_);
  std::unique_ptr<hive_value_h, TFree> values(hivex_node_values(handle_, node));
  if (!values) return out;
  for (hive_value_h* v = values.get(); *v; ++v) {
    std::unique_ptr<char, TFree> key(hivex_value_key(handle_, *v));
    if (key) out.push_back(Name(key.get()));
  }
  return out;
}

bool THive::QueryValue(THiveNode node, std::string_view name, TRegValue* value) {
  if (node == 0) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  std::unique_ptr<hive_value_h, TFree> values(hivex_node_values(handle_, node));
  if (!values) return false;
  for (hive_value_h* v = values.get(); *v; ++v) {
    std::unique_ptr<char, TFree> key(hivex_value_key(handle_, *v));
    if (!key || !AnsiSameText(Name(key.get()), name)) continue;
    uint32_t type = 0;
    size_t len = 0;
    std::unique_ptr<char, TFree> data(ValueData(handle_, *v, &type, &len));
    if (!data) return false;  // hivex refused the data (damaged or oversized)
    if (value) {
      value->type = type;
      value->data.assign(data.get(), len);
    }
    return true;
  }
  return false;
}

std::vector<std::pair<std::string, TRegValue>> THive::Values(THiveNode node,
                                                             std::vector<std::string>* unreadable) {
  bool damaged = false;
  return Values(node, unreadable, &damaged);
}

std::vector<std::pair<std::string, TRegValue>> THive::Values(THiveNode node, std::vector<std::string>* unreadable,
                                                             bool* damaged) {
  std::vector<std::pair<std::string, TRegValue>> out;
  *damaged = false;
  if (node == 0) return out;
  std::lock_guard<std::mutex> lock(mutex_);
  std::unique_ptr<hive_value_h, TFree> values(hivex_node_values(handle_, node));
  if (!values) {
    *damaged = true;
    return out;
  }
  for (hive_value_h* v = values.get(); *v; ++v) {
    std::unique_ptr<char, TFree> key(hivex_value_key(handle_, *v));
    std::string name = key ? Name(key.get()) : std::string();
    uint32_t type = 0;
    size_t len = 0;
    std::unique_ptr<char, TFree> data(key ? ValueData(handle_, *v, &type, &len) : nullptr);
    if (!data) {
      if (unreadable) unreadable->push_back(name);
      continue;
    }
    TRegValue value;
    value.type = type;
    value.data.assign(data.get(), len);
    out.emplace_back(std::move(name), std::move(value));
  }
  return out;
}

uint64_t THive::Timestamp(THiveNode node) {
  if (node == 0) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  int64_t t = hivex_node_timestamp(handle_, node);
  return t < 0 ? 0 : static_cast<uint64_t>(t);
}

}  // namespace vx
