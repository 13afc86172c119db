// TScanThread: one scan, run on its own worker thread.
//
// The front end creates the thread, fills its settings, its steps, its
// notifier and its eight events, starts it and waits for it. Execute runs the fixed sequence
// of a check; everything the user sees leaves the thread through the events,
// each run on the waiting main thread while the scan thread is blocked, so a
// handler may read the thread's fields without a lock.
//
// The detection pass and the usage-track pass call the rule families through
// the hooks of `Steps`; a hook that is not set is a step that does nothing.
#ifndef VX_SCAN_SCAN_THREAD_H_
#define VX_SCAN_SCAN_THREAD_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "base/string_list.h"
#include "results/scan_result.h"
#include "scan/finding_recorder.h"
#include "scan/notifier.h"
#include "scan/rule_context.h"
#include "scan/rule_interpreter.h"
#include "scan/thread.h"

namespace vx {

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
// thread it runs for; the rule families among them see only its Context().
// InterpretIncludeFile runs one include file with the given category (4
// detection, 5 usage tracks) and returns its duration.
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

class TScanThread : public TThread, private TScanServices, private TFindingSink {
 public:
  TScanThread();
  ~TScanThread() override;

  // ---- Written by the front end before Start.
  TScanSettings Settings;
  TScanSteps Steps;
  // Where warning boxes and event-log entries go; none are shown without.
  TNotifier* Notifier = nullptr;
  // OnProgress fires only for positions that are a multiple of this: a
  // display that draws only every tenth position says so here and is
  // spared the others.
  int32_t ProgressEvery = 1;

  // ---- Events.
  TProductFilterEvent OnProductFilter;
  TSummaryEvent OnSummary;
  TFindingEvent OnFinding;
  TFilesetsEvent OnFilesets;
  TProgressEvent OnProgress;
  TSectionTimeEvent OnSectionTime;
  TStatusEvent OnStatus;
  TStateChangeEvent OnStateChange;

  // ---- The scan's state. The front end reads Results after the thread
  // has ended.
  TMyScanResultsList Results;
  TRuleFlow Flow;
  TScanLists Lists;
  TCheckLog CheckLog;
  TStringList DetectionFiles;
  TStringList UsageTrackFiles;
  TDateTime StartTime = 0;
  TDateTime EndTime = 0;
  TDateTime TimeEstimate = 0;
  int32_t ProgressTotal = 0;
  int32_t ProgressPosition = 0;
  uint8_t State = 0;
  uint8_t ErrorNoticeKind = 0;
  std::string WarningBoxText;

  TFindingRecorder& Recorder() { return recorder_; }
  TRuleInterpreter& Interpreter() { return interpreter_; }
  // What the rule families see of this scan.
  TRuleContext& Context() { return context_; }

  void SetState(int state);
  void ReportSectionTime(const std::string& name, TDateTime duration);

  // ---- TScanServices, public for the steps of the scan.
  void SetStatus(int kind, const std::string& text) override;
  void AdvanceProgress(int32_t n) override;
  void ShowWarningBox(const std::string& text) override;
  void ShowErrorNotice(const std::string& title, const std::string& text) override;
  bool AdvancedCheckReady() override;
  bool RunAdvancedCheck(const std::string& file_name, const std::string& parameters) override;
  void ResolveShortcut(const std::string& shortcut_file, std::string* target,
                       std::string* arguments) override;

 protected:
  void Execute() override;

 private:
  // TFindingSink: the recorder's way to the main thread.
  void FilterFinding(TMyScanResult& result, bool& accept) override;
  void ShowFinding(TMyScanResult& result) override;

  // Progress events are handed to the main thread in batches: each
  // hand-over costs more than a rule line, and there is one event per line.
  // A batch goes when it is full, when its oldest event has waited long
  // enough for a person to notice, and before any other hand-over, so the
  // main thread sees every event in its order.
  struct TQueuedProgress {
    int32_t position;
    int32_t total;
    std::string product;
  };
  static constexpr size_t kMaxQueuedProgress = 256;
  static constexpr std::chrono::milliseconds kMaxProgressDelay{40};
  void DeliverProgress();
  void Handover(const std::function<void()>& call);

  void RunCheck();
  void PrepareUserLists();
  void RunDetectionPass();
  void RunUsageTrackFiles();

  TFindingRecorder recorder_;
  TRuleContext context_;
  TRuleInterpreter interpreter_;
  std::vector<TQueuedProgress> queued_progress_;
  std::chrono::steady_clock::time_point oldest_queued_;
};

}  // namespace vx

#endif  // VX_SCAN_SCAN_THREAD_H_
