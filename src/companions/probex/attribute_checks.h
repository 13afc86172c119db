// The basic attributes of the checked file: its name, place, size, age,
// time stamp, attributes, and whether a file exists beside it.
#ifndef VX_COMPANIONS_PROBEX_ATTRIBUTE_CHECKS_H_
#define VX_COMPANIONS_PROBEX_ATTRIBUTE_CHECKS_H_

#include <string_view>

#include "companions/probex/check_target.h"

namespace vx::companion {

bool CheckFileName(TCheckContext& context, std::string_view value);
bool CheckFilePath(TCheckContext& context, std::string_view value);
bool CheckFullPath(TCheckContext& context, std::string_view value);
bool CheckSizeEqual(TCheckContext& context, std::string_view value);
bool CheckSizeGreater(TCheckContext& context, std::string_view value);
bool CheckSizeLess(TCheckContext& context, std::string_view value);
bool CheckAgeEqual(TCheckContext& context, std::string_view value);
bool CheckAgeGreater(TCheckContext& context, std::string_view value);
bool CheckAgeLess(TCheckContext& context, std::string_view value);
bool CheckTimestamp(TCheckContext& context, std::string_view value);
bool CheckExists(TCheckContext& context, std::string_view value);
bool CheckNotExists(TCheckContext& context, std::string_view value);
bool CheckAttributes(TCheckContext& context, std::string_view value);

}  // namespace vx::companion

#endif  // VX_COMPANIONS_PROBEX_ATTRIBUTE_CHECKS_H_
