#include "match/shell_folder.h"

#include <exception>

#include "platform/machine.h"
#include "sysaccess/my_registry.h"

namespace vx {

namespace {

constexpr char kShellFolders[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";
constexpr char kCurrentVersion[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";

std::string ShellAnswer(int csidl) {
  try {
    return CurrentMachine().SpecialFolder(csidl);
  } catch (const std::exception&) {
    return std::string();
  }
}

std::string RegistryFallback(uint32_t root, const char* key, const char* value) {
  std::string out;
  try {
    if (!RegReadString(root, key, value, TRegView::rv32, &out)) out.clear();
  } catch (const std::exception&) {
    out.clear();
  }
  return out;
}

}  // namespace

std::string GetSpecialFolder(int csidl) {
  std::string path = ShellAnswer(csidl);
  if (!path.empty()) return path;
  switch (csidl) {
    case kCsidlFavorites:
      return RegistryFallback(kHkeyCurrentUser, kShellFolders, "Favorites");
    case kCsidlTemplates:
      return RegistryFallback(kHkeyCurrentUser, kShellFolders, "Templates");
    case kCsidlCommonFavorites:
      return RegistryFallback(kHkeyLocalMachine, kShellFolders, "Common Favorites");
    case kCsidlCommonAppData:
      return ShellAnswer(kCsidlAppData);
    case kCsidlWindows:
      return CurrentMachine().WindowsDirectory();
    case kCsidlSystem:
      return CurrentMachine().SystemDirectory();
    case kCsidlProgramFiles:
      return RegistryFallback(kHkeyLocalMachine, kCurrentVersion, "ProgramFilesDir");
    case kCsidlCommonTemplates:
      return RegistryFallback(kHkeyLocalMachine, kShellFolders, "Common Templates");
    case kCsidlCommonDocuments:
      return RegistryFallback(kHkeyLocalMachine, kShellFolders, "Common Documents");
    default:
      return std::string();
  }
}

}  // namespace vx
