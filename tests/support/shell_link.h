// A writer of shell links (.lnk), for fixtures that need shortcuts. It
// writes what Windows writes for a shortcut to a file on a local disk:
//   - the 76-byte header: its size, the link class id, the LinkFlags that
//     name the parts that follow, the target's attributes (archive), zero
//     times and size, icon 0, show normal;
//   - a LinkInfo (when there is a target): a volume ID of a fixed disk with
//     an empty label, the target as the local base path in 8-bit text, and
//     an empty common path suffix;
//   - the StringData fields that are not empty, in their fixed order
//     (description, working directory, arguments), each a count of UTF-16
//     units and the text without a terminator;
//   - the terminal block (four zero bytes).
// Texts are 8-bit text of code page 1252, the fixture's code page.
#ifndef VX_TESTS_SUPPORT_SHELL_LINK_H_
#define VX_TESTS_SUPPORT_SHELL_LINK_H_

#include <cstdint>
#include <string>

namespace vx::testing {

// LinkFlags bits.
inline constexpr uint32_t kLinkHasTargetIdList = 0x01;
inline constexpr uint32_t kLinkHasLinkInfo = 0x02;
inline constexpr uint32_t kLinkHasName = 0x04;
inline constexpr uint32_t kLinkHasRelativePath = 0x08;
inline constexpr uint32_t kLinkHasWorkingDir = 0x10;
inline constexpr uint32_t kLinkHasArguments = 0x20;
inline constexpr uint32_t kLinkHasIconLocation = 0x40;
inline constexpr uint32_t kLinkIsUnicode = 0x80;
inline constexpr uint32_t kLinkHasExpString = 0x200;

// Every member has an initializer, so designated initializers may leave any
// of them out without a warning.
struct TShellLinkSpec {
  std::string target{};  // "C:\\Program Files\\App\\app.exe"; empty: no LinkInfo
  std::string arguments{};
  std::string working_directory{};
  std::string description{};  // the shortcut's comment
};

std::string BuildShellLink(const TShellLinkSpec& spec);

// The header alone, for tests that put a link together by hand.
std::string ShellLinkHeader(uint32_t link_flags);

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_SHELL_LINK_H_
