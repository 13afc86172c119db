// Reads shell link (.lnk) files: the target path (from the link's local or
// network location, else its environment-variable block), arguments,
// working directory and description. The bytes are treated as hostile:
// every offset and count is checked against the data.
#ifndef VX_PLATFORM_OFFLINE_SHORTCUT_FILE_H_
#define VX_PLATFORM_OFFLINE_SHORTCUT_FILE_H_

#include <string_view>

#include "platform/machine.h"

namespace vx {

// False when the bytes are no shell link. 8-bit strings in the link are in
// `code_page`, as are the texts handed out. A target taken from the
// environment block keeps its %VARIABLES% (the caller expands them).
bool ParseShortcut(std::string_view bytes, int code_page, TShortcutInfo* info,
                   bool* target_from_environment = nullptr);

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_SHORTCUT_FILE_H_
