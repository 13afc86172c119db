// The two plain-text logs as files in "Logs" below the process's current
// directory. The directory is never created, and neither log ever reports a
// failure: no "Logs" folder simply means no log.
#ifndef VX_APP_CHECK_LOG_H_
#define VX_APP_CHECK_LOG_H_

#include <string_view>

#include "base/log_sink.h"

namespace vx {

class TFileLogSink : public TLogSink {
 public:
  // One line "dd.mm.yyyy hh:nn:ss - text" in Logs/<file_name>; the file is
  // made anew when it is missing or `overwrite` is set.
  void CheckLog(std::string_view file_name, std::string_view text, bool overwrite) override;
  // Appends "<date and time as "c"> <text>" to "Logs/Include errors.log".
  void IncludeError(std::string_view text) override;
};

// The process's file logs, installed by the entry.
TFileLogSink& FileLogs();

}  // namespace vx

#endif  // VX_APP_CHECK_LOG_H_
