#include "platform/offline/shell_folders.h"

namespace vx {

namespace {

constexpr TShellFolderRow kRows[] = {
    {2, "Programs", false, "%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs",
     "%USERPROFILE%\\Start Menu\\Programs"},
    {5, "Personal", false, "%USERPROFILE%\\Documents", "%USERPROFILE%\\My Documents"},
    {6, "Favorites", false, "%USERPROFILE%\\Favorites", "%USERPROFILE%\\Favorites"},
    {7, "Startup", false, "%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
     "%USERPROFILE%\\Start Menu\\Programs\\Startup"},
    {8, "Recent", false, "%APPDATA%\\Microsoft\\Windows\\Recent", "%USERPROFILE%\\Recent"},
    {9, "SendTo", false, "%APPDATA%\\Microsoft\\Windows\\SendTo", "%USERPROFILE%\\SendTo"},
    {11, "Start Menu", false, "%APPDATA%\\Microsoft\\Windows\\Start Menu", "%USERPROFILE%\\Start Menu"},
    {13, "My Music", false, "%USERPROFILE%\\Music", "%USERPROFILE%\\My Documents\\My Music"},
    {14, "My Video", false, "%USERPROFILE%\\Videos", "%USERPROFILE%\\My Documents\\My Videos"},
    {16, "Desktop", false, "%USERPROFILE%\\Desktop", "%USERPROFILE%\\Desktop"},
    {19, "NetHood", false, "%APPDATA%\\Microsoft\\Windows\\Network Shortcuts", "%USERPROFILE%\\NetHood"},
    {20, "Fonts", false, "%SystemRoot%\\Fonts", "%SystemRoot%\\Fonts"},
    {21, "Templates", false, "%APPDATA%\\Microsoft\\Windows\\Templates", "%USERPROFILE%\\Templates"},
    {22, "Common Start Menu", true, "%ProgramData%\\Microsoft\\Windows\\Start Menu",
     "%ALLUSERSPROFILE%\\Start Menu"},
    {23, "Common Programs", true, "%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs",
     "%ALLUSERSPROFILE%\\Start Menu\\Programs"},
    {24, "Common Startup", true, "%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
     "%ALLUSERSPROFILE%\\Start Menu\\Programs\\Startup"},
    {25, "Common Desktop", true, "%PUBLIC%\\Desktop", "%ALLUSERSPROFILE%\\Desktop"},
    {26, "AppData", false, "%USERPROFILE%\\AppData\\Roaming", "%USERPROFILE%\\Application Data"},
    {27, "PrintHood", false, "%APPDATA%\\Microsoft\\Windows\\Printer Shortcuts", "%USERPROFILE%\\PrintHood"},
    {28, "Local AppData", false, "%USERPROFILE%\\AppData\\Local",
     "%USERPROFILE%\\Local Settings\\Application Data"},
    {29, "AltStartup", false, "", ""},
    {30, "Common AltStartup", true, "", ""},
    {31, "Common Favorites", true, "%USERPROFILE%\\Favorites", "%ALLUSERSPROFILE%\\Favorites"},
    {32, "Cache", false, "%USERPROFILE%\\AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files",
     "%USERPROFILE%\\Local Settings\\Temporary Internet Files"},
    {33, "Cookies", false, "%APPDATA%\\Microsoft\\Windows\\Cookies", "%USERPROFILE%\\Cookies"},
    {34, "History", false, "%USERPROFILE%\\AppData\\Local\\Microsoft\\Windows\\History",
     "%USERPROFILE%\\Local Settings\\History"},
    {35, "Common AppData", true, "%ProgramData%", "%ALLUSERSPROFILE%\\Application Data"},
    {39, "My Pictures", false, "%USERPROFILE%\\Pictures", "%USERPROFILE%\\My Documents\\My Pictures"},
    {45, "Common Templates", true, "%ProgramData%\\Microsoft\\Windows\\Templates",
     "%ALLUSERSPROFILE%\\Templates"},
    {46, "Common Documents", true, "%PUBLIC%\\Documents", "%ALLUSERSPROFILE%\\Documents"},
    {47, "Common Administrative Tools", true,
     "%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs\\Administrative Tools",
     "%ALLUSERSPROFILE%\\Start Menu\\Programs\\Administrative Tools"},
    {48, "Administrative Tools", false,
     "%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs\\Administrative Tools",
     "%USERPROFILE%\\Start Menu\\Programs\\Administrative Tools"},
    {53, "CommonMusic", true, "%PUBLIC%\\Music", "%ALLUSERSPROFILE%\\Documents\\My Music"},
    {54, "CommonPictures", true, "%PUBLIC%\\Pictures", "%ALLUSERSPROFILE%\\Documents\\My Pictures"},
    {55, "CommonVideo", true, "%PUBLIC%\\Videos", "%ALLUSERSPROFILE%\\Documents\\My Videos"},
    {59, "CD Burning", false, "%USERPROFILE%\\AppData\\Local\\Microsoft\\Windows\\Burn\\Burn",
     "%USERPROFILE%\\Local Settings\\Application Data\\Microsoft\\CD Burning"},
};

struct TCsidlName {
  int csidl;
  const char* name;
};

constexpr TCsidlName kNames[] = {
    {0, "CSIDL_DESKTOP"}, {2, "CSIDL_PROGRAMS"}, {3, "CSIDL_CONTROLS"}, {5, "CSIDL_PERSONAL"},
    {6, "CSIDL_FAVORITES"}, {7, "CSIDL_STARTUP"}, {8, "CSIDL_RECENT"}, {9, "CSIDL_SENDTO"},
    {11, "CSIDL_STARTMENU"}, {12, "CSIDL_MYDOCUMENTS"}, {13, "CSIDL_MYMUSIC"}, {14, "CSIDL_MYVIDEO"},
    {16, "CSIDL_DESKTOPDIRECTORY"}, {19, "CSIDL_NETHOOD"}, {20, "CSIDL_FONTS"},
    {21, "CSIDL_TEMPLATES"}, {22, "CSIDL_COMMON_STARTMENU"}, {23, "CSIDL_COMMON_PROGRAMS"},
    {24, "CSIDL_COMMON_STARTUP"}, {25, "CSIDL_COMMON_DESKTOPDIRECTORY"}, {26, "CSIDL_APPDATA"},
    {27, "CSIDL_PRINTHOOD"}, {28, "CSIDL_LOCAL_APPDATA"}, {29, "CSIDL_ALTSTARTUP"},
    {30, "CSIDL_COMMON_ALTSTARTUP"}, {31, "CSIDL_COMMON_FAVORITES"}, {32, "CSIDL_INTERNET_CACHE"},
    {33, "CSIDL_COOKIES"}, {34, "CSIDL_HISTORY"}, {35, "CSIDL_COMMON_APPDATA"}, {36, "CSIDL_WINDOWS"},
    {37, "CSIDL_SYSTEM"}, {38, "CSIDL_PROGRAM_FILES"}, {39, "CSIDL_MYPICTURES"}, {40, "CSIDL_PROFILE"},
    {41, "CSIDL_SYSTEMX86"}, {42, "CSIDL_PROGRAM_FILESX86"}, {43, "CSIDL_PROGRAM_FILES_COMMON"},
    {44, "CSIDL_PROGRAM_FILES_COMMONX86"}, {45, "CSIDL_COMMON_TEMPLATES"},
    {46, "CSIDL_COMMON_DOCUMENTS"}, {47, "CSIDL_COMMON_ADMINTOOLS"}, {48, "CSIDL_ADMINTOOLS"},
    {53, "CSIDL_COMMON_MUSIC"}, {54, "CSIDL_COMMON_PICTURES"}, {55, "CSIDL_COMMON_VIDEO"},
    {59, "CSIDL_CDBURN_AREA"}, {62, "CSIDL_PROFILES"},
};

}  // namespace

const TShellFolderRow* FindShellFolderRow(int csidl) {
  for (const TShellFolderRow& row : kRows) {
    if (row.csidl == csidl) return &row;
  }
  return nullptr;
}

const char* CsidlName(int csidl) {
  for (const TCsidlName& n : kNames) {
    if (n.csidl == csidl) return n.name;
  }
  return "";
}

}  // namespace vx
