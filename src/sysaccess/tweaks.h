// Tuning values ("tweaks") read from the registry of the machine examined:
// DWORD values under HKLM "\SOFTWARE\Orvane Limited\Tweaks\<program file>",
// else under "\SOFTWARE\Orvane Limited\Tweaks\" itself. A missing key or
// value, or a value of any other type, gives the default.
#ifndef VX_SYSACCESS_TWEAKS_H_
#define VX_SYSACCESS_TWEAKS_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

// The program file's name as the tweak key names it on Windows
// ("vexascan.exe"): the running executable's name, with ".exe" added when
// the host gave it no extension.
std::string TweakProgramFileName();

bool ReadTweakBool(std::string_view value_name, bool def);
// The DWORD's low eight bits.
uint8_t ReadTweakByte(std::string_view value_name, uint8_t def);

}  // namespace vx

#endif  // VX_SYSACCESS_TWEAKS_H_
