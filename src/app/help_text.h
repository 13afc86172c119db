// The texts the entry sequence prints before any scan: the banner lines and
// the help screen.
#ifndef VX_APP_HELP_TEXT_H_
#define VX_APP_HELP_TEXT_H_

#include <string>
#include <vector>

namespace vx {

class TConsole;

extern const char kProgramTitle[];  // "Quarnel CLE Scan v1.6.0.27"
extern const char kLegalNotice[];
constexpr char kBulletChar = 'o';
extern const char kSettingsFileName[];  // "vexascan.ini"

// Clears the screen and writes the two banner lines.
void WriteProgramBanner(TConsole& console);
// The help lines in order (empty entries are empty lines), then our own
// lines for naming the target.
std::vector<std::string> HelpLines();
void WriteHelp(TConsole& console);

}  // namespace vx

#endif  // VX_APP_HELP_TEXT_H_
