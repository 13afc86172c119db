// Turns parsed .reg text into a key tree for one hive: the keys below
// `root_key` (the full name the hive's root stands for) are kept, the rest
// is reported and left out.
#ifndef VX_PLATFORM_OFFLINE_REG_TREE_H_
#define VX_PLATFORM_OFFLINE_REG_TREE_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/offline/mem_key.h"
#include "platform/offline/reg_text.h"

namespace vx {

// An empty root_key takes it from the first key: HKEY_LOCAL_MACHINE\X and
// HKEY_USERS\X stand for hive X, any other root for a hive of its own.
void BuildKeyTree(const std::vector<TRegOp>& ops, std::string_view root_key, TMemKey* root,
                  std::vector<std::string>* messages);

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_REG_TREE_H_
