// Building the path variable table from the scanned machine: shell folders,
// the Windows and system directories, and registry values that refine them.
#include <array>
#include <exception>
#include <string>

#include "base/ansi_text.h"
#include "match/path_variable_table.h"
#include "match/path_variables.h"
#include "match/shell_folder.h"
#include "platform/machine.h"
#include "sysaccess/my_registry.h"

namespace vx {

namespace {

constexpr const char* kShellFolders = "Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";
constexpr const char* kCurrentUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";
constexpr const char* kCurrentVersion = "Microsoft\\Windows\\CurrentVersion\\";
constexpr const char* kQuickLaunch = "\\Microsoft\\Internet Explorer\\Quick Launch";

// How a registry row reads and sets its variable.
enum TRowFlags : uint8_t {
  rfNone = 0,
  rfOnly32 = 1,     // only in the 32-bit pass
  rfFromRoot = 2,   // the key is taken from the root, not below the pass's software key
  rfOverwrite = 4,  // replaces a value the shell folders gave
};

struct TPathRegistryUpdaterRecord {
  const char* Variable;
  uint32_t RootKey;
  const char* KeyPath;
  const char* ValueName;
  uint8_t Flags;  // TRowFlags
  const char* Append;
  const char* CutAt;
};

const std::array<TPathRegistryUpdaterRecord, 21> kRegistryRows = {{
    {"<$COMMONDESKTOP>", kHkeyLocalMachine, kShellFolders, "Common Desktop", rfNone, "", ""},
    {"<$COMMONAPPDATA>", kHkeyLocalMachine, kShellFolders, "Common AppData", rfNone, "", ""},
    {"<$COMMONSTARTUP>", kHkeyLocalMachine, kShellFolders, "Common Startup", rfNone, "", ""},
    {"<$COMMONSTARTMENU>", kHkeyLocalMachine, kShellFolders, "Common Start Menu", rfNone, "", ""},
    {"<$COMMONPROGRAMS>", kHkeyLocalMachine, kShellFolders, "Common Programs", rfNone, "", ""},
    {"<$COMMONFAVORITES>", kHkeyLocalMachine, kShellFolders, "Common Favorites", rfNone, "", ""},
    {"<$COMMONTEMPLATES>", kHkeyLocalMachine, kShellFolders, "Common Templates", rfNone, "", ""},
    {"<$COMMONDOCUMENTS>", kHkeyLocalMachine, kShellFolders, "Common Documents", rfNone, "", ""},
    {"<$COMMONPROGRAMFILES>", kHkeyLocalMachine, kCurrentVersion, "CommonFilesDir", rfOverwrite, "", ""},
    {"<$PROGRAMFILES>", kHkeyLocalMachine, kCurrentVersion, "ProgramFilesDir", rfOverwrite, "", ""},
    {"<$DESKTOP>", kHkeyCurrentUser, kCurrentUserShellFolders, "Desktop", rfOnly32 | rfFromRoot, "", ""},
    {"<$APPDATA>", kHkeyCurrentUser, kCurrentUserShellFolders, "AppData", rfOnly32 | rfFromRoot, "", ""},
    {"<$STARTUP>", kHkeyCurrentUser, kCurrentUserShellFolders, "Startup", rfOnly32 | rfFromRoot, "", ""},
    {"<$STARTMENU>", kHkeyCurrentUser, kCurrentUserShellFolders, "Start Menu", rfOnly32 | rfFromRoot, "", ""},
    {"<$PROGRAMS>", kHkeyCurrentUser, kCurrentUserShellFolders, "Programs", rfOnly32 | rfFromRoot, "", ""},
    {"<$FAVORITES>", kHkeyCurrentUser, kCurrentUserShellFolders, "Favorites", rfOnly32 | rfFromRoot, "", ""},
    {"<$TEMPLATES>", kHkeyCurrentUser, kCurrentUserShellFolders, "Templates", rfOnly32 | rfFromRoot, "", ""},
    {"<$PERSONAL>", kHkeyCurrentUser, kCurrentUserShellFolders, "Personal", rfOnly32 | rfFromRoot, "", ""},
    {"<$LOCALAPPDATA>", kHkeyCurrentUser, kCurrentUserShellFolders, "Local AppData", rfOnly32 | rfFromRoot, "", ""},
    {"<$LOCALSETTINGS>", kHkeyCurrentUser, kCurrentUserShellFolders, "Local Settings", rfOnly32 | rfFromRoot, "", ""},
    {"<$PATH>", kHkeyCurrentUser, "Environment\\", "PATH", rfFromRoot, "", ";"},
}};

struct TTemplateCopyRecord {
  const char* Target;
  const char* Source;
};

const std::array<TTemplateCopyRecord, 5> kCopyRows = {{
    {"<$COMMONALTSTARTUP>", "<$COMMONSTARTUP>"},
    {"<$COMMONSTARTMENU>", "<$STARTMENU>"},
    {"<$COMMONPROGRAMS>", "<$PROGRAMS>"},
    {"<$COMMONFAVORITES>", "<$FAVORITES>"},
    {"<$ALTSTARTUP>", "<$STARTUP>"},
}};

bool ReadString(uint32_t root, std::string_view path, std::string_view value_name, TRegView view,
                std::string* out) {
  return RegReadString(root, "\\" + std::string(path), value_name, view, out);
}

// The directory part up to its last backslash or colon, without its last
// character: the parent folder, with no trailing backslash.
std::string ParentOf(std::string_view path) {
  std::string dir = ExtractFilePath(path);
  if (!dir.empty()) dir.pop_back();
  return dir;
}

// Fills `name` while it is empty from the first of these values that reads.
void FillFromValues(TPathVariableTable& table, std::string_view name, TRegView view,
                    std::initializer_list<std::pair<const char*, const char*>> sources,
                    std::string_view append = {}) {
  for (const auto& [key, value_name] : sources) {
    if (!table.Get(name).empty()) return;
    std::string value;
    if (ReadString(kHkeyLocalMachine, key, value_name, view, &value))
      table.Set(name, value + std::string(append));
  }
}

void BuildPathVariables(TPathVariableTable& table, TRegView view) {
  TMachine& machine = CurrentMachine();
  // Placeholders and values that need no shell folder row.
  table.Append("<$LOCALSETTINGS>", "");
  table.Append("<$WINDIR2>", machine.WindowsDirectory());
  table.Append("<$SYSDIR2>", machine.SystemDirectory());
  table.Append("<$QUICKLAUNCH>", GetSpecialFolder(26) + kQuickLaunch);
  table.Append("<$COMMONQUICKLAUNCH>", GetSpecialFolder(35) + kQuickLaunch);

  // The shell folders; a row that fails is skipped.
  for (const TPathSolveConfig& row : kPathSolveConfig) {
    if (row.FolderID < 0) continue;
    try {
      table.Append(std::string("<$") + row.Name + ">", GetSpecialFolder(row.FolderID));
    } catch (const std::exception&) {
    }
  }

  // The software key of the pass.
  std::string software = "Software\\";
  if (view == TRegView::rv32 && RegKeyExists(kHkeyLocalMachine, "\\Software\\Wow6432Node\\", TRegView::rv32))
    software = "Software\\Wow6432Node\\";

  // Registry refinements.
  for (const auto& row : kRegistryRows) {
    if ((row.Flags & rfOnly32) && view == TRegView::rv64) continue;
    if (!(row.Flags & rfOverwrite) && !table.Get(row.Variable).empty()) continue;
    std::string key = (row.Flags & rfFromRoot) ? std::string(row.KeyPath) : software + row.KeyPath;
    std::string value;
    bool read = false;
    try {
      read = ReadString(row.RootKey, key, row.ValueName, view, &value);
    } catch (const std::exception&) {
      // A damaged hive leaves the variable as it was, like a missing value.
    }
    if (!read) continue;
    std::string_view cut_at = row.CutAt;
    if (!cut_at.empty()) {
      size_t at = value.find(cut_at);
      if (at != std::string::npos) {
        value.erase(at);
        if (!value.empty() && value.back() == '\\') value.pop_back();
      }
    }
    value += row.Append;
    table.Set(row.Variable, value);
  }

  // Common folders that only the user's ones can tell.
  for (const auto& row : kCopyRows)
    if (table.Get(row.Target).empty()) table.Set(row.Target, table.Get(row.Source));

  // The drive of the Windows directory, "C:".
  table.Set("<$SYSDRIVE>", table.Get("<$WINDIR>").substr(0, 2));

  // Profile folders from the desktop folder.
  if (table.Get("<$PROFILE>").empty() && !table.Get("<$DESKTOP>").empty())
    table.Set("<$PROFILE>", ParentOf(table.Get("<$DESKTOP>")));
  if (table.Get("<$PROFILES>").empty()) table.Set("<$PROFILES>", ParentOf(table.Get("<$PROFILE>")));

  // The Windows directory from the registry when the system did not say.
  FillFromValues(table, "<$WINDIR>", TRegView::rv32,
                 {{"Software\\Microsoft\\Windows NT\\CurrentVersion\\", "SystemRoot"},
                  {"Software\\Microsoft\\Windows NT\\CurrentVersion\\", "PathName"},
                  {"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\", "WinDir"},
                  {"Software\\Microsoft\\Windows\\CurrentVersion\\", "SystemRoot"}});
  if (table.Get("<$WINDIR2>").empty()) table.Set("<$WINDIR2>", table.Get("<$WINDIR>"));

  // The system's temporary folder.
  FillFromValues(table, "<$TEMP>", view,
                 {{"Software\\Microsoft\\Windows NT\\CurrentVersion\\", "SystemRoot"},
                  {"Software\\Microsoft\\Windows NT\\CurrentVersion\\", "PathName"},
                  {"Software\\Microsoft\\Windows\\CurrentVersion\\", "SystemRoot"}},
                 "\\Temp");

  // The system directory.
  FillFromValues(table, "<$SYSDIR>", TRegView::rv32,
                 {{"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\", "SysDir"},
                  {"Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\", "InstallerLocation"}});
  if (table.Get("<$SYSDIR2>").empty()) table.Set("<$SYSDIR2>", table.Get("<$SYSDIR>"));

  // The Control Panel folder under its display name.
  try {
    const char* key = "Software\\CLASSES\\CLSID\\{21EC2020-3AEA-1069-A2DD-08002B30309D}\\";
    std::string name;
    ReadString(kHkeyLocalMachine, key, "", TRegView::rv32, &name);
    if (name.empty()) ReadString(kHkeyLocalMachine, key, "", TRegView::rv64, &name);
    if (name.empty()) name = "Systemsteuerung";
    table.Set("<$SYSCPLDIR>", table.Get("<$WINDIR>") + "\\" + name);
  } catch (const std::exception&) {
    table.Set("<$SYSCPLDIR>", "C:\\Windows\\Systemsteuerung");
  }

  // Without a controls folder the Control Panel folder stands in.
  if (table.Get("<$CONTROLS>").empty()) table.Set("<$CONTROLS>", table.Get("<$SYSCPLDIR>"));
}

}  // namespace

void BuildPathVariableTables() {
  TPathVariableTable& table = PathVariableTable();
  table.Clear();
  BuildPathVariables(table, TRegView::rv64);
  table.CollectValues();
  BuildPathVariables(table, TRegView::rv32);
  table.CollectValues();
}

}  // namespace vx
