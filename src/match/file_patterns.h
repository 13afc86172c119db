// File path patterns: a directory followed by a name part, turned into the
// list of matching files or folders on the scanned machine.
//
//  - plain:   C:\Windows\*.tmp               the name part is a system mask
//  - prefixed: <wc>C:\Windows\a*.tmp          every entry of the directory is
//             compared (full path, case ignored) with the comparison service
//  - regular expression: <regexpr>C:\\Windows\\a.*\.tmp   the directory is
//             written escaped (backslashes doubled) and ends at the last
//             doubled backslash; the expression is searched in the full path
//
// A missing directory or a failed listing gives an empty list.
#ifndef VX_MATCH_FILE_PATTERNS_H_
#define VX_MATCH_FILE_PATTERNS_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/string_list.h"

namespace vx {

// Which entries a search lists.
enum class TEntryKind : uint8_t { ekFiles, ekFolders, ekFilesAndFolders };

// The names SearchDirectory returns: the entry's own name ("a.exe") or its
// full path ("C:\Dir\a.exe"). Any other value lists nothing.
enum class TNameForm : uint8_t { nfBare, nfFull };

// One directory, no recursion. Entries are trimmed of blanks for the
// comparison; the listed name is the entry's own.
TStringList SearchDirectory(std::string_view pattern, TEntryKind kind, TNameForm name_form);

struct TFindOptions {
  bool recursive = false;  // every subfolder of the pattern's directory too, breadth first
  bool full_path = false;  // else relative to the pattern's directory ("Sub\x.exe")
};

// The files or folders matching `pattern`.
TStringList FindPathPattern(std::string_view pattern, TEntryKind kind, TFindOptions options = {});

// Removes ".", ".." and every entry ending in "\." or "\..".
void RemoveDotEntries(TStringList* list);

// The real directory of a regular-expression pattern: its escaped text up to
// the last doubled backslash with the escapes undone ("C:\\A \(x\)\\b" gives
// "C:\A (x)\"), and the name expression after it.
void SplitRegExprPathPattern(std::string_view pattern_without_prefix, std::string* directory,
                             std::string* name_part);

using TOnFileSearchProgress = std::function<void(const std::string& search_text, int queued)>;

// A string list that fills itself from a path and a name part.
class TFileStringList : public TStringList {
 public:
  // Basepath is the directory part of `path`; the name part is not kept, so
  // Refresh lists nothing until Scan is given a full path.
  TFileStringList(std::string_view path, TEntryKind kind);

  void Scan(std::string_view path);
  void Refresh() { Scan(Basepath); }

  std::string Basepath;
  bool FindFiles = false;
  bool FindFolders = false;
  bool RecursiveScan = false;
  bool SortEntries = false;  // sort each directory's entries before adding them
  bool FullPath = false;
  TOnFileSearchProgress OnFileSearchProgress;
};

}  // namespace vx

#endif  // VX_MATCH_FILE_PATTERNS_H_
