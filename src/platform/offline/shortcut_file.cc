#include "platform/offline/shortcut_file.h"

#include <cstdint>
#include <string>

#include "base/byte_reader.h"
#include "base/codepage.h"

namespace vx {

namespace {

constexpr uint32_t kHeaderSize = 0x4C;
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr uint32_t kHasTargetIdList = 0x01;
constexpr uint32_t kHasLinkInfo = 0x02;
constexpr uint32_t kHasName = 0x04;
constexpr uint32_t kHasRelativePath = 0x08;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr uint32_t kCommonNetworkRelativeLink = 0x02;
constexpr uint32_t kEnvironmentBlock = 0xA0000001;

// A zero-terminated string of the link within [at, end): 8-bit text as it
// stands, UTF-16 converted.
std::string AnsiZ(const TByteReader& r, uint64_t at, uint64_t end) {
  TByteReader range;
  if (end > r.Size()) end = r.Size();
  if (at >= end || !r.SubAt(at, end - at, &range)) return std::string();
  return std::string(range.String8At(0));
}

std::string Utf16Z(const TByteReader& r, uint64_t at, uint64_t end, int code_page) {
  TByteReader range;
  if (end > r.Size()) end = r.Size();
  if (at >= end || !r.SubAt(at, end - at, &range)) return std::string();
  return Utf16LeToAnsi(range.String16At(0), code_page);
}

}  // namespace

bool ParseShortcut(std::string_view bytes, int code_page, TShortcutInfo* info,
                   bool* target_from_environment) {
  const TByteReader r(bytes);
  uint32_t header_size = 0, flags = 0;
  if (!r.U32At(0, &header_size) || header_size != kHeaderSize || r.Size() < kHeaderSize) return false;
  if (!r.MatchAt(4, std::string_view(reinterpret_cast<const char*>(kLinkClsid), sizeof kLinkClsid))) return false;
  r.U32At(0x14, &flags);
  TShortcutInfo result;
  if (target_from_environment) *target_from_environment = false;
  uint64_t at = kHeaderSize;
  if (flags & kHasTargetIdList) {
    uint16_t size = 0;
    if (!r.U16At(at, &size)) return false;
    at += 2 + uint64_t{size};
  }
  if (flags & kHasLinkInfo) {
    uint32_t size = 0, header = 0, info_flags = 0, local_offset = 0, network_offset = 0, suffix_offset = 0;
    if (!r.U32At(at, &size) || size < 0x1C || !r.Has(at, size)) return false;
    r.U32At(at + 4, &header);
    r.U32At(at + 8, &info_flags);
    r.U32At(at + 16, &local_offset);
    r.U32At(at + 20, &network_offset);
    r.U32At(at + 24, &suffix_offset);
    uint64_t end = at + size;
    uint32_t local_unicode = 0, suffix_unicode = 0;
    bool has_unicode = header >= 0x24 && r.U32At(at + 28, &local_unicode) && r.U32At(at + 32, &suffix_unicode);
    std::string suffix;
    if (has_unicode && suffix_unicode && suffix_unicode < size) {
      suffix = Utf16Z(r, at + suffix_unicode, end, code_page);
    } else if (suffix_offset && suffix_offset < size) {
      suffix = AnsiZ(r, at + suffix_offset, end);
    }
    if ((info_flags & kVolumeIdAndLocalBasePath)) {
      if (has_unicode && local_unicode && local_unicode < size) {
        result.target = Utf16Z(r, at + local_unicode, end, code_page);
      } else if (local_offset && local_offset < size) {
        result.target = AnsiZ(r, at + local_offset, end);
      }
      result.target += suffix;
    } else if ((info_flags & kCommonNetworkRelativeLink) && network_offset && network_offset < size) {
      uint64_t link = at + network_offset;
      uint32_t net_name_offset = 0;
      if (r.U32At(link + 8, &net_name_offset) && net_name_offset < size) {
        std::string share = AnsiZ(r, link + net_name_offset, end);
        if (!share.empty()) result.target = share + (suffix.empty() ? "" : "\\" + suffix);
      }
    }
    at = end;
  }
  bool unicode = (flags & kIsUnicode) != 0;
  std::string* fields[] = {&result.description, nullptr, &result.working_directory, &result.arguments, nullptr};
  const uint32_t field_flags[] = {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation};
  for (int k = 0; k < 5; ++k) {
    if (!(flags & field_flags[k])) continue;
    uint16_t count = 0;
    if (!r.U16At(at, &count)) return false;
    at += 2;
    uint64_t length = unicode ? 2 * uint64_t{count} : count;
    std::string_view raw;
    if (!r.BytesAt(at, length, &raw)) return false;
    at += length;
    if (fields[k]) *fields[k] = unicode ? Utf16LeToAnsi(raw, code_page) : std::string(raw);
  }
  if (result.target.empty()) {
    // Links to %VARIABLE% paths keep their target in an extra data block.
    uint32_t size = 0, signature = 0;
    while (r.U32At(at, &size) && r.U32At(at + 4, &signature)) {
      if (size < 8 || !r.Has(at, size)) break;
      if (signature == kEnvironmentBlock && size >= 8 + 260 + 520) {
        std::string target = Utf16Z(r, at + 8 + 260, at + 8 + 260 + 520, code_page);
        if (target.empty()) target = AnsiZ(r, at + 8, at + 8 + 260);
        if (!target.empty()) {
          result.target = target;
          if (target_from_environment) *target_from_environment = true;
        }
        break;
      }
      at += size;
    }
  }
  *info = std::move(result);
  return true;
}

}  // namespace vx
