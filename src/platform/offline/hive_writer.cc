#include "platform/offline/hive_writer.h"

#include <hivex.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string_view>
#include <vector>

#include "base/ansi_text.h"
#include "base/codepage.h"
#include "platform/offline/hive_format.h"

namespace vx {

namespace {

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

// A cell's size for `payload` bytes after its size field.
size_t CellBytes(size_t payload) {
  return (payload + regf::kCellSizeBytes + regf::kCellAlignment - 1) & ~(regf::kCellAlignment - 1);
}

void PutType(std::string* b, size_t cell, std::string_view type) {
  std::memcpy(&(*b)[cell + regf::kCellType], type.data(), type.size());
}

void PutChecksum(std::string* b) {
  uint32_t sum = 0;
  regf::BaseBlockChecksum(*b, &sum);
  Put32(b, regf::kChecksum, sum);
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
  if (depth > regf::kMaxWriteDepth) {
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
  std::string b(regf::kBaseBlockSize + regf::kBinPage, '\0');
  uint64_t now = 0;
  // Base block.
  std::memcpy(&b[0], regf::kSignature.data(), regf::kSignature.size());
  Put32(&b, regf::kPrimarySequence, 1);  // sequence numbers equal: the hive is consistent
  Put32(&b, regf::kSecondarySequence, 1);
  Put64(&b, regf::kTimestamp, now);
  Put32(&b, regf::kMajorVersion, regf::kSupportedMajorVersion);
  Put32(&b, regf::kMinorVersion, 3);
  Put32(&b, regf::kFileType, 0);         // primary file
  Put32(&b, regf::kFileFormat, 1);       // direct memory load format
  Put32(&b, regf::kRootCell, regf::kBinHeaderSize);
  Put32(&b, regf::kHiveBinsSize, regf::kBinPage);
  Put32(&b, regf::kClustering, 1);
  // The bin.
  const size_t bin = regf::kFirstBin;
  std::memcpy(&b[bin], regf::kBinSignature.data(), regf::kBinSignature.size());
  Put32(&b, bin + regf::kBinOffset, 0);
  Put32(&b, bin + regf::kBinSize, regf::kBinPage);
  // Root key cell.
  std::string name(root_name);
  size_t nk_at = bin + regf::kBinHeaderSize;
  size_t nk_size = CellBytes(regf::kKeyName - regf::kCellSizeBytes + name.size());
  size_t sk_at = nk_at + nk_size;
  std::string sd = EveryoneDescriptor();
  size_t sk_size = CellBytes(regf::kSecurityDescriptor - regf::kCellSizeBytes + sd.size());
  uint32_t sk_offset = static_cast<uint32_t>(sk_at - bin);
  Put32(&b, nk_at, static_cast<uint32_t>(-static_cast<int32_t>(nk_size)));
  PutType(&b, nk_at, regf::kKeyType);
  Put16(&b, nk_at + regf::kKeyFlags, regf::kKeyHiveEntry | regf::kKeyNoDelete | regf::kKeyCompressedName);
  Put64(&b, nk_at + regf::kKeyTimestamp, now);
  Put32(&b, nk_at + regf::kKeyParent, 0);
  Put32(&b, nk_at + regf::kKeySubkeyCount, 0);
  Put32(&b, nk_at + regf::kKeyVolatileSubkeyCount, 0);
  Put32(&b, nk_at + regf::kKeySubkeyList, regf::kNoCell);
  Put32(&b, nk_at + regf::kKeyVolatileSubkeyList, regf::kNoCell);
  Put32(&b, nk_at + regf::kKeyValueCount, 0);
  Put32(&b, nk_at + regf::kKeyValueList, regf::kNoCell);
  Put32(&b, nk_at + regf::kKeySecurity, sk_offset);
  Put32(&b, nk_at + regf::kKeyClassName, regf::kNoCell);
  Put16(&b, nk_at + regf::kKeyNameLength, static_cast<uint16_t>(name.size()));
  Put16(&b, nk_at + regf::kKeyClassLength, 0);
  std::memcpy(&b[nk_at + regf::kKeyName], name.data(), name.size());
  // Security cell, linked to itself.
  Put32(&b, sk_at, static_cast<uint32_t>(-static_cast<int32_t>(sk_size)));
  PutType(&b, sk_at, regf::kSecurityType);
  Put32(&b, sk_at + regf::kSecurityPrevious, sk_offset);
  Put32(&b, sk_at + regf::kSecurityNext, sk_offset);
  Put32(&b, sk_at + regf::kSecurityReferences, 1);  // one key refers to it
  Put32(&b, sk_at + regf::kSecurityDescriptorSize, static_cast<uint32_t>(sd.size()));
  std::memcpy(&b[sk_at + regf::kSecurityDescriptor], sd.data(), sd.size());
  // The rest of the bin is one free cell.
  size_t free_at = sk_at + sk_size;
  Put32(&b, free_at, static_cast<uint32_t>(bin + regf::kBinPage - free_at));
  PutChecksum(&b);
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
    OpenBin(regf::kBinPage);
    std::string sd = EveryoneDescriptor();
    // Four bytes more than the cell needs; kept so that written hives stay byte for byte as before.
    sk_ = Alloc(regf::kSecurityDescriptor + sd.size());
    PutType(&bins_, sk_, regf::kSecurityType);
    Put32(&bins_, sk_ + regf::kSecurityPrevious, static_cast<uint32_t>(sk_));
    Put32(&bins_, sk_ + regf::kSecurityNext, static_cast<uint32_t>(sk_));
    Put32(&bins_, sk_ + regf::kSecurityDescriptorSize, static_cast<uint32_t>(sd.size()));
    std::memcpy(&bins_[sk_ + regf::kSecurityDescriptor], sd.data(), sd.size());
    size_t root_off = WriteKey(root, 0, true, 0);
    Put32(&bins_, sk_ + regf::kSecurityReferences, static_cast<uint32_t>(keys_));
    CloseBin();
    std::string header = EmptyHiveBytes().substr(0, regf::kBaseBlockSize);
    Put32(&header, regf::kRootCell, static_cast<uint32_t>(root_off));
    Put32(&header, regf::kHiveBinsSize, static_cast<uint32_t>(bins_.size()));
    PutChecksum(&header);
    return header + bins_;
  }

 private:
  // Cell offsets are relative to the first bin, as the hive format counts them.
  size_t Alloc(size_t payload) {
    size_t size = CellBytes(payload);
    if (bin_used_ + size > bin_end_) {
      CloseBin();
      size_t pages = (size + regf::kBinHeaderSize + regf::kBinPage - 1) / regf::kBinPage;
      size_t bin = std::max(regf::kBinPage, pages * regf::kBinPage);
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
    std::memcpy(&bins_[start], regf::kBinSignature.data(), regf::kBinSignature.size());
    Put32(&bins_, start + regf::kBinOffset, static_cast<uint32_t>(start));
    Put32(&bins_, start + regf::kBinSize, static_cast<uint32_t>(size));
    bin_used_ = start + regf::kBinHeaderSize;
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
    size_t vk = Alloc(regf::kValueName - regf::kCellSizeBytes + name.size());
    PutType(&bins_, vk, regf::kValueType);
    Put16(&bins_, vk + regf::kValueNameLength, static_cast<uint16_t>(name.size()));
    const std::string& data = v.value.data;
    if (data.size() <= 4) {
      Put32(&bins_, vk + regf::kValueDataSize, static_cast<uint32_t>(data.size()) | regf::kValueDataInline);
      for (size_t k = 0; k < data.size(); ++k) bins_[vk + regf::kValueData + k] = data[k];
    } else {
      size_t cell = Alloc(data.size());
      std::memcpy(&bins_[cell + regf::kCellSizeBytes], data.data(), data.size());
      Put32(&bins_, vk + regf::kValueDataSize, static_cast<uint32_t>(data.size()));
      Put32(&bins_, vk + regf::kValueData, static_cast<uint32_t>(cell));
    }
    Put32(&bins_, vk + regf::kValueDataType, v.value.type);
    Put16(&bins_, vk + regf::kValueFlags, compressed ? regf::kValueCompressedName : 0);
    std::memcpy(&bins_[vk + regf::kValueName], name.data(), name.size());
    return vk;
  }

  size_t WriteKey(const TMemKey& key, size_t parent, bool is_root, size_t depth) {
    ++keys_;
    bool compressed = false;
    std::string name = HiveName(is_root ? std::string("ROOT") : key.Name(), &compressed);
    size_t nk = Alloc(regf::kKeyName - regf::kCellSizeBytes + name.size());
    PutType(&bins_, nk, regf::kKeyType);
    uint16_t flags = compressed ? regf::kKeyCompressedName : 0;
    if (is_root) flags |= regf::kKeyHiveEntry | regf::kKeyNoDelete;
    Put16(&bins_, nk + regf::kKeyFlags, flags);
    Put64(&bins_, nk + regf::kKeyTimestamp, key.LastWriteTime());
    Put32(&bins_, nk + regf::kKeyParent, static_cast<uint32_t>(parent));
    Put32(&bins_, nk + regf::kKeySubkeyList, regf::kNoCell);
    Put32(&bins_, nk + regf::kKeyVolatileSubkeyList, regf::kNoCell);
    Put32(&bins_, nk + regf::kKeyValueList, regf::kNoCell);
    Put32(&bins_, nk + regf::kKeySecurity, static_cast<uint32_t>(sk_));
    Put32(&bins_, nk + regf::kKeyClassName, regf::kNoCell);
    Put16(&bins_, nk + regf::kKeyNameLength, static_cast<uint16_t>(name.size()));
    std::memcpy(&bins_[nk + regf::kKeyName], name.data(), name.size());

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
        Put32(&bins_, list + regf::kValueListEntries + 4 * k, static_cast<uint32_t>(value_cells[k]));
      }
      Put32(&bins_, nk + regf::kKeyValueCount, static_cast<uint32_t>(value_cells.size()));
      Put32(&bins_, nk + regf::kKeyValueList, static_cast<uint32_t>(list));
    }

    std::vector<const TMemKey*> children =
        depth < regf::kMaxWriteDepth ? key.Children() : std::vector<const TMemKey*>();
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
      for (size_t first = 0; first < entries.size(); first += regf::kSubkeysPerLeaf) {
        size_t count = std::min(regf::kSubkeysPerLeaf, entries.size() - first);
        size_t lh = Alloc(regf::kListEntries - regf::kCellSizeBytes + regf::kLeafEntryBytes * count);
        PutType(&bins_, lh, regf::kHashLeafType);
        Put16(&bins_, lh + regf::kListCount, static_cast<uint16_t>(count));
        for (size_t k = 0; k < count; ++k) {
          size_t entry = lh + regf::kListEntries + regf::kLeafEntryBytes * k;
          Put32(&bins_, entry, static_cast<uint32_t>(entries[first + k].first));
          Put32(&bins_, entry + 4, entries[first + k].second);
        }
        leaves.push_back(lh);
      }
      size_t list = leaves[0];
      if (leaves.size() > 1) {
        list = Alloc(regf::kListEntries - regf::kCellSizeBytes + regf::kIndexEntryBytes * leaves.size());
        PutType(&bins_, list, regf::kIndexRootType);
        Put16(&bins_, list + regf::kListCount, static_cast<uint16_t>(leaves.size()));
        for (size_t k = 0; k < leaves.size(); ++k) {
          Put32(&bins_, list + regf::kListEntries + regf::kIndexEntryBytes * k, static_cast<uint32_t>(leaves[k]));
        }
      }
      Put32(&bins_, nk + regf::kKeySubkeyCount, static_cast<uint32_t>(entries.size()));
      Put32(&bins_, nk + regf::kKeySubkeyList, static_cast<uint32_t>(list));
    }
    Put32(&bins_, nk + regf::kKeyMaxSubkeyName, max_name);
    Put32(&bins_, nk + regf::kKeyMaxValueName, max_value_name);
    Put32(&bins_, nk + regf::kKeyMaxValueData, max_value_data);
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
