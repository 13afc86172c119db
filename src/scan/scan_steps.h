// The steps of a check that the rule families provide. The front end gives a
// new scan thread these; tests give their own.
#ifndef VX_SCAN_SCAN_STEPS_H_
#define VX_SCAN_SCAN_STEPS_H_

#include "scan/scan_thread.h"

namespace vx {

TScanSteps DefaultScanSteps();

}  // namespace vx

#endif  // VX_SCAN_SCAN_STEPS_H_
