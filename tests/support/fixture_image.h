// TFixtureImage: a small Windows installation at rest, built in a temporary
// directory, for tests that run the real code over an offline machine.
//
// What a new fixture holds (drive C: = Root()):
//   C:\Windows\System32\config\          (no hive files: the registry is .reg text)
//   C:\Windows\Fonts, C:\Windows\Temp, C:\Program Files, C:\ProgramData
//   C:\Users\Alice\ with NTUSER.reg (the user keys below), Desktop, Documents, Favorites,
//       AppData\Roaming, AppData\Local
//   C:\Users\Public with Desktop and Documents
//   With win64: C:\Windows\SysWOW64\ and C:\Program Files (x86)\ as well.
// Registry (REGEDIT4 text, loaded when Open() is called):
//   HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion: SystemRoot = C:\Windows
//   HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList
//       ProfilesDirectory = %SystemDrive%\Users
//       kFixtureUserSid: ProfileImagePath = C:\Users\Alice
//   HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion: ProgramFilesDir,
//       CommonFilesDir (and under Wow6432Node the "(x86)" ones with win64)
//   HKLM\SOFTWARE\...\Explorer\Shell Folders: Common AppData, Common Desktop,
//       Common Documents, Common Programs, Common Start Menu, Common Startup
//   HKLM\SYSTEM\Select: Current = 1
//   HKLM\SYSTEM\ControlSet001\Control\Session Manager\Environment: ComSpec, OS, Path, PATHEXT, TEMP, TMP, windir
//       (and PROCESSOR_ARCHITECTURE), ControlSet001\Control\Nls\CodePage ACP = 1252
//   HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders:
//       AppData, Desktop, Favorites, Local AppData, Personal, Programs,
//       Start Menu, Startup, Templates; HKCU\Environment: TEMP, TMP
//       (from Alice's NTUSER.reg, so they follow her whatever her SID)
//   HKLM\SYSTEM\...\ComputerName\ComputerName: ComputerName = FIXTURE-PC
// AddReg text may use HKEY_CURRENT_USER (the chosen user) or
// HKEY_USERS\<SID>; HKEY_CLASSES_ROOT keys land in HKLM\SOFTWARE\Classes.
//   With win64: HKLM\SOFTWARE\Wow6432Node exists, which makes the image 64-bit.
// Run entries, services, shortcuts, browser profiles and uninstall entries
// are added by the builders of family_fixtures.h.
#ifndef VX_TESTS_SUPPORT_FIXTURE_IMAGE_H_
#define VX_TESTS_SUPPORT_FIXTURE_IMAGE_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine.h"
#include "platform/offline/offline_machine.h"

namespace vx::testing {

inline constexpr char kFixtureUserName[] = "Alice";
inline constexpr char kFixtureUserSid[] = "S-1-5-21-1004336348-1177238915-682003330-1001";
inline constexpr char kFixtureProfile[] = "C:\\Users\\Alice";

class TFixtureImage {
 public:
  explicit TFixtureImage(bool win64 = false);
  ~TFixtureImage();  // removes the temp dir
  TFixtureImage(const TFixtureImage&) = delete;
  TFixtureImage& operator=(const TFixtureImage&) = delete;

  const std::string& Root() const { return root_; }  // host path of drive C:
  bool Win64() const { return win64_; }
  // "C:\\Windows\\x" -> host path (components as written, '/' separated).
  std::string HostPath(std::string_view target_path) const;
  void WriteFile(std::string_view target_path, std::string_view content);  // creates parents
  void MakeDirectory(std::string_view target_path);
  // REGEDIT4 text with full root names (HKEY_LOCAL_MACHINE\SOFTWARE\...),
  // accumulated; the "REGEDIT4" header line may be left out.
  void AddReg(std::string_view reg_text);
  // Writes a real hive file at `target_path`, built from REGEDIT4 text (the
  // header may be left out) through hivex, as the hive tool does. `root_key`
  // is the full name the hive's root stands for ("HKEY_LOCAL_MACHINE\SOFTWARE",
  // "HKEY_CURRENT_USER"); empty takes it from the first key.
  void WriteHive(std::string_view target_path, std::string_view reg_text,
                 std::string_view root_key = "");
  // Drops the default registry text (the folder tree stays), for tests that
  // build an image's registry from nothing.
  void ClearReg();
  // The offline machine of the image. `extra` adds options (user, writable,
  // drives, reg_files); image_root is always Root(). Messages from opening
  // are kept in Messages().
  std::shared_ptr<TMachine> Open(TOfflineOptions extra = {});
  std::shared_ptr<TOfflineMachine> OpenOffline(TOfflineOptions extra = {});
  std::shared_ptr<TMachine> OpenAsCurrent();  // Open() + SetCurrentMachine
  const std::vector<std::string>& Messages() const { return messages_; }
  // A temporary host directory outside the image, removed with the fixture.
  const std::string& ScratchDir() const { return scratch_; }

 private:
  std::string base_;     // temp dir holding image/ and scratch/
  std::string root_;     // base_/image
  std::string scratch_;  // base_/scratch
  std::string reg_text_;
  std::vector<std::string> messages_;
  bool win64_;
};

// A string value as stored (UTF-16 up to its first zero, each unit's low
// byte), or "<no key>" / "<no value>": short enough for test expectations.
inline std::string ReadRawString(TMachine& machine, uint32_t root, std::string_view path,
                                 std::string_view name, TRegView view = TRegView::rv32) {
  auto key = machine.OpenKey(root, path, view);
  if (!key) return "<no key>";
  TRegValue v;
  if (!key->QueryValue(name, &v)) return "<no value>";
  std::string out;
  for (size_t i = 0; i + 1 < v.data.size(); i += 2) {
    if (v.data[i] == 0 && v.data[i + 1] == 0) break;
    out.push_back(v.data[i]);
  }
  return out;
}

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_FIXTURE_IMAGE_H_
