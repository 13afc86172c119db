#include "companion_test_host.h"

#include <dlfcn.h>
#include <fnmatch.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace vx::test {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

uint64_t UnixToFileTime(int64_t unix_seconds) {
  return static_cast<uint64_t>(unix_seconds + 11644473600) * 10000000u;
}

TTestTarget* Self(void* context) { return static_cast<TTestTarget*>(context); }

}  // namespace

TCompanionLibrary::TCompanionLibrary(const char* file_name) {
  const std::string path = std::string(VX_BINARY_DIR) + "/" + file_name;
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) throw std::runtime_error(std::string("cannot load ") + dlerror());
}

void* TCompanionLibrary::Symbol(const char* name) const { return dlsym(handle_, name); }

int32_t TCompanionLibrary::Connect(const VxHostCallbacks* callbacks) const {
  return Get<VxSetHostCallbacksFn>("VxSetHostCallbacks")(callbacks);
}

void TCompanionLibrary::Disconnect() const {
  VxHostCallbacks none{};
  none.struct_size = sizeof(none);
  none.version = VX_HOST_CALLBACKS_VERSION;
  Connect(&none);
}

TCompanionLibrary& Probex() {
  static TCompanionLibrary library("probex.dll");
  return library;
}

TCompanionLibrary& Kitlib() {
  static TCompanionLibrary library("kitlib.dll");
  return library;
}

TTestTarget::TTestTarget() {
  std::string pattern = (fs::temp_directory_path() / "vx-companion-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
}

TTestTarget::~TTestTarget() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::string TTestTarget::HostPath(std::string_view target_path) const {
  if (target_path.size() < 2 || (target_path[0] != 'C' && target_path[0] != 'c') ||
      target_path[1] != ':') {
    return {};
  }
  fs::path host = root_;
  std::string_view rest = target_path.substr(2);
  while (!rest.empty()) {
    const size_t slash = rest.find('\\');
    const std::string_view part = rest.substr(0, slash);
    if (part == "..") return {};
    if (!part.empty() && part != ".") host /= std::string(part);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return host.string();
}

void TTestTarget::WriteFile(std::string_view target_path, std::string_view content) {
  const fs::path host = HostPath(target_path);
  fs::create_directories(host.parent_path());
  std::ofstream(host, std::ios::binary).write(content.data(),
                                               static_cast<std::streamsize>(content.size()));
}

void TTestTarget::MakeDirectory(std::string_view target_path) {
  fs::create_directories(HostPath(target_path));
}

void TTestTarget::SetWriteTime(std::string_view target_path, int64_t unix_seconds) {
  const timespec times[2] = {{static_cast<time_t>(unix_seconds), 0},
                             {static_cast<time_t>(unix_seconds), 0}};
  utimensat(AT_FDCWD, HostPath(target_path).c_str(), times, 0);
}

void TTestTarget::SetAttributes(std::string_view target_path, uint32_t attributes) {
  attributes_[HostPath(target_path)] = attributes;
}

void TTestTarget::AddKey(std::string_view key_path) {
  for (size_t slash = key_path.find('\\'); slash != std::string_view::npos;
       slash = key_path.find('\\', slash + 1)) {
    keys_.try_emplace(Lower(key_path.substr(0, slash)));
  }
  keys_.try_emplace(Lower(key_path));
}

void TTestTarget::SetValue(std::string_view key_path, std::string_view name, uint32_t type,
                           std::string_view data) {
  AddKey(key_path);
  keys_[Lower(key_path)].values.push_back(
      {std::string(name), {type, std::string(data)}});
}

void TTestTarget::SetVariable(std::string_view name, std::vector<std::string> values) {
  variables_.emplace_back(std::string(name), std::move(values));
}

VxHostCallbacks TTestTarget::Callbacks() {
  VxHostCallbacks table{};
  table.struct_size = sizeof(table);
  table.version = VX_HOST_CALLBACKS_VERSION;
  table.context = this;
  table.get_file_info = GetFileInfo;
  table.list_directory = ListDirectory;
  table.open_file = OpenFile;
  table.read_file = ReadFile;
  table.close_file = CloseFile;
  table.read_registry_value = ReadRegistryValue;
  table.list_registry_subkeys = ListSubkeys;
  table.list_registry_values = ListValues;
  table.solve_path = SolvePath;
  table.solve_path_all = SolvePathAll;
  table.expand_environment = ExpandEnvironment;
  return table;
}

int32_t TTestTarget::GetFileInfo(void* context, const char* path, VxFileInfo* info) {
  TTestTarget* self = Self(context);
  std::string host = self->HostPath(path);
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  struct stat st {};
  if (host.empty() || stat(host.c_str(), &st) != 0) return 0;
  const bool directory = S_ISDIR(st.st_mode);
  info->is_directory = directory ? 1 : 0;
  info->size = directory ? 0 : static_cast<uint64_t>(st.st_size);
  const auto it = self->attributes_.find(host);
  info->attributes = it != self->attributes_.end() ? it->second : (directory ? 0x10u : 0x20u);
  info->last_write_time = UnixToFileTime(st.st_mtim.tv_sec);
  info->last_access_time = UnixToFileTime(st.st_atim.tv_sec);
  info->creation_time = info->last_write_time;
  return 1;
}

int32_t TTestTarget::ListDirectory(void* context, const char* directory, const char* mask,
                                   VxFileSink sink, void* sink_context) {
  const std::string host = Self(context)->HostPath(directory);
  std::error_code error;
  if (host.empty() || !fs::is_directory(host, error)) return 0;
  const std::string pattern = std::string(mask) == "*.*" ? "*" : mask;
  for (const auto& entry : fs::directory_iterator(host, error)) {
    const std::string name = entry.path().filename().string();
    if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
    VxFileInfo info{};
    info.name = name.c_str();
    info.is_directory = entry.is_directory(error) ? 1 : 0;
    sink(sink_context, &info);
  }
  return 1;
}

int32_t TTestTarget::OpenFile(void* context, const char* path, void** handle, uint64_t* size) {
  TTestTarget* self = Self(context);
  const std::string host = self->HostPath(path);
  struct stat st {};
  if (host.empty() || stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  FILE* file = std::fopen(host.c_str(), "rb");
  if (file == nullptr) return 0;
  *handle = file;
  *size = static_cast<uint64_t>(st.st_size);
  ++self->open_handles;
  return 1;
}

int32_t TTestTarget::ReadFile(void* context, void* handle, uint64_t offset, void* buffer,
                              uint32_t count, uint32_t* bytes_read) {
  TTestTarget* self = Self(context);
  if (count > self->largest_read) self->largest_read = count;
  if (self->fail_reads) return 0;
  FILE* file = static_cast<FILE*>(handle);
  if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return 0;
  *bytes_read = static_cast<uint32_t>(std::fread(buffer, 1, count, file));
  return std::ferror(file) ? 0 : 1;
}

void TTestTarget::CloseFile(void* context, void* handle) {
  std::fclose(static_cast<FILE*>(handle));
  --Self(context)->open_handles;
}

int32_t TTestTarget::ReadRegistryValue(void* context, uint32_t root, const char* key_path,
                                       const char* value_name, uint32_t /*view*/,
                                       VxRegValueSink sink, void* sink_context) {
  TTestTarget* self = Self(context);
  if (root != VX_HKEY_LOCAL_MACHINE) return 0;
  const auto key = self->keys_.find(Lower(key_path));
  if (key == self->keys_.end()) return 0;
  for (const auto& [name, value] : key->second.values) {
    if (Lower(name) == Lower(value_name)) {
      sink(sink_context, value.first, value.second.data(),
           static_cast<uint32_t>(value.second.size()));
      return 1;
    }
  }
  return 0;
}

int32_t TTestTarget::ListSubkeys(void* context, uint32_t root, const char* key_path,
                                 uint32_t /*view*/, VxTextSink sink, void* sink_context) {
  TTestTarget* self = Self(context);
  const std::string key = Lower(key_path);
  if (root != VX_HKEY_LOCAL_MACHINE || self->keys_.count(key) == 0) return 0;
  const std::string prefix = key + "\\";
  for (const auto& [path, unused] : self->keys_) {
    if (path.compare(0, prefix.size(), prefix) == 0 &&
        path.find('\\', prefix.size()) == std::string::npos) {
      sink(sink_context, path.substr(prefix.size()).c_str());
    }
  }
  return 1;
}

int32_t TTestTarget::ListValues(void* context, uint32_t root, const char* key_path,
                                uint32_t /*view*/, VxTextSink sink, void* sink_context) {
  TTestTarget* self = Self(context);
  const auto key = self->keys_.find(Lower(key_path));
  if (root != VX_HKEY_LOCAL_MACHINE || key == self->keys_.end()) return 0;
  for (const auto& value : key->second.values) sink(sink_context, value.first.c_str());
  return 1;
}

int32_t TTestTarget::SolvePath(void* context, const char* text, VxTextSink sink,
                               void* sink_context) {
  std::string result = text;
  for (const auto& [name, values] : Self(context)->variables_) {
    for (size_t at = result.find(name); at != std::string::npos;
         at = result.find(name, at + values.front().size())) {
      result.replace(at, name.size(), values.front());
    }
  }
  sink(sink_context, result.c_str());
  return 1;
}

int32_t TTestTarget::SolvePathAll(void* context, const char* text, VxTextSink sink,
                                  void* sink_context) {
  std::vector<std::string> pending{text};
  std::vector<std::string> done;
  while (!pending.empty()) {
    std::string entry = pending.back();
    pending.pop_back();
    bool expanded = false;
    for (const auto& [name, values] : Self(context)->variables_) {
      const size_t at = entry.find(name);
      if (at == std::string::npos) continue;
      for (auto value = values.rbegin(); value != values.rend(); ++value) {
        std::string copy = entry;
        copy.replace(at, name.size(), *value);
        pending.push_back(copy);
      }
      expanded = true;
      break;
    }
    if (!expanded) done.push_back(entry);
  }
  for (const auto& entry : done) sink(sink_context, entry.c_str());
  return 1;
}

int32_t TTestTarget::ExpandEnvironment(void* /*context*/, const char* text, VxTextSink sink,
                                       void* sink_context) {
  std::string result = text;
  const std::string name = "%SystemRoot%";
  for (size_t at = Lower(result).find(Lower(name)); at != std::string::npos;
       at = Lower(result).find(Lower(name))) {
    result.replace(at, name.size(), "C:\\Windows");
  }
  sink(sink_context, result.c_str());
  return 1;
}

int64_t UnixNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string Md5Hex(std::string_view data) {
  unsigned char raw[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(data.data(), data.size(), raw, &size, EVP_md5(), nullptr);
  std::string hex;
  for (unsigned int i = 0; i < size; ++i) {
    hex += "0123456789abcdef"[raw[i] >> 4];
    hex += "0123456789abcdef"[raw[i] & 15];
  }
  return hex;
}

}  // namespace vx::test
