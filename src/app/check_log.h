// The two plain-text logs, both in "Logs" below the process's current
// directory. The directory is never created, and neither log ever reports a
// failure: no "Logs" folder simply means no log.
#ifndef VX_APP_CHECK_LOG_H_
#define VX_APP_CHECK_LOG_H_

#include <string>
#include <string_view>

namespace vx {

// One line "dd.mm.yyyy hh:nn:ss - text" in Logs/<file_name>; the file is made
// anew when it is missing or `overwrite` is set. Does nothing unless enabled.
void WriteCheckLog(std::string_view file_name, std::string_view text, bool overwrite,
                   bool enabled);

// Appends "<date and time as "c"> <text>" to "Logs/Include errors.log".
void WriteIncludeError(std::string_view text);

}  // namespace vx

#endif  // VX_APP_CHECK_LOG_H_
