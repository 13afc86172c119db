// TNotifier: the notices a scan gives that are no finding: modal warning
// boxes and entries in the system event log. The program's entry hands the
// scan a notifier for the console; tests hand one that records.
#ifndef VX_SCAN_NOTIFIER_H_
#define VX_SCAN_NOTIFIER_H_

#include <string_view>

namespace vx {

class TNotifier {
 public:
  virtual ~TNotifier() = default;
  // A modal warning with an OK button. A console notifier prints it and
  // never blocks when standard input is not a terminal.
  virtual void WarningBox(std::string_view text, std::string_view caption) = 0;
  // An error entry in the system event log under `source`.
  virtual void EventLogError(std::string_view source, std::string_view text) = 0;
};

}  // namespace vx

#endif  // VX_SCAN_NOTIFIER_H_
