#include "detect/dir_cache.h"

#include <utility>

#include "base/ansi_text.h"
#include "base/comma_text.h"
#include "match/compare.h"
#include "platform/machine.h"

namespace vx {

namespace {

constexpr std::string_view kRegExprTag = "<regexpr>";
// A mode tag is recognised when its ">" comes before the eleventh character.
constexpr size_t kMaxTagEnd = 10;

bool IsPlainPiece(std::string_view tag, std::string_view piece) {
  return tag.empty() && piece.find_first_of("*?") == std::string_view::npos;
}

std::vector<std::string_view> SplitAt(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (;;) {
    size_t at = text.find(separator, start);
    if (at == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
}

}  // namespace

const TDirCache::TFolder& TDirCache::GetDirectory(const std::string& directory) {
  std::string key = AnsiUpperCase(directory);
  auto it = folders_.find(key);
  if (it != folders_.end()) return *it->second;
  auto folder = std::make_unique<TFolder>();
  folder->path = directory;
  ++folder_reads_;
  std::vector<TFileInfo> entries;
  if (HasCurrentMachine() && CurrentMachine().ListDirectory(directory, "*.*", &entries)) {
    for (TFileInfo& entry : entries) {
      if (entry.is_directory) {
        folder->subfolders.push_back(std::move(entry.name));
        continue;
      }
      folder->by_folded_name.emplace(AnsiUpperCase(entry.name), folder->files.size());
      folder->files.push_back({std::move(entry.name), static_cast<int64_t>(entry.size)});
    }
  }
  return *folders_.emplace(std::move(key), std::move(folder)).first->second;
}

void TDirCache::PrefillDirectory(const std::string& directory, bool recursive) {
  std::string dir = directory;
  if (dir.empty() || dir.back() != '\\') dir.push_back('\\');
  // Folders below are queued rather than recursed into: a deep or looping
  // tree costs memory for its names, never stack.
  std::vector<std::string> queue{dir};
  for (size_t i = 0; i < queue.size(); ++i) {
    const TFolder& folder = GetDirectory(queue[i]);
    if (!recursive) break;
    for (const std::string& sub : folder.subfolders) queue.push_back(queue[i] + sub + "\\");
  }
}

std::vector<std::string> TDirCache::ExpandLevel(const std::vector<std::string>& folders,
                                                std::string_view tag, std::string_view piece) {
  std::vector<std::string> next;
  for (const std::string& folder : folders) {
    if (IsPlainPiece(tag, piece)) {
      // A plain name needs no listing of the folder above: the volume says
      // whether it is there and how it spells it. A folder that is not there
      // is kept as written and reads as an empty one.
      TFileInfo info;
      std::string path = folder + std::string(piece);
      if (HasCurrentMachine() && CurrentMachine().GetFileInfo(path, &info) && info.is_directory) {
        next.push_back(folder + info.name + "\\");
      } else {
        next.push_back(path + "\\");
      }
      continue;
    }
    TStringList subfolders;
    subfolders.Assign(GetDirectory(folder).subfolders);
    TStringList matches = MatchList(subfolders, std::string(tag) + std::string(piece), true);
    for (int i = 0; i < matches.Count(); ++i) next.push_back(folder + matches[i] + "\\");
  }
  return next;
}

TDCFileEntries TDirCache::FindCachedFiles(std::string_view pattern) {
  std::string_view separator = "\\";
  if (pattern.starts_with(kRegExprTag) && pattern.find("\\\\") != std::string_view::npos) {
    separator = "\\\\";
  }
  std::string_view tag;
  size_t gt = pattern.find('>');
  if (gt != std::string_view::npos && gt < kMaxTagEnd) {
    tag = pattern.substr(0, gt + 1);
    pattern.remove_prefix(gt + 1);
  }
  size_t last = pattern.rfind(separator);
  if (last == std::string_view::npos) return {};
  std::string_view name_part = pattern.substr(last + separator.size());
  std::vector<std::string_view> pieces = SplitAt(pattern.substr(0, last), separator);

  std::vector<std::string> folders{std::string(pieces[0]) + "\\"};
  for (size_t i = 1; i < pieces.size() && !folders.empty(); ++i) {
    if (!pieces[i].empty()) folders = ExpandLevel(folders, tag, pieces[i]);
  }

  TDCFileEntries entries;
  bool plain = IsPlainPiece(tag, name_part);
  std::string name_pattern = std::string(tag) + (tag == kRegExprTag
                                                     ? "^" + std::string(name_part) + "$"
                                                     : std::string(name_part));
  for (const std::string& folder : folders) {
    const TFolder& table = GetDirectory(folder);
    if (plain) {
      // A name without wildcards is a lookup, not a walk over the folder.
      auto it = table.by_folded_name.find(AnsiUpperCase(name_part));
      if (it != table.by_folded_name.end()) {
        const TFolder::TFile& file = table.files[it->second];
        entries.push_back({folder + file.name, file.size});
      }
      continue;
    }
    for (const TFolder::TFile& file : table.files) {
      if (MatchValue(file.name, name_pattern, /*ignore_case=*/true, cmWildcard)) {
        entries.push_back({folder + file.name, file.size});
      }
    }
  }
  return entries;
}

TDCFileEntries TDirCache::FindByName(std::string_view pattern) const {
  TDCFileEntries entries;
  for (const auto& [key, folder] : folders_) {
    (void)key;
    for (const TFolder::TFile& file : folder->files) {
      if (MatchValue(file.name, pattern, /*ignore_case=*/true, cmWildcard)) {
        entries.push_back({folder->path + file.name, file.size});
      }
    }
  }
  return entries;
}

void TDirCache::ApplySizeFilter(TDCFileEntries* entries, std::string* parameters) {
  std::string folded = AnsiUpperCase(*parameters);
  if (folded.find("FILESIZE") == std::string::npos && folded.find("SIZE[FILE]") == std::string::npos) {
    return;  // nothing to take out; the text goes on as it is
  }
  std::vector<std::string> pairs = SplitCommaText(*parameters);
  for (size_t i = pairs.size(); i-- > 0;) {
    std::string_view pair = pairs[i];
    size_t eq = pair.find('=');
    std::string_view name = pair.substr(0, eq);
    char relation = 0;
    if (!name.empty() && (name.back() == '!' || name.back() == '<' || name.back() == '>')) {
      relation = name.back();
      name.remove_suffix(1);
    }
    if (!SameText(name, "filesize") && !SameText(name, "size[file]")) continue;
    int64_t wanted = 0;
    if (eq != std::string_view::npos && TryStrToInt64(pair.substr(eq + 1), &wanted)) {
      for (size_t k = 0; k < entries->size();) {
        int64_t size = (*entries)[k].Size;
        bool keep = relation == '!'   ? size != wanted
                    : relation == '>' ? size >= wanted
                    : relation == '<' ? size <= wanted
                                      : size == wanted;
        if (keep) {
          ++k;
          continue;
        }
        // As the rules' own list does it: the last entry takes the place of
        // the one that goes, and is looked at next.
        if (k + 1 < entries->size()) (*entries)[k] = std::move(entries->back());
        entries->pop_back();
      }
    }
    pairs.erase(pairs.begin() + static_cast<std::ptrdiff_t>(i));
  }
  *parameters = JoinCommaText(pairs);
}

}  // namespace vx
