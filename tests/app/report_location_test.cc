// Report locations that name a place on the image are written through the
// machine, which refuses writes to a read-only image.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/console.h"
#include "app/entry.h"
#include "platform/machine.h"
#include "support/fixture_image.h"
#include "support/program_folder.h"

namespace vx {
namespace {

std::string RunWithReport(testing::TFixtureImage& image, bool writable) {
  testing::TProgramFolder app;
  app.Write("vexascan.ini", "[Results]\nTextLocation=<$WINDIR>\\Reports\\scan.txt\n");
  std::string out;
  TConsole console(&out, 80);
  TRunEnvironment environment;
  environment.app_dir = app.Dir();
  TOfflineOptions options;
  options.writable = writable;
  environment.machine = image.Open(options);
  EXPECT_EQ(RunVexascan(TCommandLine({"/createtxtreport"}), console, environment), 0);
  SetCurrentMachine(nullptr);
  return out.substr(out.find("o Creating"));
}

TEST(ReportLocationTest, AReadOnlyImageRefusesTheReport) {
  testing::TFixtureImage image;
  EXPECT_EQ(RunWithReport(image, false),
            "o Creating text report at C:\\Windows\\Reports\\scan.txt...\n"
            "o Trying to force outpath path...\n"
            "- Could not create report. Is the path correct, do you have write access?\n");
  EXPECT_FALSE(std::filesystem::exists(image.HostPath("C:\\Windows\\Reports")));
}

TEST(ReportLocationTest, AWritableImageTakesTheReport) {
  testing::TFixtureImage image;
  EXPECT_EQ(RunWithReport(image, true),
            "o Creating text report at C:\\Windows\\Reports\\scan.txt...\n"
            "o Trying to force outpath path...\n");
  EXPECT_TRUE(std::filesystem::is_regular_file(image.HostPath("C:\\Windows\\Reports\\scan.txt")));
}

}  // namespace
}  // namespace vx
