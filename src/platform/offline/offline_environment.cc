// The environment and the special folders of an offline machine: built from
// the image (Session Manager, the user's Environment key, ProfileList, Shell
// Folders), never from the host.
#include <string>
#include <utility>
#include <vector>

#include "base/ansi_text.h"
#include "platform/offline/offline_machine.h"
#include "platform/offline/offline_registry.h"
#include "platform/offline/reg_value_text.h"
#include "platform/offline/shell_folders.h"
#include "platform/offline/volumes.h"

namespace vx {

namespace {

class TEnvironment {
 public:
  explicit TEnvironment(std::vector<std::pair<std::string, std::string>>* vars) : vars_(vars) {}
  bool Get(std::string_view name, std::string* value) const {
    for (const auto& [n, v] : *vars_) {
      if (AnsiSameText(n, name)) {
        if (value) *value = v;
        return true;
      }
    }
    return false;
  }
  std::string Value(std::string_view name) const {
    std::string v;
    Get(name, &v);
    return v;
  }
  void Set(std::string_view name, std::string value) {
    for (auto& [n, v] : *vars_) {
      if (AnsiSameText(n, name)) {
        v = std::move(value);
        return;
      }
    }
    vars_->emplace_back(std::string(name), std::move(value));
  }
  void SetDefault(std::string_view name, std::string value) {
    if (!Get(name, nullptr) && !value.empty()) Set(name, std::move(value));
  }
  std::string Expand(std::string_view text) const {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
      if (text[i] == '%') {
        size_t close = text.find('%', i + 1);
        if (close != std::string_view::npos && close > i + 1) {
          std::string value;
          if (Get(text.substr(i + 1, close - i - 1), &value)) {
            out += value;
            i = close + 1;
            continue;
          }
          // An unknown reference stays as written; its closing '%' may open the next one.
          out += text.substr(i, close - i);
          i = close;
          continue;
        }
      }
      out.push_back(text[i]);
      ++i;
    }
    return out;
  }

 private:
  std::vector<std::pair<std::string, std::string>>* vars_;
};

}  // namespace

std::string TOfflineMachine::SpecialFolder(int csidl) {
  BuildEnvironment();
  std::string value;
  auto env = [&](std::string_view name) {
    std::string v;
    GetEnvironmentVariable(name, &v);
    return v;
  };
  switch (csidl) {
    case 0:
      return SpecialFolder(16);
    case 12:
      return SpecialFolder(5);
    case 36:
      return WindowsDirectory();
    case 37:
      return SystemDirectory();
    case 38:
      return env("ProgramFiles");
    case 40:
      return env("USERPROFILE");
    case 41:
      return win64_ ? windows_dir_ + "\\SysWOW64" : SystemDirectory();
    case 42:
      return win64_ ? env("ProgramFiles(x86)") : env("ProgramFiles");
    case 43:
      return env("CommonProgramFiles");
    case 44:
      return win64_ ? env("CommonProgramFiles(x86)") : env("CommonProgramFiles");
    case 62: {
      std::string dir = ReadRegString(kHkeyLocalMachine, kProfileListKey, "ProfilesDirectory",
                                      TRegView::rv64);
      if (!dir.empty()) return ExpandEnvironmentStrings(dir);
      std::string profile = env("USERPROFILE");
      return profile.empty() ? std::string() : ExtractFileDir(profile);
    }
    default:
      break;
  }
  const TShellFolderRow* row = FindShellFolderRow(csidl);
  if (!row) return std::string();
  if (!row->common && chosen_user_ < 0) return std::string();
  uint32_t root = row->common ? kHkeyLocalMachine : kHkeyCurrentUser;
  std::string prefix = row->common ? "SOFTWARE\\" : "Software\\";
  value = ReadRegString(root, prefix + kUserShellFoldersKey, row->value_name, TRegView::rv64);
  if (value.empty()) value = ReadRegString(root, prefix + kShellFoldersKey, row->value_name, TRegView::rv64);
  if (value.empty()) {
    TFileInfo info;
    std::string profile = env("USERPROFILE");
    bool old_layout = !profile.empty() ? AnsiPosText("\\Documents and Settings\\", profile) != std::string::npos
                                       : !volumes_->Info("C:\\Users", &info);
    value = old_layout ? row->old_default : row->new_default;
  }
  return ExpandEnvironmentStrings(value);
}

void TOfflineMachine::BuildEnvironment() {
  std::lock_guard<std::mutex> lock(env_mutex_);
  if (env_built_) return;
  env_built_ = true;
  TEnvironment env(&environment_);
  const TRegView native = TRegView::rv64;
  env.Set("SystemDrive", "C:");
  env.Set("SystemRoot", windows_dir_);
  env.Set("windir", windows_dir_);

  std::string pf64 = ReadRegString(kHkeyLocalMachine, kCurrentVersionKey, "ProgramFilesDir", native);
  std::string cf64 = ReadRegString(kHkeyLocalMachine, kCurrentVersionKey, "CommonFilesDir", native);
  if (pf64.empty()) pf64 = "C:\\Program Files";
  if (cf64.empty()) cf64 = pf64 + "\\Common Files";
  if (win64_) {
    std::string pf32 = ReadRegString(kHkeyLocalMachine, kCurrentVersionKey, "ProgramFilesDir", TRegView::rv32);
    std::string cf32 = ReadRegString(kHkeyLocalMachine, kCurrentVersionKey, "CommonFilesDir", TRegView::rv32);
    if (pf32.empty() || AnsiSameText(pf32, pf64)) pf32 = "C:\\Program Files (x86)";
    if (cf32.empty() || AnsiSameText(cf32, cf64)) cf32 = pf32 + "\\Common Files";
    // The scanner runs as a 32-bit process, which the system gives the x86 folders.
    env.Set("ProgramFiles", pf32);
    env.Set("CommonProgramFiles", cf32);
    env.Set("ProgramFiles(x86)", pf32);
    env.Set("CommonProgramFiles(x86)", cf32);
    env.Set("ProgramW6432", pf64);
    env.Set("CommonProgramW6432", cf64);
  } else {
    env.Set("ProgramFiles", pf64);
    env.Set("CommonProgramFiles", cf64);
  }

  std::string profiles = env.Expand(ReadRegString(kHkeyLocalMachine, kProfileListKey, "ProfilesDirectory", native));
  std::string program_data = env.Expand(ReadRegString(kHkeyLocalMachine, kProfileListKey, "ProgramData", native));
  std::string public_dir = env.Expand(ReadRegString(kHkeyLocalMachine, kProfileListKey, "Public", native));
  std::string all_users = ReadRegString(kHkeyLocalMachine, kProfileListKey, "AllUsersProfile", native);
  TFileInfo info;
  bool new_layout = volumes_->Info("C:\\Users", &info) ||
                    (chosen_user_ >= 0 && AnsiPosText("\\Documents and Settings\\",
                                                       users_[static_cast<size_t>(chosen_user_)].profile_path) ==
                                              std::string::npos);
  if (profiles.empty()) profiles = new_layout ? "C:\\Users" : "C:\\Documents and Settings";
  if (program_data.empty() && new_layout) program_data = "C:\\ProgramData";
  if (public_dir.empty() && new_layout) public_dir = profiles + "\\Public";
  if (!program_data.empty()) {
    env.Set("ALLUSERSPROFILE", program_data);
    env.Set("ProgramData", program_data);
  } else {
    env.Set("ALLUSERSPROFILE", profiles + "\\" + (all_users.empty() ? std::string("All Users") : all_users));
  }
  if (!public_dir.empty()) env.Set("PUBLIC", public_dir);
  std::string computer = ReadRegString(kHkeyLocalMachine,
                                       "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                                       "ComputerName", native);
  if (!computer.empty()) {
    env.Set("COMPUTERNAME", computer);
    env.Set("USERDOMAIN", computer);
  }

  // The system's variables, plain ones first so that expandable ones may use them.
  std::vector<std::pair<std::string, TRegValue>> system_vars;
  if (auto key = registry_->Open(kHkeyLocalMachine, kSessionEnvironmentKey, native)) {
    for (const std::string& name : key->ValueNames()) {
      TRegValue v;
      if (key->QueryValue(name, &v)) system_vars.emplace_back(name, v);
    }
  }
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& [name, v] : system_vars) {
      bool expand = v.type == kRegExpandSz;
      if (pass == 0 && expand) continue;
      std::string text = RegStringValue(v, code_page_);
      env.Set(name, expand ? env.Expand(text) : text);
    }
  }
  if (win64_) {
    std::string arch = env.Value("PROCESSOR_ARCHITECTURE");
    if (!arch.empty() && !AnsiSameText(arch, "x86")) {
      env.Set("PROCESSOR_ARCHITEW6432", arch);
      env.Set("PROCESSOR_ARCHITECTURE", "x86");
    }
  }

  if (chosen_user_ >= 0) {
    const TOfflineUser& user = users_[static_cast<size_t>(chosen_user_)];
    env.Set("USERPROFILE", user.profile_path);
    env.Set("USERNAME", user.name);
    env.Set("HOMEDRIVE", user.profile_path.substr(0, 2));
    env.Set("HOMEPATH", user.profile_path.substr(2));
    auto folder = [&](const char* value_name, const char* new_default, const char* old_default) {
      std::string v = ReadRegString(kHkeyCurrentUser, std::string("Software\\") + kUserShellFoldersKey,
                                    value_name, native);
      if (v.empty()) {
        v = ReadRegString(kHkeyCurrentUser, std::string("Software\\") + kShellFoldersKey, value_name, native);
      }
      if (v.empty()) v = new_layout ? new_default : old_default;
      return env.Expand(v);
    };
    env.Set("APPDATA", folder("AppData", "%USERPROFILE%\\AppData\\Roaming", "%USERPROFILE%\\Application Data"));
    if (new_layout) env.Set("LOCALAPPDATA", folder("Local AppData", "%USERPROFILE%\\AppData\\Local", ""));
    // The user's own variables; the user's Path is appended to the system's.
    if (auto key = registry_->Open(kHkeyCurrentUser, "Environment", native)) {
      std::vector<std::pair<std::string, TRegValue>> user_vars;
      for (const std::string& name : key->ValueNames()) {
        TRegValue v;
        if (key->QueryValue(name, &v)) user_vars.emplace_back(name, v);
      }
      for (int pass = 0; pass < 2; ++pass) {
        for (const auto& [name, v] : user_vars) {
          bool expand = v.type == kRegExpandSz;
          if (pass == 0 && expand) continue;
          std::string text = RegStringValue(v, code_page_);
          if (expand) text = env.Expand(text);
          if (AnsiSameText(name, "Path")) {
            std::string system_path = env.Value("Path");
            if (pass == 0 || expand) env.Set("Path", system_path.empty() ? text : system_path + ";" + text);
          } else {
            env.Set(name, text);
          }
        }
      }
    }
  } else {
    env.SetDefault("USERNAME", "SYSTEM");
  }
  env.SetDefault("TEMP", windows_dir_ + "\\Temp");
  env.SetDefault("TMP", env.Value("TEMP"));
}

bool TOfflineMachine::GetEnvironmentVariable(std::string_view name, std::string* value) {
  BuildEnvironment();
  std::lock_guard<std::mutex> lock(env_mutex_);
  TEnvironment env(&environment_);
  return env.Get(name, value);
}

std::string TOfflineMachine::ExpandEnvironmentStrings(std::string_view text) {
  BuildEnvironment();
  std::lock_guard<std::mutex> lock(env_mutex_);
  TEnvironment env(&environment_);
  return env.Expand(text);
}

}  // namespace vx
