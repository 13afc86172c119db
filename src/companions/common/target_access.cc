#include "companions/common/target_access.h"

#include <mutex>

namespace vx::companion {

namespace {

// Hostile or broken hosts must not make a library grow without bound.
constexpr size_t kMaxSinkEntries = 1 << 20;

struct TTableSlot {
  std::mutex lock;
  VxHostCallbacks table{};
};

TTableSlot& Slot() {
  static TTableSlot slot;
  return slot;
}

// A snapshot, so a table replaced during a call does not change under it.
VxHostCallbacks CurrentTable() {
  TTableSlot& slot = Slot();
  std::lock_guard<std::mutex> guard(slot.lock);
  return slot.table;
}

void AppendText(void* sink_context, const char* text) {
  auto* list = static_cast<std::vector<std::string>*>(sink_context);
  if (text != nullptr && list->size() < kMaxSinkEntries) list->emplace_back(text);
}

void StoreText(void* sink_context, const char* text) {
  auto* out = static_cast<std::pair<bool, std::string>*>(sink_context);
  out->first = true;
  out->second = text != nullptr ? text : "";
}

void StoreRegValue(void* sink_context, uint32_t type, const void* data, uint32_t size) {
  auto* out = static_cast<std::pair<bool, TTargetRegValue>*>(sink_context);
  out->first = true;
  out->second.type = type;
  if (data != nullptr) {
    out->second.data.assign(static_cast<const char*>(data), size);
  } else {
    out->second.data.clear();
  }
}

bool SolveOne(int32_t (*callback)(void*, const char*, VxTextSink, void*), void* context,
              const std::string& text, std::string* result) {
  if (callback == nullptr) return false;
  std::pair<bool, std::string> answer{false, {}};
  if (callback(context, text.c_str(), StoreText, &answer) == 0 || !answer.first) return false;
  *result = std::move(answer.second);
  return true;
}

}  // namespace

bool SetHostCallbacks(const VxHostCallbacks* callbacks) {
  if (callbacks == nullptr || callbacks->version != VX_HOST_CALLBACKS_VERSION ||
      callbacks->struct_size < sizeof(VxHostCallbacks)) {
    return false;
  }
  TTableSlot& slot = Slot();
  std::lock_guard<std::mutex> guard(slot.lock);
  slot.table = *callbacks;
  return true;
}

bool TargetFileInfo(const std::string& path, VxFileInfo* info) {
  const VxHostCallbacks table = CurrentTable();
  if (table.get_file_info == nullptr) return false;
  *info = VxFileInfo{};
  const bool found = table.get_file_info(table.context, path.c_str(), info) != 0;
  info->name = nullptr;  // only valid during the call
  return found;
}

bool TargetDirectoryHasMatch(const std::string& directory, const std::string& mask) {
  const VxHostCallbacks table = CurrentTable();
  if (table.list_directory == nullptr) return false;
  bool any = false;
  const VxFileSink sink = [](void* sink_context, const VxFileInfo* info) {
    if (info != nullptr) *static_cast<bool*>(sink_context) = true;
  };
  return table.list_directory(table.context, directory.c_str(), mask.c_str(), sink, &any) != 0 &&
         any;
}

TTargetFile::~TTargetFile() { Close(); }

bool TTargetFile::Open(const std::string& path) {
  Close();
  table_ = CurrentTable();
  if (table_.open_file == nullptr || table_.read_file == nullptr) return false;
  void* handle = nullptr;
  uint64_t size = 0;
  if (table_.open_file(table_.context, path.c_str(), &handle, &size) == 0) return false;
  handle_ = handle;
  size_ = size;
  return true;
}

bool TTargetFile::ReadAt(uint64_t offset, void* buffer, uint32_t count, uint32_t* bytes_read) {
  *bytes_read = 0;
  if (handle_ == nullptr) return false;
  uint32_t got = 0;
  if (table_.read_file(table_.context, handle_, offset, buffer, count, &got) == 0) return false;
  // A host that claims more than was asked for is not believed.
  if (got > count) return false;
  *bytes_read = got;
  return true;
}

void TTargetFile::Close() {
  if (handle_ != nullptr && table_.close_file != nullptr) {
    table_.close_file(table_.context, handle_);
  }
  handle_ = nullptr;
  size_ = 0;
}

bool ReadTargetRegistryValue(uint32_t root, const std::string& key_path,
                             const std::string& value_name, uint32_t view,
                             TTargetRegValue* value) {
  const VxHostCallbacks table = CurrentTable();
  if (table.read_registry_value == nullptr) return false;
  std::pair<bool, TTargetRegValue> answer{false, {}};
  if (table.read_registry_value(table.context, root, key_path.c_str(), value_name.c_str(),
                                view, StoreRegValue, &answer) == 0 ||
      !answer.first) {
    return false;
  }
  *value = std::move(answer.second);
  return true;
}

bool ListTargetRegistrySubkeys(uint32_t root, const std::string& key_path, uint32_t view,
                               std::vector<std::string>* names) {
  const VxHostCallbacks table = CurrentTable();
  names->clear();
  if (table.list_registry_subkeys == nullptr) return false;
  return table.list_registry_subkeys(table.context, root, key_path.c_str(), view,
                                     AppendText, names) != 0;
}

bool TargetKeyExists(uint32_t root, const std::string& key_path, uint32_t view) {
  std::vector<std::string> names;
  return ListTargetRegistrySubkeys(root, key_path, view, &names);
}

bool SolveTargetPath(const std::string& text, std::string* result) {
  const VxHostCallbacks table = CurrentTable();
  // Path variables all start with "<$"; a text without one (most file names
  // a check is given have been resolved already) needs no call to the host.
  if (table.solve_path != nullptr && text.find("<$") == std::string::npos) {
    *result = text;
    return true;
  }
  return SolveOne(table.solve_path, table.context, text, result);
}

bool SolveTargetPathAll(const std::string& text, std::vector<std::string>* results) {
  const VxHostCallbacks table = CurrentTable();
  results->clear();
  if (table.solve_path_all == nullptr) return false;
  return table.solve_path_all(table.context, text.c_str(), AppendText, results) != 0;
}

bool ExpandTargetEnvironment(const std::string& text, std::string* result) {
  const VxHostCallbacks table = CurrentTable();
  return SolveOne(table.expand_environment, table.context, text, result);
}

const char* KeepReturnedText(std::string text) {
  thread_local std::string kept;
  kept = std::move(text);
  return kept.c_str();
}

}  // namespace vx::companion
