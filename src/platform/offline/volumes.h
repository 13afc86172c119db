// TOfflineVolumes: the drives of an image, each a host directory. Target
// paths are resolved component by component against the real directory
// entries without regard to case (listings are cached and refreshed when a
// folder changes). Nothing resolves outside a volume: ".." stops at the
// root and a symbolic link whose target lies outside the volume is treated
// as missing. Writes are refused unless the volumes were opened writable.
#ifndef VX_PLATFORM_OFFLINE_VOLUMES_H_
#define VX_PLATFORM_OFFLINE_VOLUMES_H_

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/machine.h"

namespace vx {

// A target path split into its drive and normalised components.
struct TTargetPath {
  char drive = 'C';
  std::vector<std::string> components;
};
// "C:\a\.\b\..\c" -> C, {a, c}. Paths without a drive are taken on C:.
// False for UNC and device paths.
bool ParseTargetPath(std::string_view path, TTargetPath* out);
std::string JoinTargetPath(const TTargetPath& path);  // "C:\a\c" ("C:\" for the root)

class TOfflineVolumes {
 public:
  explicit TOfflineVolumes(bool writable) : writable_(writable) {}
  // False when the host directory does not exist.
  bool AddVolume(char letter, const std::string& host_root);
  bool Writable() const { return writable_; }
  // Host names (UTF-8) become ANSI text in this code page.
  void SetCodePage(int code_page);
  std::vector<char> Letters() const;
  bool HasVolume(char letter) const;
  std::string HostRoot(char letter) const;

  // The host path of an existing target path; false when it is missing or
  // leaves the volume.
  bool Resolve(std::string_view target_path, std::string* host_path);
  // For writes: the host path the target path names, existing or not (the
  // parent must exist); false when the parent is missing or it leaves the volume.
  bool ResolveForWrite(std::string_view target_path, std::string* host_path, bool* exists);

  bool List(std::string_view directory, std::string_view mask, std::vector<TFileInfo>* out);
  bool Info(std::string_view path, TFileInfo* info);
  // As TMachine::ReadFile and OpenFile: a path that does not resolve (or
  // leaves the volume) is missing; a folder, another entry that is no
  // regular file, or a failed open or read is unreadable.
  TReadStatus Read(std::string_view path, std::string* data, uint64_t max_bytes);
  std::unique_ptr<TFileReader> Open(std::string_view path, TReadStatus* status = nullptr);
  bool Write(std::string_view path, std::string_view data);
  bool MakeDirectory(std::string_view path);
  bool Move(std::string_view from, std::string_view to);
  bool Remove(std::string_view path);

 private:
  struct TVolume {
    std::string root;  // canonical host path, no trailing '/'
  };
  struct TListing {
    int64_t mtime_sec = -1;
    int64_t mtime_nsec = -1;
    std::vector<std::string> names;                       // host names
    std::unordered_map<std::string, std::string> folded;  // folded ANSI -> host name
  };
  TVolume* Find(char letter);
  // Host name of `component` inside host dir `dir`; empty when absent.
  std::string Lookup(const std::string& dir, const std::string& component);
  const TListing* Listing(const std::string& dir);
  bool Contained(const TVolume& volume, const std::string& host_path);
  bool ResolveParts(const TTargetPath& target, size_t count, std::string* host_path);
  void Invalidate(const std::string& dir);

  bool writable_;
  int code_page_ = 1252;
  std::map<char, TVolume> volumes_;
  std::mutex mutex_;
  std::unordered_map<std::string, TListing> listings_;
  // Target paths resolved before, folded ("C:\WINDOWS\WIN.INI"), and the
  // host path each names. Every entry was found inside its volume when it
  // was added; a write through the machine empties the table. A rule file
  // asks for the same folders over and over, and each fresh resolution costs
  // two system calls per component.
  std::unordered_map<std::string, std::string> resolved_;
};

// Host stat -> Windows file information (name left empty).
bool HostFileInfo(const std::string& host_path, TFileInfo* info);

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_VOLUMES_H_
