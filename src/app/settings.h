// The settings file "vexascan.ini" in the application directory. It is read
// afresh at every place that needs it (a copy opened earlier does not see a
// redirected application directory), nothing is ever written to it, and a
// missing file, section or key always means the default.
//
// Host paths: the application and data directories are host folders and keep
// one trailing "/".
#ifndef VX_APP_SETTINGS_H_
#define VX_APP_SETTINGS_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/ini_file.h"
#include "base/string_list.h"

namespace vx {

class TConsole;

// Resolves the path variables of a settings value.
using TPathSolver = std::function<std::string(std::string_view)>;

struct TAppDirectories {
  std::string app_dir;   // base of Includes, the settings file and the reports
  std::string data_dir;  // handed to the scan thread as DataPath
};

std::string SettingsFilePath(const std::string& app_dir);
TMemIniFile OpenSettings(const std::string& app_dir);

// Applies AppPathRedirect and DataPathRedirect of [Main] and prints what it
// did. A redirection that names no existing host folder is reported in light
// red and ignored.
void ApplyPathRedirections(TAppDirectories* dirs, TConsole& console, const TPathSolver& solve);

// The option bits of the scan thread from [Main] (DoSpyware on, IgnoreQriError
// on and DownloadDirRecursive on by default, the rest off).
uint8_t ReadScanOptions(const std::string& app_dir);

// Appends the non-empty Dir0 .. Dir<Count-1> of [DownloadDirs], as written.
void ReadDownloadDirs(const std::string& app_dir, TStringList* out);

// A [Results] location: the key's value with its path variables resolved, or
// `def` when the key is absent.
std::string ReadResultsLocation(const std::string& app_dir, std::string_view key,
                                const std::string& def, const TPathSolver& solve);

}  // namespace vx

#endif  // VX_APP_SETTINGS_H_
