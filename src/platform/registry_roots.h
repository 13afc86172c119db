// The registry's root keys: the handles Windows gives them and the names the
// rule files, .reg texts and reports write them with. Every place that turns
// a root name into a handle or a handle into a name reads this one table.
#ifndef VX_PLATFORM_REGISTRY_ROOTS_H_
#define VX_PLATFORM_REGISTRY_ROOTS_H_

#include <cstdint>
#include <string_view>

namespace vx {

// Registry root handles as Windows numbers them.
constexpr uint32_t kHkeyClassesRoot = 0x80000000u;
constexpr uint32_t kHkeyCurrentUser = 0x80000001u;
constexpr uint32_t kHkeyLocalMachine = 0x80000002u;
constexpr uint32_t kHkeyUsers = 0x80000003u;
constexpr uint32_t kHkeyPerformanceData = 0x80000004u;
constexpr uint32_t kHkeyCurrentConfig = 0x80000005u;
constexpr uint32_t kHkeyDynData = 0x80000006u;

struct TRegRoot {
  uint32_t handle;
  std::string_view long_name;   // "HKEY_LOCAL_MACHINE"
  std::string_view short_name;  // "HKLM"
};

// The short name of HKEY_USERS is "HKUS", as the rule files write it.
inline constexpr TRegRoot kRegRoots[] = {
    {kHkeyClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {kHkeyCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {kHkeyUsers, "HKEY_USERS", "HKUS"},
    {kHkeyPerformanceData, "HKEY_PERFORMANCE_DATA", "HKPD"},
    {kHkeyCurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
    {kHkeyDynData, "HKEY_DYN_DATA", "HKDD"},
};

// The other common short name of HKEY_USERS: .reg texts given to the
// offline backend may use it, and the backend's own listings do. Rule files
// do not know it, so NameToRootKey and RegRootOfName do not either.
inline constexpr std::string_view kHkeyUsersOtherName = "HKU";

// The row of a handle; nullptr for a handle the table does not hold.
constexpr const TRegRoot* RegRootOfHandle(uint32_t handle) {
  for (const TRegRoot& root : kRegRoots) {
    if (root.handle == handle) return &root;
  }
  return nullptr;
}

// The row whose long or short name is `name`, compared with regard to case;
// nullptr for any other text.
constexpr const TRegRoot* RegRootOfName(std::string_view name) {
  for (const TRegRoot& root : kRegRoots) {
    if (name == root.long_name || name == root.short_name) return &root;
  }
  return nullptr;
}

}  // namespace vx

#endif  // VX_PLATFORM_REGISTRY_ROOTS_H_
