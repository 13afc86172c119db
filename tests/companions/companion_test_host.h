// A stand-in for the scanner's side of the companion interface: a target
// made of a temporary folder (drive C:), an in-memory registry and a small
// path-variable table, offered to a library through the callback table.
#ifndef VX_TESTS_COMPANIONS_COMPANION_TEST_HOST_H_
#define VX_TESTS_COMPANIONS_COMPANION_TEST_HOST_H_

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "companions/companion_abi.h"

namespace vx::test {

// One companion library loaded from the build folder, once per process.
class TCompanionLibrary {
 public:
  explicit TCompanionLibrary(const char* file_name);
  void* Symbol(const char* name) const;
  template <typename Fn>
  Fn Get(const char* name) const {
    return reinterpret_cast<Fn>(Symbol(name));
  }
  // Hands `callbacks` over; the answer of VxSetHostCallbacks.
  int32_t Connect(const VxHostCallbacks* callbacks) const;
  // Leaves the library with a table of null callbacks: nothing on the target.
  void Disconnect() const;

 private:
  void* handle_ = nullptr;
};

TCompanionLibrary& Probex();
TCompanionLibrary& Kitlib();

class TTestTarget {
 public:
  TTestTarget();
  ~TTestTarget();
  TTestTarget(const TTestTarget&) = delete;
  TTestTarget& operator=(const TTestTarget&) = delete;

  // "C:\a\b" -> <temp>/a/b; empty for anything not on drive C: or leaving it.
  std::string HostPath(std::string_view target_path) const;
  void WriteFile(std::string_view target_path, std::string_view content);
  void MakeDirectory(std::string_view target_path);
  void SetWriteTime(std::string_view target_path, int64_t unix_seconds);
  void SetAttributes(std::string_view target_path, uint32_t attributes);

  // Registry under HKEY_LOCAL_MACHINE; string data is ANSI text.
  void AddKey(std::string_view key_path);
  void SetValue(std::string_view key_path, std::string_view name, uint32_t type,
                std::string_view data);

  // "<$NAME>" -> values; solve_path uses the first.
  void SetVariable(std::string_view name, std::vector<std::string> values);

  VxHostCallbacks Callbacks();

  // What the libraries did through the table.
  int open_handles = 0;
  uint32_t largest_read = 0;
  bool fail_reads = false;

 private:
  struct TKey {
    std::vector<std::pair<std::string, std::pair<uint32_t, std::string>>> values;
  };

  static int32_t GetFileInfo(void* context, const char* path, VxFileInfo* info);
  static int32_t ListDirectory(void* context, const char* directory, const char* mask,
                               VxFileSink sink, void* sink_context);
  static int32_t OpenFile(void* context, const char* path, void** handle, uint64_t* size);
  static int32_t ReadFile(void* context, void* handle, uint64_t offset, void* buffer,
                          uint32_t count, uint32_t* bytes_read);
  static void CloseFile(void* context, void* handle);
  static int32_t ReadRegistryValue(void* context, uint32_t root, const char* key_path,
                                   const char* value_name, uint32_t view, VxRegValueSink sink,
                                   void* sink_context);
  static int32_t ListSubkeys(void* context, uint32_t root, const char* key_path, uint32_t view,
                             VxTextSink sink, void* sink_context);
  static int32_t ListValues(void* context, uint32_t root, const char* key_path, uint32_t view,
                            VxTextSink sink, void* sink_context);
  static int32_t SolvePath(void* context, const char* text, VxTextSink sink,
                           void* sink_context);
  static int32_t SolvePathAll(void* context, const char* text, VxTextSink sink,
                              void* sink_context);
  static int32_t ExpandEnvironment(void* context, const char* text, VxTextSink sink,
                                   void* sink_context);

  std::filesystem::path root_;
  std::map<std::string, uint32_t> attributes_;  // host path -> attribute bits
  std::map<std::string, TKey> keys_;            // lower-case key path
  std::vector<std::pair<std::string, std::vector<std::string>>> variables_;
};

int64_t UnixNow();
std::string Md5Hex(std::string_view data);

}  // namespace vx::test

#endif  // VX_TESTS_COMPANIONS_COMPANION_TEST_HOST_H_
