// The registry rules: RegyKey, RegyValue, RegyChange, RegyFix and RegyRemove
// find the keys and values of a product and report each one.
//
// A rule names a root key, a key path and a key or value name, optionally
// with a condition on the key's values (the verify specification):
//   Name          the value exists ("!Name": it does not)
//   Name=Data     its data matches ("Name!=Data": it does not); the data may
//                 start with "dword:" or "W=" (a REG_DWORD equal to the
//                 number), "B=" (the same, a REG_BINARY never matches) or
//                 "exists:" (any value of that name); otherwise a REG_SZ or
//                 REG_EXPAND_SZ is compared, wildcards by default, with the
//                 comparison modes and path variables
// The name may start with a subkey path ("Sub\Key\Name", "\From\Root\Name")
// and use wildcards or a mode tag. HKEY_CURRENT_USER rules search every user
// hive under HKEY_USERS; on a 64-bit system other rules search the 32-bit
// and, where Windows keeps a second view, the 64-bit registry.
//
// Every finding carries in its parameters the action a fix would take:
// KeyDelete, ValueDelete, ValueChange, DataFix or DataRemove.
#ifndef VX_DETECT_REGISTRY_RULES_H_
#define VX_DETECT_REGISTRY_RULES_H_

#include "scan/rule_context.h"

namespace vx {

TRuleHandlerRows RegistryRuleRows();

}  // namespace vx

#endif  // VX_DETECT_REGISTRY_RULES_H_
