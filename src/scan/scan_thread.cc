#include "scan/scan_thread.h"

#include <pthread.h>

#include <chrono>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/command_line.h"
#include "base/log_sink.h"
#include "base/error.h"
#include "base/messages.h"
#include "extlib/kit_library.h"
#include "extlib/probex_library.h"
#include "platform/machine.h"
#include "rules/host_file.h"
#include "sysaccess/my_registry.h"
#include "sysaccess/tweaks.h"

namespace vx {

namespace {

constexpr char kEventSource[] = "Quarnel";
constexpr char kProgramVersion[] = "1.6.0";
constexpr char kProgramBuild[] = "20080604";
constexpr int kBuiltInProgressUnits = 29;
constexpr size_t kShortcutFieldLimit = 510;

// Runs a handler of a display event (a finding, a state, the progress, a
// section time, the file sets). Their failures are the display's own and
// must not disturb the scan, so they end here on purpose.
void RunDisplayHandler(const std::function<void()>& call) {
  try {
    call();
  } catch (...) {
    return;
  }
}

}  // namespace

// The recorder and the context keep references to the fields above them in
// the class, which are constructed first.
TScanThread::TScanThread()
    : recorder_(Results, Settings, Flow, CheckLog, *this),
      context_(Settings, Flow, Lists, recorder_, CheckLog, *this),
      interpreter_(context_) {}

TScanThread::~TScanThread() {
  // The worker uses the fields below; it must be gone before they are.
  WaitFor();
}

// ---- Events and notices

void TScanThread::SetState(int state) {
  State = static_cast<uint8_t>(state);
  if (!OnStateChange) return;
  RunDisplayHandler([&] { Handover([&] { OnStateChange(*this, state); }); });
}

void TScanThread::FilterFinding(TMyScanResult& result, bool& accept) {
  if (OnProductFilter) Handover([&] { OnProductFilter(*this, result, accept); });
}

void TScanThread::ShowFinding(TMyScanResult& result) {
  if (!OnFinding) return;
  RunDisplayHandler([&] { Handover([&] { OnFinding(*this, result); }); });
}

void TScanThread::SetStatus(int kind, const std::string& text) {
  if (kind == 3) Flow.StatusProduct = text;
  if (!OnStatus) return;
  Handover([&] { OnStatus(*this, kind, text); });
}

void TScanThread::AdvanceProgress(int32_t n) {
  ProgressPosition += n;
  if (!OnProgress || (ProgressEvery > 1 && ProgressPosition % ProgressEvery != 0)) return;
  if (queued_progress_.empty()) oldest_queued_ = std::chrono::steady_clock::now();
  queued_progress_.push_back({ProgressPosition, ProgressTotal, Flow.CurrentProduct});
  if (queued_progress_.size() >= kMaxQueuedProgress ||
      std::chrono::steady_clock::now() - oldest_queued_ >= kMaxProgressDelay) {
    DeliverProgress();
  }
}

void TScanThread::DeliverProgress() {
  if (queued_progress_.empty()) return;
  std::vector<TQueuedProgress> events;
  events.swap(queued_progress_);
  RunDisplayHandler([&] {
    Synchronize([&] {
      // Each event is shown with the product it was made under, which the
      // handler reads from the flow state; the worker waits meanwhile.
      std::string current = std::move(Flow.CurrentProduct);
      for (TQueuedProgress& event : events) {
        Flow.CurrentProduct = std::move(event.product);
        RunDisplayHandler([&] { OnProgress(*this, 0, event.position, event.total); });
      }
      Flow.CurrentProduct = std::move(current);
    });
  });
}

void TScanThread::Handover(const std::function<void()>& call) {
  DeliverProgress();
  Synchronize(call);
}

void TScanThread::ReportSectionTime(const std::string& name, TDateTime duration) {
  if (!OnSectionTime) return;
  RunDisplayHandler([&] { Handover([&] { OnSectionTime(*this, name, duration); }); });
}

void TScanThread::ShowWarningBox(const std::string& text) {
  WarningBoxText = text;
  Handover([&] {
    const TCommandLine& command_line = ProcessCommandLine();
    if (command_line.HasSwitch("silent") || command_line.HasSwitch("taskbarhide")) return;
    if (Notifier) Notifier->WarningBox(WarningBoxText, kEventSource);
  });
}

void TScanThread::ShowErrorNotice(const std::string& title, const std::string& text) {
  Handover(
      [&] { recorder_.AddNotice(title, text, ErrorNoticeKind == 0 ? srsError : srsDone); });
}

bool TScanThread::AdvancedCheckReady() { return ProbexAdvancedCheckReady(); }

bool TScanThread::RunAdvancedCheck(const std::string& file_name,
                                   const std::string& parameters) {
  TProbexLibrary* library = ProbexLibrary();
  if (!library || !library->AdvancedCheckReady()) return false;
  return library->AdvancedCheck(file_name, parameters);
}

void TScanThread::ResolveShortcut(const std::string& shortcut_file, std::string* target,
                                  std::string* arguments) {
  target->clear();
  arguments->clear();
  Handover([&] {
    TShortcutInfo info;
    if (!HasCurrentMachine() || !CurrentMachine().ReadShortcut(shortcut_file, &info)) return;
    *target = info.target.substr(0, kShortcutFieldLimit);
    *arguments = info.arguments.substr(0, kShortcutFieldLimit);
  });
}

// ---- The check

void TScanThread::Execute() {
  try {
    RunCheck();
  } catch (...) {
    DeliverProgress();
    std::string text = std::string("Version: ") + kProgramVersion + " \r\nBuild: " +
                       kProgramBuild + "\r\nException: " + ErrorText(std::current_exception());
    try {
      if (Notifier) Notifier->EventLogError(kEventSource, text);
    } catch (...) {
      // The event log was the last place to tell; nothing is left to try.
      return;
    }
  }
}

void TScanThread::PrepareUserLists() {
  // The running system is the one installation the rules walk.
  Lists.Installations.assign(1, TPEHive{});
  Lists.Installations[0].Has64Bit =
      RegKeyExists(kHkeyLocalMachine, "\\SOFTWARE\\Wow6432Node", TRegView::rv32);
  TStringList& UserKeyNames = Lists.UserKeyNames;
  TStringList& RevisionProducts = recorder_.RevisionProducts;
  UserKeyNames.Clear();
  RevisionProducts.Clear();
  try {
    if (HasCurrentMachine()) {
      std::unique_ptr<TRegKey> users = CurrentMachine().OpenKey(kHkeyUsers, "", TRegView::rv32);
      if (users) UserKeyNames.Assign(users->SubKeyNames());
    }
  } catch (...) {
    UserKeyNames.Clear();
  }
  try {
    std::filesystem::path revision = std::filesystem::path(Settings.AppPath) / "Includes" / "Revision.qrs";
    std::error_code ec;
    if (std::filesystem::is_regular_file(revision, ec)) {
      std::ifstream in(revision, std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      RevisionProducts.SetText(text.str());
    }
  } catch (...) {
    RevisionProducts.Clear();
  }
}

void TScanThread::RunCheck() {
  context_.BindMachine(HasCurrentMachine() ? &CurrentMachine() : nullptr);
  Flow.SkipCounter = 0;
  SetState(ssUnknown);
  StartTime = Now();
  recorder_.ProblemCount = 0;
  // For debuggers; Linux keeps at most 15 characters of a thread's name.
  pthread_setname_np(pthread_self(), "Quarnel_Scan_Th");

  std::string library_dir = Settings.LibraryDir.empty() ? Settings.AppPath : Settings.LibraryDir;
  LoadProbexLibrary((std::filesystem::path(library_dir) / "probex.dll").string(),
                    [this](const std::string& text, const std::string& caption) {
                      Handover([&] {
                        if (Notifier) Notifier->WarningBox(text, caption);
                      });
                    });

  PrepareUserLists();

  ProgressPosition = 0;
  ProgressTotal = kBuiltInProgressUnits;
  recorder_.SpywareFound = false;
  recorder_.TracksFound = false;

  CheckLog.Enabled = Settings.HasOption(soLogUse);
  CheckLog.FileName = Settings.HasOption(soLogDetails)
                          ? "Checks." + FormatDateTime("yymmdd-hhnn", Now()) + ".log"
                          : std::string("Checks.log");
  CheckLog.Write("##### check started #####", Settings.HasOption(soLogOverwrite));
  CheckLog.Write(std::string("### Version: ") + kProgramVersion);
  CheckLog.Write("### Date: " + FormatDateTime("c", Now()));

  if (!ReadTweakBool("DisableHintOfTheDay", false)) {
    recorder_.AddNotice(GetMessageText(msgHintOfTheDayMain),
                        GetMessageText(msgHintOfTheDayProductInfo), srsStatus);
  }

  if (OnFilesets) {
    RunDisplayHandler([&] {
      Handover([&] {
        OnFilesets(*this, TimeEstimate, ProgressTotal, DetectionFiles, UsageTrackFiles);
      });
    });
  }

  SetStatus(2, FormatDateTime("nn:ss", TimeEstimate));
  SetStatus(0, "Unknown");

  if (Steps.ServiceCheck) Steps.ServiceCheck(*this);

  SetStatus(0, GetMessageText(msgProgress1));
  CheckLog.Write("##### checking bots #####");
  SetState(ssScanningSpyware);

  try {
    RunDetectionPass();
  } catch (...) {
    ShowErrorNotice(GetMessageText(msgScanSearchException),
                    Flow.StatusProduct + " (" + ErrorText(std::current_exception()) + ")");
  }

  if (Settings.HasOption(soDoTracks)) {
    SetStatus(0, GetMessageText(msgProgress3));
    CheckLog.Write("##### checking usage tracking #####");
    SetState(ssScanningTracks);
    try {
      Flow.CurrentCategory = mtUsageTracking;
      if (Steps.ScanUsageTracks) {
        Steps.ScanUsageTracks(*this);
      } else {
        RunUsageTrackFiles();
      }
    } catch (...) {
      ShowErrorNotice(GetMessageText(msgScanSearchException),
                      Flow.StatusProduct + " (" + ErrorText(std::current_exception()) + ")");
    }
  }

  if (Settings.HasOption(soDoSpyware) && !recorder_.SpywareFound) {
    recorder_.AddNotice(GetMessageText(msgSystemClear), GetMessageText(msgSystemNoQuarnels),
                        srsDone);
  }
  if (Settings.HasOption(soDoTracks) && !recorder_.TracksFound) {
    recorder_.AddNotice(GetMessageText(msgSystemClear), GetMessageText(msgSystemNoTracks),
                        srsDone);
  }

  interpreter_.ReportTypesNotScanned();
  CheckLog.Write("##### check finished #####");
  EndTime = Now();
  Results.Duration = EndTime - StartTime;

  SetStatus(0, std::to_string(recorder_.ProblemCount) + " " + GetMessageText(msgScanProblemsFound) +
                   " (" + FormatDateTime("nn:ss", EndTime - StartTime) + ")");
  SetStatus(2, "00:00");

  DeliverProgress();
  SetState(ssScanFinished);
  if (OnSummary) {
    bool spyware = recorder_.SpywareFound;
    bool tracks = recorder_.TracksFound;
    Handover([&] { OnSummary(*this, spyware, tracks); });
  }
}

void TScanThread::RunDetectionPass() {
  Flow.CurrentCategory = mtQuarnel;
  Flow.CurrentIncludeFile = "Spyware";
  TDateTime pass_start = Now();

  if (Steps.BuiltInChecks) Steps.BuiltInChecks(*this);
  KitRASInstalled();
  TDateTime before_files = Now() - pass_start;

  if (Steps.InterpretIncludeFile) {
    for (int i = 0; i < DetectionFiles.Count(); ++i) {
      const std::string file = DetectionFiles[i];
      try {
        Flow.CurrentIncludeFile = file;
        TDateTime duration = Steps.InterpretIncludeFile(*this, file, mtQuarnel);
        ReportSectionTime(HostFileName(file), duration);
      } catch (...) {
        WarningBoxText = file + " (" + ErrorText(std::current_exception()) + ")";
        ShowWarningBox(WarningBoxText);
      }
    }
  }

  TDateTime after_files = Now();
  if (Steps.DeferredRules) Steps.DeferredRules(*this);
  SetStatus(0, GetMessageText(msgPleaseWaitDownloadDirs));
  if (Steps.DownloadScan) Steps.DownloadScan(*this);
  ReportSectionTime(GetMessageText(msgInternal1), before_files + (Now() - after_files));

  if (Steps.CheckBrowserData) {
    // A failing browser check only leaves its findings out; the check log
    // says why.
    try {
      Steps.CheckBrowserData(*this);
    } catch (...) {
      CheckLog.Write("browser data check failed: " + ErrorText(std::current_exception()));
    }
  }
}

void TScanThread::RunUsageTrackFiles() {
  Flow.CurrentIncludeFile = "Usage Tracks";
  TDateTime start = Now();
  TDateTime own_checks = Now() - start;
  if (Steps.InterpretIncludeFile) {
    for (int i = 0; i < UsageTrackFiles.Count(); ++i) {
      const std::string file = UsageTrackFiles[i];
      try {
        Flow.CurrentIncludeFile = file;
        TDateTime duration = Steps.InterpretIncludeFile(*this, file, mtUsageTracking);
        ReportSectionTime(HostFileName(file), duration);
      } catch (...) {
        WarningBoxText = file + " (" + ErrorText(std::current_exception()) + ")";
        ShowWarningBox(WarningBoxText);
      }
    }
  }
  ReportSectionTime(GetMessageText(msgInternal3), own_checks);
}

}  // namespace vx
