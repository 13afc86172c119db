// TADSScanCache: the alternate data streams of the files the stream rules
// look at. The first rule that looks into a folder makes the cache read the
// streams of every file in that folder and of the folder itself; later rules
// for the same folder use the list. The cache only grows during a scan.
#ifndef VX_INVENTORY_ADS_SCAN_CACHE_H_
#define VX_INVENTORY_ADS_SCAN_CACHE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/object.h"
#include "base/string_list.h"

namespace vx {

struct TADSScanCacheItem {
  std::string ADSName;   // ":name:$DATA", as the volume reports it
  int64_t ADSSize = 0;
  std::string Filename;  // the file or folder (without trailing backslash) it hangs on
};

class TADSScanCache : public TObject {
 public:
  // Reads the folder of `path` (up to and including its last backslash)
  // once; later calls for the same folder do nothing.
  void EnsureFolderScanned(std::string_view path);

  int Count() const { return static_cast<int>(items_.size()); }
  const TADSScanCacheItem& Item(int index) const { return items_[static_cast<size_t>(index)]; }

  // The comparison service against Filename and ADSName: a mode tag allowed,
  // wildcards by default, case ignored.
  static bool MatchesFileName(const TADSScanCacheItem& item, std::string_view pattern);
  static bool MatchesStreamName(const TADSScanCacheItem& item, std::string_view pattern);

  // Applies the first "filesize", "filesize>" (at least) and "filesize<" (at
  // most) entries of `parameters` (Name=Value lines) to the stream at
  // `index`; `rest` gets the parameters without them. False for an index
  // past the end, a failed entry or a value that is no number.
  bool CheckSizeFilters(int index, const TStringList& parameters, TStringList* rest) const;

  int64_t FoldersRead() const { return static_cast<int64_t>(scanned_.Count()); }

 private:
  void ReadFolderStreams(const std::string& folder);

  std::vector<TADSScanCacheItem> items_;
  TStringList scanned_;  // sorted, case ignored
};

}  // namespace vx

#endif  // VX_INVENTORY_ADS_SCAN_CACHE_H_
