#include "app/entry.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/help_text.h"
#include "support/empty_machine.h"
#include "support/program_folder.h"
#include "support/recording_notifier.h"

namespace vx {
namespace {

using testing::TEmptyMachine;
using testing::TRecordingNotifier;
using testing::TProgramFolder;

constexpr int kWidth = 80;

std::string Banner() {
  std::string out;
  TConsole console(&out, kWidth);
  WriteProgramBanner(console);
  return out;
}

// A line the reporter pads to the width less one, the "\r" counted.
std::string Padded(std::string text) {
  text.resize(kWidth - 1, ' ');
  return text + "\n";
}

// A program folder with the two companion files present (as placeholders
// that do not load, so every library call takes its fallback).
class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override { machine_ = std::make_shared<TEmptyMachine>(); }
  void TearDown() override { SetCurrentMachine(nullptr); }

  int Run(std::vector<std::string> args, TScanSteps steps = {}) {
    out_.clear();
    TConsole console(&out_, kWidth);
    TRunEnvironment environment;
    environment.app_dir = app_.Dir();
    environment.machine = machine_;
    environment.steps = steps;
    environment.notifier = &notifier_;
    TCommandLine command_line(std::move(args));
    SetProcessCommandLine(command_line);
    int code = RunVexascan(command_line, console, environment);
    SetProcessCommandLine(TCommandLine());
    return code;
  }

  // The lines after the banner.
  std::string Body() const {
    std::string banner = Banner();
    EXPECT_EQ(out_.substr(0, banner.size()), banner);
    return out_.substr(banner.size());
  }

  TProgramFolder app_;
  std::shared_ptr<TEmptyMachine> machine_;
  TRecordingNotifier notifier_;
  std::string out_;
};

const std::string kScanTail =
    "o Scan finished.\n";
const std::string kClosing =
    "o the scan took 00:00:00\no Fixing is not allowed in the special version.\n";

TEST_F(EntryTest, HelpWinsOverEverythingAndAcceptsMinusAndAnyCase) {
  std::string help;
  {
    TConsole console(&help, kWidth);
    WriteHelp(console);
  }
  for (auto args : std::vector<std::vector<std::string>>{
           {"-HELP"}, {"/help"}, {"/createproductlist", "/Help", "/pathhelp", "/allhives"}}) {
    EXPECT_EQ(Run(args), 0);
    EXPECT_EQ(Body(), help);
  }
}

TEST_F(EntryTest, PathHelpRunsBeforeTheProductList) {
  EXPECT_EQ(Run({"/createproductlist", "/pathhelp"}), 0);
  EXPECT_EQ(out_.find("productlist"), std::string::npos);
  EXPECT_EQ(out_.find("Scan finished"), std::string::npos);
}

TEST_F(EntryTest, EachMissingLibraryEndsWithCodeTwo) {
  std::filesystem::remove(app_.Path("kitlib.dll"));
  EXPECT_EQ(Run({}), 2);
  EXPECT_EQ(Body(), "! kitlib.dll missing, exiting!\n");
  std::filesystem::remove(app_.Path("probex.dll"));
  EXPECT_EQ(Run({}), 2);
  EXPECT_EQ(Body(), "! probex.dll missing, exiting!\n");
}

TEST_F(EntryTest, WithoutAnImageTheRunSaysHowToNameOne) {
  out_.clear();
  TConsole console(&out_, kWidth);
  TRunEnvironment environment;
  environment.app_dir = app_.Dir();
  EXPECT_EQ(RunVexascan(TCommandLine({"/createtxtreport"}), console, environment), 2);
  EXPECT_EQ(Body(),
            "! No Windows installation named: give its system volume with /image=DIR (see "
            "/help).\n");
  EXPECT_EQ(RunVexascan(TCommandLine({"/drive=Q"}), console, environment), 2);
}

TEST_F(EntryTest, AllHivesIsHonouredOnlyWithASlash) {
  const std::string line = "o No inactive Windows installation found beside the image.\n";
  Run({"-allhives"});
  EXPECT_EQ(out_.find(line), std::string::npos);
  Run({"/ALLHIVES"});
  EXPECT_EQ(Body().substr(0, line.size()), line);
}

TEST_F(EntryTest, AQuietScanWithDefaultSettings) {
  EXPECT_EQ(Run({}), 0);
  EXPECT_EQ(Body(), "o Unknown.\n" + Padded("\ro Hint of the Day") + "o Scanning spyware...\n" +
                        Padded("\ro Quarnel took 00:00:00") + Padded("\ro Congratulations!") +
                        kScanTail + "+ No spyware found.\n+ No usage tracks found.\n" + kClosing);
  // The companion placeholders do not load: one notice at the scan's start.
  ASSERT_EQ(notifier_.warnings.size(), 1u);
  EXPECT_EQ(notifier_.warnings[0].text, "Could not load library " + app_.Dir() + "probex.dll");
  EXPECT_EQ(notifier_.warnings[0].caption, "AdvancedCheck failed");
}

// Findings reach the console through the seam the rule families use.
TScanSteps StepsWithFindings() {
  TScanSteps steps;
  steps.BuiltInChecks = [](TScanThread& t) {
    t.Flow.CurrentProduct = "An Adware Product With A Long Name";
    t.AdvanceProgress(10);
    t.Recorder().RecordFinding("Adware", "<$FILE_EXE>", true, "", "ad.exe", "C:\\Ad\\", ftFile, mtQuarnel,
                    "");
    t.AdvanceProgress(5);
    t.Recorder().RecordRegistryFinding("Tracks", "History", true, TStringList(), "",
                            "\\Software\\MRU\\", kHkeyCurrentUser, TRegView::rv32, ftRegistryKey,
                            mtUsageTracking, "3 files");
    t.Recorder().RecordFinding("Internals", "Info", false, "", "", "", ftUnknown, mtSystemInternals, "");
    t.Recorder().AddNotice("A notice", "text", srsStatus);
  };
  return steps;
}

TEST_F(EntryTest, FindingsOfEveryMainTypeWithTracksOnAndOff) {
  struct Case {
    const char* ini;
    std::string summary;
    std::string congratulations;
    std::string tracks_part;
  };
  const Case cases[] = {
      {"[Main]\n", "- Spyware was found!\n+ No usage tracks found.\n", "", ""},
      {"[Main]\nDoTracks=1\n", "- Spyware was found!\n- Usage tracks were found!\n", "",
       "o Scanning usage tracks...\n" + Padded("\ro Usage Tracking took 00:00:00")},
      {"[Main]\nDoSpyware=0\nDoTracks=1\n", "+ No spyware found.\n- Usage tracks were found!\n", "",
       "o Scanning usage tracks...\n" + Padded("\ro Usage Tracking took 00:00:00")},
  };
  for (const Case& c : cases) {
    app_.Write("vexascan.ini", c.ini);
    EXPECT_EQ(Run({}, StepsWithFindings()), 0) << c.ini;
    std::string bar = "\r" + DrawProgressBar(10, 29, 40) + "    10/    29 " +
                      "An Adware Product With A";
    EXPECT_EQ(Body(), "o Unknown.\n" + Padded("\ro Hint of the Day") +
                          "o Scanning spyware...\n" + bar +
                          Padded("\r+ found Adware:  Executable") +
                          Padded("\r+ found Tracks: History") + "6 Internals Info\n" +
                          Padded("\ro A notice") + Padded("\ro Quarnel took 00:00:00") +
                          c.tracks_part + c.congratulations + kScanTail + c.summary + kClosing)
        << c.ini;
  }
}

// The include files named in [Filesets] run in registration order, each
// with its own section line; a stand-in interpreter advances the progress by
// the announced count and reports one finding per file.
TEST_F(EntryTest, IncludeFilesChosenBySettingsRunWithTheirSectionLines) {
  app_.Write("Includes/adware.qri", "// count: 20\n\n:: Adware\n");
  app_.Write("Includes/zzz.qri", "// count: 500\n\n:: Unchosen\n");
  app_.Write("Includes/history.uti", "// count: 10\n\n:: History\n");
  app_.Write("vexascan.ini", "[Main]\nDoTracks=1\n[Filesets]\nadware.qri=1\nhistory.uti=1\n");
  TScanSteps steps;
  steps.InterpretIncludeFile = [](TScanThread& t, const std::string& file, int category) {
    bool tracks = category == mtUsageTracking;
    t.Flow.CurrentIncludeFile = file;
    t.Flow.CurrentProduct = tracks ? "History" : "Adware";
    t.AdvanceProgress(tracks ? 10 : 20);
    t.Recorder().RecordFinding(t.Flow.CurrentProduct, "found by " + t.Flow.SourceName(), true, "", "", "",
                    ftUnknown, tracks ? mtUsageTracking : mtQuarnel, "");
    return EncodeTime(0, 0, 2, 0);
  };
  EXPECT_EQ(Run({}, steps), 0);
  std::string name = "Adware";
  name.resize(24, ' ');
  std::string tracks_name = "History";
  tracks_name.resize(24, ' ');
  EXPECT_EQ(Body(), "o Unknown.\n" + Padded("\ro Hint of the Day") + "o Scanning spyware...\n" +
                        "\r" + DrawProgressBar(20, 59, 40) + "    20/    59 " + name +
                        Padded("\r+ found Adware: found by adware") +
                        Padded("\ro adware.qri took 00:00:02") +
                        Padded("\ro Quarnel took 00:00:00") + "o Scanning usage tracks...\n" +
                        "\r" + DrawProgressBar(30, 59, 40) + "    30/    59 " + tracks_name +
                        Padded("\r+ found History: found by history") +
                        Padded("\ro history.uti took 00:00:02") +
                        Padded("\ro Usage Tracking took 00:00:00") + kScanTail +
                        "- Spyware was found!\n- Usage tracks were found!\n" + kClosing);
}

// A scan that ends by an error never sets its end time; the elapsed time is
// then measured up to now rather than from a zero end time.
TEST_F(EntryTest, AScanEndedByAnErrorStillReportsItsTime) {
  TScanSteps steps;
  steps.ServiceCheck = [](TScanThread&) { throw std::runtime_error("damaged service list"); };
  EXPECT_EQ(Run({}, steps), 0);
  EXPECT_EQ(Body(), "o Unknown.\n" + Padded("\ro Hint of the Day") + kClosing);
  ASSERT_EQ(notifier_.event_log.size(), 1u);
  EXPECT_NE(notifier_.event_log[0].text.find("Exception: damaged service list"),
            std::string::npos);
}

TEST_F(EntryTest, ReportsAreTriedInOrderAndAFailureDoesNotStopTheNext) {
  // A text location below a file cannot be made.
  const std::string text_file = app_.Dir() + "probex.dll/r.txt";
  app_.Write("vexascan.ini", "[Results]\nTextLocation=" + text_file + "\n");
  EXPECT_EQ(Run({"/createxmlreport", "/createtxtreport"}, StepsWithFindings()), 0);
  std::string body = Body();
  std::string expected_reports =
      "o Creating text report at " + text_file + "...\n" + "o Trying to force outpath path...\n" +
      "- Could not create report. Is the path correct, do you have write access?\n" +
      "o Creating xml report at " + app_.Dir() + "vexascan.results.xml...\n";
  ASSERT_GE(body.size(), expected_reports.size());
  EXPECT_EQ(body.substr(body.size() - expected_reports.size()), expected_reports);
  std::string xml = app_.Read("vexascan.results.xml");
  EXPECT_NE(xml.find("  <product>Adware</product>\r\n"), std::string::npos);
  EXPECT_EQ(xml.substr(xml.size() - 24), "</xml_quarnel_results>\r\n");
}

TEST_F(EntryTest, AMissingReportFolderIsCreatedFirst) {
  app_.Write("vexascan.ini", "[Results]\nHTMLLocation=" + app_.Dir() + "out/deeper/r.html\n");
  EXPECT_EQ(Run({"/createhtmlreport"}), 0);
  std::string expected = "o Creating html report at " + app_.Dir() + "out/deeper/r.html...\n" +
                         "o Trying to force outpath path...\n";
  EXPECT_EQ(Body().substr(Body().size() - expected.size()), expected);
  EXPECT_NE(app_.Read("out/deeper/r.html").find("</html>\r\n"), std::string::npos);
}

TEST_F(EntryTest, ProductSelection) {
  app_.Write("Includes/one.qri", "// count: 3\n\n:: Alpha|info\n:: Beta\n");
  app_.Write("Includes/two.qri", ":: Beta\n");
  // No key: the default name is unknown.
  EXPECT_EQ(Run({"/singleproductscan"}), 1);
  EXPECT_EQ(Body(),
            "- Unknown product (NopeDiDopeDiesGibettNich) specified in "
            "vexascan.ini:[Scan]:SingleProductScan!\n");
  app_.Write("vexascan.ini", "[ScanMultiEntries]\na=Alpha\nb=Alpha\n");
  EXPECT_EQ(Run({"-MultiProductScan"}), 1);
  EXPECT_EQ(Body(), "- Unknown product (Alpha) specified in vexascan.ini:[ScanMultiEntries]!\n");

  // A selected product's findings are kept, every other product's dropped.
  app_.Write("vexascan.ini", "[Scan]\nSingleProductScan=alpha\n");
  TScanSteps steps;
  steps.BuiltInChecks = [](TScanThread& t) {
    t.Recorder().RecordFinding("Alpha", "a", true, "", "", "", ftFile, mtQuarnel, "");
    t.Recorder().RecordFinding("Beta", "b", true, "", "", "", ftFile, mtQuarnel, "");
  };
  EXPECT_EQ(Run({"/singleproductscan"}, steps), 0);
  EXPECT_NE(out_.find("+ found Alpha:  a"), std::string::npos);
  EXPECT_EQ(out_.find("+ found Beta"), std::string::npos);

  app_.Write("vexascan.ini", "");
  app_.Write("vexascan.products.qre", "Alpha\r\n");
  EXPECT_EQ(Run({}, steps), 0);
  EXPECT_EQ(out_.find("+ found Alpha"), std::string::npos);
  EXPECT_NE(out_.find("+ found Beta:  b"), std::string::npos);
}

}  // namespace
}  // namespace vx
