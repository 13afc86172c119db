// GetSpecialFolder: the path of a shell special folder (a CSIDL number) of
// the current user on the current machine, or the empty text. When the shell
// knows no folder, a few ids fall back to the registry or the system.
#ifndef VX_MATCH_SHELL_FOLDER_H_
#define VX_MATCH_SHELL_FOLDER_H_

#include <string>

namespace vx {

constexpr int kCsidlDesktop = 0;
constexpr int kCsidlPrograms = 2;
constexpr int kCsidlControls = 3;
constexpr int kCsidlPersonal = 5;
constexpr int kCsidlFavorites = 6;
constexpr int kCsidlStartup = 7;
constexpr int kCsidlRecent = 8;
constexpr int kCsidlSendTo = 9;
constexpr int kCsidlStartMenu = 11;
constexpr int kCsidlMyDocuments = 12;
constexpr int kCsidlMyMusic = 13;
constexpr int kCsidlMyVideo = 14;
constexpr int kCsidlDesktopDirectory = 16;
constexpr int kCsidlNetHood = 19;
constexpr int kCsidlFonts = 20;
constexpr int kCsidlTemplates = 21;
constexpr int kCsidlCommonStartMenu = 22;
constexpr int kCsidlCommonPrograms = 23;
constexpr int kCsidlCommonStartup = 24;
constexpr int kCsidlCommonDesktopDirectory = 25;
constexpr int kCsidlAppData = 26;
constexpr int kCsidlPrintHood = 27;
constexpr int kCsidlLocalAppData = 28;
constexpr int kCsidlAltStartup = 29;
constexpr int kCsidlCommonAltStartup = 30;
constexpr int kCsidlCommonFavorites = 31;
constexpr int kCsidlInternetCache = 32;
constexpr int kCsidlCookies = 33;
constexpr int kCsidlHistory = 34;
constexpr int kCsidlCommonAppData = 35;
constexpr int kCsidlWindows = 36;
constexpr int kCsidlSystem = 37;
constexpr int kCsidlProgramFiles = 38;
constexpr int kCsidlProfile = 40;
constexpr int kCsidlProgramFilesCommon = 43;
constexpr int kCsidlCommonTemplates = 45;
constexpr int kCsidlCommonDocuments = 46;
constexpr int kCsidlCommonMusic = 53;
constexpr int kCsidlCommonVideo = 55;
constexpr int kCsidlProfiles = 62;

std::string GetSpecialFolder(int csidl);

}  // namespace vx

#endif  // VX_MATCH_SHELL_FOLDER_H_
