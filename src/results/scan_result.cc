#include "results/scan_result.h"

#include <algorithm>

#include "base/ansi_text.h"
#include "match/path_variables.h"
#include "platform/machine.h"

namespace vx {

std::string FixTypeText(TQuarnelFixType fix_type) {
  switch (fix_type) {
    case ftRegistryValue: return "Registry value";
    case ftRegistryKey: return "Registry key";
    case ftRegistryChange: return "Registry change";
    case ftFile: return "File";
    case ftDirectory: return "Directory";
    case ftReplaceFile: return "Replace file";
    case ftChangeFile: return "Change file";
    case ftBackupFile: return "Backup file";
    case ftMoveFile: return "Move file";
    case ftRASEntry: return "RAS number";
    case ftHostRedirect: return "Redirected host";
    case ftWinsock: return "Winsock";
    case ftUninstaller: return "Run Uninstaller";
    case ftCacheCookie:
    case ftTracksCookies: return "Cookie";
    case ftCacheCache:
    case ftTracksCache: return "Cache";
    case ftCacheHistory:
    case ftTracksHistory: return "History";
    case ftCacheBookmark: return "Bookmark";
    case ftIniChange: return "INI Change";
    case ftIniDelete: return "INI Delete";
    case ftIniRemove: return "INI Remove";
    default: return "";
  }
}

int TMyScanResult::Index() const { return owner_ ? owner_->IndexOf(this) : -1; }

void TMyScanResult::Assign(const TMyScanResult& source) {
  if (&source == this) return;
  Checkable = source.Checkable;
  Checked = source.Checked;
  Count = source.Count;
  Filename = source.Filename;
  FixType = source.FixType;
  FullKey = source.FullKey;
  Infos.Clear();
  Infos.AddStrings(source.Infos);
  InfoText = source.InfoText;
  Key = source.Key;
  MainType = source.MainType;
  Param = source.Param;
  Path = source.Path;
  Product = source.Product;
  RootKey = source.RootKey;
  ShortFixType = source.ShortFixType;
  TagString = source.TagString;
  Usage = source.Usage;
  Value = source.Value;
  RuleIDText = source.RuleIDText;
  Fileset = source.Fileset;
  Status = source.Status;
  Tag = source.Tag;
}

std::string TMyScanResult::GetDisplayName() const {
  return FullKey.empty() ? std::string("TMyScanResult") : FullKey;
}

bool TMyScanResult::NeedsAdminRightsToFix() const {
  if (FixType >= ftRegistryValue && FixType <= ftRegistryRemove) {
    return RootKey == kHkeyLocalMachine;
  }
  if ((FixType >= ftFile && FixType <= ftMoveFile) ||
      (FixType >= ftIniChange && FixType <= ftIniRemove)) {
    TStringList windows_dirs;
    SolvePathAll("<$WINDIR>\\", &windows_dirs);
    for (int i = 0; i < windows_dirs.Count(); ++i) {
      // An unresolved variable must not make every path a Windows path.
      if (windows_dirs[i].size() > 1 && AnsiStartsText(windows_dirs[i], Path)) return true;
    }
    return false;
  }
  return FixType >= ftRASEntry && FixType <= ftUninstaller;
}

TMyScanResult* TMyScanResultsList::AddResult() {
  items_.push_back(std::make_unique<TMyScanResult>(this));
  return items_.back().get();
}

void TMyScanResultsList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
}

int TMyScanResultsList::IndexOf(const TMyScanResult* item) const {
  for (int i = 0; i < Count(); ++i) {
    if (items_[i].get() == item) return i;
  }
  return -1;
}

void TMyScanResultsList::Remove(const TMyScanResult* item) { Delete(IndexOf(item)); }

}  // namespace vx
