// The HTML report opened by a real browser and the XML report read by a real
// XML parser, over the fixed findings of support/report_findings.h with their
// hostile texts. scripts/setup.sh installs both programs; where one is
// missing its test is skipped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/report_findings.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace vx {
namespace {

using testing::RunCommand;

bool HasProgram(const std::string& name) {
  return RunCommand("command -v " + name + " >/dev/null 2>&1").code == 0;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

size_t CountOf(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class ReportReadersTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::AddReportFindings(&list_); }
  // Saves the report of `format` and gives its path.
  std::string Save(int format, const std::string& name) {
    out_.Write(name, scene_.Saved(format));
    return out_.Path(name);
  }

  testing::TReportScene scene_;
  TMyScanResultsList& list_ = scene_.list;
  testing::TTempDir out_;
};

TEST_F(ReportReadersTest, ABrowserShowsOneRowPairPerFinding) {
  if (!HasProgram("chromium")) GTEST_SKIP() << "chromium is not installed (scripts/setup.sh)";
  const std::string html = Save(2, "report.html");
  // A finding whose markup became a script that calls alert() would hold the
  // page open: the time limit turns that into a failure.
  const testing::TCommandResult dom = RunCommand(
      "timeout 30 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
      "--disable-background-networking --disable-component-update --disable-sync "
      "--user-data-dir=" + out_.Path("profile") + " --dump-dom 'file://" + html + "' 2>/dev/null");
  ASSERT_EQ(dom.code, 0);
  ASSERT_NE(dom.out.find("<title>Search results from Quarnel</title>"), std::string::npos)
      << dom.out;
  EXPECT_EQ(dom.out.find("<script"), std::string::npos) << "markup of a finding became an element";

  const size_t table_end = dom.out.find("</table>");
  ASSERT_NE(table_end, std::string::npos);
  std::vector<std::string> rows;  // the findings table's rows, the heading first
  for (size_t at = dom.out.find("<tr>"); at < table_end; at = dom.out.find("<tr>", at + 1)) {
    rows.push_back(dom.out.substr(at, dom.out.find("</tr>", at) - at));
  }
  ASSERT_EQ(rows.size(), 1 + 2 * static_cast<size_t>(list_.Count()));
  for (int i = 0; i < list_.Count(); ++i) {
    const std::string& head = rows[1 + 2 * i];
    const std::string& detail = rows[2 + 2 * i];
    EXPECT_EQ(CountOf(head, "<td "), 2u) << i;
    EXPECT_EQ(CountOf(detail, "<td "), 2u) << i;
    EXPECT_NE(head.find(i % 2 == 0 ? "class=\"c1\"" : "class=\"c2\""), std::string::npos) << i;
  }
  // The browser's own serialisation of what it shows: the hostile product as
  // text, and the location's characters decoded (UTF-8 here) with the
  // visible escapes standing for the rest.
  const std::string& hostile = rows[rows.size() - 2];
  EXPECT_NE(hostile.find("<b>&lt;script&gt;alert(\"x\")&lt;/script&gt; &amp; Co's:</b>"),
            std::string::npos)
      << hostile;
  EXPECT_NE(rows.back().find("\\Software\\Caf\xC3\xA9 \xE2\x82\xAC\\x81\\x8D\\x8F\\x90\\x9D\\Run"
                             "\\x01\\x1B[2J\\x7F\tend\\x00!</td>"),
            std::string::npos)
      << rows.back();
  // Seven program files: a row each below the heading of the second table.
  EXPECT_EQ(CountOf(dom.out.substr(table_end), "<tr>"), 1u + 7u);
}

TEST_F(ReportReadersTest, AnXmlParserReadsEveryFinding) {
  if (!HasProgram("xmllint")) GTEST_SKIP() << "xmllint is not installed (scripts/setup.sh)";
  const std::string xml = Save(3, "report.xml");
  const testing::TCommandResult check = RunCommand("xmllint --noout '" + xml + "' 2>&1");
  ASSERT_EQ(check.code, 0) << check.out;
  ASSERT_EQ(check.out, "");

  // One XPath call reads every finding's fields, each followed by "|", and
  // ends every finding with "#".
  std::string expression = "concat(count(/xml_quarnel_results/update_file), '#'";
  for (int i = 1; i <= list_.Count(); ++i) {
    const std::string result = "/xml_quarnel_results/result[" + std::to_string(i) + "]";
    for (const char* field : {"/@index", "/@class", "/fixtype/@int", "/product", "/description",
                              "/location"}) {
      expression += ", " + result + field + ", '|'";
    }
    expression += ", '#'";
  }
  expression += ", count(/xml_quarnel_results/result))";
  testing::TCommandResult read =
      RunCommand("xmllint --xpath \"" + expression + "\" '" + xml + "' 2>&1");
  ASSERT_EQ(read.code, 0) << read.out;
  if (!read.out.empty() && read.out.back() == '\n') read.out.pop_back();

  const std::vector<std::string> records = Split(read.out, '#');
  ASSERT_EQ(records.size(), 2 + static_cast<size_t>(list_.Count())) << read.out;
  EXPECT_EQ(records.front(), "7");  // the program files
  EXPECT_EQ(records.back(), std::to_string(list_.Count()));
  for (int i = 0; i < list_.Count(); ++i) {
    const TMyScanResult& r = *list_.GetResult(i);
    const std::vector<std::string> fields = Split(records[1 + i], '|');
    ASSERT_EQ(fields.size(), 7u) << records[1 + i];
    EXPECT_EQ(fields[0], std::to_string(i));
    EXPECT_EQ(fields[1], std::to_string(r.MainType)) << i;
    EXPECT_EQ(fields[2], std::to_string(r.FixType)) << i;
    EXPECT_EQ(fields[3], r.Product) << i;
    EXPECT_NE(fields[4].find(r.Usage.substr(0, r.Usage.find('\r'))), std::string::npos) << i;
  }
  // The hostile finding as the parser gives it back: markup and quotes as
  // text, the CR LF as one line feed, the visible escapes, and the characters
  // of Windows-1252 (in UTF-8 here).
  const std::vector<std::string> hostile = Split(records[list_.Count()], '|');
  EXPECT_EQ(hostile[4], "[QRI $9<9>] Says \"hi\" & <b>bye</b>\nsecond line");
  EXPECT_EQ(hostile[5],
            "HKEY_CURRENT_USER\\Software\\Caf\xC3\xA9 \xE2\x82\xAC\\x81\\x8D\\x8F\\x90\\x9D\\Run"
            "\\x01\\x1B[2J\\x7F\tend\\x00!");
}

}  // namespace
}  // namespace vx
