#include "companions/probex/advanced_check.h"

#include <string>
#include <utility>
#include <vector>

#include "companions/common/comma_split.h"
#include "companions/common/text_match.h"
#include "companions/probex/attribute_checks.h"
#include "companions/probex/environment_checks.h"
#include "companions/probex/hash_checks.h"

namespace vx::companion {

namespace {

struct TParameter {
  const char* name;
  TParameterHandler handler;
};

// Bracket names and their older short forms side by side.
constexpr TParameter kParameters[] = {
    {"filename", CheckFileName},
    {"filepath", CheckFilePath},
    {"fullpath", CheckFullPath},
    {"size[file]", CheckSizeEqual},
    {"filesize", CheckSizeEqual},
    {"size[file]>", CheckSizeGreater},
    {"filesize>", CheckSizeGreater},
    {"size[file]<", CheckSizeLess},
    {"filesize<", CheckSizeLess},
    {"age[file]", CheckAgeEqual},
    {"age[file]>", CheckAgeGreater},
    {"age[file]<", CheckAgeLess},
    {"timestamp[file]", CheckTimestamp},
    {"exists[file]", CheckExists},
    {"exists[file]!", CheckNotExists},
    {"attribs", CheckAttributes},
    {"md5", CheckMd5},
    {"endmd5", CheckEndMd5},
    {"sizemd5", CheckSizeMd5},
    {"crc32", CheckCrc32},
    {"setenv", CheckSetEnv},
    {"chkenv", CheckChkEnv},
    {"isenv", CheckIsEnv},
    {"clearenv", CheckClearEnv},
    {"delenv", CheckDelEnv},
};

}  // namespace

TParameterHandler FindParameterHandler(std::string_view name) {
  for (const TParameter& parameter : kParameters) {
    if (SameTextIgnoringCase(parameter.name, name)) return parameter.handler;
  }
  return nullptr;
}

bool RunAdvancedCheck(std::string_view file, std::string_view params,
                      TProbexEnvironment* environment, int64_t now_unix) {
  std::vector<std::pair<TParameterHandler, std::string>> steps;
  for (const std::string& item : SplitCommaText(params)) {
    if (item.empty()) continue;
    const size_t eq = item.find('=');
    if (eq == std::string::npos) return false;
    const TParameterHandler handler = FindParameterHandler(std::string_view(item).substr(0, eq));
    if (handler == nullptr) return false;
    steps.emplace_back(handler, item.substr(eq + 1));
  }
  TCheckContext context{TCheckTarget(std::string(file)), environment, now_unix};
  for (const auto& [handler, value] : steps) {
    if (!handler(context, value)) return false;
  }
  return true;
}

}  // namespace vx::companion
