// The parameters that set and test probex's environment.
#ifndef VX_COMPANIONS_PROBEX_ENVIRONMENT_CHECKS_H_
#define VX_COMPANIONS_PROBEX_ENVIRONMENT_CHECKS_H_

#include <string_view>

#include "companions/probex/check_target.h"

namespace vx::companion {

bool CheckSetEnv(TCheckContext& context, std::string_view value);
bool CheckChkEnv(TCheckContext& context, std::string_view value);
bool CheckIsEnv(TCheckContext& context, std::string_view value);
bool CheckClearEnv(TCheckContext& context, std::string_view value);
bool CheckDelEnv(TCheckContext& context, std::string_view value);

}  // namespace vx::companion

#endif  // VX_COMPANIONS_PROBEX_ENVIRONMENT_CHECKS_H_
