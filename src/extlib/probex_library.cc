#include "extlib/probex_library.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "extlib/host_callbacks.h"

namespace vx {

namespace {

constexpr char kCaption[] = "AdvancedCheck failed";
constexpr char kEnvOpen[] = "<$ENV(";
constexpr char kEnvClose[] = ")>";
// The environment is a handful of Name=Value lines; a library that claims
// more is not trusted with a buffer that large.
constexpr int32_t kMaxEnvironmentSize = 16 * 1024 * 1024;

std::unique_ptr<TProbexLibrary>& Instance() {
  static std::unique_ptr<TProbexLibrary> instance;
  return instance;
}

}  // namespace

TProbexLibrary::TProbexLibrary(const std::string& path, const TMessageBoxFn& message_box)
    : path_(path) {
  auto show = [&](const std::string& text) {
    if (message_box) message_box(text, kCaption);
  };
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) show("Could not find library " + path);
  if (!LoadWithHostCallbacks(path, &library_)) {
    show("Could not load library " + path);
    return;
  }
  advanced_check_ = library_.Export<VxAdvancedCheckFn>("AdvancedCheck");
  advanced_check_ex_ = library_.Export<VxAdvancedCheckExFn>("AdvancedCheckEx");
  set_mbox_handle_ = library_.Export<VxSetMBoxHandleFn>("SetMBoxHandle");
  get_environment_text_ = library_.Export<VxGetEnvironmentTextFn>("GetEnvironmentText");
  get_environment_size_ = library_.Export<VxGetEnvironmentSizeFn>("GetEnvironmentSize");
}

bool TProbexLibrary::AdvancedCheck(const std::string& file_name,
                                   const std::string& parameters) const {
  if (!advanced_check_) return false;
  return advanced_check_(file_name.c_str(), parameters.c_str()) != 0;
}

const TStringList& TProbexLibrary::GetEnvironmentList() {
  environment_.Clear();
  if (!EnvironmentReady()) return environment_;
  int32_t length = get_environment_size_();
  if (length < 0 || length > kMaxEnvironmentSize) return environment_;
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  int32_t filled = length;
  if (get_environment_text_(buffer.data(), &filled) && filled >= 0 && filled <= length) {
    environment_.SetText(std::string_view(buffer.data(), static_cast<size_t>(filled)));
  }
  return environment_;
}

std::string TProbexLibrary::ExpandEnvironmentReferences(std::string_view text) {
  const TStringList& environment = GetEnvironmentList();
  std::string result;
  std::string rest(text);
  for (;;) {
    size_t open = rest.find(kEnvOpen);
    if (open == std::string::npos) break;
    result.append(rest, 0, open);
    rest.erase(0, open + sizeof(kEnvOpen) - 1);
    size_t close = rest.find(kEnvClose);
    if (close != std::string::npos) {
      result += environment.Values(rest.substr(0, close));
      rest.erase(0, close + sizeof(kEnvClose) - 1);
    }
  }
  return result + rest;
}

void LoadProbexLibrary(const std::string& path, const TMessageBoxFn& message_box) {
  Instance().reset();
  auto library = std::make_unique<TProbexLibrary>(path, message_box);
  if (library->Loaded()) Instance() = std::move(library);
}

void UnloadProbexLibrary() { Instance().reset(); }

TProbexLibrary* ProbexLibrary() { return Instance().get(); }

bool ProbexAdvancedCheckReady() { return ProbexLibrary() && ProbexLibrary()->AdvancedCheckReady(); }

bool ProbexEnvironmentReady() { return ProbexLibrary() && ProbexLibrary()->EnvironmentReady(); }

std::string ExpandEnvironmentReferences(std::string_view text) {
  if (!ProbexEnvironmentReady()) return std::string(text);
  return ProbexLibrary()->ExpandEnvironmentReferences(text);
}

}  // namespace vx
