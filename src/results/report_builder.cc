#include <stdexcept>

#include "results/scan_result.h"

namespace vx {

// The three report formats are not built yet; asking for one is a failed
// report, which the front end tells the user about.
void TMyScanResultsList::BuildReport(TStringList* target, int format) const {
  target->Clear();
  throw std::runtime_error("report format " + std::to_string(format) + " is not available");
}

}  // namespace vx
