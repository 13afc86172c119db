#include "platform/offline/shortcut_file.h"

#include <cstdint>
#include <cstring>
#include <string>

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

class TReader {
 public:
  explicit TReader(std::string_view data) : data_(data) {}
  bool U16(size_t at, uint32_t* v) const {
    if (at > data_.size() || data_.size() - at < 2) return false;
    *v = static_cast<unsigned char>(data_[at]) | static_cast<unsigned char>(data_[at + 1]) << 8;
    return true;
  }
  bool U32(size_t at, uint32_t* v) const {
    if (at > data_.size() || data_.size() - at < 4) return false;
    *v = 0;
    for (int k = 3; k >= 0; --k) *v = (*v << 8) | static_cast<unsigned char>(data_[at + k]);
    return true;
  }
  // A zero-terminated 8-bit string starting at `at` within [at, end).
  std::string AnsiZ(size_t at, size_t end) const {
    if (end > data_.size()) end = data_.size();
    std::string out;
    for (size_t i = at; i < end && data_[i] != '\0'; ++i) out.push_back(data_[i]);
    return out;
  }
  // A zero-terminated UTF-16 string starting at `at` within [at, end).
  std::string Utf16Z(size_t at, size_t end) const {
    if (end > data_.size()) end = data_.size();
    size_t i = at;
    while (i + 1 < end && (data_[i] != '\0' || data_[i + 1] != '\0')) i += 2;
    return at < end ? std::string(data_.substr(at, i - at)) : std::string();
  }
  std::string_view Bytes(size_t at, size_t count) const {
    if (at > data_.size() || data_.size() - at < count) return {};
    return data_.substr(at, count);
  }
  size_t Size() const { return data_.size(); }

 private:
  std::string_view data_;
};

}  // namespace

bool ParseShortcut(std::string_view bytes, int code_page, TShortcutInfo* info,
                   bool* target_from_environment) {
  TReader r(bytes);
  uint32_t header_size = 0, flags = 0;
  if (!r.U32(0, &header_size) || header_size != kHeaderSize || r.Size() < kHeaderSize) return false;
  if (std::memcmp(bytes.data() + 4, kLinkClsid, 16) != 0) return false;
  r.U32(0x14, &flags);
  TShortcutInfo result;
  if (target_from_environment) *target_from_environment = false;
  size_t at = kHeaderSize;
  if (flags & kHasTargetIdList) {
    uint32_t size = 0;
    if (!r.U16(at, &size)) return false;
    at += 2 + size;
  }
  if (flags & kHasLinkInfo) {
    uint32_t size = 0, header = 0, info_flags = 0, local_offset = 0, network_offset = 0, suffix_offset = 0;
    if (!r.U32(at, &size) || size < 0x1C || at + size > r.Size()) return false;
    r.U32(at + 4, &header);
    r.U32(at + 8, &info_flags);
    r.U32(at + 16, &local_offset);
    r.U32(at + 20, &network_offset);
    r.U32(at + 24, &suffix_offset);
    size_t end = at + size;
    uint32_t local_unicode = 0, suffix_unicode = 0;
    bool has_unicode = header >= 0x24 && r.U32(at + 28, &local_unicode) && r.U32(at + 32, &suffix_unicode);
    std::string suffix;
    if (has_unicode && suffix_unicode && suffix_unicode < size) {
      suffix = Utf16LeToAnsi(r.Utf16Z(at + suffix_unicode, end), code_page);
    } else if (suffix_offset && suffix_offset < size) {
      suffix = r.AnsiZ(at + suffix_offset, end);
    }
    if ((info_flags & kVolumeIdAndLocalBasePath)) {
      if (has_unicode && local_unicode && local_unicode < size) {
        result.target = Utf16LeToAnsi(r.Utf16Z(at + local_unicode, end), code_page);
      } else if (local_offset && local_offset < size) {
        result.target = r.AnsiZ(at + local_offset, end);
      }
      result.target += suffix;
    } else if ((info_flags & kCommonNetworkRelativeLink) && network_offset && network_offset < size) {
      size_t link = at + network_offset;
      uint32_t net_name_offset = 0;
      if (r.U32(link + 8, &net_name_offset) && net_name_offset < size) {
        std::string share = r.AnsiZ(link + net_name_offset, end);
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
    uint32_t count = 0;
    if (!r.U16(at, &count)) return false;
    at += 2;
    size_t length = unicode ? 2 * static_cast<size_t>(count) : count;
    std::string_view raw = r.Bytes(at, length);
    if (raw.size() != length) return false;
    at += length;
    if (fields[k]) *fields[k] = unicode ? Utf16LeToAnsi(raw, code_page) : std::string(raw);
  }
  if (result.target.empty()) {
    // Links to %VARIABLE% paths keep their target in an extra data block.
    while (at + 8 <= r.Size()) {
      uint32_t size = 0, signature = 0;
      r.U32(at, &size);
      if (size < 8 || at + size > r.Size()) break;
      r.U32(at + 4, &signature);
      if (signature == kEnvironmentBlock && size >= 8 + 260 + 520) {
        std::string target = Utf16LeToAnsi(r.Utf16Z(at + 8 + 260, at + 8 + 260 + 520), code_page);
        if (target.empty()) target = r.AnsiZ(at + 8, at + 8 + 260);
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
