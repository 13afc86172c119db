#include "scan/scan_steps.h"

namespace vx {

// No rule family is built in yet: the thread runs its fixed sequence with
// every family step empty.
TScanSteps DefaultScanSteps() { return TScanSteps(); }

}  // namespace vx
