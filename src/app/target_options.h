// The command-line options that name the Windows installation to examine:
//   /image=DIR        the host folder holding its system volume (drive C:)
//   /drive=D:DIR      a further volume (repeatable)
//   /user=NAME        the profile (folder name or SID) that is "the current user"
//   /writable         allow writes to the image (it is read-only otherwise)
// Each with "/" or "-", the name without regard to case.
#ifndef VX_APP_TARGET_OPTIONS_H_
#define VX_APP_TARGET_OPTIONS_H_

#include <string>

#include "base/command_line.h"
#include "platform/offline/offline_machine.h"

namespace vx {

// False with one line of explanation in *error for a malformed option.
bool ParseTargetOptions(const TCommandLine& command_line, TOfflineOptions* options,
                        std::string* error);

// The line printed when no image was named.
extern const char kNoImageMessage[];

}  // namespace vx

#endif  // VX_APP_TARGET_OPTIONS_H_
