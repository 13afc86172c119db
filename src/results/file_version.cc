#include "results/file_version.h"

#include <cstdint>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace vx {

namespace {

// A version resource is small; a file claiming more than this is not read.
constexpr uint64_t kMaxFileBytes = 64ull * 1024 * 1024;
constexpr uint32_t kResourceTypeVersion = 16;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr int kMaxEntriesPerDirectory = 4096;

class TBytes {
 public:
  explicit TBytes(const std::string& data) : data_(data) {}
  bool Has(uint64_t offset, uint64_t size) const {
    return offset <= data_.size() && size <= data_.size() - offset;
  }
  uint16_t U16(uint64_t o) const {
    return static_cast<uint16_t>(Byte(o) | (Byte(o + 1) << 8));
  }
  uint32_t U32(uint64_t o) const { return U16(o) | (static_cast<uint32_t>(U16(o + 2)) << 16); }
  size_t Size() const { return data_.size(); }

 private:
  uint32_t Byte(uint64_t o) const { return static_cast<uint8_t>(data_[o]); }
  const std::string& data_;
};

struct TSection {
  uint32_t virtual_address, virtual_size, raw_offset, raw_size;
};

// The file offset of an RVA; false when no section holds it.
bool RvaToOffset(const std::vector<TSection>& sections, uint32_t rva, uint64_t* offset) {
  for (const TSection& s : sections) {
    uint32_t span = std::max(s.virtual_size, s.raw_size);
    if (rva >= s.virtual_address && rva - s.virtual_address < span) {
      *offset = static_cast<uint64_t>(s.raw_offset) + (rva - s.virtual_address);
      return true;
    }
  }
  return false;
}

// The offset of the first entry of a resource directory that matches `id`
// (or the first entry at all when `id` is 0); 0 when none.
uint32_t FindEntry(const TBytes& b, uint64_t dir, uint32_t id) {
  if (!b.Has(dir, 16)) return 0;
  int count = b.U16(dir + 12) + b.U16(dir + 14);
  if (count > kMaxEntriesPerDirectory) return 0;
  for (int i = 0; i < count; ++i) {
    uint64_t entry = dir + 16 + 8ull * i;
    if (!b.Has(entry, 8)) return 0;
    uint32_t name = b.U32(entry);
    if (id != 0 && name != id) continue;
    return b.U32(entry + 4);
  }
  return 0;
}

}  // namespace

std::string GetVersionString(const std::string& host_path) {
  std::ifstream in(host_path, std::ios::binary);
  if (!in) return "";
  in.seekg(0, std::ios::end);
  std::streamoff length = in.tellg();
  if (length < 64 || static_cast<uint64_t>(length) > kMaxFileBytes) return "";
  in.seekg(0);
  std::string data(static_cast<size_t>(length), '\0');
  if (!in.read(data.data(), length)) return "";
  const TBytes b(data);

  if (b.U16(0) != 0x5A4D) return "";  // "MZ"
  uint64_t pe = b.U32(0x3C);
  if (!b.Has(pe, 24) || b.U32(pe) != 0x00004550) return "";  // "PE\0\0"
  uint16_t section_count = b.U16(pe + 6);
  uint16_t optional_size = b.U16(pe + 20);
  uint64_t optional = pe + 24;
  if (!b.Has(optional, 2)) return "";
  uint16_t magic = b.U16(optional);
  uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
  uint64_t resource_dir = directories + 8 * 2;  // the resource table is entry 2
  if (!b.Has(resource_dir, 8) || resource_dir + 8 > optional + optional_size) return "";
  uint32_t resource_rva = b.U32(resource_dir);
  if (resource_rva == 0) return "";

  std::vector<TSection> sections;
  uint64_t table = optional + optional_size;
  for (int i = 0; i < section_count; ++i) {
    uint64_t s = table + 40ull * i;
    if (!b.Has(s, 40)) return "";
    sections.push_back({b.U32(s + 12), b.U32(s + 8), b.U32(s + 20), b.U32(s + 16)});
  }
  uint64_t root = 0;
  if (!RvaToOffset(sections, resource_rva, &root)) return "";

  // Type -> name -> language: each step must lead to a subdirectory but the
  // last, which leads to a data entry.
  uint32_t next = FindEntry(b, root, kResourceTypeVersion);
  if (!(next & 0x80000000u)) return "";
  next = FindEntry(b, root + (next & 0x7FFFFFFFu), 0);
  if (!(next & 0x80000000u)) return "";
  next = FindEntry(b, root + (next & 0x7FFFFFFFu), 0);
  if (next == 0 || (next & 0x80000000u)) return "";
  uint64_t data_entry = root + next;
  if (!b.Has(data_entry, 16)) return "";
  uint64_t info = 0;
  if (!RvaToOffset(sections, b.U32(data_entry), &info)) return "";
  uint32_t info_size = b.U32(data_entry + 4);

  // VS_VERSIONINFO: three words, the key "VS_VERSION_INFO" (UTF-16 with its
  // zero), padding to four bytes, then the fixed file information.
  uint64_t fixed = (info + 6 + 32 + 3) & ~uint64_t{3};
  if (info_size < fixed - info + 52 || !b.Has(fixed, 52)) return "";
  if (b.U32(fixed) != kFixedInfoSignature) return "";
  uint32_t ms = b.U32(fixed + 8);
  uint32_t ls = b.U32(fixed + 12);
  return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." +
         std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFF);
}

}  // namespace vx
