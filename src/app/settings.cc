#include "app/settings.h"

#include <filesystem>
#include <map>
#include <system_error>

#include "app/console.h"
#include "app/help_text.h"
#include "base/ansi_text.h"
#include "base/app_paths.h"
#include "scan/scan_thread.h"

namespace vx {

namespace {

constexpr int kColorNormal = 7;
constexpr int kColorLightRed = 12;

bool IsHostDirectory(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

void PrintLine(TConsole& console, const std::string& text) {
  console.WriteLn(std::string(1, kBulletChar) + text);
}

}  // namespace

std::string SettingsFilePath(const std::string& app_dir) {
  return IncludeTrailingSeparator(app_dir) + kSettingsFileName;
}

TMemIniFile OpenSettings(const std::string& app_dir) {
  return TMemIniFile::FromFile(SettingsFilePath(app_dir));
}

void ApplyPathRedirections(TAppDirectories* dirs, TConsole& console, const TPathSolver& solve) {
  TMemIniFile ini = OpenSettings(dirs->app_dir);
  const std::string file_name = kSettingsFileName;
  if (ini.ValueExists("Main", "AppPathRedirect")) {
    std::string target = solve(ini.ReadString("Main", "AppPathRedirect", dirs->app_dir));
    if (IsHostDirectory(target)) {
      dirs->app_dir = IncludeTrailingSeparator(target);
      console.TextColor(kColorNormal);
      PrintLine(console, " using app path redirection from " + file_name + "...");
    } else {
      console.TextColor(kColorLightRed);
      PrintLine(console, " invalid app path redirection from " + file_name + "...");
    }
    PrintLine(console, " base dir: " + dirs->app_dir);
  }
  if (ini.ValueExists("Main", "DataPathRedirect")) {
    std::string target = solve(ini.ReadString("Main", "DataPathRedirect", dirs->app_dir));
    if (IsHostDirectory(target)) {
      dirs->data_dir = IncludeTrailingSeparator(target);
      console.TextColor(kColorNormal);
      PrintLine(console, " using data path redirection from " + file_name + "...");
    } else {
      console.TextColor(kColorLightRed);
      PrintLine(console, " invalid data path redirection from " + file_name + "...");
    }
    PrintLine(console, " data dir: " + dirs->data_dir);
  } else {
    dirs->data_dir = dirs->app_dir;
  }
}

uint8_t ReadScanOptions(const std::string& app_dir) {
  TMemIniFile ini = OpenSettings(app_dir);
  struct Key {
    const char* name;
    bool def;
    uint8_t bit;
  };
  static constexpr Key kKeys[] = {
      {"LogUse", false, soLogUse},
      {"LogOverwrite", false, soLogOverwrite},
      {"LogDetails", false, soLogDetails},
      {"IgnoreQriError", true, soIgnoreQriError},
      {"DownloadDirRecursive", true, soDownloadDirRecursive},
      {"DoSpyware", true, soDoSpyware},
      {"DoTracks", false, soDoTracks},
  };
  uint8_t options = 0;
  for (const Key& key : kKeys) {
    if (ini.ReadBool("Main", key.name, key.def)) options |= key.bit;
  }
  return options;
}

void ReadDownloadDirs(const std::string& app_dir, TStringList* out) {
  TMemIniFile ini = OpenSettings(app_dir);
  int32_t count = ini.ReadInteger("DownloadDirs", "Count", 0);
  // Walks the keys that exist rather than every index below Count, so a
  // huge Count in a hand-edited file costs nothing.
  TStringList keys;
  ini.ReadSection("DownloadDirs", &keys);
  std::map<int32_t, std::string> dirs;
  for (int i = 0; i < keys.Count(); ++i) {
    const std::string& key = keys[i];
    if (key.size() < 4 || !SameText(key.substr(0, 3), "Dir")) continue;
    int32_t index = 0;
    if (!TryStrToInt(key.substr(3), &index) || index < 0 || index >= count) continue;
    if (key.substr(3) != std::to_string(index)) continue;  // "Dir01" is not "Dir1"
    if (!dirs.count(index)) dirs[index] = ini.ReadString("DownloadDirs", key, "");
  }
  for (const auto& [index, dir] : dirs) {
    if (!dir.empty()) out->Add(dir);
  }
}

std::string ReadResultsLocation(const std::string& app_dir, std::string_view key,
                                const std::string& def, const TPathSolver& solve) {
  TMemIniFile ini = OpenSettings(app_dir);
  if (!ini.ValueExists("Results", key)) return def;
  return solve(ini.ReadString("Results", key, def));
}

}  // namespace vx
