#include "inventory/ads_scan_cache.h"

#include "base/ansi_text.h"
#include "match/compare.h"
#include "match/file_patterns.h"
#include "platform/machine.h"

namespace vx {

void TADSScanCache::EnsureFolderScanned(std::string_view path) {
  size_t slash = path.rfind('\\');
  std::string folder(slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1));
  if (!scanned_.Sorted()) scanned_.SetSorted(true);
  int at = 0;
  if (scanned_.Find(folder, &at)) return;
  ReadFolderStreams(folder);
  scanned_.Add(folder);
}

void TADSScanCache::ReadFolderStreams(const std::string& folder) {
  if (!HasCurrentMachine() || folder.empty()) return;
  TMachine& machine = CurrentMachine();
  TStringList paths = FindPathPattern(folder + "*.*", TEntryKind::ekFiles, {.full_path = true});
  paths.Add(folder.substr(0, folder.size() - 1));
  for (int i = 0; i < paths.Count(); ++i) {
    std::vector<TStreamInfo> streams;
    if (!machine.ListStreams(paths[i], &streams)) continue;  // cannot be opened: nothing
    for (TStreamInfo& stream : streams) {
      items_.push_back({std::move(stream.name), static_cast<int64_t>(stream.size), paths[i]});
    }
  }
}

bool TADSScanCache::MatchesFileName(const TADSScanCacheItem& item, std::string_view pattern) {
  return MatchValue(item.Filename, pattern, /*ignore_case=*/true, cmWildcard);
}

bool TADSScanCache::MatchesStreamName(const TADSScanCacheItem& item, std::string_view pattern) {
  return MatchValue(item.ADSName, pattern, /*ignore_case=*/true, cmWildcard);
}

bool TADSScanCache::CheckSizeFilters(int index, const TStringList& parameters,
                                     TStringList* rest) const {
  *rest = parameters.Clone();
  if (index < 0 || index >= Count()) return false;
  const int64_t size = Item(index).ADSSize;
  bool holds = true;
  for (std::string_view name : {"filesize", "filesize>", "filesize<"}) {
    int line = rest->IndexOfName(name);
    if (line < 0) continue;
    std::string value = rest->Values(name);
    rest->Delete(line);
    int32_t wanted = 0;
    if (!TryStrToInt(value, &wanted)) {
      holds = false;
      continue;
    }
    if (name == "filesize" && size != wanted) holds = false;
    if (name == "filesize>" && size < wanted) holds = false;
    if (name == "filesize<" && size > wanted) holds = false;
  }
  return holds;
}

}  // namespace vx
