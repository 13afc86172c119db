// TProbexLibrary: the advanced-check library probex.dll. It evaluates the
// advanced parameters of detection rules and keeps a small environment of
// named values for as long as it stays loaded.
//
// One process-wide instance, replaced at the start of every scan by the scan
// thread, which is then its only caller. Without the library (or without an
// export) every advanced check answers false and environment references
// stay unexpanded.
#ifndef VX_EXTLIB_PROBEX_LIBRARY_H_
#define VX_EXTLIB_PROBEX_LIBRARY_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/object.h"
#include "base/string_list.h"
#include "companions/companion_abi.h"
#include "extlib/dynamic_library.h"

namespace vx {

// Shows a message box (text, caption).
using TMessageBoxFn = std::function<void(const std::string& text, const std::string& caption)>;

class TProbexLibrary : public TObject {
 public:
  // Loads the library at `path` and hands it the host callback table. A
  // missing file or a failed load is told through `message_box` (caption
  // "AdvancedCheck failed"; none without it); the instance is then not
  // Loaded().
  TProbexLibrary(const std::string& path, const TMessageBoxFn& message_box);

  bool Loaded() const { return library_.Loaded(); }
  const std::string& Path() const { return path_; }
  bool AdvancedCheckReady() const { return advanced_check_ != nullptr; }
  bool EnvironmentReady() const { return get_environment_text_ && get_environment_size_; }

  // False when the export is missing.
  bool AdvancedCheck(const std::string& file_name, const std::string& parameters) const;
  // The library's environment, fetched afresh (empty without the exports).
  const TStringList& GetEnvironmentList();
  // Replaces every "<$ENV(name)>" by the environment's value for the name
  // (empty for an unknown one); an unterminated "<$ENV(" is dropped.
  std::string ExpandEnvironmentReferences(std::string_view text);

 private:
  VxSetMBoxHandleFn set_mbox_handle_ = nullptr;
  VxGetEnvironmentTextFn get_environment_text_ = nullptr;
  VxGetEnvironmentSizeFn get_environment_size_ = nullptr;
  TStringList environment_;
  TDynamicLibrary library_;
  std::string path_;
  VxAdvancedCheckFn advanced_check_ = nullptr;
  VxAdvancedCheckExFn advanced_check_ex_ = nullptr;
};

// Replaces the process-wide instance; an instance whose load failed is
// discarded, leaving none. A failed load is told through `message_box`.
void LoadProbexLibrary(const std::string& path, const TMessageBoxFn& message_box);
void UnloadProbexLibrary();
// The process-wide instance, or nullptr.
TProbexLibrary* ProbexLibrary();
bool ProbexAdvancedCheckReady();
bool ProbexEnvironmentReady();
// ExpandEnvironmentReferences of the instance; the text unchanged when the
// environment functions are not there.
std::string ExpandEnvironmentReferences(std::string_view text);

}  // namespace vx

#endif  // VX_EXTLIB_PROBEX_LIBRARY_H_
