#include "scan/scan_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/command_line.h"
#include "support/empty_machine.h"
#include "support/recording_notifier.h"

namespace vx {
namespace {

using testing::TEmptyMachine;
using testing::TRecordingNotifier;

// Records every event of a scan as one line, and the thread it ran on.
struct TEventRecord {
  std::vector<std::string> lines;
  std::vector<std::thread::id> threads;

  void Add(std::string line) {
    lines.push_back(std::move(line));
    threads.push_back(std::this_thread::get_id());
  }

  void Wire(TScanThread& t, std::vector<std::string> detection = {},
            std::vector<std::string> usage = {}) {
    t.OnStateChange = [this](TScanThread&, int s) { Add("state " + std::to_string(s)); };
    t.OnStatus = [this](TScanThread&, int k, const std::string& s) {
      Add("status " + std::to_string(k) + " " + s);
    };
    t.OnFinding = [this](TScanThread&, TMyScanResult& r) {
      Add("finding " + std::to_string(r.MainType) + " " + r.Product + ": " + r.Usage);
    };
    t.OnProductFilter = [this](TScanThread&, TMyScanResult& r, bool&) { Add("filter " + r.Product); };
    t.OnSectionTime = [this](TScanThread&, const std::string& name, TDateTime) {
      Add("section " + name);
    };
    t.OnProgress = [this](TScanThread&, int, int32_t p, int32_t total) {
      Add("progress " + std::to_string(p) + "/" + std::to_string(total));
    };
    t.OnSummary = [this](TScanThread&, bool s, bool tr) {
      Add("summary " + std::to_string(s) + " " + std::to_string(tr));
    };
    t.OnFilesets = [this, detection, usage](TScanThread&, TDateTime&, int32_t& total,
                                            TStringList& d, TStringList& u) {
      Add("filesets");
      d.Assign(detection);
      u.Assign(usage);
      total = 29 + 10 * static_cast<int32_t>(detection.size() + usage.size());
    };
  }
};

class ScanThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_ = std::make_shared<TEmptyMachine>();
    SetCurrentMachine(machine_);
  }
  void TearDown() override {
    SetProcessCommandLine(TCommandLine());
    SetCurrentMachine(nullptr);
  }
  // Runs the thread the way the front end does: start, then wait while
  // running the handed-over calls.
  void Run(TScanThread& t) {
    t.Notifier = &notifier_;
    t.Start();
    t.WaitFor();
  }

  std::shared_ptr<TEmptyMachine> machine_;
  TRecordingNotifier notifier_;
};

TEST_F(ScanThreadTest, OneScanFiresItsEventsInOrderOnTheWaitingThread) {
  TScanThread t;
  t.Settings.Options = soDoSpyware;
  TEventRecord record;
  record.Wire(t, {"/inc/a.qri", "/inc/b.qri"});
  std::vector<std::string> interpreted;
  t.Steps.BuiltInChecks = [](TScanThread& s) {
    s.AdvanceProgress(10);
    s.Recorder().RecordFinding("Spy", "File", true, "", "spy.exe", "C:\\Spy\\", ftFile, mtQuarnel, "");
  };
  t.Steps.InterpretIncludeFile = [&](TScanThread&, const std::string& file, int category) {
    interpreted.push_back(file + " " + std::to_string(category));
    return TDateTime(0);
  };
  Run(t);

  const std::vector<std::string> expected = {
      "state 0",
      "finding 1 Hint of the Day: Click the bar at the right of this to see more information!",
      "filesets",
      "status 2 00:00",
      "status 0 Unknown",
      "status 0 Running bot-check",
      "state 4",
      "progress 10/49",
      "filter Spy",
      "finding 4 Spy:  File",
      "section a.qri",
      "section b.qri",
      "status 0 Please wait while scanning download directories...",
      "section Quarnel",
      "status 0 1 problems found (00:00)",
      "status 2 00:00",
      "state 2",
      "summary 1 0",
  };
  EXPECT_EQ(record.lines, expected);
  for (std::thread::id id : record.threads) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_EQ(interpreted, (std::vector<std::string>{"/inc/a.qri 4", "/inc/b.qri 4"}));
  EXPECT_EQ(t.Recorder().ProblemCount, 1);
  EXPECT_TRUE(t.Recorder().SpywareFound);
  EXPECT_GE(t.EndTime, t.StartTime);
  EXPECT_DOUBLE_EQ(t.Results.Duration, t.EndTime - t.StartTime);
  ASSERT_EQ(t.Results.Count(), 2);  // the hint and the finding; no congratulations
  EXPECT_EQ(t.Results.GetResult(1)->Fileset, "Spyware");
}

TEST_F(ScanThreadTest, AnErrorInTheDetectionPassBecomesANoticeAndTheScanFinishes) {
  TScanThread t;
  t.Settings.Options = soDoSpyware;
  TEventRecord record;
  record.Wire(t);
  t.Steps.BuiltInChecks = [](TScanThread& s) {
    s.SetStatus(3, "Evil Product");
    throw std::runtime_error("boom");
  };
  bool download_scan_ran = false;
  t.Steps.DownloadScan = [&](TScanThread&) { download_scan_ran = true; };
  Run(t);

  EXPECT_FALSE(download_scan_ran);
  EXPECT_EQ(t.Flow.StatusProduct, "Evil Product");
  bool notice_seen = false;
  for (int i = 0; i < t.Results.Count(); ++i) {
    const TMyScanResult* r = t.Results.GetResult(i);
    if (r->Product != "Error during check!") continue;
    notice_seen = true;
    EXPECT_EQ(r->Usage, "Evil Product (boom)");
    EXPECT_EQ(r->Status, srsError);
    EXPECT_EQ(r->MainType, mtStatus);
  }
  EXPECT_TRUE(notice_seen);
  EXPECT_NE(std::find(record.lines.begin(), record.lines.end(),
                      "finding 1 Congratulations!: No immediate threats were found."),
            record.lines.end());
  EXPECT_EQ(record.lines.back(), "summary 0 0");
  EXPECT_TRUE(notifier_.event_log.empty());
}

TEST_F(ScanThreadTest, AFailingIncludeFileShowsAWarningAndTheNextFileStillRuns) {
  TScanThread t;
  TEventRecord record;
  record.Wire(t, {"/inc/bad.qri", "/inc/good.qri"});
  t.Steps.InterpretIncludeFile = [](TScanThread&, const std::string& file, int) -> TDateTime {
    if (file == "/inc/bad.qri") throw std::runtime_error("broken line");
    return 0;
  };
  Run(t);

  std::vector<TRecordingNotifier::Notice> boxes = notifier_.ScanWarnings();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "/inc/bad.qri (broken line)");
  EXPECT_EQ(boxes[0].thread, std::this_thread::get_id());
  int bad = 0, good = 0;
  for (const std::string& line : record.lines) {
    bad += line == "section bad.qri";
    good += line == "section good.qri";
  }
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(good, 1);
}

TEST_F(ScanThreadTest, SilentAndTaskbarhideSuppressWarningBoxes) {
  for (const char* sw : {"/silent", "-TaskbarHide"}) {
    notifier_.warnings.clear();
    SetProcessCommandLine(TCommandLine({sw}));
    TScanThread t;
    TEventRecord record;
    record.Wire(t, {"/inc/bad.qri"});
    t.Steps.InterpretIncludeFile = [](TScanThread&, const std::string&, int) -> TDateTime {
      throw std::runtime_error("broken");
    };
    Run(t);
    EXPECT_TRUE(notifier_.ScanWarnings().empty()) << sw;
  }
}

TEST_F(ScanThreadTest, AnErrorThatEscapesTheSequenceGoesToTheEventLogWithoutSummary) {
  TScanThread t;
  TEventRecord record;
  record.Wire(t);
  t.Steps.ServiceCheck = [](TScanThread&) { throw std::runtime_error("service list damaged"); };
  Run(t);

  ASSERT_EQ(notifier_.event_log.size(), 1u);
  EXPECT_EQ(notifier_.event_log[0].caption, "Quarnel");
  EXPECT_EQ(notifier_.event_log[0].text,
            "Version: 1.6.0 \r\nBuild: 20080604\r\nException: service list damaged");
  for (const std::string& line : record.lines) EXPECT_NE(line.rfind("summary", 0), 0u);
  EXPECT_EQ(t.EndTime, 0);
}

TEST_F(ScanThreadTest, UsageTrackFilesRunOnlyWithDoTracks) {
  for (bool tracks : {false, true}) {
    TScanThread t;
    t.Settings.Options = soDoSpyware | (tracks ? soDoTracks : 0);
    TEventRecord record;
    record.Wire(t, {}, {"/inc/t.uti"});
    std::vector<int> categories;
    t.Steps.InterpretIncludeFile = [&](TScanThread&, const std::string&, int category) {
      categories.push_back(category);
      return TDateTime(0);
    };
    Run(t);

    int congratulations = 0;
    bool usage_section = false;
    for (const std::string& line : record.lines) {
      congratulations += line.rfind("finding 1 Congratulations!", 0) == 0;
      usage_section |= line == "section Usage Tracking";
    }
    if (tracks) {
      EXPECT_EQ(categories, std::vector<int>{5});
      EXPECT_EQ(congratulations, 2);
      EXPECT_TRUE(usage_section);
    } else {
      EXPECT_TRUE(categories.empty());
      EXPECT_EQ(congratulations, 1);
      EXPECT_FALSE(usage_section);
    }
  }
}

TEST_F(ScanThreadTest, HandlerFailuresOfDisplayEventsDoNotDisturbTheScan) {
  TScanThread t;
  t.Settings.Options = soDoSpyware;
  bool summary = false;
  t.OnFinding = [](TScanThread&, TMyScanResult&) { throw std::runtime_error("display"); };
  t.OnStateChange = [](TScanThread&, int) { throw std::runtime_error("display"); };
  t.OnProgress = [](TScanThread&, int, int32_t, int32_t) { throw std::runtime_error("x"); };
  t.OnSummary = [&](TScanThread&, bool, bool) { summary = true; };
  t.Steps.BuiltInChecks = [](TScanThread& s) {
    s.AdvanceProgress(10);
    s.Recorder().RecordFinding("Spy", "d", true, "", "f", "p", ftFile, mtQuarnel, "");
  };
  Run(t);
  EXPECT_TRUE(summary);
  EXPECT_EQ(t.Recorder().ProblemCount, 1);
}

// Progress is handed over in batches; the main thread must still see every
// event in its place among the others, each with the product it was made
// under, and only the positions its display asked for.
TEST_F(ScanThreadTest, BatchedProgressKeepsEveryEventInOrderWithItsProduct) {
  TScanThread t;
  t.ProgressEvery = 10;
  std::vector<std::string> seen;
  std::vector<std::thread::id> threads;
  t.OnProgress = [&](TScanThread& s, int, int32_t position, int32_t) {
    seen.push_back(std::to_string(position) + " " + s.Flow.CurrentProduct);
    threads.push_back(std::this_thread::get_id());
  };
  t.OnFinding = [&](TScanThread&, TMyScanResult& r) {
    if (r.MainType != mtStatus) seen.push_back("finding " + r.Product);
  };
  t.Steps.BuiltInChecks = [](TScanThread& s) {
    for (int i = 0; i < 3000; ++i) {
      if (i % 1000 == 0) s.Flow.CurrentProduct = "P" + std::to_string(i / 1000);
      s.AdvanceProgress(1);
      if (i == 1504) s.Recorder().RecordFinding("Spy", "d", true, "", "f", "p", ftFile, mtQuarnel, "");
    }
    s.Flow.CurrentProduct = "after";
  };
  Run(t);
  std::vector<std::string> expected;
  for (int p = 10; p <= 3000; p += 10) {
    expected.push_back(std::to_string(p) + " P" + std::to_string((p - 1) / 1000));
    if (p == 1500) expected.push_back("finding Spy");
  }
  EXPECT_EQ(seen, expected);
  for (std::thread::id id : threads) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_EQ(t.Flow.CurrentProduct, "after");
}

class TShortcutMachine : public TEmptyMachine {
 public:
  std::thread::id reader;
  bool ReadShortcut(std::string_view path, TShortcutInfo* info) override {
    reader = std::this_thread::get_id();
    if (path != "C:\\Desktop\\Long.lnk") return false;
    info->target = std::string(600, 't');
    info->arguments = "/quiet";
    return true;
  }
};

TEST(ScanThreadShortcutTest, ShortcutsAreReadOnTheMainThreadAndCut) {
  auto machine = std::make_shared<TShortcutMachine>();
  SetCurrentMachine(machine);
  TScanThread t;
  std::string target, arguments, missing_target = "stale", missing_arguments = "stale";
  t.Steps.BuiltInChecks = [&](TScanThread& s) {
    s.ResolveShortcut("C:\\Desktop\\Long.lnk", &target, &arguments);
    s.ResolveShortcut("C:\\Desktop\\None.lnk", &missing_target, &missing_arguments);
  };
  t.Start();
  t.WaitFor();
  EXPECT_EQ(machine->reader, std::this_thread::get_id());
  EXPECT_EQ(target, std::string(510, 't'));
  EXPECT_EQ(arguments, "/quiet");
  EXPECT_EQ(missing_target, "");
  EXPECT_EQ(missing_arguments, "");
  SetCurrentMachine(nullptr);
}

}  // namespace
}  // namespace vx
