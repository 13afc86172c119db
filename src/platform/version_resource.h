// The version resource of a Windows executable (.exe, .dll, .sys), read from
// the file's bytes: the fixed file information and the string table.
//
// The bytes are hostile: every header, section, directory entry and block is
// checked against them, the resource directory is walked a fixed three levels
// (type, name, language) so a loop in it cannot hold the reader, and the
// number of directory entries and version blocks read is bounded.
#ifndef VX_PLATFORM_VERSION_RESOURCE_H_
#define VX_PLATFORM_VERSION_RESOURCE_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

// Executables larger than this are not read for their version (the whole
// file is read to find it).
inline constexpr uint64_t kMaxVersionFileBytes = 64ull * 1024 * 1024;

// Four parts, most significant first: {1, 6, 0, 27} is "1.6.0.27".
using TVersionNumber = std::array<uint16_t, 4>;

// "major.minor.release.build".
std::string VersionNumberText(const TVersionNumber& number);

struct TFileVersionInfo {
  TVersionNumber file_version{};     // from the fixed file information
  TVersionNumber product_version{};
  // From the first string table, in the program's ANSI text; empty when the
  // resource has no such string. The texts are written by the file's maker
  // and need not agree with the numbers.
  std::string company_name;
  std::string file_description;
  std::string file_version_text;     // "FileVersion"
  std::string internal_name;
  std::string legal_copyright;
  std::string original_filename;
  std::string product_name;
  std::string product_version_text;  // "ProductVersion"
};

// False when the bytes are no Windows executable, hold no version resource,
// or the resource lacks its fixed file information. A string table that is
// damaged or missing leaves the strings empty; the numbers still count.
// Strings are converted from UTF-16 in `code_page` (0: the process's).
bool ParseVersionResource(std::string_view pe_bytes, TFileVersionInfo* out, int code_page = 0);

}  // namespace vx

#endif  // VX_PLATFORM_VERSION_RESOURCE_H_
