// Where the shell keeps each special folder (CSIDL): the value name under
// Explorer\User Shell Folders / Shell Folders, whether it is a machine-wide
// folder (HKLM) or the user's (HKCU), and the defaults of the two profile
// layouts (Users\ and "Documents and Settings\") as %VAR% text.
#ifndef VX_PLATFORM_OFFLINE_SHELL_FOLDERS_H_
#define VX_PLATFORM_OFFLINE_SHELL_FOLDERS_H_

namespace vx {

struct TShellFolderRow {
  int csidl;
  const char* value_name;   // in Shell Folders / User Shell Folders
  bool common;              // HKLM rather than HKCU
  const char* new_default;  // profiles under Users\ (empty: none)
  const char* old_default;  // profiles under "Documents and Settings\"
};

// nullptr when the CSIDL has no registry-backed folder.
const TShellFolderRow* FindShellFolderRow(int csidl);

// Name of a CSIDL for descriptions ("CSIDL_APPDATA"), or empty.
const char* CsidlName(int csidl);

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_SHELL_FOLDERS_H_
