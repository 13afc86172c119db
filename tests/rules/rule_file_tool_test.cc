#include <gtest/gtest.h>

#include "support/run_command.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/string_list.h"
#include "rules/include_codec.h"
#include "rules/rule_file_writer.h"
#include "rules/rule_lint.h"
#include "support/temp_dir.h"

namespace vx {
namespace {

using testing::ReadBytes;
using testing::TTempDir;
using testing::WriteBytes;

TEST(RuleFileWriterTest, DecodeUndoesEncodeByteForByte) {
  const std::vector<std::string> texts = {
      "",
      "// count: 1\r\n:: P\r\nFile:a,b\r\n",
      "// count: 1\n\n:: P\nFile:a,b",                      // LF, no final line end
      "File:a\r\n##already:x\n#%also:y\n/ comment\n:\n::\n",  // marker-like plain lines
      "\xA9 caf\xE9:\x01\x02\xff\r\n\r\n\r\n",
      "// header only\r\n// count: 0",
      "File:a\rFile:b\r\rFile:c\r",  // lone CRs end lines, as the reader has them
  };
  for (const std::string& text : texts) {
    for (TLineForm form : {TLineForm::lfScrambled, TLineForm::lfEncrypted}) {
      std::string stored = EncodeRuleText(text, form);
      EXPECT_EQ(DecodeRuleText(stored), text);
      EXPECT_EQ(DecodeAnyRuleFile(stored), text);
    }
    EXPECT_EQ(DecodeAnyRuleFile(PackContainer(text)), text);
  }
}

// The reader sees the lines of a coded file that it sees in the plain file.
TEST(RuleFileWriterTest, EveryLineOfTheReaderIsCodedOnItsOwn) {
  const std::string plain = "File:a\rFile:b\r\nFile:c";
  TStringList lines;
  lines.SetText(plain);
  for (TLineForm form : {TLineForm::lfScrambled, TLineForm::lfEncrypted}) {
    TStringList stored;
    stored.SetText(EncodeRuleText(plain, form));
    ASSERT_EQ(stored.Count(), lines.Count());
    std::string decoded;
    for (int i = 0; i < lines.Count(); ++i) {
      ASSERT_TRUE(DecodeIncludeLine(stored[i], &decoded));
      EXPECT_EQ(decoded.substr(3), lines[i]);
    }
  }
}

TEST(RuleFileWriterTest, HeaderCommentsAndProductHeadersStayPlain) {
  std::string stored = EncodeRuleText("// count: 1\n\n/ note\n:: P\nFile:a,b\n", TLineForm::lfScrambled);
  EXPECT_EQ(stored, "// count: 1\n\n/ note\n:: P\n## Egld8a+`\n");
}

TEST(RuleFileWriterTest, ScrambledFormRefusesLinesItCannotCarry) {
  // Byte 11 at a position that subtracts one would become a line feed.
  try {
    EncodeRuleText("File:a\nFile:\x0b\x0b\n", TLineForm::lfScrambled);
    FAIL() << "no error";
  } catch (const EVxError& e) {
    EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
  }
  std::string stored = EncodeRuleText("File:\x0b\x0b\n", TLineForm::lfEncrypted);
  EXPECT_EQ(DecodeRuleText(stored), "File:\x0b\x0b\n");
}

std::vector<std::string> Lint(const std::string& bytes) {
  std::vector<std::string> out;
  for (const TLintProblem& p : LintRuleFile(bytes)) {
    out.push_back(std::to_string(p.line) + ": " + p.message);
  }
  return out;
}

TEST(RuleLintTest, CleanFileInEveryForm) {
  const std::string plain =
      "// count: 4\r\n:: P | info\r\nNoOp:a,b,c,d,e\r\n"
      "RegyKey:\"d\",HKLM,\"Software\\X\",Key\r\n0x0A0B0C0D:File:a,b\r\n"
      "File:\"a, b\",c,\"filename=x,size=1\"\r\n";
  EXPECT_EQ(Lint(plain), std::vector<std::string>{});
  EXPECT_EQ(Lint(EncodeRuleText(plain, TLineForm::lfScrambled)), std::vector<std::string>{});
  EXPECT_EQ(Lint(EncodeRuleText(plain, TLineForm::lfEncrypted)), std::vector<std::string>{});
  EXPECT_EQ(Lint(PackContainer(plain)), std::vector<std::string>{});
}

TEST(RuleLintTest, ReportsEachKindOfProblemWithItsLine) {
  const std::string plain =
      "// count: 4\n"          // 1
      ":: Good\n"              // 2
      "Regykey:a,b,c,d\n"      // 3 wrong case
      "File:only\n"            // 4 too few
      "AppID:a,b,c,d\n"        // 5 too many
      "WinFile:a,b\n"          // 6 no handler
      "::NoBlank\n"            // 7
      "::  \n"                 // 8
      "#%@@@@\n"               // 9
      "0xZZ:File:a,b\n"        // 10 bad identifier (the rule itself is fine)
      "File:a,b,\"build>=2008,skipcount=two,filesize=3\"\n";  // 11 unreadable pairs
  EXPECT_EQ(Lint(plain),
            (std::vector<std::string>{
                "3: unknown rule type 'Regykey'",
                "4: File takes 2 to 3 parameters, found 1",
                "5: AppID takes 2 to 3 parameters, found 4",
                "6: rule type 'WinFile' has no handler and is reported as unknown",
                "7: product header needs a blank after '::'; registration does not see it",
                "8: product header without a product name",
                "9: '#%' line is not valid Base64 (the scanner rejects the whole file)",
                "10: rule identifier 'ZZ:File:' is not eight hexadecimal digits",
                "11: 'build>=2008' cannot be read: a build date has eight digits, a skip count "
                "is a number of lines",
                "11: 'skipcount=two' cannot be read: a build date has eight digits, a skip count "
                "is a number of lines",
                "1: '// count:' announces 4, the file has 6 rule lines",
            }));
}

TEST(RuleLintTest, CountHeaderAndDamage) {
  EXPECT_EQ(Lint(":: P\nFile:a,b\n"),
            std::vector<std::string>{"1: missing '// count:' header (the file has 1 rule lines)"});
  EXPECT_EQ(Lint("// x\n// count: lots\n"),
            std::vector<std::string>{"2: '// count:' value 'lots' is not a number"});
  std::string packed = PackContainer("// count: 0\n");
  EXPECT_EQ(Lint(packed.substr(0, 12)),
            std::vector<std::string>{
                "0: damaged container: the scanner reads no lines from this file"});
  EXPECT_EQ(Lint("// count: 0\n" + ScrambleLine(" :: Hidden") + "\n"),
            std::vector<std::string>{
                "2: coded product header: registration does not see it; leave it plain"});
}

// The tool itself, as a user runs it.
using TRun = testing::TCommandResult;

TRun RunTool(const std::string& args) {
  return testing::RunBuiltTool("rulefile", args);
}

TEST(RuleFileToolTest, EveryCommandRoundTrips) {
  TTempDir dir;
  const std::string rules = "// count: 1\r\n:: P\r\nFile:\"a b\",c\r\n";
  const std::string list = "ads.example\r\ntrack.example\r\n";
  WriteBytes(dir / "plain.txt", rules);
  WriteBytes(dir / "list.txt", list);
  for (const char* command : {"scramble", "encrypt", "pack"}) {
    SCOPED_TRACE(command);
    std::string stored = dir / (std::string(command) + ".qri");
    ASSERT_EQ(RunTool(std::string(command) + " " + (dir / "plain.txt") + " " + stored).code, 0);
    EXPECT_NE(ReadBytes(stored), rules);
    ASSERT_EQ(RunTool("decode " + stored + " " + (dir / "back.txt")).code, 0);
    EXPECT_EQ(ReadBytes(dir / "back.txt"), rules);
  }
  ASSERT_EQ(RunTool("encrypt-list " + (dir / "list.txt") + " " + (dir / "l.qrs")).code, 0);
  EXPECT_EQ(DecryptListFile(ReadBytes(dir / "l.qrs")), list);
  TRun back = RunTool("decrypt-list " + (dir / "l.qrs") + " -");
  EXPECT_EQ(back.code, 0);
  EXPECT_EQ(back.out, list);
  ASSERT_EQ(RunTool("compress-info " + (dir / "list.txt") + " " + (dir / "t.nfo")).code, 0);
  EXPECT_EQ(RunTool("decode " + (dir / "t.nfo") + " -").out, list);
}

TEST(RuleFileToolTest, LintExitCodesAndUsage) {
  TTempDir dir;
  WriteBytes(dir / "good.qri", "// count: 1\n:: P\nFile:a,b\n");
  WriteBytes(dir / "bad.qri", "// count: 1\n:: P\nFiel:a,b\n");
  TRun good = RunTool("lint " + (dir / "good.qri"));
  EXPECT_EQ(good.code, 0);
  EXPECT_EQ(good.out, "");
  TRun bad = RunTool("lint " + (dir / "good.qri") + " " + (dir / "bad.qri"));
  EXPECT_EQ(bad.code, 1);
  EXPECT_EQ(bad.out, (dir / "bad.qri") + ":3: unknown rule type 'Fiel'\n");

  TRun none = RunTool("");
  EXPECT_EQ(none.code, 2);
  EXPECT_NE(none.out.find("usage: rulefile"), std::string::npos);
  EXPECT_EQ(RunTool("frobnicate a b").code, 2);
  EXPECT_EQ(RunTool("pack only-one-arg").code, 2);
  EXPECT_EQ(RunTool("decode " + (dir / "missing") + " -").code, 1);
  WriteBytes(dir / "cut.qri", "QRI\x01");
  TRun cut = RunTool("decode " + (dir / "cut.qri") + " -");
  EXPECT_EQ(cut.code, 1);
  EXPECT_NE(cut.out.find("damaged container"), std::string::npos);
}

}  // namespace
}  // namespace vx
