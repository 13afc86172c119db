#include "base/log_sink.h"

namespace vx {

namespace {

class TDropLogs : public TLogSink {
 public:
  void CheckLog(std::string_view, std::string_view, bool) override {}
  void IncludeError(std::string_view) override {}
};

TDropLogs drop_logs;
// Set by the entry (or a test) before a scan starts; read-only afterwards.
TLogSink* installed = nullptr;

}  // namespace

TLogSink& Logs() { return installed ? *installed : drop_logs; }

void SetLogSink(TLogSink* sink) { installed = sink; }

}  // namespace vx
