// Evaluates the advanced parameters of a rule against one file.
//
// The parameter text is comma text of Name=Value pairs. Every pair must hold
// (a logical AND). Names are compared ignoring case. Before anything runs,
// the whole text is vetted: a pair without "=" or with a name this library
// does not implement makes the answer false and changes nothing. The pairs
// then run from left to right and the first that fails ends the check, so a
// "setenv" placed after the tests runs only when they held. Empty items (from
// doubled or trailing commas) are skipped; a text with no pairs holds.
#ifndef VX_COMPANIONS_PROBEX_ADVANCED_CHECK_H_
#define VX_COMPANIONS_PROBEX_ADVANCED_CHECK_H_

#include <cstdint>
#include <string_view>

#include "companions/probex/check_target.h"
#include "companions/probex/probex_environment.h"

namespace vx::companion {

// The handler of a parameter name; nullptr when the name is not implemented.
TParameterHandler FindParameterHandler(std::string_view name);

bool RunAdvancedCheck(std::string_view file, std::string_view params,
                      TProbexEnvironment* environment, int64_t now_unix);

}  // namespace vx::companion

#endif  // VX_COMPANIONS_PROBEX_ADVANCED_CHECK_H_
