// TOfflineMachine: a Windows installation at rest, seen through a host
// directory that holds its system volume (drive C:), optionally with further
// volumes. Files are reached through case-insensitive, contained volumes; the
// registry is built from the hive files of the image (read with hivex) and
// from .reg text exports, merged into one key tree.
//
// Where registry text is looked for on an image (see README.md beside this
// file): "<HIVE>.reg" beside each system hive in Windows\System32\config
// (SYSTEM.reg, SOFTWARE.reg, SAM.reg, SECURITY.reg, DEFAULT.reg) and
// "NTUSER.reg" / "UsrClass.reg" beside a profile's NTUSER.DAT /
// UsrClass.dat. They are loaded whether or not the hive file exists, on top
// of it. Their key names carry full root names as regedit writes them;
// HKEY_CURRENT_USER in a profile's NTUSER.reg / UsrClass.reg means that
// profile.
#ifndef VX_PLATFORM_OFFLINE_OFFLINE_MACHINE_H_
#define VX_PLATFORM_OFFLINE_OFFLINE_MACHINE_H_

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/machine.h"

namespace vx {

struct TOfflineOptions {
  std::string image_root;                            // host dir = drive C:
  std::vector<std::pair<char, std::string>> drives;  // further volumes
  std::string user;  // profile folder name or SID; empty = first in stable order
  bool writable = false;
  std::vector<std::string> reg_files;  // extra .reg texts (host paths) merged into the tree
};

// One user profile of the image.
struct TOfflineUser {
  std::string sid;           // "S-1-5-21-..." (made up when the image names none)
  std::string name;          // the profile folder's name
  std::string profile_path;  // target path "C:\Users\Alice"
  std::string ntuser_source;    // what HKU\<sid> was read from (host path), or empty
  std::string classes_source;   // what HKU\<sid>_Classes was read from, or empty
  bool has_classes = false;     // HKU\<sid>_Classes exists
  bool from_profile_list = false;
};

class TOfflineVolumes;
class TOfflineRegistry;

class TOfflineMachine : public TMachine {
 public:
  // Never throws for damaged input: each problem becomes one clear line in
  // *messages naming the file (and line for .reg); the rest keeps working.
  static std::unique_ptr<TOfflineMachine> Open(const TOfflineOptions& options,
                                               std::vector<std::string>* messages);
  ~TOfflineMachine() override;

  std::string ChosenUserName() const;
  std::string ChosenUserSid() const;
  const std::vector<TOfflineUser>& Users() const { return users_; }
  // The image's ANSI code page (ACP under Control\Nls\CodePage, 1252 when absent).
  int CodePage() const { return code_page_; }
  // The machine model as text for a person (the hive tool's image view):
  // UTF-8, the image's names converted from its code page.
  std::string Describe();
  // The special folders part of it: the chosen user's folders.
  std::string DescribeSpecialFolders();

  // ---- TMachine
  std::unique_ptr<TRegKey> OpenKey(uint32_t root, std::string_view path, TRegView view) override;
  std::unique_ptr<TRegKey> CreateKey(uint32_t root, std::string_view path, TRegView view) override;
  bool DeleteKey(uint32_t root, std::string_view path, TRegView view) override;
  bool LoadHive(uint32_t root, std::string_view name, std::string_view file) override;
  bool UnloadHive(uint32_t root, std::string_view name) override;

  bool ListDirectory(std::string_view directory, std::string_view mask,
                     std::vector<TFileInfo>* out) override;
  bool GetFileInfo(std::string_view path, TFileInfo* info) override;
  TReadStatus ReadFile(std::string_view path, std::string* data,
                       uint64_t max_bytes = UINT64_MAX) override;
  std::unique_ptr<TFileReader> OpenFile(std::string_view path,
                                        TReadStatus* status = nullptr) override;
  bool ListStreams(std::string_view path, std::vector<TStreamInfo>* out) override;
  bool WriteFile(std::string_view path, std::string_view data) override;
  bool CreateDirectory(std::string_view path) override;
  bool MoveFile(std::string_view from, std::string_view to) override;
  bool DeleteFile(std::string_view path) override;

  std::string SpecialFolder(int csidl) override;
  bool ReadShortcut(std::string_view path, TShortcutInfo* info) override;

  std::string WindowsDirectory() override;
  std::string SystemDirectory() override;
  bool GetEnvironmentVariable(std::string_view name, std::string* value) override;
  std::string ExpandEnvironmentStrings(std::string_view text) override;
  std::vector<char> LogicalDrives() override;
  uint32_t DriveType(char letter) override;
  bool VolumeInformation(char letter, TVolumeInfo* info) override;
  bool IsWow64() override;
  std::string UserName() override;
  std::string UserSid() override;


  // The host path a target path resolves to (empty when it does not
  // resolve inside a volume); for tools and tests.
  std::string HostPathOf(std::string_view target_path);

 private:
  TOfflineMachine();
  // Names in hives and .reg text become ANSI text in `code_page`; Open reads
  // the image once more when the image names another code page.
  static std::unique_ptr<TOfflineMachine> OpenWithCodePage(const TOfflineOptions& options,
                                                           std::vector<std::string>* messages,
                                                           int code_page);
  void BuildEnvironment();
  std::string ReadRegString(uint32_t root, std::string_view path, std::string_view value,
                            TRegView view);

  TOfflineOptions options_;
  std::unique_ptr<TOfflineVolumes> volumes_;
  std::unique_ptr<TOfflineRegistry> registry_;
  std::vector<TOfflineUser> users_;
  int chosen_user_ = -1;
  int code_page_ = 1252;
  bool win64_ = false;
  std::string windows_dir_;  // "C:\Windows"
  std::vector<std::string> hive_notes_;  // for Describe

  std::mutex env_mutex_;
  bool env_built_ = false;
  std::vector<std::pair<std::string, std::string>> environment_;
};

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_OFFLINE_MACHINE_H_
