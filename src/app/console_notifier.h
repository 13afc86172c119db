// The notices of a scan on a console: warning boxes and event-log entries
// are printed on standard error, after the console lines written before
// them. Nothing waits for an answer.
#ifndef VX_APP_CONSOLE_NOTIFIER_H_
#define VX_APP_CONSOLE_NOTIFIER_H_

#include "scan/notifier.h"

namespace vx {

class TConsoleNotifier : public TNotifier {
 public:
  void WarningBox(std::string_view text, std::string_view caption) override;
  void EventLogError(std::string_view source, std::string_view text) override;
};

}  // namespace vx

#endif  // VX_APP_CONSOLE_NOTIFIER_H_
