// TRuleContext: the narrow face of a scan that the rule families, the
// built-in checks and the browser checks see. A family gets the machine
// examined, the finding recorder, the path solver, the check log, the flow
// state it shares with the rule interpreter and the work lists of the scan;
// it never sees the scan thread, its events or its settings beyond the
// options.
//
// Everything here is used by the scan thread only while a scan runs; the
// calls that must run on the main thread (warning boxes, shortcut
// resolution, the display) go through TScanServices, which the scan thread
// implements with its synchronised hand-over.
#ifndef VX_SCAN_RULE_CONTEXT_H_
#define VX_SCAN_RULE_CONTEXT_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "base/object.h"
#include "base/string_list.h"
#include "platform/machine.h"
#include "results/scan_result.h"

namespace vx {

class TFindingRecorder;

// Bits of TScanSettings::Options, as the settings file sets them.
enum TScanOption : uint8_t {
  soLogUse = 1,
  soLogOverwrite = 2,
  soLogDetails = 4,
  soIgnoreQriError = 8,
  soDownloadDirRecursive = 16,
  soDoSpyware = 32,
  soDoTracks = 64,
};

// What the front end decides before the scan starts; read-only afterwards.
struct TScanSettings {
  bool ReportOnly = false;
  uint8_t Options = 0;
  std::string AppPath;   // application directory, with trailing separator
  std::string DataPath;  // data directory, with trailing separator
  // The folder probex.dll is loaded from: the program file's folder.
  std::string LibraryDir;
  TStringList ExcludedProducts;
  TStringList DownloadDirs;
  TStringList BrowserPages;

  bool HasOption(uint8_t bit) const { return (Options & bit) != 0; }
};

// The state the rule interpreter shares with the rule families and the
// recorder while one rule line is evaluated.
struct TRuleFlow {
  // Full name of the include file being interpreted; "Spyware" during the
  // built-in checks.
  std::string CurrentIncludeFile;
  // Product of the rule line; "Unknown" before the first product header.
  std::string CurrentProduct = "Unknown";
  std::string CurrentRuleID;
  // The current rule line recorded at least one finding (arms the skip count).
  bool RuleMatched = false;
  int32_t SkipCounter = 0;
  int32_t SkipCountValue = 0;
  // Captured groups of the current registry rule line.
  TStringList SavedMatches;
  // MainType of the pass in progress: mtQuarnel or mtUsageTracking.
  uint8_t CurrentCategory = mtQuarnel;
  // The text last given to SetStatus with kind 3: the product announced
  // last, named by the error notices.
  std::string StatusProduct;

  // CurrentIncludeFile without folder and without the text from its first ".".
  std::string SourceName() const;
};

// One Windows installation the rules walk: the prefix its hives are mounted
// under below HKEY_LOCAL_MACHINE ("" for the running system, which is the
// only one today; with a trailing backslash otherwise), the file it came
// from, and whether its software hive has a Wow6432Node key.
struct TPEHive {
  std::string Prefix;
  std::string Filename;
  bool Has64Bit = false;
};

// The work lists of one scan, built at its start and shared by the families.
struct TScanLists {
  // Every subkey name of HKEY_USERS, read at the start of the scan.
  TStringList UserKeyNames;
  // Label=folder pairs of the temporary folders.
  TStringList TempLocations;
  // Folder=recursive pairs added by DownloadDir rules.
  TStringList ExtraDownloadDirs;
  TStringList UsageTrackWork;
  // The COM rules' shared work list.
  TStringList ClsidCache;
  // The installations the rules walk; the scan fills it when it starts.
  std::vector<TPEHive> Installations{TPEHive{}};
  // Rule lines kept for after the rule files of the detection pass, per
  // rule type, each as "product",parameters in comma text.
  TStringList& DeferredLines(std::string_view type);

  // A cache of a family kept for the whole scan (the directory cache, the
  // stream cache), made on first use. A family owns its type; the scan only
  // keeps it alive.
  template <typename T>
  T& Cache() {
    std::unique_ptr<TObject>& slot = caches_[std::type_index(typeid(T))];
    if (!slot) slot = std::make_unique<T>();
    return static_cast<T&>(*slot);
  }

 private:
  std::unordered_map<std::type_index, std::unique_ptr<TObject>> caches_;
  std::map<std::string, TStringList, std::less<>> deferred_;  // stable references
};

// The scan's check log: one file name chosen when the scan starts, written
// only when the LogUse option is on.
struct TCheckLog {
  std::string FileName = "Checks.log";
  bool Enabled = false;
  void Write(std::string_view text, bool overwrite = false) const;
};

// The calls of a scan that leave the scan thread or show progress.
class TScanServices {
 public:
  virtual ~TScanServices() = default;
  // Kind 3 names the product announced last.
  virtual void SetStatus(int kind, const std::string& text) = 0;
  virtual void AdvanceProgress(int32_t n) = 0;
  // A modal warning on the main thread, unless the command line holds
  // "silent" or "taskbarhide".
  virtual void ShowWarningBox(const std::string& text) = 0;
  // A notice of `title` and `text` with the status error, recorded on the
  // main thread.
  virtual void ShowErrorNotice(const std::string& title, const std::string& text) = 0;
  // Whether the advanced-check library is loaded with its check.
  virtual bool AdvancedCheckReady() = 0;
  // False when the advanced-check library is not ready.
  virtual bool RunAdvancedCheck(const std::string& file_name, const std::string& parameters) = 0;
  // A shortcut's target and arguments (each at most 510 characters), read
  // on the main thread; both empty on any failure.
  virtual void ResolveShortcut(const std::string& shortcut_file, std::string* target,
                               std::string* arguments) = 0;
};

class TRuleContext {
 public:
  TRuleContext(const TScanSettings& settings, TRuleFlow& flow, TScanLists& lists,
               TFindingRecorder& recorder, const TCheckLog& check_log, TScanServices& services)
      : settings_(settings),
        flow_(flow),
        lists_(lists),
        recorder_(recorder),
        check_log_(check_log),
        services_(services) {}

  // The machine examined; raises when the scan has none.
  TMachine& Machine() const;
  // Set by the scan when it starts; the machine must outlive the scan.
  void BindMachine(TMachine* machine) { machine_ = machine; }
  const TScanSettings& Settings() const { return settings_; }
  TRuleFlow& Flow() const { return flow_; }
  TScanLists& Lists() const { return lists_; }
  TFindingRecorder& Recorder() const { return recorder_; }
  TScanServices& Services() const { return services_; }

  // Path variables resolved through the tools library (its fallback: the
  // scanner's own table): one value, or every alternative (at least one:
  // a text without variables gives itself, the empty text too).
  std::string SolvePath(std::string_view text) const;
  TStringList SolvePathAll(std::string_view text) const;

  void WriteLog(std::string_view text) const { check_log_.Write(text); }

 private:
  TMachine* machine_ = nullptr;
  const TScanSettings& settings_;
  TRuleFlow& flow_;
  TScanLists& lists_;
  TFindingRecorder& recorder_;
  const TCheckLog& check_log_;
  TScanServices& services_;
};

// One rule line as the interpreter hands it to its family.
struct TRuleLine {
  std::string Type;
  // The parameters, padded with empty ones to the type's maximum count.
  TStringList Params;
  // How many parameters the line itself gave, before the padding.
  int GivenParams = 0;
  // The finding parameter list: "Product=<current product>" and whatever
  // the family adds.
  TStringList FindingParams;
};

using TRuleHandler = void (*)(TRuleContext& context, TRuleLine& line);

// When the rule interpreter hands a line to its handler.
enum class TRuleTiming : uint8_t {
  rtNow,            // at once; the line advances the progress
  rtNowNoProgress,  // at once, but its work is done later: no progress now
  // Kept in TScanLists::DeferredLines (no progress) for the family's own step
  // after the rule files; detection files only.
  rtAfterFiles,
};

// One row of the dispatch table. Each family file under detect/ exports the
// rows of the rule types it handles; the rule interpreter merges them.
struct TRuleHandlerRow {
  std::string_view Type;
  TRuleHandler Handler;
  TRuleTiming Timing = TRuleTiming::rtNow;
};

using TRuleHandlerRows = std::span<const TRuleHandlerRow>;

}  // namespace vx

#endif  // VX_SCAN_RULE_CONTEXT_H_
