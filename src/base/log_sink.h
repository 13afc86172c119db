// The two plain-text logs every layer may write: the check log of a scan and
// the include error log. Lower layers reach them only through this narrow
// sink; the program's entry installs the one that writes the files in "Logs"
// (app/check_log.h), tests install that one or their own.
//
// The sink is set once before any scan thread starts and only read
// afterwards. Until one is set, lines are dropped, as they are when "Logs"
// does not exist: a log never reports a failure.
#ifndef VX_BASE_LOG_SINK_H_
#define VX_BASE_LOG_SINK_H_

#include <string_view>

namespace vx {

class TLogSink {
 public:
  virtual ~TLogSink() = default;
  // One check-log line in the log named `file_name`; the log is made anew
  // when `overwrite` is set.
  virtual void CheckLog(std::string_view file_name, std::string_view text, bool overwrite) = 0;
  // One line of the include error log.
  virtual void IncludeError(std::string_view text) = 0;
};

// The installed sink, or one that drops every line.
TLogSink& Logs();
// nullptr goes back to dropping lines. The sink must outlive its use.
void SetLogSink(TLogSink* sink);

// A check-log line, written only when the scan's LogUse option is on.
inline void WriteCheckLog(std::string_view file_name, std::string_view text, bool overwrite,
                          bool enabled) {
  if (enabled) Logs().CheckLog(file_name, text, overwrite);
}
inline void WriteIncludeError(std::string_view text) { Logs().IncludeError(text); }

}  // namespace vx

#endif  // VX_BASE_LOG_SINK_H_
