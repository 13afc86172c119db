#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "scan/scan_thread.h"
#include "support/empty_machine.h"
#include "support/recording_notifier.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

// The recorder runs on the test's own thread here: the hand-over calls then
// run at once, as they would on the waiting main thread.
class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCurrentMachine(std::make_shared<testing::TEmptyMachine>());
    t_.OnFinding = [this](TScanThread&, TMyScanResult& r) { shown_.push_back(r.Product); };
  }
  void TearDown() override { SetCurrentMachine(nullptr); }

  TScanThread t_;
  std::vector<std::string> shown_;
};

TEST_F(RecorderTest, AnExcludedProductIsDroppedButItsRuleLineCountsAsMatched) {
  t_.Settings.ExcludedProducts.Add("Spy Tool");
  t_.Recorder().RecordFinding("SPY TOOL", "d", true, "", "a.exe", "C:\\", ftFile, mtQuarnel, "");
  EXPECT_EQ(t_.Results.Count(), 0);
  EXPECT_EQ(t_.Recorder().ProblemCount, 0);
  EXPECT_TRUE(t_.Flow.RuleMatched);
  EXPECT_FALSE(t_.Recorder().SpywareFound);
  EXPECT_TRUE(shown_.empty());
}

TEST_F(RecorderTest, TheProductFilterDecidesOverTheExclusionList) {
  t_.Settings.ExcludedProducts.Add("Kept");
  t_.OnProductFilter = [](TScanThread&, TMyScanResult& r, bool& accept) {
    accept = r.Product == "Kept";
  };
  t_.Recorder().RecordFinding("Kept", "d", true, "", "a", "C:\\", ftFile, mtQuarnel, "");
  t_.Recorder().RecordFinding("Dropped", "d", true, "", "b", "C:\\", ftFile, mtQuarnel, "");
  ASSERT_EQ(t_.Results.Count(), 1);
  EXPECT_EQ(t_.Results.GetResult(0)->Product, "Kept");
  EXPECT_EQ(shown_, std::vector<std::string>{"Kept"});
}

TEST_F(RecorderTest, RegistryFindingsCarryTheirView) {
  TStringList params;
  params.Add("RootKey=HKEY_LOCAL_MACHINE");
  t_.Flow.CurrentRuleID = "0000ABCD";
  t_.Flow.CurrentIncludeFile = "/opt/vx/Includes/Spies.main.qri";
  t_.Recorder().RecordRegistryFinding("P", "desc", true, params, "Val", "\\Software\\X\\", kHkeyLocalMachine,
                           TRegView::rv64, ftRegistryValue, mtQuarnel, "");
  t_.Recorder().RecordRegistryFinding("P", "desc", true, params, "Val", "\\Software\\X\\", kHkeyLocalMachine,
                           TRegView::rv32, ftRegistryValue, mtQuarnel, "");
  ASSERT_EQ(t_.Results.Count(), 2);
  const TMyScanResult* r64 = t_.Results.GetResult(0);
  EXPECT_EQ(r64->Infos.Values("AccessBits"), "64");
  EXPECT_EQ(r64->FullKey, "HKEY_LOCAL_MACHINE\\Software\\X\\Val [64bit]");
  EXPECT_EQ(r64->InfoText, "RootKey=HKEY_LOCAL_MACHINE,AccessBits=64");
  EXPECT_EQ(r64->Fileset, "Spies");
  EXPECT_EQ(r64->RuleIDText, "0000ABCD");
  EXPECT_TRUE(r64->Checked);
  const TMyScanResult* r32 = t_.Results.GetResult(1);
  EXPECT_EQ(r32->Infos.Values("AccessBits"), "32");
  EXPECT_EQ(r32->FullKey, "HKEY_LOCAL_MACHINE\\Software\\X\\Val");
  EXPECT_EQ(t_.Recorder().ProblemCount, 2);
}

TEST_F(RecorderTest, PreSelectionSkipsRevisionProductsAndUsageTracks) {
  t_.Recorder().RevisionProducts.Add("Revised");
  t_.Recorder().RecordFinding("revised", "d", true, "", "a", "C:\\", ftFile, mtQuarnel, "");
  t_.Recorder().RecordFinding("Other", "d", true, "", "a", "C:\\", ftFile, mtQuarnel, "");
  t_.Recorder().RecordFinding("Other", "d", false, "", "a", "C:\\", ftFile, mtQuarnel, "");
  t_.Recorder().RecordFinding("Track", "d", true, "", "a", "C:\\", ftFile, mtUsageTracking, "");
  ASSERT_EQ(t_.Results.Count(), 4);
  EXPECT_FALSE(t_.Results.GetResult(0)->Checked);
  EXPECT_TRUE(t_.Results.GetResult(0)->Checkable);
  EXPECT_TRUE(t_.Results.GetResult(1)->Checked);
  EXPECT_FALSE(t_.Results.GetResult(2)->Checked);
  EXPECT_FALSE(t_.Results.GetResult(3)->Checked);
  EXPECT_TRUE(t_.Recorder().TracksFound);
}

TEST_F(RecorderTest, ExtraTextBecomesTheCountOfUsageTracksExceptLogs) {
  t_.Recorder().RecordFinding("Recent", "Recently used files", true, "", "", "C:\\R\\", ftDirectory,
                   mtUsageTracking, "12 files");
  t_.Recorder().RecordFinding("Log", "log: x.log", true, "", "x.log", "C:\\Windows\\", ftBackupFile,
                   mtUsageTracking, "x.log");
  t_.Recorder().RecordFinding("Spy", "d", true, "", "a", "C:\\", ftFile, mtQuarnel, "extra");
  EXPECT_EQ(t_.Results.GetResult(0)->Count, " (12 files)");
  EXPECT_EQ(t_.Results.GetResult(1)->Count, "");
  EXPECT_EQ(t_.Results.GetResult(1)->Usage, " log: x.log");
  EXPECT_EQ(t_.Results.GetResult(2)->Count, "");
}

TEST_F(RecorderTest, OtherFindingFormsFillTheirFields) {
  t_.Recorder().RecordHostFinding("Hijack", "C:\\Windows\\hosts", "10.0.0.1", "search.example");
  const TMyScanResult* host = t_.Results.GetResult(0);
  EXPECT_EQ(host->Usage, "Redirected host");
  EXPECT_EQ(host->FullKey, "Hijacksearch.example");
  EXPECT_EQ(host->FixType, ftHostRedirect);
  EXPECT_TRUE(host->Checked);

  t_.Recorder().RecordBrowserFinding("Firefox", "default", ftCacheCookie, mtQuarnel, "Tracking cookie",
                          "ads.example", "Ads");
  EXPECT_EQ(t_.Results.GetResult(1)->Filename, "Firefox (default): ads.example");

  TStringList ini;
  ini.Assign({"Product=IniSpy", "Filename=C:\\win.ini", "Section=windows", "Value=load",
              "Description=Autostart", "Action=DataRemove", "RemoveData=spy.exe"});
  t_.Recorder().RecordIniFinding(ini, mtQuarnel, true, ftIniRemove);
  const TMyScanResult* r = t_.Results.GetResult(2);
  EXPECT_EQ(r->Key, "windows");
  EXPECT_EQ(r->FullKey, "C:\\win.iniwindowsloadloadDataRemovespy.exe");
  EXPECT_EQ(r->TagString, "spy.exe");
  EXPECT_EQ(t_.Recorder().ProblemCount, 3);
}

TEST_F(RecorderTest, NoticesBypassFilterCountAndRuleState) {
  bool filtered = false;
  t_.OnProductFilter = [&](TScanThread&, TMyScanResult&, bool&) { filtered = true; };
  t_.Settings.ExcludedProducts.Add("Hint");
  t_.Recorder().AddNotice("Hint", "text", srsStatus);
  EXPECT_FALSE(filtered);
  EXPECT_EQ(t_.Recorder().ProblemCount, 0);
  EXPECT_FALSE(t_.Flow.RuleMatched);
  ASSERT_EQ(t_.Results.Count(), 1);
  EXPECT_EQ(t_.Results.GetResult(0)->FixType, ftStatus);
  EXPECT_EQ(shown_, std::vector<std::string>{"Hint"});
}

// The check log lives in "Logs" below the current directory.
class CheckLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_cwd_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("vx_checklog_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
    SetCurrentMachine(std::make_shared<testing::TEmptyMachine>());
  }
  void TearDown() override {
    fs::current_path(old_cwd_);
    fs::remove_all(dir_);
    SetCurrentMachine(nullptr);
  }
  static std::vector<std::string> Lines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      // Behind "dd.mm.yyyy hh:nn:ss - ".
      lines.push_back(line.size() > 22 ? line.substr(22) : line);
    }
    return lines;
  }
  static void Scan(uint8_t options) {
    TScanThread t;
    t.Settings.Options = options;
    t.Steps.BuiltInChecks = [](TScanThread& s) {
      s.Recorder().RecordFinding("Spy", "Program", true, "", "a.exe", "C:\\", ftFile, mtQuarnel, "");
      s.Recorder().RecordRegistryFinding("Reg", "Key", true, TStringList(), "", "\\Software\\Spy\\",
                              kHkeyCurrentUser, TRegView::rv32, ftRegistryKey, mtQuarnel, "x");
    };
    t.Start();
    t.WaitFor();
  }

  fs::path old_cwd_;
  fs::path dir_;
};

TEST_F(CheckLogTest, WithoutALogsFolderTheScanRunsAndWritesNothing) {
  Scan(soLogUse | soDoSpyware);
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(CheckLogTest, OneScanWritesItsLinesInOrder) {
  fs::create_directory("Logs");
  Scan(soLogUse | soDoSpyware);
  std::vector<std::string> lines = Lines("Logs/Checks.log");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "##### check started #####");
  EXPECT_EQ(lines[1], "### Version: 1.6.0");
  EXPECT_EQ(lines[2].rfind("### Date: ", 0), 0u);
  EXPECT_EQ(lines[3], "##### checking bots #####");
  EXPECT_EQ(lines[4], "found: Spy  Program ");
  EXPECT_EQ(lines[5], "found: Reg Key x");
  EXPECT_EQ(lines[6], "##### check finished #####");
}

TEST_F(CheckLogTest, OverwriteKeepsOnlyTheLatestScanAndAppendKeepsBoth) {
  fs::create_directory("Logs");
  Scan(soLogUse);
  Scan(soLogUse);
  EXPECT_EQ(Lines("Logs/Checks.log").size(), 14u);
  Scan(soLogUse | soLogOverwrite);
  EXPECT_EQ(Lines("Logs/Checks.log").size(), 7u);
}

TEST_F(CheckLogTest, LogDetailsNamesTheFileByTheScanStart) {
  fs::create_directory("Logs");
  TScanThread t;
  t.Settings.Options = soLogUse | soLogDetails;
  t.Start();
  t.WaitFor();
  std::string expected = "Checks." + FormatDateTime("yymmdd-hhnn", t.StartTime) + ".log";
  EXPECT_EQ(t.CheckLog.FileName, expected);
  EXPECT_TRUE(fs::exists(fs::path("Logs") / expected));
  EXPECT_FALSE(fs::exists("Logs/Checks.log"));
  EXPECT_EQ(FormatDateTime("yymmdd-hhnn", EncodeDateTime(2026, 12, 9, 14, 5, 0)), "261209-1405");
}

}  // namespace
}  // namespace vx
