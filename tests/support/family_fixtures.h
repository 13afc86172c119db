// Builders for the rule-family tests: each adds one thing to a TFixtureImage
// as Windows and the programs concerned leave it on disk, so a family runs
// its real code over it. Registry values go in as REGEDIT4 text (AddReg)
// and are there once the image is opened; files are written at once.
//
//   AddRunEntry       a value of ...\CurrentVersion\Run (or RunOnce):
//                     HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run,
//                     HKCU\Software\Microsoft\Windows\CurrentVersion\Run, or
//                     with wow64 HKLM\SOFTWARE\Wow6432Node\...\Run (64-bit
//                     images only); REG_SZ command, and the program it names
//                     as a small executable when `program` is set.
//   AddService        HKLM\SYSTEM\ControlSet001\Services\<name> (the image's
//                     current control set): Type, Start, ErrorControl as
//                     DWORDs, ImagePath as REG_EXPAND_SZ, DisplayName, and
//                     Description, ObjectName, Parameters\ServiceDll
//                     (REG_EXPAND_SZ) when set.
//   AddShortcut       a .lnk (see shell_link.h) in the desktop, start menu,
//                     programs, startup or quick launch folder of Alice or of
//                     all users:
//                       Alice     C:\Users\Alice\Desktop
//                                 ...\AppData\Roaming\Microsoft\Windows\Start Menu
//                                 ...\Start Menu\Programs, ...\Programs\Startup
//                                 ...\AppData\Roaming\Microsoft\Internet Explorer\Quick Launch
//                       all users C:\Users\Public\Desktop
//                                 C:\ProgramData\Microsoft\Windows\Start Menu (and below)
//                                 C:\ProgramData\Microsoft\Internet Explorer\Quick Launch
//   AddInternetExplorerProfile   Alice's favorites as C:\Users\Alice\Favorites\<name>.url,
//                     cookies as one text file per site in
//                     ...\AppData\Roaming\Microsoft\Windows\Cookies\alice@<site>[1].txt,
//                     and the start page in HKCU\Software\Microsoft\Internet Explorer\Main.
//   AddFirefoxProfile ...\AppData\Roaming\Mozilla\Firefox\profiles.ini naming
//                     the relative folder Profiles\<folder>, which holds
//                     prefs.js (start page), cookies.txt (Netscape format) and
//                     bookmarks.html.
//   AddUninstallEntry HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\<key>
//                     (or under Wow6432Node): DisplayName, UninstallString.
//
// Texts are 8-bit text of code page 1252. Every member of the option structs
// has an initializer, so designated initializers may leave any of them out.
// A builder given something Windows would not hold (a Wow6432Node entry on a
// 32-bit image, an empty name) throws std::invalid_argument.
#ifndef VX_TESTS_SUPPORT_FAMILY_FIXTURES_H_
#define VX_TESTS_SUPPORT_FAMILY_FIXTURES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "support/fixture_image.h"
#include "support/shell_link.h"

namespace vx::testing {

enum class TFixtureHive : uint8_t { fhLocalMachine, fhCurrentUser };

struct TRunEntry {
  TFixtureHive hive = TFixtureHive::fhLocalMachine;
  bool wow64 = false;         // the 32-bit programs' key of a 64-bit image (HKLM only)
  std::string key = "Run";    // "Run", "RunOnce", ...
  std::string name{};         // the value's name
  std::string command{};      // its data: "\"C:\\Program Files\\App\\app.exe\" /min"
  std::string program{};      // the target path of the program to create; empty: none
};
void AddRunEntry(TFixtureImage& image, const TRunEntry& entry);

// Service types and start types as Windows numbers them.
inline constexpr uint32_t kServiceKernelDriver = 0x01;
inline constexpr uint32_t kServiceOwnProcess = 0x10;
inline constexpr uint32_t kServiceShareProcess = 0x20;
inline constexpr uint32_t kServiceAutoStart = 2;
inline constexpr uint32_t kServiceDemandStart = 3;
inline constexpr uint32_t kServiceDisabled = 4;

struct TServiceEntry {
  std::string name{};          // the key's name below Services
  std::string display_name{};
  std::string image_path{};    // "%SystemRoot%\\System32\\svchost.exe -k netsvcs"
  uint32_t start = kServiceAutoStart;
  uint32_t type = kServiceOwnProcess;
  std::string description{};   // optional
  std::string object_name{};   // optional: "LocalSystem"
  std::string service_dll{};   // optional: Parameters\ServiceDll
};
void AddService(TFixtureImage& image, const TServiceEntry& service);

enum class TShortcutFolder : uint8_t { sfDesktop, sfStartMenu, sfPrograms, sfStartup, sfQuickLaunch };

struct TShortcutEntry {
  TShortcutFolder folder = TShortcutFolder::sfDesktop;
  bool all_users = false;
  std::string file_name{};  // "App.lnk"
  TShellLinkSpec link{};    // target, arguments, working directory, description
};
// The shortcut's target path ("C:\\Users\\Alice\\Desktop\\App.lnk").
std::string AddShortcut(TFixtureImage& image, const TShortcutEntry& shortcut);
// The folder a shortcut of `folder` lands in, as a target path.
std::string ShortcutFolderPath(TShortcutFolder folder, bool all_users);

struct TBookmark {
  std::string name{};  // "Example Site": the .url file's name, the link's text
  std::string url{};
};

struct TCookie {
  std::string host{};          // "www.example.com", or ".example.com" for the whole domain
  std::string path = "/";
  std::string name{};
  std::string value{};
  bool secure = false;
  int64_t expires = 1893456000;  // Unix time (2030-01-01)
};

struct TBrowserProfile {
  std::string start_page{};        // empty: none
  std::vector<TBookmark> bookmarks{};
  std::vector<TCookie> cookies{};
};

void AddInternetExplorerProfile(TFixtureImage& image, const TBrowserProfile& profile);
// The profile folder's target path.
std::string AddFirefoxProfile(TFixtureImage& image, const TBrowserProfile& profile,
                              const std::string& folder = "q1w2e3r4.default");

struct TUninstallEntry {
  std::string key{};  // the key below Uninstall: a product code or a name
  std::string display_name{};
  std::string uninstall_string{};
  bool wow64 = false;  // a 32-bit program on a 64-bit image
};
void AddUninstallEntry(TFixtureImage& image, const TUninstallEntry& entry);

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_FAMILY_FIXTURES_H_
