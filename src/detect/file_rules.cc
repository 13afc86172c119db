#include "detect/file_rules.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ansi_text.h"
#include "base/comma_text.h"
#include "detect/dir_cache.h"
#include "inventory/ads_scan_cache.h"
#include "match/compare.h"
#include "match/file_patterns.h"
#include "match/path_variables.h"
#include "match/regex_match.h"
#include "scan/finding_recorder.h"
#include "sysaccess/my_registry.h"

namespace vx {

namespace {

constexpr std::string_view kRegExprTag = "<regexpr>";
constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";

// The names DownloadFile rules registered, for the download scan.
struct TDownloadFileEntry {
  std::string Filename;
  std::string AdvParameters;
  std::string Product;
  std::string RuleID = "00000000";
};
struct TDownloadFiles : TObject {
  std::vector<TDownloadFileEntry> entries;
};

std::string WithBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path.push_back('\\');
  return path;
}

TQuarnelMainType Category(const TRuleContext& context) {
  return static_cast<TQuarnelMainType>(context.Flow().CurrentCategory);
}

// Splits "C:\dir\name" into the folder (with its backslash) and the name.
void SplitPath(const std::string& full, std::string* folder, std::string* name) {
  size_t slash = full.rfind('\\');
  *folder = slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
  *name = slash == std::string::npos ? full : full.substr(slash + 1);
}

void RecordFile(TRuleContext& context, const std::string& description, const std::string& full) {
  std::string folder, name;
  SplitPath(full, &folder, &name);
  context.Recorder().RecordFinding(context.Flow().CurrentProduct, description, true,
                                   std::string(), name, folder, ftFile, Category(context),
                                   std::string());
}

void RecordFolder(TRuleContext& context, const std::string& description,
                  const std::string& folder) {
  context.Recorder().RecordFinding(context.Flow().CurrentProduct, description, true,
                                   std::string(), std::string(), WithBackslash(folder),
                                   ftDirectory, Category(context), std::string());
}

// Takes the first "filename" pair out of comma-text `parameters`; false when
// there is none.
bool TakeFileNamePair(std::string* parameters, std::string* file_name) {
  std::vector<std::string> pairs = SplitCommaText(*parameters);
  for (size_t i = 0; i < pairs.size(); ++i) {
    size_t eq = pairs[i].find('=');
    if (!SameText(std::string_view(pairs[i]).substr(0, eq), "filename")) continue;
    *file_name = eq == std::string::npos ? std::string() : pairs[i].substr(eq + 1);
    pairs.erase(pairs.begin() + static_cast<std::ptrdiff_t>(i));
    *parameters = JoinCommaText(pairs);
    return true;
  }
  return false;
}

// The file lookup of File and TempFile: the cached files of the pattern, the
// size parameters applied by the cache, every other one by probex.
void LookUpFiles(TRuleContext& context, const std::string& description,
                 const std::string& pattern, std::string parameters) {
  TDirCache& cache = context.Lists().Cache<TDirCache>();
  TDCFileEntries entries = cache.FindCachedFiles(pattern);
  TDirCache::ApplySizeFilter(&entries, &parameters);
  bool regex = pattern.starts_with(kRegExprTag);
  if (regex) LastRegExprMatch().Clear();
  for (const TDCFileEntry& entry : entries) {
    if (!parameters.empty() && !context.Services().RunAdvancedCheck(entry.Name, parameters)) {
      continue;
    }
    RecordFile(context, description, entry.Name);
    // The groups the lines after read are those of the last file reported.
    if (regex) MatchValue(entry.Name, pattern, /*ignore_case=*/true, cmWildcard);
  }
}

void HandleFile(TRuleContext& context, TRuleLine& line) {
  TStringList patterns = context.SolvePathAll(line.Params[1]);
  for (int i = 0; i < patterns.Count(); ++i) {
    LookUpFiles(context, line.Params[0], patterns[i], line.Params[2]);
  }
}

// A folder with a "filename" pair is reported when a file of that name (in
// it, unless the name holds a folder) exists and passes the rest of the
// parameters; a folder without one is reported as it is.
void TestFolder(TRuleContext& context, const std::string& description, const std::string& folder,
                std::string parameters) {
  std::string file_name;
  if (parameters.empty() || !TakeFileNamePair(&parameters, &file_name)) {
    RecordFolder(context, description, folder);
    return;
  }
  if (file_name.find('\\') == std::string::npos) file_name = WithBackslash(folder) + file_name;
  TStringList files = FindPathPattern(file_name, TEntryKind::ekFiles, {.full_path = true});
  for (int i = 0; i < files.Count(); ++i) {
    if (parameters.empty() || context.Services().RunAdvancedCheck(files[i], parameters)) {
      RecordFolder(context, description, folder);
      return;
    }
  }
}

void HandleDirectory(TRuleContext& context, TRuleLine& line) {
  std::string parameters = context.SolvePath(line.Params[2]);
  TStringList patterns = context.SolvePathAll(line.Params[1]);
  for (int i = 0; i < patterns.Count(); ++i) {
    const std::string& pattern = patterns[i];
    if (!pattern.starts_with('<') && pattern.find_first_of("*?") == std::string::npos) {
      if (context.Machine().DirectoryExists(pattern)) {
        TestFolder(context, line.Params[0], WithBackslash(pattern), parameters);
      }
      continue;
    }
    TStringList folders = FindPathPattern(pattern, TEntryKind::ekFolders, {.full_path = true});
    for (int k = 0; k < folders.Count(); ++k) {
      TestFolder(context, line.Params[0], WithBackslash(folders[k]), parameters);
    }
  }
}

// Label=folder pairs of the temporary and data folders, built once per scan.
const TStringList& TempLocations(TRuleContext& context) {
  TStringList& locations = context.Lists().TempLocations;
  if (!locations.Empty()) return locations;
  auto add = [&locations](std::string_view label, uint32_t root, const std::string& key,
                          std::string_view value) {
    std::string folder;
    if (RegReadString(root, key, value, TRegView::rv32, &folder)) {
      locations.Add(std::string(label) + "=" + WithBackslash(folder));
    }
  };
  locations.Add("Temporary file (Windows)=" + WithBackslash(context.Machine().WindowsDirectory()) +
                "Temp\\");
  add("Temporary file (Volume cache)", kHkeyLocalMachine,
      "\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\VolumeCaches\\Temporary files\\",
      "Folder");
  std::string machine_folders = "\\" + std::string(kShellFolders);
  add("Application data file (global)", kHkeyLocalMachine, machine_folders, "Common AppData");
  add("Document file (global)", kHkeyLocalMachine, machine_folders, "Common Documents");
  add("Common file (global)", kHkeyLocalMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\",
      "CommonFilesDir");
  const TStringList& users = context.Lists().UserKeyNames;
  for (int i = 0; i < users.Count(); ++i) {
    std::string key = "\\" + users[i] + "\\" + std::string(kShellFolders);
    add("Application data file (user)", kHkeyUsers, key, "AppData");
    add("Personal data file (user)", kHkeyUsers, key, "Personal");
  }
  return locations;
}

void HandleTempFile(TRuleContext& context, TRuleLine& line) {
  const std::string& name = line.Params.Count() > 2 ? line.Params[2] : line.Params[0];
  const TStringList& locations = TempLocations(context);
  for (int i = 0; i < locations.Count(); ++i) {
    std::string label = locations.Names(i);
    std::string folder = locations[i].substr(label.size() + 1);
    LookUpFiles(context, label, folder + name, line.Params[1]);
  }
}

// Reads a folder value, in the 32-bit view and, for an installation with a
// Wow6432Node key, again in the 64-bit view.
void ReadFolderValues(uint32_t root, const std::string& key, std::string_view value,
                      bool both_views, const std::function<void(const std::string&)>& use) {
  for (TRegView view : {TRegView::rv32, TRegView::rv64}) {
    if (view == TRegView::rv64 && !both_views) break;
    std::string folder;
    if (RegReadString(root, key, value, view, &folder)) use(folder);
  }
}

void HandleTempDir(TRuleContext& context, TRuleLine& line) {
  const std::string name = line.Params[0];
  auto test = [&](const std::string& base, std::string_view description) {
    if (base.empty()) return;
    std::string folder = WithBackslash(base) + name;
    try {
      if (context.Machine().DirectoryExists(folder)) {
        RecordFolder(context, std::string(description), folder);
      }
    } catch (const std::exception&) {
      // A folder that cannot be tested is none.
    }
  };
  test(WithBackslash(context.Machine().WindowsDirectory()) + "Temp\\", "<$DIR_TEMP>");
  for (const TPEHive& hive : context.Lists().Installations) {
    std::string software = "\\" + hive.Prefix + "Software\\Microsoft\\Windows\\CurrentVersion\\";
    auto base = [&](const std::string& key, std::string_view value, std::string_view description) {
      ReadFolderValues(kHkeyLocalMachine, key, value, hive.Has64Bit,
                       [&](const std::string& folder) { test(folder, description); });
    };
    base(software + "explorer\\VolumeCaches\\Temporary files\\", "Folder", "<$DIR_TEMP>");
    base(software + "Explorer\\Shell Folders\\", "Common AppData", "<$DIR_COMMON_APPDATA>");
    base(software + "Explorer\\Shell Folders\\", "Common Documents", "<$DIR_COMMON_DOCS>");
    base(software, "CommonFilesDir", "<$DIR_COMMON_FILES>");
  }
  const TStringList& users = context.Lists().UserKeyNames;
  for (int i = 0; i < users.Count(); ++i) {
    std::string key = "\\" + users[i] + "\\" + std::string(kShellFolders);
    std::string folder;
    if (RegReadString(kHkeyUsers, key, "AppData", TRegView::rv32, &folder)) test(folder, "<$DIR_APPDATA>");
    folder.clear();
    if (RegReadString(kHkeyUsers, key, "Personal", TRegView::rv32, &folder)) test(folder, "<$DIR_PERSONAL>");
  }
}

void HandlePersonalGroup(TRuleContext& context, TRuleLine& line) {
  const std::string& group = line.Params[0];
  bool partial = line.Params[1] == "1";
  auto look = [&](std::string folder) {
    // An empty value stands for the Windows folder, as the system's own
    // lookup of an empty folder name gives it.
    if (folder.empty()) folder = "C:\\Windows\\";
    folder = WithBackslash(folder);
    if (!partial) {
      if (context.Machine().DirectoryExists(folder + group)) {
        context.Recorder().RecordFinding(context.Flow().CurrentProduct, "<$DIR_PROGGROUP>", true,
                                         std::string(), std::string(), folder + group,
                                         ftDirectory, Category(context), std::string());
      }
      return;
    }
    std::vector<TFileInfo> entries;
    if (!context.Machine().ListDirectory(folder, group + "*.*", &entries)) return;
    std::string wanted = AnsiUpperCase(group);
    for (const TFileInfo& entry : entries) {
      if (AnsiUpperCase(entry.name).find(wanted) == std::string::npos) continue;
      context.Recorder().RecordFinding(context.Flow().CurrentProduct, "<$DIR_PROGGROUP>", true,
                                       std::string(), std::string(), folder + entry.name,
                                       ftDirectory, Category(context), std::string());
    }
  };
  for (const TPEHive& hive : context.Lists().Installations) {
    std::string key = "\\" + hive.Prefix + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    for (std::string_view value : {"Common Programs", "Common Start Menu"}) {
      for (TRegView view : {TRegView::rv32, TRegView::rv64}) {
        if (view == TRegView::rv64 && !hive.Has64Bit) break;
        std::string folder;
        RegReadString(kHkeyLocalMachine, key, value, view, &folder);
        look(folder);
      }
    }
  }
  const TStringList& users = context.Lists().UserKeyNames;
  for (int i = 0; i < users.Count(); ++i) {
    std::string key = "\\" + users[i] + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    for (std::string_view value : {"Programs", "Start Menu"}) {
      std::string folder;
      RegReadString(kHkeyUsers, key, value, TRegView::rv32, &folder);
      look(folder);
    }
  }
}

void HandleStripADS(TRuleContext& context, TRuleLine& line) {
  TADSScanCache& cache = context.Lists().Cache<TADSScanCache>();
  std::string stream = context.SolvePath(line.Params[2]);
  const std::string& file_parameters = line.Params[3];
  TStringList stream_parameters;
  stream_parameters.Assign(SplitCommaText(line.Params[4]));
  TStringList patterns = context.SolvePathAll(line.Params[1]);
  for (int p = 0; p < patterns.Count(); ++p) {
    const std::string& pattern = patterns[p];
    cache.EnsureFolderScanned(pattern);
    for (int i = 0; i < cache.Count(); ++i) {
      const TADSScanCacheItem& item = cache.Item(i);
      if (!TADSScanCache::MatchesFileName(item, pattern) ||
          !TADSScanCache::MatchesStreamName(item, stream)) {
        continue;
      }
      bool found = true;
      if (!file_parameters.empty()) {
        found = context.Services().RunAdvancedCheck(item.Filename, file_parameters);
      }
      // With stream parameters their result replaces the file's, as the
      // stream rules have always had it.
      if (!stream_parameters.Empty()) {
        TStringList rest;
        found = cache.CheckSizeFilters(i, stream_parameters, &rest) &&
                context.Services().RunAdvancedCheck(item.Filename + item.ADSName,
                                                    JoinCommaText(rest.ToVector()));
      }
      if (found) RecordFile(context, line.Params[0], item.Filename + item.ADSName);
    }
  }
}

void HandleDownloadFile(TRuleContext& context, TRuleLine& line) {
  TDownloadFileEntry entry;
  entry.Filename = line.Params[0];
  entry.AdvParameters = line.Params[1];
  entry.Product = context.Flow().CurrentProduct;
  if (!context.Flow().CurrentRuleID.empty()) entry.RuleID = context.Flow().CurrentRuleID;
  context.Lists().Cache<TDownloadFiles>().entries.push_back(std::move(entry));
}

void HandleDownloadDir(TRuleContext& context, TRuleLine& line) {
  const std::string& flag = line.Params[1];
  TStringList folders;
  SolvePathAll(line.Params[0], &folders);
  for (int i = 0; i < folders.Count(); ++i) {
    const std::string& folder = folders[i];
    std::string parameters = line.Params[2];
    if (parameters.empty()) {
      context.Lists().ExtraDownloadDirs.Add(folder + "=" + flag);
      continue;
    }
    std::string file_name;
    if (!TakeFileNamePair(&parameters, &file_name)) continue;
    TStringList files = FindPathPattern(WithBackslash(folder) + file_name, TEntryKind::ekFiles,
                                        {.recursive = flag == "1", .full_path = true});
    for (int k = 0; k < files.Count(); ++k) {
      if (context.Services().RunAdvancedCheck(files[k], parameters)) {
        context.Lists().ExtraDownloadDirs.Add(folder + "=" + flag);
        break;
      }
    }
  }
}

// The one rule that acts. On a read-only image the move is refused and the
// rule fails quietly, as it does on a protected file.
void HandleMoveFile(TRuleContext& context, TRuleLine& line) {
  std::string destination = SolvePath(line.Params[1]);
  TStringList sources;
  SolvePathAll(line.Params[0], &sources);
  for (int i = 0; i < sources.Count(); ++i) {
    if (!line.Params[2].empty() && !context.Services().RunAdvancedCheck(sources[i], line.Params[2])) {
      continue;
    }
    context.Machine().MoveFile(sources[i], destination);
  }
}

constexpr std::array kRows = std::to_array<TRuleHandlerRow>({
    {"Directory", HandleDirectory},
    {"DownloadDir", HandleDownloadDir, TRuleTiming::rtNowNoProgress},
    {"DownloadFile", HandleDownloadFile, TRuleTiming::rtNowNoProgress},
    {"File", HandleFile},
    {"MoveFile", HandleMoveFile},
    {"PersonalGroup", HandlePersonalGroup},
    {"StripADS", HandleStripADS},
    {"TempDir", HandleTempDir},
    {"TempFile", HandleTempFile},
});

}  // namespace

TRuleHandlerRows FileRuleRows() { return kRows; }

void RunDownloadScan(TRuleContext& context) {
  TDownloadFiles& registered = context.Lists().Cache<TDownloadFiles>();
  if (registered.entries.empty()) return;
  TDirCache cache;
  const TStringList& dirs = context.Settings().DownloadDirs;
  bool recursive = context.Settings().HasOption(soDownloadDirRecursive);
  for (int i = 0; i < dirs.Count(); ++i) cache.PrefillDirectory(SolvePath(dirs[i]), recursive);
  const TStringList& extra = context.Lists().ExtraDownloadDirs;
  for (int i = 0; i < extra.Count(); ++i) {
    std::string folder = extra.Names(i);
    cache.PrefillDirectory(folder, extra[i].substr(folder.size() + 1) == "1");
  }
  TRuleFlow& flow = context.Flow();
  for (const TDownloadFileEntry& entry : registered.entries) {
    TDCFileEntries files = cache.FindByName(entry.Filename);
    std::string parameters = entry.AdvParameters;
    TDirCache::ApplySizeFilter(&files, &parameters);
    flow.CurrentRuleID = entry.RuleID;
    for (const TDCFileEntry& file : files) {
      if (!parameters.empty() && !context.Services().RunAdvancedCheck(file.Name, parameters)) {
        continue;
      }
      std::string folder, name;
      SplitPath(file.Name, &folder, &name);
      context.Recorder().RecordFinding(entry.Product, "<$FILE_DPF>", true, std::string(), name,
                                       folder, ftFile, Category(context), std::string());
    }
    context.Services().AdvanceProgress(1);
  }
}

}  // namespace vx
