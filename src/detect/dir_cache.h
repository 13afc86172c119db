// TDirCache: the file rules name many files in the same folders; the cache
// reads each folder from the machine once per scan, keeps its file names
// and sizes, and answers pattern lookups from memory. It also evaluates the
// size parameters of a rule itself, so only the other parameters go to the
// advanced-check library.
//
// A folder read is never refreshed: a file created after its folder was read
// is not seen by later rules of the same scan.
#ifndef VX_DETECT_DIR_CACHE_H_
#define VX_DETECT_DIR_CACHE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/object.h"

namespace vx {

struct TDCFileEntry {
  std::string Name;  // the file's full path
  int64_t Size = 0;
};
using TDCFileEntries = std::vector<TDCFileEntry>;

class TDirCache : public TObject {
 public:
  // One folder as it was read: its files (name and size, in the order the
  // volume lists them, looked up without regard to case) and the names of
  // its subfolders. A folder that does not exist reads as an empty one.
  struct TFolder {
    struct TFile {
      std::string name;
      int64_t size = 0;
    };
    std::string path;  // as it was first asked for
    std::vector<TFile> files;
    std::unordered_map<std::string, size_t> by_folded_name;
    std::vector<std::string> subfolders;
  };

  // The folder `directory` (with a trailing backslash), read on first use.
  const TFolder& GetDirectory(const std::string& directory);
  // Reads `directory` and, when recursive, every folder below it.
  void PrefillDirectory(const std::string& directory, bool recursive);

  // The files matching a pattern: a directory part, which may use
  // wildcards or a comparison-mode tag in any folder level, and a name part;
  // "<regexpr>" patterns write the directory with doubled backslashes.
  TDCFileEntries FindCachedFiles(std::string_view pattern);
  // The files of every folder read so far whose name matches `pattern`
  // (wildcards by default, a mode tag allowed).
  TDCFileEntries FindByName(std::string_view pattern) const;

  // Applies the size pairs of `parameters` ("filesize", "size[file]", with
  // "!", ">" or "<" before the "=": different, at least, at most) to
  // `entries` and takes them out of `parameters`; the rest is written back as
  // comma text. A pair whose value is no number filters nothing but goes too.
  static void ApplySizeFilter(TDCFileEntries* entries, std::string* parameters);

  // How many folders were read from the machine.
  int64_t FolderReads() const { return folder_reads_; }

 private:
  // The folders of one level of a pattern's directory part.
  std::vector<std::string> ExpandLevel(const std::vector<std::string>& folders,
                                       std::string_view tag, std::string_view piece);

  std::unordered_map<std::string, std::unique_ptr<TFolder>> folders_;  // by folded path
  int64_t folder_reads_ = 0;
};

}  // namespace vx

#endif  // VX_DETECT_DIR_CACHE_H_
