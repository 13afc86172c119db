// The report switches of the real program: each writes its report beside the
// program, and each report's file section names the program's own files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/program_run.h"
#include "support/run_command.h"

namespace vx {
namespace {

// The demo as the build lays it out: build/demo and build/demo-image.
const std::string kDemoRoot = std::string(VX_BINARY_DIR);

TEST(ReportProgramTest, TheThreeSwitchesWriteTheThreeReports) {
  testing::TInstallation install;
  std::filesystem::copy_file(kDemoRoot + "/demo/vexascan.ini", install.Dir().Path("vexascan.ini"));
  std::filesystem::copy(kDemoRoot + "/demo/Includes", install.Dir().Path("Includes"),
                        std::filesystem::copy_options::recursive);
  testing::TProgramResult result = install.Run(
      {"/image=demo-image", "/createxmlreport", "/createhtmlreport", "/createtxtreport"},
      kDemoRoot);
  EXPECT_EQ(result.exit_code, 0);
  const std::string dir = install.Dir().Dir();
  const std::string expected = "o Creating text report at " + dir + "vexascan.results.txt...\n" +
                               "o Creating html report at " + dir + "vexascan.results.html...\n" +
                               "o Creating xml report at " + dir + "vexascan.results.xml...\n";
  ASSERT_GE(result.output.size(), expected.size());
  EXPECT_EQ(result.output.substr(result.output.size() - expected.size()), expected);

  // The host's program has no ".exe"; it is listed first all the same.
  const std::string text = install.Dir().Read("vexascan.results.txt");
  const size_t section =
      text.find("\r\n--- Quarnel version: 1.5  CLE (build: 20080525) ---\r\n\r\n");
  ASSERT_NE(section, std::string::npos) << text;
  size_t at = section;
  for (const char* name : {" vexascan\r\n", " kitlib.dll\r\n", " probex.dll\r\n"}) {
    at = text.find(name, at);
    EXPECT_NE(at, std::string::npos) << name << text.substr(section);
  }
  EXPECT_NE(install.Dir().Read("vexascan.results.html").find(">vexascan</td>"), std::string::npos);
  const std::string xml = install.Dir().Read("vexascan.results.xml");
  EXPECT_NE(xml.find("<location>vexascan</location>"), std::string::npos);
  if (testing::RunCommand("command -v xmllint >/dev/null 2>&1").code == 0) {
    const testing::TCommandResult check =
        testing::RunCommand("xmllint --noout '" + install.Dir().Path("vexascan.results.xml") +
                            "' 2>&1");
    EXPECT_EQ(check.code, 0) << check.out;
  }
}

}  // namespace
}  // namespace vx
