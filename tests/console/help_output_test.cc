// Runs the real program and compares its bytes.
#include <gtest/gtest.h>

#include "support/run_command.h"

#include <array>
#include <cstdio>
#include <string>

namespace {

using TRun = vx::testing::TCommandResult;

TRun RunVexascan(const std::string& env_and_args) {
  return vx::testing::RunCommand("cd " VX_BINARY_DIR " && " + env_and_args + " 2>&1");
}

const char kHelp80[] =
    "                         [ Quarnel CLE Scan v1.6.0.27 ]                         \n"
    "                    (c) Orvane Limited. All rights reserved.                    \n"
    "\n"
    "Available command line parameters are:\n"
    "\n"
    "/help              - shows this help screen.\n"
    "/pathhelp          - shows help for possible path constants.\n"
    "\n"
    "/createtxtreport   - creates a text report after finishing the scan.\n"
    "/createxmlreport   - creates a XML report after finishing the scan.\n"
    "/createhtmlreport  - creates a HTML report after finishing the scan.\n"
    "/createproductlist - creates a XML file containing all targetted threats.\n"
    "                 ... optionally using filenames specified in vexascan.ini.\n"
    "\n"
    "/fixall            - fixes all results after the scan.\n"
    "/fixcustom         - allows choosing what to fix after the scan.\n"
    "/nobackups         - don't create backups of fixed stuff.\n"
    "/noshredding       - don't shred stuff that is being removed.\n"
    "\n"
    "/singleproductscan - scans (and optionally fixes) just one specific product.\n"
    "/multiproductscan  - scans (and optionally fixes) just specific products.\n"
    "                 ... using product name(s) specified in vexascan.ini.\n"
    "/allhives          - scans registry and files from inactive installations as well.\n"
    "\n"
    "Fixing problems is not available in this version!\n";

TEST(HelpOutputTest, HelpIsPrintedByteForByteWithAnySwitchSpelling) {
  for (const char* args : {"/help", "-HELP", "/Help /pathhelp /createproductlist", "x -help"}) {
    TRun run = RunVexascan(std::string("COLUMNS=80 ./vexascan ") + args);
    EXPECT_EQ(run.code, 0) << args;
    ASSERT_GE(run.out.size(), sizeof kHelp80 - 1) << args;
    EXPECT_EQ(run.out.substr(0, sizeof kHelp80 - 1), kHelp80) << args;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << "escape sequence in a pipe";
  }
}

TEST(HelpOutputTest, BannerLinesFollowTheScreenWidth) {
  for (int width : {40, 60, 120}) {
    TRun run = RunVexascan("COLUMNS=" + std::to_string(width) + " ./vexascan /help");
    size_t first = run.out.find('\n');
    size_t second = run.out.find('\n', first + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(first, static_cast<size_t>(width));
    EXPECT_EQ(second - first - 1, static_cast<size_t>(width));
  }
}

}  // namespace
