// UserHiveNames: the subkeys of HKEY_USERS that are user hives (every name
// but those that end in "_Classes"), for the rules that search every user
// instead of HKEY_CURRENT_USER. A process-wide table, listed once when the
// program starts (before hives of inactive installations are loaded) and
// read-only afterwards.
#ifndef VX_SYSACCESS_USER_HIVES_H_
#define VX_SYSACCESS_USER_HIVES_H_

#include "base/string_list.h"

namespace vx {

// Lists them from the current machine; an unreadable HKEY_USERS leaves the
// table empty.
void BuildUserHiveNames();
const TStringList& UserHiveNames();

}  // namespace vx

#endif  // VX_SYSACCESS_USER_HIVES_H_
