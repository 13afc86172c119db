#include "platform/offline/offline_machine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/ansi_text.h"
#include "base/codepage.h"
#include "platform/offline/hive_file.h"
#include "platform/offline/offline_registry.h"
#include "platform/offline/reg_text.h"
#include "platform/offline/reg_value_text.h"
#include "platform/offline/shell_folders.h"
#include "platform/offline/shortcut_file.h"
#include "platform/offline/volumes.h"
#include "platform/registry_roots.h"

namespace vx {

namespace {

// A .reg file larger than this is refused rather than read whole.
constexpr uint64_t kMaxRegTextBytes = 512ull * 1024 * 1024;

// Folders below the profile roots that hold no user of their own.
constexpr std::string_view kNoUserFolders[] = {
    "All Users", "Default", "Default User", "Public", "LocalService", "NetworkService",
};

// The backend mounts hives under HKLM and HKU only.
std::string_view MountRootName(uint32_t root) {
  if (root == kHkeyLocalMachine) return RegRootOfHandle(kHkeyLocalMachine)->short_name;
  return kHkeyUsersOtherName;
}

// Reads a .reg text from the host: one the image folder holds (its host path
// resolved from the target path) or one the options name. False when it is
// missing, unreadable or larger than kMaxRegTextBytes.
bool ReadHostRegText(const std::string& path, std::string* data) {
  // Without O_NONBLOCK a FIFO of that name on a hostile image would hold the
  // open forever; it is no file to read either way.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
            static_cast<uint64_t>(st.st_size) <= kMaxRegTextBytes;
  if (ok) {
    data->assign(static_cast<size_t>(st.st_size), '\0');
    size_t done = 0;
    while (done < data->size()) {
      ssize_t n = pread(fd, data->data() + done, data->size() - done, static_cast<off_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ok = done == data->size();
  }
  close(fd);
  return ok;
}

// Keys of user hives wait until the users are known. Names are taken here
// without regard to case, and the long ones as bare prefixes.
bool IsUserRoot(const TRegOp& op) {
  for (uint32_t handle : {kHkeyUsers, kHkeyCurrentUser}) {
    const TRegRoot* root = RegRootOfHandle(handle);
    if (AnsiStartsText(root->long_name, op.key) ||
        AnsiStartsText(std::string(root->short_name) + '\\', op.key)) {
      return true;
    }
  }
  return AnsiStartsText(std::string(kHkeyUsersOtherName) + '\\', op.key);
}

}  // namespace

TOfflineMachine::TOfflineMachine() = default;
TOfflineMachine::~TOfflineMachine() = default;

std::unique_ptr<TOfflineMachine> TOfflineMachine::Open(const TOfflineOptions& options,
                                                       std::vector<std::string>* messages) {
  std::vector<std::string> first_messages;
  auto m = OpenWithCodePage(options, &first_messages, 1252);
  if (m->code_page_ != 1252) {
    std::vector<std::string> again;
    m = OpenWithCodePage(options, &again, m->code_page_);
    first_messages = std::move(again);
  }
  if (messages) messages->insert(messages->end(), first_messages.begin(), first_messages.end());
  return m;
}

std::unique_ptr<TOfflineMachine> TOfflineMachine::OpenWithCodePage(const TOfflineOptions& options,
                                                                   std::vector<std::string>* messages,
                                                                   int code_page) {
  std::unique_ptr<TOfflineMachine> m(new TOfflineMachine());
  m->options_ = options;
  m->code_page_ = code_page;
  m->volumes_ = std::make_unique<TOfflineVolumes>(options.writable);
  m->volumes_->SetCodePage(code_page);
  m->registry_ = std::make_unique<TOfflineRegistry>(options.writable);
  m->registry_->SetCodePage(code_page);
  TOfflineRegistry& reg = *m->registry_;

  if (!m->volumes_->AddVolume('C', options.image_root)) {
    messages->push_back(options.image_root + ": the image folder does not exist");
  }
  for (const auto& [letter, root] : options.drives) {
    char upper = AsciiUpper(letter);
    if (upper < 'A' || upper > 'Z' || upper == 'C') {
      messages->push_back(root + ": drive letter " + std::string(1, letter) + ": cannot be used");
    } else if (!m->volumes_->AddVolume(upper, root)) {
      messages->push_back(root + ": the folder for drive " + std::string(1, upper) + ": does not exist");
    }
  }

  // The Windows directory: the first of Windows\ and WINNT\ that holds System32.
  for (const char* candidate : {"C:\\Windows", "C:\\WINNT"}) {
    TFileInfo info;
    std::string system32 = std::string(candidate) + "\\System32";
    if (m->volumes_->Info(system32, &info) && info.is_directory) {
      TFileInfo dir;
      m->volumes_->Info(candidate, &dir);
      m->windows_dir_ = "C:\\" + dir.name;
      break;
    }
  }
  bool has_windows = !m->windows_dir_.empty();
  if (!has_windows) {
    messages->push_back(options.image_root +
                        ": no Windows directory found (neither Windows\\System32 nor WINNT\\System32)");
    m->windows_dir_ = "C:\\Windows";
  }
  std::string config = m->windows_dir_ + "\\System32\\config";

  struct TPendingText {
    std::string label;
    std::vector<TRegOp> ops;
    std::string hkcu;  // what HKEY_CURRENT_USER means in it; empty = the chosen user
  };
  std::vector<TPendingText> texts;
  auto read_reg_text = [&](const std::string& host_path, std::string hkcu) {
    std::string data;
    if (!ReadHostRegText(host_path, &data)) {
      messages->push_back(host_path + ": cannot read the file");
      return;
    }
    TPendingText text;
    text.label = host_path;
    text.hkcu = std::move(hkcu);
    ParseRegText(data, host_path, code_page, &text.ops, messages);
    texts.push_back(std::move(text));
  };
  auto mount_hive = [&](uint32_t root, const std::string& name, const std::string& target_file,
                        const std::string& target_reg, std::string hkcu) {
    std::shared_ptr<THive> hive;
    std::string host;
    std::vector<std::string> sources;
    if (!target_file.empty() && m->volumes_->Resolve(target_file, &host)) {
      std::string error;
      hive = THive::Open(host, &error);
      if (hive) {
        sources.push_back(host);
        if (!hive->Damage().empty()) messages->push_back(host + ": " + hive->Damage());
      } else {
        messages->push_back(host + ": " + error + "; " + std::string(MountRootName(root)) + "\\" +
                            name + " is read without it");
      }
    }
    if (hive) hive->SetCodePage(code_page);
    auto mount = reg.Mount(root, name, std::move(hive));
    for (auto& s : sources) mount->sources.push_back(s);
    std::string reg_host;
    if (!target_reg.empty() && m->volumes_->Resolve(target_reg, &reg_host)) {
      mount->sources.push_back(reg_host);
      read_reg_text(reg_host, std::move(hkcu));
    }
    return mount;
  };

  for (const char* name : {"SYSTEM", "SOFTWARE", "SAM", "SECURITY"}) {
    mount_hive(kHkeyLocalMachine, name, config + "\\" + name, config + "\\" + name + ".reg", "");
  }
  reg.Mount(kHkeyLocalMachine, "HARDWARE", nullptr);
  mount_hive(kHkeyUsers, ".DEFAULT", config + "\\DEFAULT", config + "\\DEFAULT.reg", ".DEFAULT");
  for (const std::string& file : options.reg_files) read_reg_text(file, "");

  // Machine keys first: the users are found in them.
  auto apply = [&](bool user_keys) {
    for (const TPendingText& text : texts) {
      std::vector<TRegOp> part;
      for (const TRegOp& op : text.ops) {
        if (IsUserRoot(op) == user_keys) part.push_back(op);
      }
      std::string hkcu = text.hkcu.empty() ? m->ChosenUserSid() : text.hkcu;
      reg.Apply(part, hkcu, text.label, messages);
    }
  };
  apply(false);
  size_t machine_texts = texts.size();

  // The code page names characters of every later name.
  std::string acp = m->ReadRegString(kHkeyLocalMachine,
                                     "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP",
                                     TRegView::rv64);
  int32_t cp = 0;
  if (TryStrToInt(acp, &cp) && cp > 0 && cp != code_page) {
    // The caller reads the image again in this code page.
    m->code_page_ = cp;
    return m;
  }

  bool software_present = false;
  if (auto sw = reg.FindMount(kHkeyLocalMachine, "SOFTWARE")) {
    software_present = sw->hive || sw->overlay.ChildCount() > 0;
  }
  m->win64_ = reg.Open(kHkeyLocalMachine, "SOFTWARE\\Wow6432Node", TRegView::rv64) != nullptr;
  if (!software_present) {
    TFileInfo info;
    m->win64_ = m->volumes_->Info(m->windows_dir_ + "\\SysWOW64", &info) && info.is_directory;
  }
  reg.SetWin64(m->win64_);

  // Users: ProfileList first, the profile folders when it names nobody.
  std::vector<TOfflineUser> users;
  if (auto list = reg.Open(kHkeyLocalMachine, kProfileListKey, TRegView::rv64)) {
    for (const std::string& sid : list->SubKeyNames()) {
      if (sid == "S-1-5-18" || sid == "S-1-5-19" || sid == "S-1-5-20") continue;
      auto key = list->OpenSubKey(sid);
      TRegValue value;
      if (!key || !key->QueryValue("ProfileImagePath", &value)) continue;
      std::string path = RegStringValue(value, m->code_page_);
      path = StringReplaceAll(path, "%SystemDrive%", "C:", true);
      path = StringReplaceAll(path, "%SystemRoot%", m->windows_dir_, true);
      path = StringReplaceAll(path, "%windir%", m->windows_dir_, true);
      TTargetPath parsed;
      if (path.empty() || !ParseTargetPath(path, &parsed) || parsed.components.empty()) continue;
      TFileInfo info;
      if (!m->volumes_->Info(path, &info) || !info.is_directory) {
        messages->push_back("profile " + sid + ": its folder " + path + " is not on the image");
        continue;
      }
      TOfflineUser user;
      user.sid = sid;
      user.profile_path = JoinTargetPath(parsed);
      user.name = info.name;
      user.from_profile_list = true;
      users.push_back(std::move(user));
    }
  }
  if (users.empty()) {
    for (const char* root : {"C:\\Users", "C:\\Documents and Settings"}) {
      std::vector<TFileInfo> entries;
      if (!m->volumes_->List(root, "*", &entries)) continue;
      for (const TFileInfo& e : entries) {
        if (!e.is_directory) continue;
        bool skip = false;
        for (std::string_view n : kNoUserFolders) skip = skip || AnsiSameText(n, e.name);
        if (skip) continue;
        std::string profile = std::string(root) + "\\" + e.name;
        TFileInfo hive;
        if (!m->volumes_->Info(profile + "\\NTUSER.DAT", &hive) &&
            !m->volumes_->Info(profile + "\\NTUSER.reg", &hive)) {
          continue;
        }
        TOfflineUser user;
        TFileInfo dir;
        m->volumes_->Info(profile, &dir);
        user.profile_path = profile;
        user.name = e.name;
        users.push_back(std::move(user));
      }
    }
    std::sort(users.begin(), users.end(), [](const TOfflineUser& a, const TOfflineUser& b) {
      return AnsiCompareText(a.name, b.name) < 0;
    });
    // The image names no SIDs: stable made-up ones stand in.
    for (size_t i = 0; i < users.size(); ++i) {
      users[i].sid = "S-1-5-21-0-0-0-" + std::to_string(1000 + i);
    }
  }
  std::stable_sort(users.begin(), users.end(), [](const TOfflineUser& a, const TOfflineUser& b) {
    int c = AnsiCompareText(a.name, b.name);
    return c != 0 ? c < 0 : a.sid < b.sid;
  });

  for (TOfflineUser& user : users) {
    auto mount = mount_hive(kHkeyUsers, user.sid, user.profile_path + "\\NTUSER.DAT",
                            user.profile_path + "\\NTUSER.reg", user.sid);
    user.ntuser_source = mount->sources.empty() ? std::string() : mount->sources.front();
    for (const char* folder : {"\\AppData\\Local\\Microsoft\\Windows",
                               "\\Local Settings\\Application Data\\Microsoft\\Windows", ""}) {
      std::string dir = user.profile_path + folder;
      TFileInfo info;
      bool dat = m->volumes_->Info(dir + "\\UsrClass.dat", &info) && !info.is_directory;
      bool text = m->volumes_->Info(dir + "\\UsrClass.reg", &info) && !info.is_directory;
      if (!dat && !text) continue;
      auto classes = mount_hive(kHkeyUsers, user.sid + "_Classes", dat ? dir + "\\UsrClass.dat" : "",
                                text ? dir + "\\UsrClass.reg" : "", user.sid);
      user.has_classes = true;
      user.classes_source = classes->sources.empty() ? std::string() : classes->sources.front();
      break;
    }
  }
  m->users_ = std::move(users);

  if (!m->users_.empty()) {
    m->chosen_user_ = 0;
    if (!options.user.empty()) {
      int found = -1;
      // A name from the host's command line is UTF-8; the profile names are the image's text.
      std::string wanted = options.user;
      if (IsValidUtf8(wanted)) wanted = Utf8ToAnsi(wanted, m->code_page_);
      for (size_t i = 0; i < m->users_.size() && found < 0; ++i) {
        if (AnsiSameText(m->users_[i].name, options.user) || AnsiSameText(m->users_[i].name, wanted) ||
            AnsiSameText(m->users_[i].sid, options.user)) {
          found = static_cast<int>(i);
        }
      }
      if (found < 0) {
        messages->push_back("user \"" + options.user + "\" has no profile on the image; using " +
                            m->users_[0].name);
      } else {
        m->chosen_user_ = found;
      }
    }
  } else if (!options.user.empty()) {
    messages->push_back("user \"" + options.user + "\" has no profile on the image");
  }
  reg.SetCurrentUser(m->ChosenUserSid());

  // User keys of the machine-wide texts, then the per-profile ones whose
  // machine keys were not applied yet.
  for (size_t i = 0; i < texts.size(); ++i) {
    std::vector<TRegOp> part;
    for (const TRegOp& op : texts[i].ops) {
      if (i >= machine_texts || IsUserRoot(op)) part.push_back(op);
    }
    std::string hkcu = texts[i].hkcu.empty() ? m->ChosenUserSid() : texts[i].hkcu;
    reg.Apply(part, hkcu, texts[i].label, messages);
  }
  return m;
}

std::string TOfflineMachine::ReadRegString(uint32_t root, std::string_view path, std::string_view value,
                                           TRegView view) {
  auto key = registry_->Open(root, path, view);
  TRegValue v;
  if (!key || !key->QueryValue(value, &v)) return std::string();
  return RegStringValue(v, code_page_);
}

std::string TOfflineMachine::ChosenUserName() const {
  return chosen_user_ < 0 ? std::string() : users_[static_cast<size_t>(chosen_user_)].name;
}

std::string TOfflineMachine::ChosenUserSid() const {
  return chosen_user_ < 0 ? std::string() : users_[static_cast<size_t>(chosen_user_)].sid;
}

// ---- Registry

std::unique_ptr<TRegKey> TOfflineMachine::OpenKey(uint32_t root, std::string_view path, TRegView view) {
  return registry_->Open(root, path, view);
}

std::unique_ptr<TRegKey> TOfflineMachine::CreateKey(uint32_t root, std::string_view path, TRegView view) {
  return registry_->Create(root, path, view, false);
}

bool TOfflineMachine::DeleteKey(uint32_t root, std::string_view path, TRegView view) {
  return registry_->Delete(root, path, view, false);
}

bool TOfflineMachine::LoadHive(uint32_t root, std::string_view name, std::string_view file) {
  std::string host;
  if (!volumes_->Resolve(file, &host)) return false;
  std::string error;
  return registry_->LoadHive(root, name, host, &error);
}

bool TOfflineMachine::UnloadHive(uint32_t root, std::string_view name) {
  return registry_->UnloadHive(root, name);
}

// ---- Files

bool TOfflineMachine::ListDirectory(std::string_view directory, std::string_view mask,
                                    std::vector<TFileInfo>* out) {
  return volumes_->List(directory, mask, out);
}

bool TOfflineMachine::GetFileInfo(std::string_view path, TFileInfo* info) {
  return volumes_->Info(path, info);
}

TReadStatus TOfflineMachine::ReadFile(std::string_view path, std::string* data, uint64_t max_bytes) {
  return volumes_->Read(path, data, max_bytes);
}

std::unique_ptr<TFileReader> TOfflineMachine::OpenFile(std::string_view path, TReadStatus* status) {
  return volumes_->Open(path, status);
}

bool TOfflineMachine::ListStreams(std::string_view path, std::vector<TStreamInfo>* out) {
  // A host directory keeps no alternate data streams.
  (void)out;
  TFileInfo info;
  return volumes_->Info(path, &info);
}

bool TOfflineMachine::WriteFile(std::string_view path, std::string_view data) {
  return volumes_->Write(path, data);
}

bool TOfflineMachine::CreateDirectory(std::string_view path) { return volumes_->MakeDirectory(path); }

bool TOfflineMachine::MoveFile(std::string_view from, std::string_view to) {
  return volumes_->Move(from, to);
}

bool TOfflineMachine::DeleteFile(std::string_view path) { return volumes_->Remove(path); }

std::string TOfflineMachine::HostPathOf(std::string_view target_path) {
  std::string host;
  return volumes_->Resolve(target_path, &host) ? host : std::string();
}

// ---- Shell

bool TOfflineMachine::ReadShortcut(std::string_view path, TShortcutInfo* info) {
  constexpr uint64_t kMaxShortcutBytes = 4 * 1024 * 1024;
  std::string bytes;
  if (volumes_->Read(path, &bytes, kMaxShortcutBytes) != TReadStatus::rsOk) return false;
  bool from_environment = false;
  TShortcutInfo result;
  if (!ParseShortcut(bytes, code_page_, &result, &from_environment)) return false;
  // The shell hands out such targets expanded, in the image's environment.
  if (from_environment) result.target = ExpandEnvironmentStrings(result.target);
  *info = std::move(result);
  return true;
}

// ---- System

std::string TOfflineMachine::WindowsDirectory() { return windows_dir_; }

std::string TOfflineMachine::SystemDirectory() { return windows_dir_ + "\\system32"; }

std::vector<char> TOfflineMachine::LogicalDrives() { return volumes_->Letters(); }

uint32_t TOfflineMachine::DriveType(char letter) {
  return volumes_->HasVolume(letter) ? kDriveFixed : kDriveNoRootDir;
}

bool TOfflineMachine::VolumeInformation(char letter, TVolumeInfo* info) {
  if (!volumes_->HasVolume(letter)) return false;
  std::string root = volumes_->HostRoot(letter);
  uint32_t serial = 2166136261u;
  for (char c : root) serial = (serial ^ static_cast<unsigned char>(c)) * 16777619u;
  info->label.clear();
  info->serial = serial;
  info->file_system = "NTFS";
  return true;
}

bool TOfflineMachine::IsWow64() { return win64_; }

std::string TOfflineMachine::UserName() { return ChosenUserName(); }

std::string TOfflineMachine::UserSid() { return ChosenUserSid(); }

// ---- Description

std::string TOfflineMachine::Describe() {
  auto text = [this](const std::string& ansi) { return AnsiToUtf8(ansi, code_page_); };
  std::ostringstream out;
  out << "Image:              " << options_.image_root << "\n";
  for (char letter : volumes_->Letters()) {
    out << "Drive " << letter << ":            " << volumes_->HostRoot(letter) << "\n";
  }
  std::string windows_host;
  out << "Windows directory:  " << text(windows_dir_)
      << (volumes_->Resolve(windows_dir_, &windows_host) ? "" : "  (not on the image)") << "\n";
  out << "Architecture:       " << (win64_ ? "64-bit (SOFTWARE has Wow6432Node)" : "32-bit") << "\n";
  out << "ANSI code page:     " << code_page_ << "\n";
  std::string ccs = registry_->CurrentControlSetName();
  out << "CurrentControlSet:  " << (ccs.empty() ? std::string("(none)") : text(ccs));
  if (!ccs.empty()) {
    // Say so when the set is not the one Select names, so that nobody reads the wrong set unawares.
    TRegValue current;
    auto select = OpenKey(kHkeyLocalMachine, "SYSTEM\\Select", TRegView::rv64);
    if (!select || !select->QueryValue("Current", &current)) {
      out << "  (no Select\\Current: the lowest set)";
    } else if (current.type != kRegDword || current.data.size() != 4) {
      out << "  (Select\\Current is no number: the lowest set)";
    } else {
      uint32_t n = 0;
      for (int k = 3; k >= 0; --k) n = (n << 8) | static_cast<unsigned char>(current.data[k]);
      char wanted[32];
      std::snprintf(wanted, sizeof wanted, "ControlSet%03u", n);
      if (!AnsiSameText(wanted, ccs)) out << "  (Select\\Current names " << wanted << ", which is missing)";
    }
  }
  out << "\n";
  out << "Writable:           " << (options_.writable ? "yes" : "no") << "\n";
  out << "Users:\n";
  if (users_.empty()) out << "  (none; HKEY_CURRENT_USER is HKU\\.DEFAULT)\n";
  for (size_t i = 0; i < users_.size(); ++i) {
    const TOfflineUser& u = users_[i];
    out << (static_cast<int>(i) == chosen_user_ ? "  * " : "    ") << text(u.name) << "  " << u.sid << "  "
        << text(u.profile_path) << (u.from_profile_list ? "" : "  (SID made up: no ProfileList entry)") << "\n";
    out << "        user hive:    " << (u.ntuser_source.empty() ? std::string("(none)") : u.ntuser_source) << "\n";
    if (u.has_classes) out << "        classes hive: " << u.classes_source << "\n";
  }
  out << "Registry roots:\n";
  for (const auto& mount : registry_->Mounts()) {
    out << "  " << MountRootName(mount->root) << "\\" << text(mount->name) << "  <- ";
    if (mount->sources.empty()) {
      out << (mount->overlay.ChildCount() ? "registry text" : "empty");
    } else {
      for (size_t i = 0; i < mount->sources.size(); ++i) out << (i ? ", " : "") << mount->sources[i];
    }
    out << "\n";
  }
  out << "  HKCU  = HKU\\" << (chosen_user_ >= 0 ? users_[chosen_user_].sid : std::string(".DEFAULT")) << "\n";
  out << DescribeSpecialFolders();
  return out.str();
}

std::string TOfflineMachine::DescribeSpecialFolders() {
  std::ostringstream out;
  if (chosen_user_ >= 0) out << "Special folders of " << AnsiToUtf8(ChosenUserName(), code_page_) << ":\n";
  else out << "Special folders (no user):\n";
  static const int kShown[] = {0,  2,  5,  6,  7,  8,  11, 16, 20, 21, 22, 23, 24, 25, 26, 28, 32,
                               33, 34, 35, 36, 37, 38, 40, 42, 43, 45, 46, 62};
  for (int csidl : kShown) {
    std::string path = SpecialFolder(csidl);
    char line[64];
    std::snprintf(line, sizeof line, "  %3d %-30s ", csidl, CsidlName(csidl));
    out << line << (path.empty() ? std::string("(none)") : AnsiToUtf8(path, code_page_)) << "\n";
  }
  return out.str();
}

}  // namespace vx
