// The table of host services that each companion library receives right
// after it is loaded. Every callback looks at the target through the current
// machine and resolves path variables with the scanner's own resolver, so
// the libraries see exactly what the scanner sees.
#ifndef VX_EXTLIB_HOST_CALLBACKS_H_
#define VX_EXTLIB_HOST_CALLBACKS_H_

#include <string>

#include "companions/companion_abi.h"
#include "extlib/dynamic_library.h"

namespace vx {

// The process-wide table; it stays valid for the life of the process.
const VxHostCallbacks* HostCallbackTable();

// Loads the companion library at `path` into `library` and hands it the
// table before anything else of it is called (a library without
// VxSetHostCallbacks gets none). False when the load fails.
bool LoadWithHostCallbacks(const std::string& path, TDynamicLibrary* library);

}  // namespace vx

#endif  // VX_EXTLIB_HOST_CALLBACKS_H_
