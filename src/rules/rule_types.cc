#include "rules/rule_types.h"

#include <algorithm>
#include <array>

namespace vx {

namespace {

// Sorted by name (byte order) for the binary search below.
constexpr std::array kRuleTypes = std::to_array<TRuleTypeInfo>({
    {"AppID", 2, 3, -1, -1, 2, true,
     "<key(string)>,<value(string)>"},
    {"AutoRun", 2, 3, 2, -1, 2, true,
     "<value(string)>,<filename(string)>[,advanced file parameters]"},
    {"AutoRunByFilename", 2, 3, 2, -1, 2, true,
     "<filename(string)>,<directory(string)>[,advanced file parameters(list)]"},
    {"AutoRunByValue", 2, 3, 2, -1, 2, true,
     "<value(string)>,<directory(string)>[,advanced file parameters]"},
    {"AutoStart", 2, 3, 2, -1, 2, true,
     "<linkname/targetname(string)>,<directory(string)>[,advanced file parameters>]"},
    {"BrowserHelper", 1, 2, 1, -1, 1, true,
     "<bho-name/clsid-name(string)>[,advanced file parameters]"},
    {"BrowserHelperEx", 2, 2, 1, -1, 1, true,
     "<bho-name/clsid-name(string)>[,advanced file parameters]"},
    {"CLSID", 1, 3, 2, -1, 2, true,
     "<class(string)>[,filename(string)]"},
    {"CodeStoreDB", 1, 2, -1, -1, 1, true,
     "<urlpart(string)>[,advanced build parameters]"},
    {"DesktopIcon", 2, 3, 2, -1, 2, true,
     "<linkname(string)>,<filename(string)>[,advanced file parameters]"},
    {"DesktopIconByLink", 2, 3, 2, -1, 2, true,
     "<filename(string)>,<partial(boolean)>[,advanced file parameters]"},
    {"Directory", 2, 3, 2, -1, 2, true,
     "<description(string)>,<directory(string)>[,advanced directory parameters]"},
    {"DownloadDir", 2, 3, -1, -1, 2, true,
     "<folder(string)>,<recursive(boolean)>[,advanced file parameters]"},
    {"DownloadFile", 1, 2, 1, -1, 1, true,
     "<filename(string)>[,advanced file parameters]"},
    {"File", 2, 3, 2, -1, 2, true,
     "<description(string)>,<filename(string)>[,advanced file parameters]"},
    {"HandleFile", 2, 3, 2, -1, 2, false,
     "<handletype(string)>,<handlename(string)>[,advanced file parameters]"},
    {"HostRedirect", 1, 4, -1, -1, 3, true,
     "<hostname(string)>,<ipaddress(string)>[,host parameters[,advanced build parameters]]"},
    {"IEExtension", 1, 2, -1, -1, 1, true,
     "<extension-name/extension-clsid(string)>[,advanced build parameters]"},
    {"IELinks", 1, 2, -1, -1, 1, true,
     "<partiallink(string)>[,advanced build parameters]"},
    {"IniValueChange", 6, 7, -1, -1, 6, true,
     "<description>,<filename>,<section>,<value>,<old data>,<new data>[,advanced build parameters]"},
    {"IniValueDelete", 5, 6, -1, -1, 5, true,
     "<description>,<filename>,<section>,<value>,<data>[,advanced build parameters]"},
    {"IniValueRemove", 6, 7, -1, -1, 6, true,
     "<description>,<filename>,<section>,<value>,<data>,<data to be removed>[,advanced build parameters]"},
    {"Interface", 2, 4, -1, -1, 3, true,
     "<interface(string)>,<linkedclass(string)>[,linked typelib name[,advanced build parameters]]"},
    {"MRUList", 3, 4, -1, -1, 3, true,
     "<description(string)>,<rootkey(enum)>,<key(string)>[,advanced build parameters]"},
    {"ModuleUsage", 1, 2, -1, -1, 1, true,
     "<partialmodulename(string)>[,advanced build parameters]"},
    {"MoveFile", 2, 3, 2, -1, 2, true,
     "<source-filename(string)>,<destination-filename(string)>[,advanced file parameters]"},
    {"NTFile", 2, 3, 2, -1, 2, false,
     "<description(string)>,<filename(string)>[,advanced file parameters]"},
    {"NoOp", 1, 99, 0, -1, 0, true,
     "<advanced file parameters>[,any number of optional useless fun parameters here]"},
    {"PersonalGroup", 2, 3, -1, -1, 2, true,
     "<groupname(string)>,<partial(boolean)>[,advanced build parameters]"},
    {"ProgramDir", 1, 2, -1, -1, 1, false,
     "<foldername(string)>[,advanced build parameters]"},
    {"ProgramFile", 2, 3, 2, -1, 2, false,
     "<description(string)>,<filename(string)>[,advanced file parameters]"},
    {"ProtocolFilter", 2, 3, 2, -1, 2, true,
     "<name(string)>,<class(guid)>[,advanced file parameters]"},
    {"QuickLaunchIcon", 2, 3, 2, -1, 2, true,
     "<linkname(string)>,<filename(string)>[,advanced file parameters]"},
    {"QuickLaunchIconByLink", 2, 3, 2, -1, 2, true,
     "<contents(string)>,<partial(boolean)>[,advanced file parameters]"},
    {"RegyChange", 4, 6, 5, 4, 4, true,
     "<description(string)>,<rootkey(enum)>,<keypath(string)>,<value=data>[,advanced registry parameters]"},
    {"RegyFix", 4, 5, -1, -1, 4, true,
     "<description(string)>,<rootkey(enum)>,<keypath(string)>,<value=change>[,advanced build parameters]"},
    {"RegyKey", 4, 6, 5, 4, 4, true,
     "<description(string)>,<rootkey(enum)>,<keypath(string)>,<key(string)>[,advanced registry parameters]"},
    {"RegyRemove", 5, 6, 5, -1, 5, true,
     "<description(string)>,<rootkey(enum)>,<keypath(string)>,<value(string)>,<data to remove>[,advanced build parameters]"},
    {"RegyValue", 4, 5, 5, 4, 4, true,
     "<description(string)>,<rootkey(enum)>,<keypath(string)>,<value(string)>[,advanced registry parameters]"},
    {"RootClass", 1, 2, -1, -1, 1, true,
     "<classname(string)>[,advanced build parameters]"},
    {"SharedDLL", 1, 2, 1, -1, 1, true,
     "<filename(string)>[,advanced file parameters]"},
    {"StartmenuItem", 2, 3, 2, -1, 2, true,
     "<linkname(string)>,<filename(string)>[,advanced file parameters]"},
    {"StartmenuItemByLink", 2, 3, 2, -1, 2, true,
     "<contents(string)>,<partial(boolean)>[,advanced file parameters]"},
    {"StripADS", 5, 5, 3, -1, 3, true,
     "<description(string)>,<filename(string)>,<adsname(string)>[,advanced file parameters[,advanced file parameters for ads stream]]"},
    {"SystemDir", 2, 3, -1, -1, 2, false,
     "<description(string)>,<folder ame(string)>[,advanced build parameters]"},
    {"SystemFile", 2, 3, 2, -1, 2, false,
     "<description(string)>,<filename(string)>[,advanced file parameters]"},
    {"TCPIPAddress", 2, 3, -1, -1, 2, false,
     "<old ip(s)>,<new ip(s)>[,advanced build parameters]"},
    {"TempDir", 1, 2, -1, -1, 1, true,
     "<foldername(string)>[,advanced build parameters]"},
    {"TempFile", 1, 2, 1, -1, 1, true,
     "<filename(string)>[,advanced file parameters]"},
    {"Typelib", 1, 2, -1, -1, 1, true,
     "<name(string)>[,advanced build parameters]"},
    {"UninstallByKey", 2, 3, -1, -1, 2, true,
     "<key(string)>,<partial(boolean)>[,advanced build parameters]"},
    {"UninstallByName", 2, 3, -1, -1, 2, true,
     "<displayname(string)>,<partial(boolean)>[,advanced build parameters]"},
    {"Uninstaller", 1, 2, -1, -1, 1, true,
     "<key(string)[,advanced build parameters]"},
    {"WinDir", 2, 3, -1, -1, 2, false,
     "<description(string)>,<foldername(string)>[,advanced build parameters]"},
    {"WinFile", 2, 3, 2, -1, 2, false,
     "<description(string)>,<filename(string)[,advanced file parameters]"},
    {"WinSecCenter", 3, 4, -1, -1, 3, false,
     "<type(enum)>,<field(enum)>,<data(string)>[,advanced build parameters]"},
    {"Winsock", 2, 4, -1, -1, 3, true,
     "<drivername(string)>,<anywhere(boolean)>,<filename(string)>[,advanced build parameters]"},
});

constexpr bool IsSorted() {
  for (size_t i = 1; i < kRuleTypes.size(); ++i) {
    if (!(kRuleTypes[i - 1].name < kRuleTypes[i].name)) return false;
  }
  return true;
}
static_assert(IsSorted(), "rule types must stay sorted by name");
static_assert(kRuleTypes.size() == 57);

}  // namespace

std::span<const TRuleTypeInfo> RuleTypeTable() { return kRuleTypes; }

const TRuleTypeInfo* FindRuleType(std::string_view name) {
  auto it = std::lower_bound(kRuleTypes.begin(), kRuleTypes.end(), name,
                             [](const TRuleTypeInfo& t, std::string_view n) { return t.name < n; });
  return it != kRuleTypes.end() && it->name == name ? &*it : nullptr;
}

}  // namespace vx
