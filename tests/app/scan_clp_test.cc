#include "app/scan_clp.h"

#include <gtest/gtest.h>

#include <string>

#include "app/console.h"
#include "rules/include_file_manager.h"
#include "scan/scan_thread.h"

namespace vx {
namespace {

class ReporterTest : public ::testing::Test {
 protected:
  explicit ReporterTest(int width = 80) : console_(&out_, width) {}

  TMyScanResult* Result(TQuarnelMainType type, const std::string& product,
                        const std::string& usage) {
    TMyScanResult* r = thread_.Results.AddResult();
    r->MainType = type;
    r->Product = product;
    r->Usage = usage;
    return r;
  }
  static std::string Padded(std::string text, size_t width) {
    text.resize(width - 1, ' ');
    return text + "\n";
  }

  std::string out_;
  TConsole console_;
  TIncludeFileManager includes_;
  TAppDirectories dirs_;
  TScanThread thread_;
  TScanCLPClass reporter_{console_, includes_, dirs_};
};

TEST_F(ReporterTest, FindingLinesByMainType) {
  reporter_.OnFinding(thread_, *Result(mtStatus, "Hint of the Day", "ignored"));
  reporter_.OnFinding(thread_, *Result(mtQuarnel, "Spy", "Program"));
  reporter_.OnFinding(thread_, *Result(mtUsageTracking, "Recent", "Files"));
  reporter_.OnFinding(thread_, *Result(mtSystemInternals, "Internals", "Info"));
  EXPECT_EQ(out_, Padded("\ro Hint of the Day", 80) + Padded("\r+ found Spy: Program", 80) +
                      Padded("\r+ found Recent: Files", 80) + "6 Internals Info\n");
}

TEST_F(ReporterTest, ProgressDrawsEveryTenthPositionWithTheProductNameIn24Columns) {
  thread_.Flow.CurrentProduct = "A product name longer than 24 characters";
  for (int position : {0, 5, 10, 15, 20, 23}) reporter_.OnProgress(thread_, 0, position, 40);
  reporter_.OnProgress(thread_, 1, 30, 40);
  thread_.Flow.CurrentProduct = "Short";
  reporter_.OnProgress(thread_, 0, 40, 40);
  reporter_.OnProgress(thread_, 0, 0, 0);
  const std::string name = "A product name longer th";
  std::string expected;
  expected += "\r" + DrawProgressBar(0, 40, 40) + "     0/    40 " + name;
  expected += "\r" + DrawProgressBar(10, 40, 40) + "    10/    40 " + name;
  expected += "\r" + DrawProgressBar(20, 40, 40) + "    20/    40 " + name;
  expected += "\r[" + std::string(38, '#') + "]    40/    40 Short                   ";
  expected += "\r[" + std::string(38, '.') + "]     0/     0 Short                   ";
  EXPECT_EQ(out_, expected);
}

TEST_F(ReporterTest, SectionStateAndStatusLines) {
  reporter_.OnSectionTime(thread_, "", EncodeTime(0, 1, 5, 0));
  reporter_.OnSectionTime(thread_, "Spies.qri", EncodeTime(1, 0, 0, 0));
  reporter_.OnStateChange(thread_, 4);
  reporter_.OnStateChange(thread_, 9);
  reporter_.OnStatus(thread_, 3, "ignored");
  EXPECT_EQ(out_, Padded("\ro Unspecified took 00:01:05", 80) +
                      Padded("\ro Spies.qri took 01:00:00", 80) + "o Scanning spyware...\n");
}

TEST_F(ReporterTest, SummaryFollowsTheOptions) {
  struct Case {
    uint8_t options;
    bool spyware, tracks;
    const char* expected;
  };
  const Case cases[] = {
      {soDoSpyware | soDoTracks, true, true, "- Spyware was found!\n- Usage tracks were found!\n"},
      {0, true, true, "+ No spyware found.\n+ No usage tracks found.\n"},
      {soDoSpyware, false, true, "+ No spyware found.\n+ No usage tracks found.\n"},
  };
  for (const Case& c : cases) {
    out_.clear();
    thread_.Settings.Options = c.options;
    reporter_.OnSummary(thread_, c.spyware, c.tracks);
    EXPECT_EQ(out_, c.expected);
  }
}

TEST_F(ReporterTest, ProductFilterAcceptsExactlyTheProductsNotExcluded) {
  thread_.Settings.ExcludedProducts.Add("Spy");
  bool accept = true;
  reporter_.OnProductFilter(thread_, *Result(mtQuarnel, "SPY", ""), accept);
  EXPECT_FALSE(accept);
  reporter_.OnProductFilter(thread_, *Result(mtQuarnel, "Other", ""), accept);
  EXPECT_TRUE(accept);
  EXPECT_EQ(out_, "");
}

class NarrowReporterTest : public ReporterTest {
 protected:
  NarrowReporterTest() : ReporterTest(30) {}
};

TEST_F(NarrowReporterTest, ANarrowConsoleGetsNoBarAndNoWrappedProgressLine) {
  thread_.Flow.CurrentProduct = "Product";
  reporter_.OnProgress(thread_, 0, 10, 100);
  EXPECT_EQ(out_, "\r    10/   100 Product        ");
  EXPECT_EQ(out_.size(), 30u);  // "\r" and the width less one
}

}  // namespace
}  // namespace vx
