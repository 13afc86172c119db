#include "support/shell_link.h"

#include <stdexcept>
#include <string_view>

#include "base/codepage.h"
#include "support/le_bytes.h"

namespace vx::testing {

namespace {

constexpr uint32_t kHeaderSize = 0x4C;
constexpr uint32_t kLinkInfoHeaderSize = 0x1C;
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kShowNormal = 1;
constexpr int kCodePage = 1252;

std::string LinkInfo(std::string_view target) {
  std::string volume;
  Append32(&volume, 0x11);         // size, with the label's zero
  Append32(&volume, kDriveFixed);
  Append32(&volume, 0x5A0C94D1);   // serial number
  Append32(&volume, 0x10);         // label offset: the empty label follows
  volume.push_back('\0');

  const uint32_t base_offset = kLinkInfoHeaderSize + static_cast<uint32_t>(volume.size());
  const uint32_t suffix_offset = base_offset + static_cast<uint32_t>(target.size()) + 1;
  const uint32_t size = suffix_offset + 1;
  std::string info;
  Append32(&info, size);
  Append32(&info, kLinkInfoHeaderSize);
  Append32(&info, kVolumeIdAndLocalBasePath);
  Append32(&info, kLinkInfoHeaderSize);  // the volume ID follows the header
  Append32(&info, base_offset);
  Append32(&info, 0);  // no network location
  Append32(&info, suffix_offset);
  info += volume;
  info += std::string(target) + '\0';
  info += '\0';  // the empty common path suffix
  return info;
}

void AppendStringData(std::string* b, std::string_view text) {
  const std::string wide = AnsiToUtf16Le(text, kCodePage);
  if (wide.size() / 2 > 0xFFFF) throw std::length_error("shell link: text too long");
  Append16(b, static_cast<uint32_t>(wide.size() / 2));
  *b += wide;
}

}  // namespace

std::string ShellLinkHeader(uint32_t link_flags) {
  static const unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                               0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  std::string b;
  Append32(&b, kHeaderSize);
  b.append(reinterpret_cast<const char*>(kLinkClsid), sizeof kLinkClsid);
  Append32(&b, link_flags);
  Append32(&b, kAttributeArchive);
  b.resize(0x3C, '\0');  // creation, access and write times; file size; icon index
  Append32(&b, kShowNormal);
  b.resize(kHeaderSize, '\0');  // hot key and reserved
  return b;
}

std::string BuildShellLink(const TShellLinkSpec& spec) {
  uint32_t flags = kLinkIsUnicode;
  if (!spec.target.empty()) flags |= kLinkHasLinkInfo;
  if (!spec.description.empty()) flags |= kLinkHasName;
  if (!spec.working_directory.empty()) flags |= kLinkHasWorkingDir;
  if (!spec.arguments.empty()) flags |= kLinkHasArguments;
  std::string b = ShellLinkHeader(flags);
  if (!spec.target.empty()) b += LinkInfo(spec.target);
  if (!spec.description.empty()) AppendStringData(&b, spec.description);
  if (!spec.working_directory.empty()) AppendStringData(&b, spec.working_directory);
  if (!spec.arguments.empty()) AppendStringData(&b, spec.arguments);
  Append32(&b, 0);  // terminal block
  return b;
}

}  // namespace vx::testing
