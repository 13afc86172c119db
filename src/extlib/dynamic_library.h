// A shared library loaded at run time, looked up by export name.
#ifndef VX_EXTLIB_DYNAMIC_LIBRARY_H_
#define VX_EXTLIB_DYNAMIC_LIBRARY_H_

#include <string>

namespace vx {

class TDynamicLibrary {
 public:
  TDynamicLibrary() = default;
  ~TDynamicLibrary();
  TDynamicLibrary(const TDynamicLibrary&) = delete;
  TDynamicLibrary& operator=(const TDynamicLibrary&) = delete;

  // False when the file is missing or no loadable library.
  bool Load(const std::string& path);
  bool Loaded() const { return handle_ != nullptr; }
  // The export's address; nullptr when the library lacks it.
  void* Symbol(const char* name) const;
  template <typename Fn>
  Fn Export(const char* name) const {
    return reinterpret_cast<Fn>(Symbol(name));
  }

 private:
  void* handle_ = nullptr;
};

}  // namespace vx

#endif  // VX_EXTLIB_DYNAMIC_LIBRARY_H_
