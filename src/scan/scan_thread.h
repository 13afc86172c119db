// TScanThread: one scan, run on its own worker thread.
//
// The front end creates the thread, fills its settings, its steps and its
// eight events, starts it and waits for it. Execute runs the fixed sequence
// of a check; everything the user sees leaves the thread through the events,
// each run on the waiting main thread while the scan thread is blocked, so a
// handler may read the thread's fields without a lock.
//
// The detection pass and the usage-track pass call the rule families through
// the hooks of `Steps`; a hook that is not set is a step that does nothing.
#ifndef VX_SCAN_SCAN_THREAD_H_
#define VX_SCAN_SCAN_THREAD_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/date_time.h"
#include "base/string_list.h"
#include "results/scan_result.h"
#include "scan/thread.h"

namespace vx {

// Bits of TScanThread::Options, as the settings file sets them.
enum TScanOption : uint8_t {
  soLogUse = 1,
  soLogOverwrite = 2,
  soLogDetails = 4,
  soIgnoreQriError = 8,
  soDownloadDirRecursive = 16,
  soDoSpyware = 32,
  soDoTracks = 64,
};

// Values given to SetState.
enum TScanState : uint8_t {
  ssUnknown = 0,
  ssStatusMessage = 1,
  ssScanFinished = 2,
  ssFixing = 3,
  ssScanningSpyware = 4,
  ssScanningTracks = 5,
};

class TScanThread;

// The steps of a check that live in other subsystems. Each receives the
// thread it runs for. InterpretIncludeFile runs one include file with the
// given category (4 detection, 5 usage tracks) and returns its duration.
struct TScanSteps {
  std::function<void(TScanThread&)> ServiceCheck;
  std::function<void(TScanThread&)> BuiltInChecks;
  std::function<TDateTime(TScanThread&, const std::string& file, int category)>
      InterpretIncludeFile;
  std::function<void(TScanThread&)> DeferredRules;
  std::function<void(TScanThread&)> DownloadScan;
  std::function<void(TScanThread&)> CheckBrowserData;
  // The whole usage-track pass. When unset, the thread runs the usage-track
  // include files through InterpretIncludeFile itself.
  std::function<void(TScanThread&)> ScanUsageTracks;
};

using TFindingEvent = std::function<void(TScanThread& sender, TMyScanResult& result)>;
using TProductFilterEvent =
    std::function<void(TScanThread& sender, TMyScanResult& result, bool& accept)>;
using TSummaryEvent = std::function<void(TScanThread& sender, bool spyware, bool tracks)>;
using TFilesetsEvent =
    std::function<void(TScanThread& sender, TDateTime& estimate, int32_t& total,
                       TStringList& detection_files, TStringList& usage_files)>;
using TProgressEvent =
    std::function<void(TScanThread& sender, int flag, int32_t position, int32_t total)>;
using TSectionTimeEvent =
    std::function<void(TScanThread& sender, const std::string& name, TDateTime duration)>;
using TStatusEvent = std::function<void(TScanThread& sender, int kind, const std::string& text)>;
using TStateChangeEvent = std::function<void(TScanThread& sender, int state)>;

class TScanThread : public TThread {
 public:
  TScanThread();
  ~TScanThread() override;

  // ---- Settings, written by the front end before Start.
  bool ReportOnly = false;
  uint8_t Options = 0;
  std::string AppPath;   // application directory, with trailing separator
  std::string DataPath;  // data directory, with trailing separator
  // The folder probex.dll is loaded from: the program file's folder.
  std::string LibraryDir;
  TStringList ExcludedProducts;
  TStringList DownloadDirs;
  TStringList BrowserPages;
  TScanSteps Steps;

  // ---- Events.
  TProductFilterEvent OnProductFilter;
  TSummaryEvent OnSummary;
  TFindingEvent OnFinding;
  TFilesetsEvent OnFilesets;
  TProgressEvent OnProgress;
  TSectionTimeEvent OnSectionTime;
  TStatusEvent OnStatus;
  TStateChangeEvent OnStateChange;

  // ---- State of the scan, read by the rule families and the handlers.
  TMyScanResultsList Results;
  TStringList DetectionFiles;
  TStringList UsageTrackFiles;
  TStringList UserKeyNames;
  TStringList RevisionProducts;
  TStringList TempLocations;
  TStringList SavedMatches;
  TStringList ExtraDownloadDirs;
  TStringList UsageTrackWork;
  TStringList ClsidCache;
  TDateTime StartTime = 0;
  TDateTime EndTime = 0;
  TDateTime TimeEstimate = 0;
  bool SpywareFound = false;
  bool TracksFound = false;
  int32_t ProblemCount = 0;
  int32_t ProgressTotal = 0;
  int32_t ProgressPosition = 0;
  uint8_t State = 0;
  uint8_t CurrentCategory = mtQuarnel;
  uint8_t ErrorNoticeKind = 0;
  std::string CurrentProduct = "Unknown";
  std::string StatusProduct;
  std::string CurrentRuleID;
  bool RuleMatched = false;
  int32_t SkipCounter = 0;
  int32_t SkipCountValue = 0;
  std::string CurrentIncludeFile;
  std::string WarningBoxText;
  // The check log's file name, chosen at the start of each scan.
  std::string CheckLogName = "Checks.log";

  bool HasOption(uint8_t bit) const { return (Options & bit) != 0; }

  // ---- Operations for the rule interpreter, the rule families and the
  // recorder.
  void SetState(int state);
  void SetStatus(int kind, const std::string& text);
  void AdvanceProgress(int32_t n);
  void ReportSectionTime(const std::string& name, TDateTime duration);
  // Shows a modal warning on the main thread unless "silent" or
  // "taskbarhide" is on the command line.
  void ShowWarningBox(const std::string& text);
  void ShowErrorNotice(const std::string& title, const std::string& text);
  // False when the advanced-check library is not ready.
  bool RunAdvancedCheck(const std::string& file_name, const std::string& parameters);
  // Reads a shortcut's target and arguments on the main thread (each at
  // most 510 characters); both empty on any failure.
  void ResolveShortcut(const std::string& shortcut_file, std::string* target,
                       std::string* arguments);
  // CurrentIncludeFile without folder and without the text from its first ".".
  std::string SourceName() const;
  // One check-log line, when the LogUse option is set.
  void WriteLog(const std::string& text, bool overwrite = false);

  // ---- The finding recorder.
  void RecordRegistryFinding(const std::string& product, const std::string& description,
                             bool checkable, const TStringList& parameters,
                             const std::string& value_name, const std::string& key_path,
                             uint32_t root_key, int view, TQuarnelFixType fix_type,
                             TQuarnelMainType main_type, const std::string& extra);
  void RecordFinding(const std::string& product, const std::string& description,
                     bool checkable, const std::string& value, const std::string& file_name,
                     const std::string& path, TQuarnelFixType fix_type,
                     TQuarnelMainType main_type, const std::string& extra);
  void RecordIniFinding(const TStringList& parameters, TQuarnelMainType main_type,
                        bool checkable, TQuarnelFixType fix_type);
  void RecordHostFinding(const std::string& product, const std::string& hosts_file,
                         const std::string& redirect_target, const std::string& host_name);
  void RecordBrowserFinding(const std::string& browser, const std::string& profile,
                            TQuarnelFixType fix_type, TQuarnelMainType main_type,
                            const std::string& description, const std::string& location,
                            const std::string& product);
  void AddNotice(const std::string& title, const std::string& text,
                 TMyScanResultStatus status);
  // Keeps or drops a filled finding: the exclusion list, then the product
  // filter on the main thread; a kept one is counted, logged with
  // `log_suffix` and shown. The result is deleted when rejected; the answer
  // says whether it was kept.
  bool AcceptResult(TMyScanResult* result, const std::string& log_suffix);

 protected:
  void Execute() override;

 private:
  void RunCheck();
  void PrepareUserLists();
  void RunDetectionPass();
  void RunUsageTrackFiles();
  void FireFinding(TMyScanResult& result);
  void PreSelect(TMyScanResult* result);
};

}  // namespace vx

#endif  // VX_SCAN_SCAN_THREAD_H_
