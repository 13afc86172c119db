// The exports of kitlib.dll. No C++ exception may leave them: each answers
// its failure value instead. The services that would change the target
// (deleting, shredding, repairing Winsock) exist so the host finds every
// export, and always report failure: this scanner only reports.
#include <string>
#include <vector>

#include "companions/common/target_access.h"
#include "companions/common/text_match.h"
#include "companions/companion_abi.h"
#include "companions/kitlib/winsock_catalog.h"

namespace {

std::string OrEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

extern "C" {

VX_COMPANION_EXPORT const char* RandomName(int32_t /*length*/) { return ""; }

VX_COMPANION_EXPORT const char* RandomUniqueName(const char* /*directory*/,
                                                 const char* /*extension*/) {
  return "";
}

VX_COMPANION_EXPORT uint8_t MyDeleteFile(const char* /*path*/) { return 0; }

VX_COMPANION_EXPORT uint8_t ShredFile(const char* /*path*/) { return 0; }

VX_COMPANION_EXPORT int32_t RASInstalled(void) {
  try {
    return vx::companion::TargetKeyExists(VX_HKEY_LOCAL_MACHINE,
                                        "SYSTEM\\CurrentControlSet\\Services\\RasMan",
                                        VX_REG_VIEW_64)
               ? 1
               : 0;
  } catch (...) {
    return 0;
  }
}

VX_COMPANION_EXPORT uint8_t WinSockCorrupted(void) { return 0; }

VX_COMPANION_EXPORT uint8_t FixWinSock(void) { return 0; }

VX_COMPANION_EXPORT const char* SolveEnv(const char* text) {
  try {
    std::string input = OrEmpty(text);
    std::string solved;
    if (!vx::companion::SolveTargetPath(input, &solved)) solved = std::move(input);
    return vx::companion::KeepReturnedText(std::move(solved));
  } catch (...) {
    return "";
  }
}

VX_COMPANION_EXPORT const char* SolveEnvMulti(const char* text) {
  try {
    const std::string input = OrEmpty(text);
    std::vector<std::string> alternatives;
    if (!vx::companion::SolveTargetPathAll(input, &alternatives) || alternatives.empty()) {
      return vx::companion::KeepReturnedText(input);
    }
    std::string joined;
    for (size_t i = 0; i < alternatives.size(); ++i) {
      if (i > 0) joined += "\r\n";
      joined += alternatives[i];
    }
    return vx::companion::KeepReturnedText(std::move(joined));
  } catch (...) {
    return "";
  }
}

VX_COMPANION_EXPORT uint8_t CompareFilenames(const char* file, const char* pattern) {
  try {
    const std::string wanted = OrEmpty(pattern);
    if (wanted.empty()) return 0;
    return vx::companion::WildcardMatch(OrEmpty(file), "*" + wanted + "*") ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

VX_COMPANION_EXPORT int32_t GetFlagNumber(const char* /*flag*/) { return 0; }

VX_COMPANION_EXPORT uint8_t CheckWinsockAndClean(const char* provider, const char* file,
                                                 uint8_t exact, uint8_t /*clean*/) {
  try {
    const std::string name = OrEmpty(provider);
    const std::string file_name = OrEmpty(file);
    if (name.empty() && file_name.empty()) return 0;
    for (const auto& entry : vx::companion::ReadWinsockProviders()) {
      if (vx::companion::ProviderMatches(entry, name, file_name, exact != 0)) return 1;
    }
    return 0;
  } catch (...) {
    return 0;
  }
}

VX_COMPANION_EXPORT void PreparePathSolvePE(void) {}

VX_COMPANION_EXPORT void SetDebugMode(uint8_t /*on*/) {}

}  // extern "C"
