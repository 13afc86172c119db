#include "scan/rule_interpreter.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "extlib/probex_library.h"
#include "match/regex_match.h"
#include "rules/include_codec.h"
#include "rules/rule_file_writer.h"
#include "scan/noop_rule.h"
#include "scan/rule_dispatch.h"
#include "support/include_log.h"
#include "support/temp_dir.h"
#include "support/test_scan.h"

namespace vx {
namespace {

using testing::TScopedIncludeLog;
using testing::TTempDir;
using testing::TTestScan;

// Every line a test family was handed: "Type product [id] p0|p1|...".
std::vector<std::string>* g_calls = nullptr;

void Record(TRuleContext& context, TRuleLine& line) {
  std::string call = line.Type + " " + context.Flow().CurrentProduct + " [" +
                     context.Flow().CurrentRuleID + "]";
  for (int i = 0; i < line.Params.Count(); ++i) call += (i == 0 ? " " : "|") + line.Params[i];
  g_calls->push_back(call);
  if (line.Params.Count() > 0 && line.Params[0] == "boom") throw std::runtime_error("broken rule");
  if (line.Params.Count() > 0 && line.Params[0] == "hit") context.Flow().RuleMatched = true;
}

constexpr std::array kTestRows = std::to_array<TRuleHandlerRow>({
    {"CLSID", Record, TRuleTiming::rtAfterFiles},
    {"DownloadFile", Record, TRuleTiming::rtNowNoProgress},
    {"File", Record},
    {"RegyKey", Record},
});

class RuleInterpreterTest : public ::testing::Test {
 protected:
  RuleInterpreterTest()
      : rows_(MergeRuleHandlers({NoOpRuleRows(), kTestRows})),
        interpreter_(scan_.context, [this](std::string_view type) -> const TRuleHandlerRow* {
          for (const TRuleHandlerRow& row : rows_) {
            if (row.Type == type) return &row;
          }
          return nullptr;
        }) {
    g_calls = &calls_;
    LastRegExprMatch().Clear();
  }
  ~RuleInterpreterTest() override { g_calls = nullptr; }

  void Run(const std::string& text, uint8_t category = mtQuarnel) {
    interpreter_.RunIncludeText(text, "/rules/Spies.main.qri", category);
  }

  TScopedIncludeLog log_;
  TTestScan scan_;
  std::vector<TRuleHandlerRow> rows_;
  TRuleInterpreter interpreter_;
  std::vector<std::string> calls_;
};

TEST_F(RuleInterpreterTest, ProductHeadersIdentifiersAndPadding) {
  Run("// count: 3\r\n"
      "File:\"d\",x\r\n"
      "::  Alpha Bar | adware\r\n"
      "0x0000ABCD:File:only\r\n"
      "// a comment\r\n"
      ":not a header\r\n"
      "no colon here\r\n"
      "::\r\n"
      "RegyKey:\"desc\",HKLM,\\Software\\,Key,,\r\n");
  ASSERT_EQ(calls_.size(), 3u);
  EXPECT_EQ(calls_[0], "File Unknown [759F8BA1] d|x|");
  // The third character of a header is dropped, the entry cut at "|" and
  // trimmed; an explicit identifier needs no checksum; a short line is
  // padded to the type's maximum count.
  EXPECT_EQ(calls_[1], "File Alpha Bar [0000ABCD] only||");
  // "::" alone is no header: the product stays.
  EXPECT_EQ(calls_[2].rfind("RegyKey Alpha Bar [", 0), 0u);
  EXPECT_EQ(calls_[2].substr(calls_[2].find("] ")), "] desc|HKLM|\\Software\\|Key||");
  EXPECT_EQ(scan_.statuses, std::vector<std::string>{"3 Alpha Bar"});
  EXPECT_EQ(scan_.progress, 4);  // one header and three rule lines
}

TEST_F(RuleInterpreterTest, CapturedGroupsAndEnvironmentReferences) {
  LastRegExprMatch().Assign({"whole", "first"});
  Run("File:<$REGMATCH0>,<$REGMATCH1>-<$REGMATCH3>,<$REGMATCH11>\r\n"
      ":: Next\r\n"
      "File:<$REGMATCH0>,<$ENV(NAME)>\r\n");
  ASSERT_EQ(calls_.size(), 2u);
  EXPECT_EQ(calls_[0].substr(calls_[0].find("] ")), "] whole|first-|<$REGMATCH11>");
  // A product header empties the groups; without probex's environment the
  // reference stays as written.
  EXPECT_EQ(calls_[1].substr(calls_[1].find("] ")), "] |<$ENV(NAME)>|");
}

// probex's environment: a NoOp line sets a name, a later line reads it.
TEST_F(RuleInterpreterTest, EnvironmentReferencesThroughProbex) {
  LoadProbexLibrary(std::string(VX_BINARY_DIR) + "/probex.dll",
                    [](const std::string&, const std::string&) {});
  ASSERT_TRUE(ProbexEnvironmentReady());
  Run("NoOp:\"setenv=SPYDIR=C:\\Spy\"\r\n"
      "File:d,<$ENV(SPYDIR)>\\a.dll\r\n"
      "File:d,<$ENV(NOTSET)>\r\n");
  UnloadProbexLibrary();
  ASSERT_EQ(calls_.size(), 2u);
  EXPECT_EQ(calls_[0].substr(calls_[0].find("] ")), "] d|C:\\Spy\\a.dll|");
  EXPECT_EQ(calls_[1].substr(calls_[1].find("] ")), "] d||");
}

TEST_F(RuleInterpreterTest, BuildConditions) {
  struct Case {
    const char* pairs;
    bool evaluated;
  };
  const Case cases[] = {
      {"build=20080604", true},  {"build=20080605", false}, {"build!=20080604", false},
      {"build!=20080605", true}, {"build>=20080101", true}, {"build>=20090101", false},
      {"build>=20080604", true}, {"build<=20090101", true}, {"build<=20080101", false},
      {"build<=20080604", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pairs);
    calls_.clear();
    int32_t before = scan_.progress;
    Run(std::string("File:d,f,\"") + c.pairs + "\"\r\n");
    EXPECT_EQ(calls_.size(), c.evaluated ? 1u : 0u);
    EXPECT_EQ(scan_.progress, before + 1);  // evaluated or not, the line counts
  }
  calls_.clear();
  Run("File:d,f,\"build=20080604,filesize=12\"\r\n");
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].substr(calls_[0].find("] ")), "] d|f|filesize=12");
}

TEST_F(RuleInterpreterTest, ASkipCountSkipsAcrossProductHeadersOnlyWhenTheLineMatched) {
  Run(":: One\r\n"
      "File:hit,f,skipcount=2\r\n"
      ":: Two\r\n"
      "File:skipped-1,f\r\n"
      "File:skipped-2,f\r\n"
      "File:third,f\r\n"
      "File:miss,f,skipcount=1\r\n"
      "File:after-miss,f\r\n");
  ASSERT_EQ(calls_.size(), 4u);
  EXPECT_EQ(calls_[0].substr(calls_[0].find("] ")), "] hit|f|");  // the pair is taken out
  EXPECT_NE(calls_[1].find("third"), std::string::npos);
  EXPECT_NE(calls_[3].find("after-miss"), std::string::npos);
  EXPECT_EQ(scan_.progress, 8);  // skipped lines still count
}

TEST_F(RuleInterpreterTest, NoOpMatchesByItsAdvancedCheck) {
  scan_.advanced_check = [](const std::string& file, const std::string&) {
    return file == "C:\\holds.txt";
  };
  Run("NoOp:\"filename=C:\\holds.txt,filesize>1,skipcount=1\"\r\n"
      "File:skipped,f\r\n"
      "NoOp:\"filename=C:\\fails.txt,skipcount=1\"\r\n"
      "File:kept,f\r\n"
      // With its skip count taken out nothing is left to check: it holds.
      "NoOp:skipcount=1\r\n"
      "File:skipped-too,f\r\n"
      "File:last,f\r\n");
  ASSERT_EQ(scan_.advanced_checks.size(), 2u);
  EXPECT_EQ(scan_.advanced_checks[0], "C:\\holds.txt|filesize>1");
  ASSERT_EQ(calls_.size(), 2u);
  EXPECT_NE(calls_[0].find("kept"), std::string::npos);
  EXPECT_NE(calls_[1].find("last"), std::string::npos);
}

TEST_F(RuleInterpreterTest, ExcludedProductsAreNeitherSplitNorEvaluated) {
  scan_.settings.ExcludedProducts.Add("spy tool");
  Run(":: Spy Tool\r\n"
      "File:a,b\r\n"
      "Unknown:x\r\n"
      ":: Other\r\n"
      "File:c,d\r\n");
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_NE(calls_[0].find("Other"), std::string::npos);
  EXPECT_EQ(scan_.progress, 5);
  EXPECT_EQ(log_.Text(), "");  // the excluded unknown type was never looked at
}

TEST_F(RuleInterpreterTest, AFailingLineGivesANoticeAndTheNextLineRuns) {
  Run(":: Evil\r\n"
      "File:fine,f\r\n"
      "0x00000BAD:File:boom,f\r\n"
      "File:next,f\r\n");
  ASSERT_EQ(calls_.size(), 3u);
  ASSERT_EQ(scan_.error_notices.size(), 1u);
  EXPECT_EQ(scan_.error_notices[0], "Error during check!: Evil [2 - $00000BAD] (broken rule)");
  EXPECT_EQ(scan_.progress, 3);  // the failed line does not count
}

TEST_F(RuleInterpreterTest, UnknownTypesGoToTheIncludeErrorLogAndOneWarningBox) {
  scan_.settings.Options = 0;  // IgnoreQriError off
  Run(":: Prod\r\n"
      "Foo:1\r\n"
      "0x12345678:Bar:\r\n"
      "WinFile:d,f\r\n");
  std::string log = log_.Text();
  EXPECT_NE(log.find(" /rules/Spies.main.qri | Prod (1) [$F771EACE]\r\n"), std::string::npos);
  EXPECT_NE(log.find(" /rules/Spies.main.qri | Prod [$12345678]\r\n"), std::string::npos);
  // A keyword kept in the table without a handler is an unknown type too.
  EXPECT_NE(log.find(" /rules/Spies.main.qri | Prod (d) [$"), std::string::npos);
  EXPECT_EQ(scan_.warning_boxes,
            std::vector<std::string>{"There were problems in the include file "
                                     "/rules/Spies.main.qri\r\nSee 'Include errors.log' for "
                                     "details."});

  scan_.warning_boxes.clear();
  scan_.settings.Options = soIgnoreQriError;
  Run("Foo:1\r\n");
  EXPECT_TRUE(scan_.warning_boxes.empty());
}

TEST_F(RuleInterpreterTest, TypesWhoseFamilyIsMissingAreListedOncePerScan) {
  Run("RegyValue:d,HKLM,k,v\r\nRegyValue:d,HKLM,k,w\r\nIELinks:x\r\n");
  Run("RegyValue:d,HKLM,k,x\r\n");
  EXPECT_EQ(log_.Text(), "");
  EXPECT_TRUE(scan_.warning_boxes.empty());
  EXPECT_EQ(scan_.progress, 4);
  interpreter_.ReportTypesNotScanned();
  interpreter_.ReportTypesNotScanned();
  std::string log = log_.Text();
  EXPECT_NE(log.find("IELinks: 1 rule lines not scanned yet"), std::string::npos);
  EXPECT_NE(log.find("RegyValue: 3 rule lines not scanned yet"), std::string::npos);
  EXPECT_EQ(log.find("RegyValue", log.find("RegyValue") + 1), std::string::npos);
}

TEST_F(RuleInterpreterTest, DeferredLinesAreKeptWithoutProgress) {
  Run(":: Com Spy\r\n"
      "CLSID:{1234},\"a b\"\r\n"
      "DownloadFile:x.exe\r\n");
  EXPECT_EQ(scan_.lists.DeferredLines("CLSID").ToVector(),
            std::vector<std::string>{"\"Com Spy\",{1234},\"a b\","});
  ASSERT_EQ(calls_.size(), 1u);  // DownloadFile is handled now, CLSID later
  EXPECT_EQ(scan_.progress, 1);  // the header alone
  Run("CLSID:{5678}\r\n", mtUsageTracking);
  EXPECT_EQ(scan_.lists.DeferredLines("CLSID").Count(), 1);
  EXPECT_NE(log_.Text().find("CLSID lines run in detection files only; ignored"),
            std::string::npos);
}

TEST_F(RuleInterpreterTest, AllStoredFormsRunTheSameLines) {
  const std::string plain =
      "// count: 2\r\n"
      ":: Alpha\r\n"
      "File:\"Alpha file\",\"<$WINDIR>\\alpha.dll\"\r\n"
      "0x0000ABCD:RegyKey:\"Alpha\",HKLM,\"Software\\Alpha\",Key\r\n";
  TTempDir dir;
  const std::pair<const char*, std::string> forms[] = {
      {"plain.qri", plain},
      {"scrambled.qri", EncodeRuleText(plain, TLineForm::lfScrambled)},
      {"encrypted.qri", EncodeRuleText(plain, TLineForm::lfEncrypted)},
      {"container.qri", PackContainer(plain)},
  };
  std::vector<std::string> first;
  for (const auto& [name, bytes] : forms) {
    SCOPED_TRACE(name);
    calls_.clear();
    dir.Write(name, bytes);
    interpreter_.RunIncludeFile(dir / name, mtQuarnel);
    ASSERT_EQ(calls_.size(), 2u);
    if (first.empty()) first = calls_;
    EXPECT_EQ(calls_, first);
  }
  EXPECT_EQ(first[1].substr(0, first[1].find("] ") + 1), "RegyKey Alpha [0000ABCD]");
}

TEST_F(RuleInterpreterTest, AFileThatCannotBeReadRunsNoLine) {
  TTempDir dir;
  dir.Write("bad.qri", "File:a,b\r\n#%not*base64\r\n");
  interpreter_.RunIncludeFile(dir / "bad.qri", mtQuarnel);
  interpreter_.RunIncludeFile(dir / "missing.qri", mtQuarnel);
  EXPECT_TRUE(calls_.empty());
  EXPECT_TRUE(scan_.error_notices.empty());
}

TEST_F(RuleInterpreterTest, HostileLinesAreBoundedAndLogged) {
  std::string huge = "File:" + std::string(1 << 20, 'x') + "\r\n";
  std::string many = "File:";
  for (int i = 0; i < 10000; ++i) many += "p,";
  many += "\r\n";
  std::string odd = std::string("File:a\0b,\xFF\xFE", 11) + "\r\n";
  Run(huge + many + odd + "::  \r\nFile:nameless,f\r\n");
  ASSERT_EQ(calls_.size(), 3u);
  EXPECT_EQ(std::count(calls_[0].begin(), calls_[0].end(), '|'), 10000);
  EXPECT_NE(calls_[2].find("File  ["), std::string::npos);  // a header without a name
  EXPECT_NE(log_.Text().find(": line 1 holds 1048581 characters, more than a rule line may; dropped"),
            std::string::npos);

  // Millions of empty lines cost no more than their bytes.
  calls_.clear();
  Run(std::string(2'000'000, '\n') + "File:last,f\n");
  EXPECT_EQ(calls_.size(), 1u);
}

}  // namespace
}  // namespace vx
