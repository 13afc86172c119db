#include "extlib/host_callbacks.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/string_list.h"
#include "match/path_variables.h"
#include "platform/machine.h"

namespace vx {

namespace {

// No exception may cross into a library: every callback answers 0 instead.
template <typename F>
int32_t Guarded(F&& body) {
  try {
    return body() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

void FillInfo(const TFileInfo& in, VxFileInfo* out, const char* name) {
  out->name = name;
  out->is_directory = in.is_directory ? 1 : 0;
  out->attributes = in.attributes;
  out->size = in.size;
  out->creation_time = in.creation_time;
  out->last_access_time = in.last_access_time;
  out->last_write_time = in.last_write_time;
}

TRegView ViewOf(uint32_t view) { return view == VX_REG_VIEW_64 ? TRegView::rv64 : TRegView::rv32; }

std::string StripLeadingBackslash(const char* path) {
  std::string p = path ? path : "";
  if (!p.empty() && p[0] == '\\') p.erase(0, 1);
  return p;
}

int32_t GetInfo(void*, const char* path, VxFileInfo* info) {
  return Guarded([&] {
    if (!path || !info || !HasCurrentMachine()) return false;
    TFileInfo found;
    if (!CurrentMachine().GetFileInfo(path, &found)) return false;
    FillInfo(found, info, nullptr);
    return true;
  });
}

int32_t ListDir(void*, const char* directory, const char* mask, VxFileSink sink,
                void* sink_context) {
  return Guarded([&] {
    if (!directory || !sink || !HasCurrentMachine()) return false;
    std::vector<TFileInfo> entries;
    if (!CurrentMachine().ListDirectory(directory, mask ? mask : "*.*", &entries)) return false;
    for (const TFileInfo& entry : entries) {
      VxFileInfo info{};
      FillInfo(entry, &info, entry.name.c_str());
      sink(sink_context, &info);
    }
    return true;
  });
}

int32_t OpenFile(void*, const char* path, void** handle, uint64_t* size) {
  return Guarded([&] {
    if (!path || !handle || !HasCurrentMachine()) return false;
    std::unique_ptr<TFileReader> reader = CurrentMachine().OpenFile(path);
    if (!reader) return false;
    if (size) *size = reader->Size();
    *handle = reader.release();
    return true;
  });
}

int32_t ReadFile(void*, void* handle, uint64_t offset, void* buffer, uint32_t count,
                 uint32_t* bytes_read) {
  return Guarded([&] {
    if (!handle || (!buffer && count > 0)) return false;
    std::string data;
    if (!static_cast<TFileReader*>(handle)->ReadAt(offset, count, &data)) return false;
    size_t n = data.size() < count ? data.size() : count;
    if (n > 0) std::memcpy(buffer, data.data(), n);
    if (bytes_read) *bytes_read = static_cast<uint32_t>(n);
    return true;
  });
}

void CloseFile(void*, void* handle) { delete static_cast<TFileReader*>(handle); }

int32_t ReadRegistryValue(void*, uint32_t root, const char* key_path, const char* value_name,
                          uint32_t view, VxRegValueSink sink, void* sink_context) {
  return Guarded([&] {
    if (!sink || !HasCurrentMachine()) return false;
    std::unique_ptr<TRegKey> key =
        CurrentMachine().OpenKey(root, StripLeadingBackslash(key_path), ViewOf(view));
    TRegValue value;
    if (!key || !key->QueryValue(value_name ? value_name : "", &value)) return false;
    std::string data;
    if (value.type == kRegSz || value.type == kRegExpandSz) {
      data = Utf16LeToAnsi(value.data);
      size_t zero = data.find('\0');
      if (zero != std::string::npos) data.resize(zero);
    } else if (value.type == kRegMultiSz) {
      // Items end at single zero units; an empty item (the double zero) ends
      // the list. Each item is converted on its own, as the converter stops
      // at a zero.
      const std::string& raw = value.data;
      size_t start = 0;
      while (start + 1 < raw.size()) {
        size_t end = start;
        while (end + 1 < raw.size() && (raw[end] != 0 || raw[end + 1] != 0)) end += 2;
        if (end == start) break;
        data += Utf16LeToAnsi(std::string_view(raw).substr(start, end - start));
        data.push_back('\0');
        start = end + 2;
      }
    } else {
      data = value.data;
    }
    sink(sink_context, value.type, data.data(), static_cast<uint32_t>(data.size()));
    return true;
  });
}

int32_t ListNames(uint32_t root, const char* key_path, uint32_t view, VxTextSink sink,
                  void* sink_context, bool subkeys) {
  return Guarded([&] {
    if (!sink || !HasCurrentMachine()) return false;
    std::unique_ptr<TRegKey> key =
        CurrentMachine().OpenKey(root, StripLeadingBackslash(key_path), ViewOf(view));
    if (!key) return false;
    for (const std::string& name : subkeys ? key->SubKeyNames() : key->ValueNames()) {
      sink(sink_context, name.c_str());
    }
    return true;
  });
}

int32_t ListSubkeys(void*, uint32_t root, const char* key_path, uint32_t view, VxTextSink sink,
                    void* sink_context) {
  return ListNames(root, key_path, view, sink, sink_context, true);
}

int32_t ListValues(void*, uint32_t root, const char* key_path, uint32_t view, VxTextSink sink,
                   void* sink_context) {
  return ListNames(root, key_path, view, sink, sink_context, false);
}

int32_t SolveOne(void*, const char* text, VxTextSink sink, void* sink_context) {
  return Guarded([&] {
    if (!text || !sink) return false;
    std::string solved = SolvePath(text);
    sink(sink_context, solved.c_str());
    return true;
  });
}

int32_t SolveAll(void*, const char* text, VxTextSink sink, void* sink_context) {
  return Guarded([&] {
    if (!text || !sink) return false;
    TStringList all;
    SolvePathAll(text, &all);
    for (int i = 0; i < all.Count(); ++i) sink(sink_context, all[i].c_str());
    return true;
  });
}

int32_t ExpandEnvironment(void*, const char* text, VxTextSink sink, void* sink_context) {
  return Guarded([&] {
    if (!text || !sink || !HasCurrentMachine()) return false;
    std::string expanded = CurrentMachine().ExpandEnvironmentStrings(text);
    sink(sink_context, expanded.c_str());
    return true;
  });
}

}  // namespace

const VxHostCallbacks* HostCallbackTable() {
  static const VxHostCallbacks table = [] {
    VxHostCallbacks t{};
    t.struct_size = sizeof(VxHostCallbacks);
    t.version = VX_HOST_CALLBACKS_VERSION;
    t.context = nullptr;
    t.get_file_info = GetInfo;
    t.list_directory = ListDir;
    t.open_file = OpenFile;
    t.read_file = ReadFile;
    t.close_file = CloseFile;
    t.read_registry_value = ReadRegistryValue;
    t.list_registry_subkeys = ListSubkeys;
    t.list_registry_values = ListValues;
    t.solve_path = SolveOne;
    t.solve_path_all = SolveAll;
    t.expand_environment = ExpandEnvironment;
    return t;
  }();
  return &table;
}

bool LoadWithHostCallbacks(const std::string& path, TDynamicLibrary* library) {
  if (!library->Load(path)) return false;
  if (auto set_callbacks = library->Export<VxSetHostCallbacksFn>("VxSetHostCallbacks")) {
    set_callbacks(HostCallbackTable());
  }
  return true;
}

}  // namespace vx
