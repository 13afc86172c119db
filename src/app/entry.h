// The program's entry sequence: banner, help, the image to examine, the
// companion-library check, the settings, the include files, one scan and
// the reports. Returns the exit code (0 normal, 1 unknown product for a
// product selection, 2 a companion library missing or no image to examine).
#ifndef VX_APP_ENTRY_H_
#define VX_APP_ENTRY_H_

#include <memory>
#include <optional>
#include <string>

#include "base/command_line.h"
#include "platform/machine.h"
#include "scan/scan_thread.h"

namespace vx {

class TConsole;

// What a run needs from outside the command line. Tests replace parts of it.
struct TRunEnvironment {
  // The program's own folder; empty means the executable's folder.
  std::string app_dir;
  // The machine to examine; when null, the one the command line names.
  std::shared_ptr<TMachine> machine;
  // The rule families' steps; when unset, DefaultScanSteps().
  std::optional<TScanSteps> steps;
  // Where the scan's warning boxes and event-log entries go; when null, the
  // console (standard error).
  TNotifier* notifier = nullptr;
};

int RunVexascan(const TCommandLine& command_line, TConsole& console,
                const TRunEnvironment& environment = {});

}  // namespace vx

#endif  // VX_APP_ENTRY_H_
