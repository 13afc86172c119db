#include "match/file_patterns.h"

#include <deque>
#include <utility>
#include <vector>

#include "base/ansi_text.h"
#include "match/compare.h"
#include "match/path_variables.h"
#include "platform/machine.h"

namespace vx {

namespace {

constexpr std::string_view kRegExprPrefix = "<regexpr>";
// Folder levels below a pattern's directory that a recursive search visits;
// a hostile image cannot keep it busy with endless nesting.
constexpr int kMaxRecursionDepth = 64;

enum TPatternForm { pfPlain, pfPrefixed, pfRegExpr };

TPatternForm FormOf(std::string_view pattern) {
  if (pattern.starts_with(kRegExprPrefix)) return pfRegExpr;
  TCompareMode mode = cmExact;
  if (ParseCompareMode(pattern, &mode).size() != pattern.size()) return pfPrefixed;
  return pfPlain;
}

// Up to and including the last backslash; empty when there is none.
std::string_view DirectoryOf(std::string_view path) {
  size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view NameOf(std::string_view path) {
  size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool HasFiles(TEntryKind kind) { return kind != TEntryKind::ekFolders; }
bool HasFolders(TEntryKind kind) { return kind != TEntryKind::ekFiles; }

bool IsAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

void SplitRegExprPathPattern(std::string_view pattern, std::string* directory,
                             std::string* name_part) {
  // Read escape by escape from the left, so "\\\(" is a backslash and a
  // parenthesis, not a parenthesis after a doubled backslash.
  size_t last_doubled = std::string_view::npos;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '\\') continue;
    if (i + 1 < pattern.size() && pattern[i + 1] == '\\') last_doubled = i;
    ++i;
  }
  directory->clear();
  if (last_doubled == std::string_view::npos) {
    *name_part = std::string(pattern);
    return;
  }
  *name_part = std::string(pattern.substr(last_doubled + 2));
  // Undo the escapes: "\\" is a backslash, and an escaped punctuation
  // character ("\(", "\.") stands for itself, as the path solver writes
  // directories into expressions.
  std::string_view escaped = pattern.substr(0, last_doubled + 2);
  for (size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] == '\\' && i + 1 < escaped.size() && !IsAlnum(escaped[i + 1])) ++i;
    *directory += escaped[i];
  }
}

void RemoveDotEntries(TStringList* list) {
  for (int i = list->Count() - 1; i >= 0; --i) {
    const std::string& s = (*list)[i];
    if (s == "." || s == ".." || EndsWith(s, "\\.") || EndsWith(s, "\\..")) list->Delete(i);
  }
}

TStringList SearchDirectory(std::string_view pattern, TEntryKind kind, TNameForm name_form) {
  TStringList result;
  if (name_form != TNameForm::nfBare && name_form != TNameForm::nfFull) return result;
  TPatternForm form = FormOf(pattern);
  std::string directory;
  std::string mask = "*.*";
  if (form == pfPlain) {
    directory = std::string(DirectoryOf(pattern));
    mask = std::string(NameOf(pattern));
    if (mask.empty()) return result;  // "C:\Dir\" names no entry
  } else if (form == pfPrefixed) {
    std::string_view rest = pattern.substr(pattern.find('>') + 1);
    directory = std::string(DirectoryOf(rest));
  } else {
    std::string name_part;
    SplitRegExprPathPattern(pattern.substr(kRegExprPrefix.size()), &directory, &name_part);
  }
  if (directory.empty()) return result;

  std::vector<TFileInfo> entries;
  if (form == pfPlain && mask.find_first_of("*?") == std::string::npos) {
    // A plain name is a lookup, not a listing: the volume says whether the
    // entry is there and how it spells it.
    TFileInfo info;
    if (!CurrentMachine().GetFileInfo(directory + mask, &info)) return result;
    entries.push_back(std::move(info));
  } else if (!CurrentMachine().ListDirectory(directory, mask, &entries)) {
    return result;
  }
  for (const TFileInfo& entry : entries) {
    if (entry.is_directory ? !HasFolders(kind) : !HasFiles(kind)) continue;
    if (form != pfPlain) {
      // Rules name files without the blanks a name may start or end with.
      if (!MatchValue(directory + Trim(entry.name), pattern, true, cmWildcard)) continue;
    }
    // The listed name is the entry's own, blanks included, so that the file
    // can be opened by it.
    result.Add(name_form == TNameForm::nfFull ? directory + entry.name : entry.name);
  }
  return result;
}

TStringList FindPathPattern(std::string_view pattern, TEntryKind kind, TFindOptions options) {
  TStringList result;
  TPatternForm form = FormOf(pattern);
  std::string prefix, base, name_part;
  std::string_view rest = pattern;
  if (form == pfPrefixed) {
    size_t close = pattern.find('>');
    prefix = std::string(pattern.substr(0, close + 1));
    rest = pattern.substr(close + 1);
  }
  if (form == pfRegExpr) {
    prefix = std::string(kRegExprPrefix);
    SplitRegExprPathPattern(pattern.substr(kRegExprPrefix.size()), &base, &name_part);
  } else {
    base = std::string(DirectoryOf(rest));
    name_part = std::string(NameOf(rest));
  }
  if (base.empty()) return result;

  std::deque<std::pair<std::string, int>> queue;  // directory, depth
  queue.emplace_back(base, 0);
  while (!queue.empty()) {
    const auto [here, depth] = queue.front();
    queue.pop_front();
    std::string search = prefix + (form == pfRegExpr ? EscapeRegExpr(here) : here) + name_part;
    TStringList found;
    // Folders come from their own search below, so asking for both lists
    // each folder once.
    if (HasFiles(kind)) found = SearchDirectory(search, TEntryKind::ekFiles, TNameForm::nfFull);
    if (HasFolders(kind)) {
      TStringList folders = SearchDirectory(search, TEntryKind::ekFolders, TNameForm::nfFull);
      RemoveDotEntries(&folders);
      found.AddStrings(folders);
    }
    for (int i = 0; i < found.Count(); ++i) {
      if (options.full_path)
        result.Add(found[i]);
      else
        result.Add(here.substr(base.size()) + std::string(NameOf(found[i])));
    }
    if (options.recursive && depth < kMaxRecursionDepth) {
      // Every subfolder is followed, whatever the name part selects.
      TStringList folders = SearchDirectory(here + "*.*", TEntryKind::ekFolders, TNameForm::nfFull);
      RemoveDotEntries(&folders);
      for (int i = 0; i < folders.Count(); ++i) queue.emplace_back(folders[i] + "\\", depth + 1);
    }
  }
  return result;
}

TFileStringList::TFileStringList(std::string_view path, TEntryKind kind)
    : Basepath(ExtractFilePath(path)), FindFiles(HasFiles(kind)), FindFolders(HasFolders(kind)) {
  Refresh();
}

void TFileStringList::Scan(std::string_view path) {
  Clear();
  std::string_view name_part = NameOf(path);
  std::string directory(DirectoryOf(path));
  if (directory.empty() || name_part.empty()) return;
  std::deque<std::pair<std::string, int>> queue;
  queue.emplace_back(directory, 0);
  auto add_all = [&](TStringList& found) {
    if (SortEntries) found.Sort();
    for (int i = 0; i < found.Count(); ++i)
      Add(FullPath ? found[i] : found[i].substr(directory.size()));
  };
  while (!queue.empty()) {
    const auto [here, depth] = queue.front();
    queue.pop_front();
    if (OnFileSearchProgress) OnFileSearchProgress(here + "*.*", static_cast<int>(queue.size()));
    std::string search = here + std::string(name_part);
    if (FindFiles) {
      TStringList files = SearchDirectory(search, TEntryKind::ekFiles, TNameForm::nfFull);
      add_all(files);
    }
    if (FindFolders) {
      TStringList folders = SearchDirectory(search, TEntryKind::ekFolders, TNameForm::nfFull);
      RemoveDotEntries(&folders);
      add_all(folders);
      // Only the folders that match the name part are followed.
      if (RecursiveScan && depth < kMaxRecursionDepth)
        for (int i = 0; i < folders.Count(); ++i) queue.emplace_back(folders[i] + "\\", depth + 1);
    }
  }
}

}  // namespace vx
