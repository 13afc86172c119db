// Keys and value conversions the offline machine reads its model from.
#ifndef VX_PLATFORM_OFFLINE_REG_VALUE_TEXT_H_
#define VX_PLATFORM_OFFLINE_REG_VALUE_TEXT_H_

#include <string>

#include "platform/machine.h"

namespace vx {

inline constexpr char kProfileListKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
inline constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr char kShellFoldersKey[] = "Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr char kUserShellFoldersKey[] =
    "Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
inline constexpr char kSessionEnvironmentKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// A string value (REG_SZ, REG_EXPAND_SZ, the first string of REG_MULTI_SZ,
// REG_LINK) as ANSI text in `code_page`, cut at its first zero; the empty
// text for any other type.
std::string RegStringValue(const TRegValue& value, int code_page);

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_REG_VALUE_TEXT_H_
