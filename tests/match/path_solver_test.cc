// The solver over a table filled by hand; building the table from a machine
// is tested in path_variable_build_test.cc.
#include <gtest/gtest.h>

#include <string>

#include "support/include_log.h"
#include "match/path_variable_table.h"
#include "match/path_variables.h"

namespace vx {
namespace {

class PathSolverTest : public ::testing::Test {
 protected:
  void SetUp() override { PathVariableTable().Clear(); }
  void TearDown() override { FreePathVariableTables(); }

  // Appends the entries and collects them into the value sets, as a build
  // pass does.
  void Pass(std::initializer_list<std::pair<const char*, const char*>> entries) {
    for (const auto& [name, value] : entries) PathVariableTable().Append(name, value);
    PathVariableTable().CollectValues();
  }

  static std::vector<std::string> All(std::string_view text) {
    TStringList list;
    SolvePathAll(text, &list);
    return list.ToVector();
  }
};

TEST_F(PathSolverTest, SolvePathReplacesByTheLastEntry) {
  Pass({{"<$WINDIR>", "C:\\Windows"}, {"<$PROGRAMFILES>", "C:\\Program Files"}});
  Pass({{"<$PROGRAMFILES>", "C:\\Program Files (x86)"}});
  struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"<$PROGRAMFILES>\\App", "C:\\Program Files (x86)\\App"},
      {"<$windir>\\x", "<$windir>\\x"},  // found only as written in upper case
      {"<$windir>;<$WINDIR>", "C:\\Windows;C:\\Windows"},  // then replaced in any case
      {"<$UNKNOWN>\\<$WINDIR>", "<$UNKNOWN>\\C:\\Windows"},
      {"no variables", "no variables"},
      {"<regexpr><$WINDIR>\\\\a\\.exe", "<regexpr>C:\\\\Windows\\\\a\\.exe"},
      {"Name=<regexpr><$PROGRAMFILES>", "Name=<regexpr>C:\\\\Program Files \\(x86\\)"},
      {"x<regexpr><$WINDIR>", "x<regexpr>C:\\Windows"},  // the prefix must lead
  };
  for (const auto& c : cases) EXPECT_EQ(SolvePath(c.text), c.expected) << c.text;
}

TEST_F(PathSolverTest, SolvePathAllGivesEveryCombination) {
  Pass({{"<$WINDIR>", "C:\\Windows"}, {"<$PROGRAMFILES>", "C:\\Program Files"}});
  Pass({{"<$PROGRAMFILES>", "C:\\Program Files (x86)"}, {"<$LOCALSETTINGS>", ""}});
  EXPECT_EQ(All("<$PROGRAMFILES>\\a"),
            (std::vector<std::string>{"C:\\Program Files\\a", "C:\\Program Files (x86)\\a"}));
  EXPECT_EQ(All("<$PROGRAMFILES>|<$PROGRAMFILES>"),
            // The newest entry is expanded first, so the later values come first.
            (std::vector<std::string>{
                "C:\\Program Files (x86)|C:\\Program Files",
                "C:\\Program Files (x86)|C:\\Program Files (x86)",
                "C:\\Program Files|C:\\Program Files", "C:\\Program Files|C:\\Program Files (x86)"}));
  EXPECT_EQ(All("plain"), std::vector<std::string>{"plain"});
  EXPECT_EQ(All("<$LOCALSETTINGS>x"), std::vector<std::string>{"x"});
  EXPECT_EQ(All("<regexpr><$WINDIR>\\\\"), std::vector<std::string>{"<regexpr>C:\\\\Windows\\\\"});
}

TEST_F(PathSolverTest, SolvePathAllIsCapped) {
  testing::TScopedIncludeLog log;
  std::string text;
  for (int i = 0; i < 12; ++i) {
    std::string name = "<$V" + std::to_string(i) + ">";
    PathVariableTable().Append(name, "a");
    PathVariableTable().Append(name, "b");
    text += name;
  }
  PathVariableTable().CollectValues();
  std::vector<std::string> all = All(text);  // 4096 combinations
  ASSERT_EQ(all.size(), static_cast<size_t>(kMaxPathAlternatives));
  for (const std::string& s : all) EXPECT_EQ(s.find("<$"), std::string::npos) << s;
  EXPECT_NE(log.Text().find("more than 1024 alternatives"), std::string::npos) << log.Text();
}

TEST_F(PathSolverTest, SelfNamingValueEnds) {
  testing::TScopedIncludeLog log;
  Pass({{"<$LOOP>", "x<$LOOP>"}});
  std::vector<std::string> all = All("<$LOOP>");
  ASSERT_EQ(all.size(), 1u);
  EXPECT_NE(log.Text().find("do not resolve"), std::string::npos) << log.Text();
}

// A value that names its own variable lengthens the text at every step: the
// texts and their sum stay bounded, whatever the step count would allow.
TEST_F(PathSolverTest, SelfNamingValuesStayBounded) {
  struct {
    size_t filler;
    const char* text;
  } cases[] = {{318, "<$A>"}, {4092, "<$A>"}, {100, "<$A><$A><$A><$A>"}};
  for (const auto& c : cases) {
    testing::TScopedIncludeLog log;
    PathVariableTable().Clear();
    Pass({{"<$A>", ("<$A>" + std::string(c.filler, 'x')).c_str()}, {"<$A>", "y"}});
    std::vector<std::string> all = All(c.text);
    size_t total = 0;
    for (const std::string& s : all) {
      EXPECT_LE(s.size(), kMaxPathTextLength);
      total += s.size();
    }
    EXPECT_LE(total, kMaxPathExpansionBytes) << c.filler;
    EXPECT_FALSE(all.empty()) << c.filler;
    EXPECT_NE(log.Text().find("would grow past"), std::string::npos) << log.Text();
  }
}

// Each entry's value names the one before it many times: replacing in turn
// would multiply the text a hundredfold per entry.
TEST_F(PathSolverTest, SolvePathStopsAGrowingText) {
  testing::TScopedIncludeLog log;
  Pass({{"<$E0>", "0123456789"}});
  for (int i = 1; i < 6; ++i) {
    std::string value;
    for (int k = 0; k < 100; ++k) value += "<$E" + std::to_string(i - 1) + ">";
    Pass({{("<$E" + std::to_string(i) + ">").c_str(), value.c_str()}});
  }
  std::string solved = SolvePath("<$E5>");
  EXPECT_LE(solved.size(), kMaxPathTextLength);
  EXPECT_NE(solved.find("<$E"), std::string::npos);  // what could not be replaced stays
  EXPECT_NE(log.Text().find("would grow it past"), std::string::npos) << log.Text();
  std::string hundred_times;
  for (int k = 0; k < 100; ++k) hundred_times += "0123456789";
  EXPECT_EQ(SolvePath("<$E1>"), hundred_times);  // a text that fits is solved as before
}

TEST(EscapeRegExprTest, Cases) {
  EXPECT_EQ(EscapeRegExpr("C:\\Program Files (x86)\\a.b"), "C:\\\\Program Files \\(x86\\)\\\\a\\.b");
  EXPECT_EQ(EscapeRegExpr("a+b*[c]?"), "a+b*[c]?");  // nothing else is escaped
  EXPECT_EQ(EscapeRegExpr(""), "");
}

TEST(SolveDescriptionTest, Cases) {
  EXPECT_EQ(SolveDescription("<$REG_CLASSID>: x"), "Class ID: x");
  EXPECT_EQ(SolveDescription("<$file_exe>"), "<$file_exe>");
  EXPECT_EQ(SolveDescription("<$FILE_EXE>/<$file_exe>"), "Executable/Executable");
  EXPECT_EQ(SolveDescription("<$FILE_UNINSTALLER> <$API_WINSOCK> <$NOPE>"), "Uninstaller Winsock <$NOPE>");
}

}  // namespace
}  // namespace vx
