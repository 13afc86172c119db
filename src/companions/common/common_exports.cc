// The exports that both companion libraries offer. This file is compiled
// into each library, so each .dll carries its own copy of the symbol; like
// every export, it lets no C++ exception leave.
#include "companions/common/target_access.h"
#include "companions/companion_abi.h"

extern "C" {

VX_COMPANION_EXPORT int32_t VxSetHostCallbacks(const VxHostCallbacks* callbacks) {
  try {
    return vx::companion::SetHostCallbacks(callbacks) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

}  // extern "C"
