#include "support/small_executable.h"

#include <string_view>

#include "base/codepage.h"
#include "support/le_bytes.h"

namespace vx::testing {

namespace {

void Pad4(std::string* b) { b->resize((b->size() + 3) & ~size_t{3}, '\0'); }

// One block of a version resource: length, value length, kind (1: text),
// the UTF-16 key with its zero, padding, the value, padding, the children.
// *child_offsets receives where each child starts within the block.
std::string Block(std::string_view key, uint16_t type, std::string_view value, uint16_t value_length,
                  const std::vector<std::string>& children = {}, std::vector<size_t>* child_offsets = nullptr) {
  std::string b(6, '\0');
  b += Utf8ToUtf16Le(key) + std::string(2, '\0');
  Pad4(&b);
  b += value;
  for (const std::string& child : children) {
    Pad4(&b);
    if (child_offsets) child_offsets->push_back(b.size());
    b += child;
  }
  Put16(&b, 0, static_cast<uint32_t>(b.size()));
  Put16(&b, 2, value_length);
  Put16(&b, 4, type);
  return b;
}

std::string VersionResource(const TSmallExecutableSpec& spec, size_t* first_string) {
  std::string fixed(52, '\0');
  Put32(&fixed, 0, 0xFEEF04BD);
  Put32(&fixed, 4, 0x00010000);  // structure version 1.0
  Put32(&fixed, 8, spec.file_version_ms);
  Put32(&fixed, 12, spec.file_version_ls);
  Put32(&fixed, 16, spec.product_version_ms);
  Put32(&fixed, 20, spec.product_version_ls);
  Put32(&fixed, 32, 0x00040004);  // VOS_NT_WINDOWS32
  Put32(&fixed, 36, 1);           // VFT_APP

  std::vector<std::string> strings;
  for (const auto& [key, value] : spec.strings) {
    std::string text = Utf8ToUtf16Le(value) + std::string(2, '\0');
    strings.push_back(Block(key, 1, text, static_cast<uint16_t>(text.size() / 2)));
  }
  std::string translation("\x09\x04\xB0\x04", 4);  // US English, Unicode
  std::vector<size_t> root_offsets, info_offsets, table_offsets;
  std::string table = Block("040904B0", 1, "", 0, strings, &table_offsets);
  std::string string_info = Block("StringFileInfo", 1, "", 0, {table}, &info_offsets);
  // The translations come first here, so a reader has to look past them.
  std::string var_info = Block("VarFileInfo", 1, "", 0, {Block("Translation", 0, translation, 4)});
  std::string root = Block("VS_VERSION_INFO", 0, fixed, 52, {var_info, string_info}, &root_offsets);
  *first_string = strings.empty() ? 0 : root_offsets[1] + info_offsets[0] + table_offsets[0];
  return root;
}

}  // namespace

TSmallExecutable BuildSmallExecutable(const TSmallExecutableSpec& spec) {
  constexpr size_t kFileAlignment = 0x200;
  constexpr uint32_t kSectionRva = 0x1000;
  TSmallExecutable out;
  size_t first_string = 0;
  const std::string version = VersionResource(spec, &first_string);

  out.pe_header = 0x40;
  const size_t optional_size = spec.pe32_plus ? 0xF0 : 0xE0;
  out.optional_header = out.pe_header + 24;
  const size_t directories = out.optional_header + (spec.pe32_plus ? 112 : 96);
  out.resource_entry = directories + 2 * 8;
  out.section_table = out.optional_header + optional_size;
  out.resource_root = kFileAlignment;
  out.type_entry = out.resource_root + 16;
  out.name_directory = out.resource_root + 0x18;
  out.language_directory = out.resource_root + 0x30;
  out.data_entry = out.resource_root + 0x48;
  out.version_info = out.resource_root + 0x58;
  out.fixed_info = out.version_info + 40;  // after the header and the key "VS_VERSION_INFO"
  out.first_string = first_string ? out.version_info + first_string : 0;
  const size_t section_bytes = out.version_info + version.size() - out.resource_root;
  const size_t raw_size = (section_bytes + kFileAlignment - 1) / kFileAlignment * kFileAlignment;

  std::string& b = out.bytes;
  b.assign(out.resource_root + raw_size, '\0');
  Put16(&b, 0, 0x5A4D);  // "MZ"
  Put32(&b, 0x3C, static_cast<uint32_t>(out.pe_header));
  Put32(&b, out.pe_header, 0x00004550);  // "PE\0\0"
  Put16(&b, out.pe_header + 4, spec.pe32_plus ? 0x8664 : 0x14C);
  Put16(&b, out.pe_header + 6, 1);  // one section
  Put16(&b, out.pe_header + 20, static_cast<uint32_t>(optional_size));
  Put16(&b, out.pe_header + 22, spec.pe32_plus ? 0x0022 : 0x0102);  // executable image
  Put16(&b, out.optional_header, spec.pe32_plus ? 0x20B : 0x10B);
  Put32(&b, directories - 4, 16);  // the number of data directories
  Put32(&b, out.resource_entry, kSectionRva);
  Put32(&b, out.resource_entry + 4, static_cast<uint32_t>(section_bytes));

  const size_t s = out.section_table;
  b.replace(s, 5, ".rsrc");
  Put32(&b, s + 8, static_cast<uint32_t>(section_bytes));  // virtual size
  Put32(&b, s + 12, kSectionRva);
  Put32(&b, s + 16, static_cast<uint32_t>(raw_size));
  Put32(&b, s + 20, static_cast<uint32_t>(out.resource_root));
  Put32(&b, s + 36, 0x40000040);  // initialised data, readable

  // Type 16 -> name 1 -> language 0x409 -> the data entry.
  const size_t root = out.resource_root;
  Put16(&b, root + 14, 1);
  Put32(&b, out.type_entry, 16);
  Put32(&b, out.type_entry + 4, 0x80000000u | static_cast<uint32_t>(out.name_directory - root));
  Put16(&b, out.name_directory + 14, 1);
  Put32(&b, out.name_directory + 16, 1);
  Put32(&b, out.name_directory + 20, 0x80000000u | static_cast<uint32_t>(out.language_directory - root));
  Put16(&b, out.language_directory + 14, 1);
  Put32(&b, out.language_directory + 16, 0x409);
  Put32(&b, out.language_directory + 20, static_cast<uint32_t>(out.data_entry - root));
  Put32(&b, out.data_entry, kSectionRva + static_cast<uint32_t>(out.version_info - root));
  Put32(&b, out.data_entry + 4, static_cast<uint32_t>(version.size()));
  b.replace(out.version_info, version.size(), version);
  return out;
}

}  // namespace vx::testing
