#include "sysaccess/tweaks.h"

#include "base/app_paths.h"
#include "platform/machine.h"
#include "sysaccess/my_registry.h"

namespace vx {

namespace {

constexpr char kTweaksKey[] = "\\SOFTWARE\\Orvane Limited\\Tweaks\\";

}  // namespace

std::string TweakProgramFileName() {
  std::string name = ExecutableFileName();
  if (name.empty()) return "vexascan.exe";
  if (name.find('.') == std::string::npos) name += ".exe";
  return name;
}

bool ReadTweakBool(std::string_view value_name, bool def) {
  if (!HasCurrentMachine()) return def;
  bool value = def;
  if (RegReadBool(kHkeyLocalMachine, std::string(kTweaksKey) + TweakProgramFileName(), value_name,
                  &value)) {
    return value;
  }
  if (RegReadBool(kHkeyLocalMachine, kTweaksKey, value_name, &value)) return value;
  return def;
}

uint8_t ReadTweakByte(std::string_view value_name, uint8_t def) {
  if (!HasCurrentMachine()) return def;
  int32_t value = 0;
  if (RegReadInteger(kHkeyLocalMachine, std::string(kTweaksKey) + TweakProgramFileName(),
                     value_name, &value) ||
      RegReadInteger(kHkeyLocalMachine, kTweaksKey, value_name, &value)) {
    return static_cast<uint8_t>(value & 0xFF);
  }
  return def;
}

}  // namespace vx
