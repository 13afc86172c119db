// The libraries' only view of the target: the callback table the host hands
// over right after loading. These wrappers turn its C calls into C++ values
// and treat a missing table or a missing callback as absence, so every caller
// answers as it would for a missing file or key. Every path and key they take
// is one of the target (the scanned machine); a library never reads a file of
// the computer it runs on.
//
// The table is the library's one process-wide setting besides probex's
// environment; it is copied under a lock, so a host may replace it at any time.
#ifndef VX_COMPANIONS_COMMON_TARGET_ACCESS_H_
#define VX_COMPANIONS_COMMON_TARGET_ACCESS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "companions/companion_abi.h"

namespace vx::companion {

// Copies the table; false (and the old table kept) when it is null, of
// another version or too small.
bool SetHostCallbacks(const VxHostCallbacks* callbacks);

bool TargetFileInfo(const std::string& path, VxFileInfo* info);
// True when `directory` holds at least one entry matching the Windows mask.
bool TargetDirectoryHasMatch(const std::string& directory, const std::string& mask);

// The current user's view of one target file, read piece by piece.
class TTargetFile {
 public:
  TTargetFile() = default;
  ~TTargetFile();
  TTargetFile(const TTargetFile&) = delete;
  TTargetFile& operator=(const TTargetFile&) = delete;

  bool Open(const std::string& path);
  uint64_t Size() const { return size_; }
  // Reads up to `count` bytes at `offset`; false on an I/O error.
  bool ReadAt(uint64_t offset, void* buffer, uint32_t count, uint32_t* bytes_read);

 private:
  void Close();

  VxHostCallbacks table_{};
  void* handle_ = nullptr;
  uint64_t size_ = 0;
};

struct TTargetRegValue {
  uint32_t type = 0;
  std::string data;  // ANSI text for string types, raw bytes otherwise
};

bool ReadTargetRegistryValue(uint32_t root, const std::string& key_path,
                             const std::string& value_name, uint32_t view,
                             TTargetRegValue* value);
bool ListTargetRegistrySubkeys(uint32_t root, const std::string& key_path, uint32_t view,
                               std::vector<std::string>* names);
bool TargetKeyExists(uint32_t root, const std::string& key_path, uint32_t view);

bool SolveTargetPath(const std::string& text, std::string* result);
bool SolveTargetPathAll(const std::string& text, std::vector<std::string>* results);
bool ExpandTargetEnvironment(const std::string& text, std::string* result);

// Keeps a text that an export returns: valid until the next call that
// returns text on the same thread.
const char* KeepReturnedText(std::string text);

}  // namespace vx::companion

#endif  // VX_COMPANIONS_COMMON_TARGET_ACCESS_H_
