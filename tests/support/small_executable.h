// Small Windows executables built in memory for the version-resource tests:
// DOS and PE headers, one section holding a resource directory (version,
// name 1, language 0x409) and a version resource with its fixed file
// information and a string table. The offsets of each piece are handed back
// so that a test can damage exactly one of them.
#ifndef VX_TESTS_SUPPORT_SMALL_EXECUTABLE_H_
#define VX_TESTS_SUPPORT_SMALL_EXECUTABLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vx::testing {

struct TSmallExecutableSpec {
  uint32_t file_version_ms = 0x00010000;  // 1.0.0.0
  uint32_t file_version_ls = 0;
  uint32_t product_version_ms = 0x00010000;
  uint32_t product_version_ls = 0;
  bool pe32_plus = false;  // a 64-bit image (PE32+ optional header)
  // Key and value of each string of the table, in order; values are UTF-8.
  std::vector<std::pair<std::string, std::string>> strings;
};

// File offsets of the pieces, for tests that damage them.
struct TSmallExecutable {
  std::string bytes;
  size_t pe_header = 0;       // "PE\0\0"
  size_t optional_header = 0;
  size_t resource_entry = 0;  // the resource table's RVA and size among the data directories
  size_t section_table = 0;
  size_t resource_root = 0;   // the root directory of the resources
  size_t type_entry = 0;      // the root's entry for the version type
  size_t name_directory = 0;
  size_t language_directory = 0;
  size_t data_entry = 0;      // RVA, size, code page, reserved
  size_t version_info = 0;    // the outer version block (its length comes first)
  size_t fixed_info = 0;      // the fixed file information (its signature first)
  size_t first_string = 0;    // the first string block of the table (0 without strings)
};

TSmallExecutable BuildSmallExecutable(const TSmallExecutableSpec& spec);

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_SMALL_EXECUTABLE_H_
