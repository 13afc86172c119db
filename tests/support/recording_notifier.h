// A notifier that records the warning boxes and event-log entries of a scan,
// with the thread each was shown on.
#ifndef VX_TESTS_SUPPORT_RECORDING_NOTIFIER_H_
#define VX_TESTS_SUPPORT_RECORDING_NOTIFIER_H_

#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "scan/notifier.h"

namespace vx::testing {

class TRecordingNotifier : public TNotifier {
 public:
  struct Notice {
    std::string text;
    std::string caption;
    std::thread::id thread;
  };
  std::vector<Notice> warnings;
  std::vector<Notice> event_log;

  // The scan thread's own warning boxes (not the library loader's).
  std::vector<Notice> ScanWarnings() const {
    std::vector<Notice> boxes;
    for (const Notice& n : warnings) {
      if (n.caption == "Quarnel") boxes.push_back(n);
    }
    return boxes;
  }

  void WarningBox(std::string_view text, std::string_view caption) override {
    warnings.push_back({std::string(text), std::string(caption), std::this_thread::get_id()});
  }
  void EventLogError(std::string_view source, std::string_view text) override {
    event_log.push_back({std::string(text), std::string(source), std::this_thread::get_id()});
  }
};

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_RECORDING_NOTIFIER_H_
