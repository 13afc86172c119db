#include "extlib/dynamic_library.h"

#include <dlfcn.h>

namespace vx {

TDynamicLibrary::~TDynamicLibrary() {
  if (handle_) dlclose(handle_);
}

bool TDynamicLibrary::Load(const std::string& path) {
  if (handle_) {
    dlclose(handle_);
    handle_ = nullptr;
  }
  // A bare name would make the loader search its own folders; the program
  // only ever means the file beside it.
  std::string full = path.find('/') == std::string::npos ? "./" + path : path;
  handle_ = dlopen(full.c_str(), RTLD_NOW | RTLD_LOCAL);
  return handle_ != nullptr;
}

void* TDynamicLibrary::Symbol(const char* name) const {
  return handle_ ? dlsym(handle_, name) : nullptr;
}

}  // namespace vx
