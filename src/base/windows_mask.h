// File name masks with the system's matching rules: "*" any run of
// characters, "?" one character (or none before a dot and at the end), a
// final ".*" that also matches names without a dot, and "*.*" that matches
// every name. Case is ignored.
#ifndef VX_BASE_WINDOWS_MASK_H_
#define VX_BASE_WINDOWS_MASK_H_

#include <string_view>

namespace vx {

bool MatchesWindowsMask(std::string_view mask, std::string_view name);

}  // namespace vx

#endif  // VX_BASE_WINDOWS_MASK_H_
