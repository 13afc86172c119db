// TMachine: the one door through which the engine sees the Windows machine it
// examines (the target). No engine file opens a target path or a registry key
// any other way.
//
// Paths are Windows paths: a drive letter, a colon, backslashes, compared
// without regard to case ("C:\Windows\System32"). Registry paths are relative
// to a root handle, without a leading backslash ("SOFTWARE\Microsoft").
//
// Contract for every operation: absence is never an error. A missing key,
// value, file or folder gives false, nullptr or the empty text; none of these
// operations throws for it. A refused write (a read-only image) is a failed
// write and gives false as well.
//
// Reads of files say more than that, because the rules take absence as an
// answer and a failure as something to tell the user: ReadFile and OpenFile
// report TReadStatus::rsMissing when nothing is at the path and rsUnreadable
// when something is there that cannot be read.
//
// Thread safety: the scan thread and the main thread may call a machine at the
// same time; implementations guard their caches.
#ifndef VX_PLATFORM_MACHINE_H_
#define VX_PLATFORM_MACHINE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_roots.h"
#include "platform/version_resource.h"

namespace vx {

// Registry value types as Windows numbers them.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegDwordBigEndian = 5;
constexpr uint32_t kRegLink = 6;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegResourceList = 8;
constexpr uint32_t kRegFullResourceDescriptor = 9;
constexpr uint32_t kRegResourceRequirementsList = 10;
constexpr uint32_t kRegQword = 11;

// The registry view: the redirected 32-bit view of a 32-bit process on
// 64-bit Windows, or the native 64-bit view. On a 32-bit system both are the
// same.
enum class TRegView : uint8_t { rv32, rv64 };

// The view as the rule files and the reports count it ("AccessBits"): 32 or 64.
constexpr int RegViewBits(TRegView view) { return view == TRegView::rv64 ? 64 : 32; }

// One value as stored: its Windows type and raw bytes. String values hold
// UTF-16LE bytes as Windows keeps them (with their terminating zero when the
// writer stored one); callers convert them to ANSI text.
struct TRegValue {
  uint32_t type = kRegNone;
  std::string data;
};

// An open key. It stays valid while the machine lives, even after the hive it
// came from is unloaded (it then reads as an empty key).
class TRegKey {
 public:
  virtual ~TRegKey() = default;
  // The key's path from its root, as it was opened.
  virtual const std::string& Path() const = 0;
  // Subkey and value names in enumeration order (the order the hive keeps).
  virtual std::vector<std::string> SubKeyNames() = 0;
  virtual std::vector<std::string> ValueNames() = 0;
  // False when the value does not exist. An empty name is the default value.
  virtual bool QueryValue(std::string_view name, TRegValue* value) = 0;
  virtual bool ValueExists(std::string_view name) = 0;
  // Opens a subkey by a relative path (components separated by backslashes);
  // nullptr when it does not exist.
  virtual std::unique_ptr<TRegKey> OpenSubKey(std::string_view relative_path) = 0;
  // Writes; false when refused (read-only image) or when the key is gone.
  virtual bool SetValue(std::string_view name, const TRegValue& value) = 0;
  virtual bool DeleteValue(std::string_view name) = 0;
  // Last write time as a Windows FILETIME; 0 when unknown.
  virtual uint64_t LastWriteTime() = 0;
};

// File attributes as Windows numbers them.
constexpr uint32_t kFileAttributeReadOnly = 0x1;
constexpr uint32_t kFileAttributeHidden = 0x2;
constexpr uint32_t kFileAttributeSystem = 0x4;
constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr uint32_t kFileAttributeNormal = 0x80;

struct TFileInfo {
  std::string name;        // the entry's own name, as the volume spells it
  bool is_directory = false;
  uint64_t size = 0;       // 0 for folders
  uint32_t attributes = 0;
  uint64_t creation_time = 0;     // FILETIME (100 ns since 1601, UTC)
  uint64_t last_access_time = 0;
  uint64_t last_write_time = 0;
};

struct TStreamInfo {
  std::string name;  // ":name:$DATA"
  uint64_t size = 0;
};

// What a file read found.
enum class TReadStatus : uint8_t {
  rsOk,          // the bytes were read
  rsMissing,     // nothing is at the path (or the path leads off the volume)
  rsUnreadable,  // something is there but cannot be read: a folder, or a file
                 // that fails to open or to read
};

// Sequential or random reads of one target file, for files too large to read
// whole (hashes, searches).
class TFileReader {
 public:
  virtual ~TFileReader() = default;
  virtual uint64_t Size() const = 0;
  // Reads up to `count` bytes at `offset` into `out` (replacing its content);
  // false on an I/O error. Reading at or past the end gives true and no bytes.
  virtual bool ReadAt(uint64_t offset, size_t count, std::string* out) = 0;
};

// Windows drive types.
constexpr uint32_t kDriveUnknown = 0;
constexpr uint32_t kDriveNoRootDir = 1;
constexpr uint32_t kDriveRemovable = 2;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kDriveRemote = 4;
constexpr uint32_t kDriveCdrom = 5;
constexpr uint32_t kDriveRamdisk = 6;

struct TVolumeInfo {
  std::string label;
  uint32_t serial = 0;
  std::string file_system;  // "NTFS"
};

struct TShortcutInfo {
  std::string target;     // the target path, may be empty
  std::string arguments;
  std::string working_directory;
  std::string description;
};

class TMachine {
 public:
  virtual ~TMachine() = default;

  // ---- Registry
  // Opens root + path in the given view; nullptr when the key does not exist
  // or the root is not one the machine offers. An empty path opens the root.
  virtual std::unique_ptr<TRegKey> OpenKey(uint32_t root, std::string_view path,
                                           TRegView view) = 0;
  // Opens or creates; nullptr when refused.
  virtual std::unique_ptr<TRegKey> CreateKey(uint32_t root, std::string_view path,
                                             TRegView view) = 0;
  virtual bool DeleteKey(uint32_t root, std::string_view path, TRegView view) = 0;
  // Mounts a hive file (a target path) as `name` under HKLM or HKU; false
  // when the file is missing, no hive, or the name is taken.
  virtual bool LoadHive(uint32_t root, std::string_view name, std::string_view file) = 0;
  virtual bool UnloadHive(uint32_t root, std::string_view name) = 0;

  // ---- Files
  // Lists `directory` with a Windows mask ("*.*" matches every name, with or
  // without a dot; "?" one character; case ignored). "." and ".." are never
  // listed. False when the folder does not exist.
  virtual bool ListDirectory(std::string_view directory, std::string_view mask,
                             std::vector<TFileInfo>* out) = 0;
  // False when nothing exists at `path`. A trailing backslash is allowed.
  virtual bool GetFileInfo(std::string_view path, TFileInfo* info) = 0;
  bool FileExists(std::string_view path);       // a file, not a folder
  bool DirectoryExists(std::string_view path);  // a folder
  // Reads a whole file; of a longer one its first `max_bytes` (rsOk).
  // rsMissing when nothing is at `path`, rsUnreadable when a folder is or
  // the file cannot be opened or read; `data` then holds nothing useful.
  virtual TReadStatus ReadFile(std::string_view path, std::string* data,
                               uint64_t max_bytes = UINT64_MAX) = 0;
  // ReadFile for callers to whom only success matters: true for rsOk.
  bool ReadFileBytes(std::string_view path, std::string* data, uint64_t max_bytes = UINT64_MAX);
  // nullptr when absent or unreadable; `status`, when given, says which
  // (rsOk with a reader), as ReadFile does.
  virtual std::unique_ptr<TFileReader> OpenFile(std::string_view path,
                                                TReadStatus* status = nullptr) = 0;
  // Alternate data streams of a file or folder (not the unnamed main
  // stream); false when the path does not exist. A volume that keeps no
  // streams lists none.
  virtual bool ListStreams(std::string_view path, std::vector<TStreamInfo>* out) = 0;
  // Writes; false when refused (read-only image) or failed.
  virtual bool WriteFile(std::string_view path, std::string_view data) = 0;
  virtual bool CreateDirectory(std::string_view path) = 0;
  virtual bool MoveFile(std::string_view from, std::string_view to) = 0;
  virtual bool DeleteFile(std::string_view path) = 0;

  // The version resource of an executable (the four numbers and the string
  // fields). False when the file is missing or unreadable, larger than
  // kMaxVersionFileBytes, or has no version resource: a file without one is
  // an answer, and the caller cannot do better for the others. The default
  // reads the file through OpenFile and parses its bytes.
  virtual bool GetFileVersion(std::string_view path, TFileVersionInfo* info);

  // ---- Shell
  // The folder of a CSIDL for the current user; empty when unknown.
  virtual std::string SpecialFolder(int csidl) = 0;
  // Reads a .lnk file; false when it is missing or no shortcut.
  virtual bool ReadShortcut(std::string_view path, TShortcutInfo* info) = 0;

  // ---- System
  virtual std::string WindowsDirectory() = 0;  // "C:\Windows", no trailing '\'
  virtual std::string SystemDirectory() = 0;   // "C:\Windows\system32"
  // The current user's environment as Windows builds it (system variables,
  // then the user's own); false when the name is unknown.
  virtual bool GetEnvironmentVariable(std::string_view name, std::string* value) = 0;
  // Replaces every %NAME% that is known; unknown references stay as written.
  virtual std::string ExpandEnvironmentStrings(std::string_view text) = 0;
  // Drive letters present, in order ("C", "D").
  virtual std::vector<char> LogicalDrives() = 0;
  virtual uint32_t DriveType(char letter) = 0;
  virtual bool VolumeInformation(char letter, TVolumeInfo* info) = 0;
  // True when the scanner runs as a 32-bit process on 64-bit Windows; for an
  // image, when the image is a 64-bit installation.
  virtual bool IsWow64() = 0;
  virtual std::string UserName() = 0;  // the current user's account name
  virtual std::string UserSid() = 0;   // "S-1-5-21-..."; empty when unknown
};

// The process-wide current machine, set once at start-up (tests set their own).
TMachine& CurrentMachine();
bool HasCurrentMachine();
void SetCurrentMachine(std::shared_ptr<TMachine> machine);

}  // namespace vx

#endif  // VX_PLATFORM_MACHINE_H_
