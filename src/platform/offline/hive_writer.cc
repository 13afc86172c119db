#include "platform/offline/hive_writer.h"

#include <hivex.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

#include "base/ansi_text.h"
#include "base/codepage.h"

namespace vx {

namespace {

// Layout of the base block and the first bin (offsets in bytes).
constexpr size_t kBaseBlockSize = 0x1000;
constexpr size_t kBinSize = 0x1000;
constexpr size_t kBinHeaderSize = 0x20;
constexpr size_t kChecksumOffset = 0x1FC;
constexpr uint32_t kNoCell = 0xFFFFFFFFu;
constexpr uint16_t kKeyHiveEntry = 0x0004;
constexpr uint16_t kKeyNoDelete = 0x0008;
constexpr uint16_t kKeyCompressedName = 0x0020;
constexpr size_t kMaxDepth = 512;

void Put16(std::string* b, size_t at, uint16_t v) {
  (*b)[at] = static_cast<char>(v & 0xFF);
  (*b)[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string* b, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) (*b)[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
}
void Put64(std::string* b, size_t at, uint64_t v) {
  for (int k = 0; k < 8; ++k) (*b)[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
}

// A self-relative security descriptor: owner and group Everyone, a DACL
// granting Everyone full access, inherited by subkeys.
std::string EveryoneDescriptor() {
  std::string sd(72, '\0');
  sd[0] = 1;                 // revision
  Put16(&sd, 2, 0x8004);     // self-relative, DACL present
  Put32(&sd, 4, 48);         // owner
  Put32(&sd, 8, 60);         // group
  Put32(&sd, 12, 0);         // no SACL
  Put32(&sd, 16, 20);        // DACL
  sd[20] = 2;                // ACL revision
  Put16(&sd, 22, 28);        // ACL size
  Put16(&sd, 24, 1);         // one ACE
  sd[28] = 0;                // ACCESS_ALLOWED
  sd[29] = 0x03;             // object and container inherit
  Put16(&sd, 30, 20);        // ACE size
  Put32(&sd, 32, 0x000F003F);  // KEY_ALL_ACCESS
  const char everyone[12] = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
  std::memcpy(&sd[36], everyone, 12);
  std::memcpy(&sd[48], everyone, 12);
  std::memcpy(&sd[60], everyone, 12);
  return sd;
}

struct TFree {
  void operator()(void* p) const { free(p); }
};

std::string NameUtf8(const std::string& name, bool utf8_names) {
  return utf8_names ? name : AnsiToUtf8(name);
}

std::string NameUtf16(const std::string& name, bool utf8_names) {
  return utf8_names ? Utf8ToUtf16Le(name) : AnsiToUtf16Le(name);
}

bool Fill(hive_h* h, hive_node_h node, const TMemKey& key, size_t depth, bool utf8_names,
          std::string* error) {
  if (depth > kMaxDepth) {
    *error = "keys nested too deep";
    return false;
  }
  std::vector<std::string> names;
  std::vector<std::string> datas;
  std::vector<hive_set_value> values;
  for (const TMemValue& v : key.Values()) {
    if (v.deleted) continue;
    names.push_back(NameUtf8(v.name, utf8_names));
    datas.push_back(v.value.data);
  }
  size_t k = 0;
  for (const TMemValue& v : key.Values()) {
    if (v.deleted) continue;
    hive_set_value sv;
    sv.key = names[k].data();
    // Any 32-bit type is stored; most have no name in hivex's enumeration.
    static_assert(sizeof(sv.t) == sizeof(v.value.type));
    std::memcpy(&sv.t, &v.value.type, sizeof sv.t);
    sv.len = datas[k].size();
    sv.value = datas[k].data();
    values.push_back(sv);
    ++k;
  }
  if (!values.empty() && hivex_node_set_values(h, node, values.size(), values.data(), 0) != 0) {
    *error = "cannot store the values of \"" + key.Name() + "\": " +
             (errno == ERANGE ? std::string("a value is larger than hivex writes (1 MB)")
                              : std::string(std::strerror(errno)));
    return false;
  }
  for (const TMemKey* child : key.Children()) {
    std::string name = NameUtf8(child->Name(), utf8_names);
    hive_node_h child_node = hivex_node_get_child(h, node, name.c_str());
    if (child_node == 0) child_node = hivex_node_add_child(h, node, name.c_str());
    if (child_node == 0) {
      *error = "cannot add the key \"" + child->Name() + "\": " + std::strerror(errno);
      return false;
    }
    if (!Fill(h, child_node, *child, depth + 1, utf8_names, error)) return false;
  }
  return true;
}

}  // namespace

std::string EmptyHiveBytes(std::string_view root_name) {
  std::string b(kBaseBlockSize + kBinSize, '\0');
  uint64_t now = 0;
  // Base block.
  std::memcpy(&b[0], "regf", 4);
  Put32(&b, 0x04, 1);     // sequence numbers equal: the hive is consistent
  Put32(&b, 0x08, 1);
  Put64(&b, 0x0C, now);
  Put32(&b, 0x14, 1);     // major version
  Put32(&b, 0x18, 3);     // minor version
  Put32(&b, 0x1C, 0);     // primary file
  Put32(&b, 0x20, 1);     // direct memory load format
  Put32(&b, 0x24, kBinHeaderSize);  // root cell
  Put32(&b, 0x28, kBinSize);        // size of the bins
  Put32(&b, 0x2C, 1);     // clustering factor
  // The bin.
  const size_t bin = kBaseBlockSize;
  std::memcpy(&b[bin], "hbin", 4);
  Put32(&b, bin + 4, 0);
  Put32(&b, bin + 8, kBinSize);
  // Root key cell.
  std::string name(root_name);
  size_t nk_at = bin + kBinHeaderSize;
  size_t nk_size = (4 + 0x4C + name.size() + 7) & ~size_t{7};
  size_t sk_at = nk_at + nk_size;
  std::string sd = EveryoneDescriptor();
  size_t sk_size = (4 + 0x14 + sd.size() + 7) & ~size_t{7};
  uint32_t sk_offset = static_cast<uint32_t>(sk_at - bin);
  Put32(&b, nk_at, static_cast<uint32_t>(-static_cast<int32_t>(nk_size)));
  std::memcpy(&b[nk_at + 4], "nk", 2);
  Put16(&b, nk_at + 6, kKeyHiveEntry | kKeyNoDelete | kKeyCompressedName);
  Put64(&b, nk_at + 8, now);
  Put32(&b, nk_at + 0x14, 0);        // parent
  Put32(&b, nk_at + 0x18, 0);        // subkeys
  Put32(&b, nk_at + 0x1C, 0);        // volatile subkeys
  Put32(&b, nk_at + 0x20, kNoCell);  // subkey list
  Put32(&b, nk_at + 0x24, kNoCell);  // volatile subkey list
  Put32(&b, nk_at + 0x28, 0);        // values
  Put32(&b, nk_at + 0x2C, kNoCell);  // value list
  Put32(&b, nk_at + 0x30, sk_offset);
  Put32(&b, nk_at + 0x34, kNoCell);  // class name
  Put16(&b, nk_at + 0x4C, static_cast<uint16_t>(name.size()));
  Put16(&b, nk_at + 0x4E, 0);
  std::memcpy(&b[nk_at + 0x50], name.data(), name.size());
  // Security cell, linked to itself.
  Put32(&b, sk_at, static_cast<uint32_t>(-static_cast<int32_t>(sk_size)));
  std::memcpy(&b[sk_at + 4], "sk", 2);
  Put32(&b, sk_at + 8, sk_offset);
  Put32(&b, sk_at + 12, sk_offset);
  Put32(&b, sk_at + 16, 1);  // one key refers to it
  Put32(&b, sk_at + 20, static_cast<uint32_t>(sd.size()));
  std::memcpy(&b[sk_at + 24], sd.data(), sd.size());
  // The rest of the bin is one free cell.
  size_t free_at = sk_at + sk_size;
  Put32(&b, free_at, static_cast<uint32_t>(bin + kBinSize - free_at));
  // Checksum: XOR of the first 127 double words.
  uint32_t sum = 0;
  for (size_t at = 0; at < kChecksumOffset; at += 4) {
    sum ^= static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
  }
  Put32(&b, kChecksumOffset, sum);
  return b;
}

bool WriteHiveFile(const std::string& host_path, const TMemKey& root, std::string* error,
                   bool utf8_names) {
  {
    std::ofstream out(host_path, std::ios::binary | std::ios::trunc);
    std::string bytes = EmptyHiveBytes();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      *error = "cannot write " + host_path;
      return false;
    }
  }
  hive_h* h = hivex_open(host_path.c_str(), HIVEX_OPEN_WRITE);
  if (!h) {
    *error = std::string("hivex refused the empty hive: ") + std::strerror(errno);
    return false;
  }
  bool ok = Fill(h, hivex_root(h), root, 0, utf8_names, error);
  if (ok && hivex_commit(h, nullptr, 0) != 0) {
    *error = std::string("cannot commit the hive: ") + std::strerror(errno);
    ok = false;
  }
  hivex_close(h);
  return ok;
}

}  // namespace vx

namespace vx {

namespace {

constexpr size_t kSubkeysPerLeaf = 1000;

// A name's UTF-16 code units upper-cased as the system orders subkeys
// (ASCII, Latin-1, Greek and Cyrillic letters; others as they stand).
std::u16string UpcasedUnits(const std::string& utf16) {
  std::u16string out;
  for (size_t k = 0; k + 1 < utf16.size(); k += 2) {
    char16_t c = static_cast<char16_t>(static_cast<unsigned char>(utf16[k]) |
                                       (static_cast<unsigned char>(utf16[k + 1]) << 8));
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F)) {
      c = static_cast<char16_t>(c - 0x20);
    } else if (c >= 0x450 && c <= 0x45F) {
      c = static_cast<char16_t>(c - 0x50);
    }
    out.push_back(c);
  }
  return out;
}

class TCompactWriter {
 public:
  explicit TCompactWriter(bool utf8_names) : utf8_names_(utf8_names) {}
  std::string Build(const TMemKey& root) {
    bins_.clear();
    OpenBin(kBinSize);
    std::string sd = EveryoneDescriptor();
    sk_ = Alloc(0x18 + sd.size());
    std::memcpy(&bins_[sk_ + 4], "sk", 2);
    Put32(&bins_, sk_ + 8, static_cast<uint32_t>(sk_));
    Put32(&bins_, sk_ + 12, static_cast<uint32_t>(sk_));
    Put32(&bins_, sk_ + 20, static_cast<uint32_t>(sd.size()));
    std::memcpy(&bins_[sk_ + 24], sd.data(), sd.size());
    size_t root_off = WriteKey(root, 0, true, 0);
    Put32(&bins_, sk_ + 16, static_cast<uint32_t>(keys_));
    CloseBin();
    std::string header = EmptyHiveBytes().substr(0, kBaseBlockSize);
    Put32(&header, 0x24, static_cast<uint32_t>(root_off));
    Put32(&header, 0x28, static_cast<uint32_t>(bins_.size()));
    uint32_t sum = 0;
    for (size_t at = 0; at < kChecksumOffset; at += 4) {
      sum ^= static_cast<uint32_t>(static_cast<unsigned char>(header[at])) |
             static_cast<uint32_t>(static_cast<unsigned char>(header[at + 1])) << 8 |
             static_cast<uint32_t>(static_cast<unsigned char>(header[at + 2])) << 16 |
             static_cast<uint32_t>(static_cast<unsigned char>(header[at + 3])) << 24;
    }
    Put32(&header, kChecksumOffset, sum);
    return header + bins_;
  }

 private:
  // Cell offsets are relative to the first bin, as the hive format counts them.
  size_t Alloc(size_t payload) {
    size_t size = (payload + 4 + 7) & ~size_t{7};
    if (bin_used_ + size > bin_end_) {
      CloseBin();
      size_t bin = std::max(kBinSize, (size + kBinHeaderSize + kBinSize - 1) / kBinSize * kBinSize);
      OpenBin(bin);
    }
    size_t at = bin_used_;
    bin_used_ += size;
    Put32(&bins_, at, static_cast<uint32_t>(-static_cast<int32_t>(size)));
    return at;
  }
  void OpenBin(size_t size) {
    size_t start = bins_.size();
    bins_.resize(start + size, '\0');
    std::memcpy(&bins_[start], "hbin", 4);
    Put32(&bins_, start + 4, static_cast<uint32_t>(start));
    Put32(&bins_, start + 8, static_cast<uint32_t>(size));
    bin_used_ = start + kBinHeaderSize;
    bin_end_ = start + size;
  }
  void CloseBin() {
    if (bin_used_ < bin_end_) Put32(&bins_, bin_used_, static_cast<uint32_t>(bin_end_ - bin_used_));
    bin_used_ = bin_end_;
  }
  // A name as the hive keeps it: Latin-1 bytes when every character fits
  // (flagged as compressed), else UTF-16LE.
  std::string HiveName(const std::string& name, bool* compressed) const {
    std::string utf16 = NameUtf16(name, utf8_names_);
    std::string latin;
    *compressed = true;
    for (size_t k = 0; k + 1 < utf16.size(); k += 2) {
      if (utf16[k + 1] != '\0') {
        *compressed = false;
        return utf16;
      }
      latin.push_back(utf16[k]);
    }
    return latin;
  }
  uint32_t NameHash(const std::string& name) const {
    uint32_t hash = 0;
    for (char16_t c : UpcasedUnits(NameUtf16(name, utf8_names_))) hash = hash * 37 + c;
    return hash;
  }

  size_t WriteValue(const TMemValue& v) {
    bool compressed = false;
    std::string name = HiveName(v.name, &compressed);
    size_t vk = Alloc(0x14 + name.size());
    std::memcpy(&bins_[vk + 4], "vk", 2);
    Put16(&bins_, vk + 6, static_cast<uint16_t>(name.size()));
    const std::string& data = v.value.data;
    if (data.size() <= 4) {
      Put32(&bins_, vk + 8, static_cast<uint32_t>(data.size()) | 0x80000000u);
      for (size_t k = 0; k < data.size(); ++k) bins_[vk + 12 + k] = data[k];
    } else {
      size_t cell = Alloc(data.size());
      std::memcpy(&bins_[cell + 4], data.data(), data.size());
      Put32(&bins_, vk + 8, static_cast<uint32_t>(data.size()));
      Put32(&bins_, vk + 12, static_cast<uint32_t>(cell));
    }
    Put32(&bins_, vk + 16, v.value.type);
    Put16(&bins_, vk + 20, compressed ? 1 : 0);
    std::memcpy(&bins_[vk + 24], name.data(), name.size());
    return vk;
  }

  size_t WriteKey(const TMemKey& key, size_t parent, bool is_root, size_t depth) {
    ++keys_;
    bool compressed = false;
    std::string name = HiveName(is_root ? std::string("ROOT") : key.Name(), &compressed);
    size_t nk = Alloc(0x4C + name.size());
    std::memcpy(&bins_[nk + 4], "nk", 2);
    uint16_t flags = compressed ? kKeyCompressedName : 0;
    if (is_root) flags |= kKeyHiveEntry | kKeyNoDelete;
    Put16(&bins_, nk + 6, flags);
    Put64(&bins_, nk + 8, key.LastWriteTime());
    Put32(&bins_, nk + 0x14, static_cast<uint32_t>(parent));
    Put32(&bins_, nk + 0x20, kNoCell);
    Put32(&bins_, nk + 0x24, kNoCell);
    Put32(&bins_, nk + 0x2C, kNoCell);
    Put32(&bins_, nk + 0x30, static_cast<uint32_t>(sk_));
    Put32(&bins_, nk + 0x34, kNoCell);
    Put16(&bins_, nk + 0x4C, static_cast<uint16_t>(name.size()));
    std::memcpy(&bins_[nk + 0x50], name.data(), name.size());

    std::vector<size_t> value_cells;
    uint32_t max_value_name = 0, max_value_data = 0;
    for (const TMemValue& v : key.Values()) {
      if (v.deleted) continue;
      value_cells.push_back(WriteValue(v));
      max_value_name =
          std::max<uint32_t>(max_value_name, static_cast<uint32_t>(NameUtf16(v.name, utf8_names_).size()));
      max_value_data = std::max<uint32_t>(max_value_data, static_cast<uint32_t>(v.value.data.size()));
    }
    if (!value_cells.empty()) {
      size_t list = Alloc(4 * value_cells.size());
      for (size_t k = 0; k < value_cells.size(); ++k) {
        Put32(&bins_, list + 4 + 4 * k, static_cast<uint32_t>(value_cells[k]));
      }
      Put32(&bins_, nk + 0x28, static_cast<uint32_t>(value_cells.size()));
      Put32(&bins_, nk + 0x2C, static_cast<uint32_t>(list));
    }

    std::vector<const TMemKey*> children = depth < kMaxDepth ? key.Children() : std::vector<const TMemKey*>();
    // Subkey lists are kept in the order of their upper-case names.
    std::vector<std::pair<std::u16string, const TMemKey*>> sorted;
    sorted.reserve(children.size());
    for (const TMemKey* c : children) {
      sorted.emplace_back(UpcasedUnits(NameUtf16(c->Name(), utf8_names_)), c);
    }
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::pair<size_t, uint32_t>> entries;
    uint32_t max_name = 0;
    for (const auto& [folded, child] : sorted) {
      entries.emplace_back(WriteKey(*child, nk, false, depth + 1), NameHash(child->Name()));
      max_name =
          std::max<uint32_t>(max_name, static_cast<uint32_t>(NameUtf16(child->Name(), utf8_names_).size()));
    }
    if (!entries.empty()) {
      std::vector<size_t> leaves;
      for (size_t first = 0; first < entries.size(); first += kSubkeysPerLeaf) {
        size_t count = std::min(kSubkeysPerLeaf, entries.size() - first);
        size_t lh = Alloc(4 + 8 * count);
        std::memcpy(&bins_[lh + 4], "lh", 2);
        Put16(&bins_, lh + 6, static_cast<uint16_t>(count));
        for (size_t k = 0; k < count; ++k) {
          Put32(&bins_, lh + 8 + 8 * k, static_cast<uint32_t>(entries[first + k].first));
          Put32(&bins_, lh + 12 + 8 * k, entries[first + k].second);
        }
        leaves.push_back(lh);
      }
      size_t list = leaves[0];
      if (leaves.size() > 1) {
        list = Alloc(4 + 4 * leaves.size());
        std::memcpy(&bins_[list + 4], "ri", 2);
        Put16(&bins_, list + 6, static_cast<uint16_t>(leaves.size()));
        for (size_t k = 0; k < leaves.size(); ++k) {
          Put32(&bins_, list + 8 + 4 * k, static_cast<uint32_t>(leaves[k]));
        }
      }
      Put32(&bins_, nk + 0x18, static_cast<uint32_t>(entries.size()));
      Put32(&bins_, nk + 0x20, static_cast<uint32_t>(list));
    }
    Put32(&bins_, nk + 0x38, max_name);
    Put32(&bins_, nk + 0x40, max_value_name);
    Put32(&bins_, nk + 0x44, max_value_data);
    return nk;
  }

  bool utf8_names_ = false;
  std::string bins_;
  size_t bin_used_ = 0;
  size_t bin_end_ = 0;
  size_t sk_ = 0;
  size_t keys_ = 0;
};

}  // namespace

std::string CompactHiveBytes(const TMemKey& root, bool utf8_names) {
  return TCompactWriter(utf8_names).Build(root);
}

bool WriteCompactHiveFile(const std::string& host_path, const TMemKey& root, std::string* error,
                          bool utf8_names) {
  std::string bytes = CompactHiveBytes(root, utf8_names);
  std::ofstream out(host_path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    *error = "cannot write " + host_path;
    return false;
  }
  hive_h* h = hivex_open(host_path.c_str(), 0);
  if (!h) {
    *error = std::string("hivex refused the written hive: ") + std::strerror(errno);
    return false;
  }
  hivex_close(h);
  return true;
}

}  // namespace vx
