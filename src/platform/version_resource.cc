#include "platform/version_resource.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "base/byte_reader.h"
#include "base/codepage.h"

namespace vx {

namespace {

// ---- Executable headers
constexpr uint16_t kDosSignature = 0x5A4D;           // "MZ"
constexpr uint64_t kDosNewHeader = 0x3C;             // the offset of the PE signature
constexpr uint32_t kPeSignature = 0x00004550;        // "PE\0\0"
constexpr uint64_t kPeHeadersBytes = 24;             // the signature and the file header
constexpr uint64_t kSectionCount = 6;                // in the file header, from the signature
constexpr uint64_t kOptionalHeaderSize = 20;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint64_t kDirectoriesPe32 = 96;            // the data directories in the optional header
constexpr uint64_t kDirectoriesPe32Plus = 112;
constexpr uint64_t kResourceDirectory = 2 * 8;       // the third directory: RVA and size
constexpr uint64_t kSectionHeaderBytes = 40;

// ---- Resource directory
constexpr uint32_t kResourceTypeVersion = 16;
constexpr uint32_t kSubdirectory = 0x80000000u;      // an entry that leads to a directory
constexpr uint64_t kDirectoryHeaderBytes = 16;       // then the named entries, then the numbered ones
constexpr uint64_t kDirectoryEntryBytes = 8;
constexpr uint64_t kDataEntryBytes = 16;
// No directory of a sound file comes near this; a larger count is damage.
constexpr uint32_t kMaxEntriesPerDirectory = 4096;

// ---- Version blocks
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint64_t kFixedInfoBytes = 52;             // VS_FIXEDFILEINFO
constexpr uint16_t kTextValue = 1;                   // a block whose value is UTF-16 text
// Blocks read from one resource at most; a version resource holds a few dozen.
constexpr int kMaxVersionBlocks = 1024;

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

// What the first entry of a resource directory that matches `id` (or the
// first entry at all when `id` is 0) leads to; 0 when none.
uint32_t FindEntry(const TByteReader& file, uint64_t dir, uint32_t id) {
  uint16_t named = 0, numbered = 0;
  if (!file.U16At(dir + 12, &named) || !file.U16At(dir + 14, &numbered)) return 0;
  uint32_t count = uint32_t{named} + numbered;
  if (count > kMaxEntriesPerDirectory) return 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t entry = dir + kDirectoryHeaderBytes + kDirectoryEntryBytes * i;
    uint32_t name = 0, target = 0;
    if (!file.U32At(entry, &name) || !file.U32At(entry + 4, &target)) return 0;
    if (id != 0 && name != id) continue;
    return target;
  }
  return 0;
}

// The bytes of the version resource; false when the file has none.
bool FindVersionResource(const TByteReader& file, TByteReader* resource) {
  uint16_t dos = 0;
  uint32_t pe = 0, signature = 0;
  if (!file.U16At(0, &dos) || dos != kDosSignature || !file.U32At(kDosNewHeader, &pe)) return false;
  if (!file.Has(pe, kPeHeadersBytes) || !file.U32At(pe, &signature) || signature != kPeSignature) return false;
  uint16_t section_count = 0, optional_size = 0, magic = 0;
  file.U16At(pe + kSectionCount, &section_count);
  file.U16At(pe + kOptionalHeaderSize, &optional_size);
  const uint64_t optional = pe + kPeHeadersBytes;
  if (!file.U16At(optional, &magic)) return false;
  const uint64_t resource_dir =
      optional + (magic == kPe32PlusMagic ? kDirectoriesPe32Plus : kDirectoriesPe32) + kResourceDirectory;
  uint32_t resource_rva = 0;
  if (!file.Has(resource_dir, 8) || resource_dir + 8 > optional + optional_size) return false;
  file.U32At(resource_dir, &resource_rva);
  if (resource_rva == 0) return false;

  std::vector<TSection> sections;
  const uint64_t table = optional + optional_size;
  for (uint32_t i = 0; i < section_count; ++i) {
    TByteReader s;
    if (!file.SubAt(table + kSectionHeaderBytes * i, kSectionHeaderBytes, &s)) return false;
    TSection section{};
    s.U32At(12, &section.virtual_address);
    s.U32At(8, &section.virtual_size);
    s.U32At(20, &section.raw_offset);
    s.U32At(16, &section.raw_size);
    sections.push_back(section);
  }
  uint64_t root = 0;
  if (!RvaToOffset(sections, resource_rva, &root)) return false;

  // Type -> name -> language: each step must lead to a subdirectory but the
  // last, which leads to a data entry. Three steps and no more, so a
  // directory that leads back to itself is only read three times.
  uint32_t next = FindEntry(file, root, kResourceTypeVersion);
  if (!(next & kSubdirectory)) return false;
  next = FindEntry(file, root + (next & ~kSubdirectory), 0);
  if (!(next & kSubdirectory)) return false;
  next = FindEntry(file, root + (next & ~kSubdirectory), 0);
  if (next == 0 || (next & kSubdirectory)) return false;
  TByteReader data_entry;
  uint32_t data_rva = 0, data_size = 0;
  uint64_t data = 0;
  if (!file.SubAt(root + next, kDataEntryBytes, &data_entry)) return false;
  data_entry.U32At(0, &data_rva);
  data_entry.U32At(4, &data_size);
  if (!RvaToOffset(sections, data_rva, &data) || data >= file.Size()) return false;
  // A file cut inside the resource keeps what it still holds.
  return file.SubAt(data, std::min<uint64_t>(data_size, file.Size() - data), resource);
}

// One block of the version tree: its length, the length of its value, the
// value's kind, a zero-terminated UTF-16 key, padding to four bytes, the
// value, padding again, then the child blocks, all within its length.
// Blocks start on four-byte boundaries counted from the resource's start.
struct TBlock {
  std::string_view key;  // UTF-16LE without its zero
  TByteReader value;
  TByteReader children;
};

// Reads a block from the bytes it fills; false when its key does not fit.
bool ParseBlock(TByteReader block, TBlock* out) {
  uint16_t value_length = 0, type = 0;
  if (!block.Skip(2) || !block.ReadU16(&value_length) || !block.ReadU16(&type)) return false;
  std::string_view key = block.String16At(block.Position());
  if (!block.Skip(key.size() + 2)) return false;  // the key's zero lies inside the block
  *out = TBlock{key, TByteReader(), TByteReader()};
  if (!block.Align(4)) return true;  // nothing after the key
  uint64_t value_bytes = type == kTextValue ? 2 * uint64_t{value_length} : value_length;
  // Some writers count a text's bytes rather than its characters; a text
  // value ends at its zero and never beyond its block.
  if (type == kTextValue) value_bytes = std::min(value_bytes, block.Remaining());
  if (!block.ReadSub(value_bytes, &out->value)) return false;
  if (block.Align(4)) block.ReadSub(block.Remaining(), &out->children);
  return true;
}

// The next block among `siblings`; false at their end, at a block that does
// not fit, or once `budget` blocks have been read.
bool NextBlock(TByteReader* siblings, int* budget, TBlock* out) {
  uint16_t length = 0;
  TByteReader block;
  if (*budget <= 0 || !siblings->Align(4) || !siblings->U16At(siblings->Position(), &length)) return false;
  --*budget;
  return length >= 6 && siblings->ReadSub(length, &block) && ParseBlock(block, out);
}

// Whether a UTF-16 key spells the ASCII `name`, case ignored as the system does.
bool KeyIs(std::string_view key, std::string_view name) {
  if (key.size() != 2 * name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = key[2 * i];
    if (key[2 * i + 1] != '\0') return false;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    char n = name[i];
    if (n >= 'a' && n <= 'z') n = static_cast<char>(n - 'a' + 'A');
    if (c != n) return false;
  }
  return true;
}

void ReadStrings(TByteReader children, int code_page, int* budget, TFileVersionInfo* out) {
  struct TField {
    const char* key;
    std::string TFileVersionInfo::*field;
  };
  static constexpr TField kFields[] = {
      {"CompanyName", &TFileVersionInfo::company_name},
      {"FileDescription", &TFileVersionInfo::file_description},
      {"FileVersion", &TFileVersionInfo::file_version_text},
      {"InternalName", &TFileVersionInfo::internal_name},
      {"LegalCopyright", &TFileVersionInfo::legal_copyright},
      {"OriginalFilename", &TFileVersionInfo::original_filename},
      {"ProductName", &TFileVersionInfo::product_name},
      {"ProductVersion", &TFileVersionInfo::product_version_text},
  };
  TBlock info, table, string;
  while (NextBlock(&children, budget, &info)) {
    if (!KeyIs(info.key, "StringFileInfo")) continue;
    // The first table (one language and code page) is the one read.
    if (!NextBlock(&info.children, budget, &table)) return;
    while (NextBlock(&table.children, budget, &string)) {
      for (const TField& f : kFields) {
        if (KeyIs(string.key, f.key)) out->*f.field = Utf16LeToAnsi(string.value.String16At(0), code_page);
      }
    }
    return;
  }
}

TVersionNumber SplitVersion(uint32_t most, uint32_t least) {
  return {static_cast<uint16_t>(most >> 16), static_cast<uint16_t>(most & 0xFFFF),
          static_cast<uint16_t>(least >> 16), static_cast<uint16_t>(least & 0xFFFF)};
}

}  // namespace

std::string VersionNumberText(const TVersionNumber& number) {
  return std::to_string(number[0]) + "." + std::to_string(number[1]) + "." + std::to_string(number[2]) + "." +
         std::to_string(number[3]);
}

bool ParseVersionResource(std::string_view pe_bytes, TFileVersionInfo* out, int code_page) {
  const TByteReader file(pe_bytes);
  TByteReader resource;
  if (!FindVersionResource(file, &resource)) return false;
  // The outer block (VS_VERSIONINFO): its value is the fixed file information.
  uint16_t length = 0;
  TByteReader outer;
  TBlock root;
  if (!resource.U16At(0, &length) || length < 6) return false;
  if (!resource.SubAt(0, std::min<uint64_t>(length, resource.Size()), &outer) || !ParseBlock(outer, &root)) {
    return false;
  }
  uint32_t signature = 0, file_ms = 0, file_ls = 0, product_ms = 0, product_ls = 0;
  if (root.value.Size() < kFixedInfoBytes || !root.value.U32At(0, &signature) || signature != kFixedInfoSignature) {
    return false;
  }
  root.value.U32At(8, &file_ms);
  root.value.U32At(12, &file_ls);
  root.value.U32At(16, &product_ms);
  root.value.U32At(20, &product_ls);
  TFileVersionInfo result;
  result.file_version = SplitVersion(file_ms, file_ls);
  result.product_version = SplitVersion(product_ms, product_ls);
  int budget = kMaxVersionBlocks;
  ReadStrings(root.children, code_page, &budget, &result);
  *out = std::move(result);
  return true;
}

}  // namespace vx
