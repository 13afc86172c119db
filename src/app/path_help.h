// The listing of the /pathhelp switch: every path variable with its value
// on the machine examined.
#ifndef VX_APP_PATH_HELP_H_
#define VX_APP_PATH_HELP_H_

#include <string_view>

namespace vx {

class TConsole;

void WritePathHelp(TConsole& console, std::string_view settings_file_name);

}  // namespace vx

#endif  // VX_APP_PATH_HELP_H_
