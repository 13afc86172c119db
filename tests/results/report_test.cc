#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/small_executable.h"
#include "support/temp_dir.h"
#include "platform/machine.h"
#include "results/file_version.h"
#include "results/scan_result.h"

namespace vx {
namespace {

using testing::BuildSmallExecutable;
using testing::TSmallExecutable;
using testing::TSmallExecutableSpec;
using testing::TTempDir;

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TMyExportParameters& p = list_.ExportParameters;
    p.ProductName = "Quarnel";
    p.ProductVersion = "1.5";
    p.Edition = " CLE";
    p.BuildDate = "20080525";
    p.ProgramPath = program_.Dir();
  }
  std::vector<std::string> Build(int format) {
    TStringList lines;
    list_.BuildReport(&lines, format);
    return lines.ToVector();
  }
  TMyScanResult* Add(TQuarnelMainType type, TQuarnelFixType fix, const std::string& product,
                     const std::string& usage) {
    TMyScanResult* r = list_.AddResult();
    r->MainType = type;
    r->FixType = fix;
    r->Product = product;
    r->Usage = usage;
    return r;
  }

  TTempDir program_;
  TMyScanResultsList list_;
};

TEST_F(ReportTest, AnEmptyTextReportHoldsOnlyTheFileSection) {
  program_.Write("vexascan.exe", "x");
  program_.Write("notes.txt", "x");
  program_.Write("Includes/spies.qri", "x");
  program_.Write("Includes/readme.txt", "x");
  std::vector<std::string> lines = Build(1);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "--- Quarnel version: 1.5  CLE (build: 20080525) ---");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3].substr(10), " vexascan.exe");
  EXPECT_EQ(lines[4].substr(10), " Includes\\spies.qri");
  EXPECT_EQ(lines[5], "");
}

TEST_F(ReportTest, TextFindingLines) {
  TMyScanResult* key = Add(mtQuarnel, ftRegistryKey, "Spy", "Adware.X");
  key->RootKey = kHkeyLocalMachine;
  key->Key = "\\SOFTWARE\\Spy\\";
  key->RuleIDText = "123";
  TMyScanResult* data = Add(mtUsageTracking, ftRegistryValue, "Tracks", "History");
  data->RootKey = kHkeyCurrentUser;
  data->Key = "\\Software\\X\\";
  data->Value = "Run";
  data->Count = " (3 files)";
  data->Status = srsDone;
  data->Infos.Assign({"Action=DataRemove", "RemoveData=spy.exe"});
  Add(mtStatus, ftStatus, "Hint of the Day", "Click");
  TMyScanResult* host = Add(mtQuarnel, ftHostRedirect, "Hijack", "Redirected host");
  host->Key = "search.example";
  host->Value = "10.0.0.1";
  host->Status = srsError;
  std::vector<std::string> lines = Build(1);
  const std::vector<std::string> expected = {
      "Spy: [QRI $123] Adware.X (Registry key, nothing done)",
      "  HKEY_LOCAL_MACHINE\\SOFTWARE\\Spy\\",
      "",
      "Tracks: History  (3 files) (Registry value, fixed)",
      "  HKEY_CURRENT_USER\\Software\\X\\Run=...spy.exe...",
      "",
      "Hint of the Day: Click ()",
      "  ",
      "",
      "Hijack: Redirected host (Redirected host, fixing failed)",
      "  search.example=10.0.0.1",
      "",
  };
  ASSERT_GE(lines.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);
}

TEST_F(ReportTest, XmlStatusAttributesAndRuleIds) {
  TMyScanResult* r = Add(mtQuarnel, ftFile, "Spy", " File");
  r->Path = "C:\\Spy\\";
  r->Filename = "spy.exe";
  r->RuleIDText = "00ABCDEF";
  Add(mtStatus, ftStatus, "Congratulations!", "No immediate threats were found.")->Status =
      srsStatus;
  list_.Duration = 1.0 / 86400 * 61.5;
  std::vector<std::string> lines = Build(3);
  ASSERT_GE(lines.size(), 17u);
  EXPECT_EQ(lines[0].rfind("<?xml version=\"1.0\" encoding=\"windows-1252\"?><xml_quarnel_results "
                           "date=\"",
                           0),
            0u);
  EXPECT_NE(lines[0].find("\" duration=\"00:01:01.500\">"), std::string::npos);
  const std::vector<std::string> expected = {
      "<result class=\"4\" index=\"0\">",
      "  <product>Spy</product>",
      "  <description>[QRI $00ABCDEF]  File</description>",
      "  <fixtype int=\"6\">File</fixtype>",
      "  <location>C:\\Spy\\spy.exe</location>",
      "  <status  done=\"FALSE\" error=\"FALSE\">nothing done</status>",
      "  <ruleid>00ABCDEF</ruleid>",
      "</result>",
      "<result class=\"1\" index=\"1\">",
      "  <product>Congratulations!</product>",
      "  <description>No immediate threats were found.</description>",
      "  <fixtype int=\"1\"></fixtype>",
      "  <location></location>",
      "  <status  done=\"FALSE\" error=\"FALSE\" status=\"TRUE\"></status>",
      "</result>",
  };
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 16), expected);
  EXPECT_EQ(lines[16], "");  // the file section of an empty folder
  EXPECT_EQ(lines.back(), "</xml_quarnel_results>");
}

TEST_F(ReportTest, HtmlRowsAlternateTheirClass) {
  Add(mtQuarnel, ftDirectory, "A", "a")->Path = "C:\\A\\";
  Add(mtQuarnel, ftDirectory, "B", "b")->Path = "C:\\B\\";
  program_.Write("one.dll", "x");
  program_.Write("two.dll", "x");
  std::vector<std::string> lines = Build(2);
  EXPECT_EQ(lines[0], "<!doctype html public \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
  EXPECT_EQ(lines[30], "-->");
  EXPECT_EQ(lines[35].rfind("<h2>", 0), 0u);
  EXPECT_EQ(lines[41], "  <td class=\"c1\" align=\"left\"><b>A:</b> a</td>");
  EXPECT_EQ(lines[46], "  <td class=\"c1\" align=\"right\">nothing done</td>");
  EXPECT_EQ(lines[49], "  <td class=\"c2\" align=\"left\"><b>B:</b> b</td>");
  EXPECT_EQ(lines[53], "  <td class=\"c2\" align=\"left\">C:\\B\\</td>");
  int c1 = 0, c2 = 0;
  for (size_t i = 56; i < lines.size(); ++i) {
    c1 += lines[i].find("<td class=\"c1\" align=\"right\">") != std::string::npos;
    c2 += lines[i].find("<td class=\"c2\" align=\"right\">") != std::string::npos;
  }
  EXPECT_EQ(c1, 1);  // the file rows start again at c1
  EXPECT_EQ(c2, 1);
  EXPECT_EQ(lines[lines.size() - 3], "</table><hr />");
  EXPECT_EQ(lines.back(), "</html>");
}

// The reports name the versions of the program's own files, read from the host.
TEST(FileVersionTest, VersionResourcesAreReadAndAnythingElseHasNone) {
  TTempDir dir;
  TSmallExecutableSpec spec;
  spec.file_version_ms = 0x00010006;
  spec.file_version_ls = 0x0000001B;
  const TSmallExecutable tool = BuildSmallExecutable(spec);
  dir.Write("tool.exe", tool.bytes);
  EXPECT_EQ(GetVersionString(dir.Path("tool.exe")), "1.6.0.27");
  std::string broken = tool.bytes;
  broken[tool.type_entry + 7] = 0;  // the type entry points to data, not to a directory
  dir.Write("broken.exe", broken);
  EXPECT_EQ(GetVersionString(dir.Path("broken.exe")), "");
  dir.Write("cut.exe", tool.bytes.substr(0, tool.data_entry + 8));
  EXPECT_EQ(GetVersionString(dir.Path("cut.exe")), "");
  dir.Write("elf.dll", "\x7f" "ELF and more bytes than sixty-four so that the header is read...");
  EXPECT_EQ(GetVersionString(dir.Path("elf.dll")), "");
  EXPECT_EQ(GetVersionString(dir.Path("missing.exe")), "");
}

}  // namespace
}  // namespace vx
