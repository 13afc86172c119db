#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "rules/include_codec.h"
#include "rules/include_file.h"
#include "rules/rule_file_writer.h"
#include "support/temp_dir.h"

namespace vx {
namespace {

using testing::ReadBytes;
using testing::TTempDir;
using testing::WriteBytes;

// The plain source of every coded fixture in this file.
const std::string kPlain =
    "// Sample rules\r\n"
    "// count: 3\r\n"
    "// author: Jane Roe: rules team\r\n"
    "// info|German: Beispiel\r\n"
    "\r\n"
    "// copyright: late key, after the header\r\n"
    ":: Alpha Toolbar | adware, since 2004\r\n"
    "RegyKey:\"Alpha\",HKLM,\"Software\\Alpha\",Key\r\n"
    "::not a product header\r\n"
    ":: Beta\r\n"
    "File:\"Beta file\",\"<$WINDIR>\\beta.dll\"\r\n"
    "0x0000ABCD:File:\"x\",y\r\n";

std::vector<std::string> Lines(const TStringList& list) { return list.ToVector(); }

TEST(IncludeFileTest, AllThreeFormsGiveTheSameRulesAndHeader) {
  TTempDir dir;
  struct Form {
    const char* name;
    std::string bytes;
  };
  const std::vector<Form> forms = {
      {"plain.qri", kPlain},
      {"scrambled.qri", EncodeRuleText(kPlain, TLineForm::lfScrambled)},
      {"encrypted.qri", EncodeRuleText(kPlain, TLineForm::lfEncrypted)},
      {"container.qri", PackContainer(kPlain)},
  };
  for (const Form& form : forms) {
    SCOPED_TRACE(form.name);
    WriteBytes(dir / form.name, form.bytes);
    TIncludeFile reader;
    TStringList pairs;
    EXPECT_EQ(reader.ReadHeader(dir / form.name, &pairs), 3);
    EXPECT_EQ(pairs.Values("author"), "Jane Roe: rules team");
    EXPECT_EQ(pairs.Values("INFO|german"), "Beispiel");
    EXPECT_EQ(pairs.Values("copyright"), "");  // the header ended at the empty line
    EXPECT_EQ(reader.AllLines().Count(), 12);

    EXPECT_EQ(Lines(reader.GetProducts()),
              (std::vector<std::string>{"Alpha Toolbar | adware, since 2004", "Beta"}));
    EXPECT_EQ(Lines(reader.GetProductsShort()),
              (std::vector<std::string>{"Alpha Toolbar ", "Beta"}));

    TStringList lines;
    lines.Add("stale");
    reader.ReadLines(dir / form.name, &lines);
    ASSERT_EQ(lines.Count(), 12);
    EXPECT_EQ(reader.LineCount(), 12);
    // Coded lines keep marker and separator; the interpreter drops them.
    std::string rule = lines[7];
    if (rule.starts_with("##") || rule.starts_with("#%")) rule = rule.substr(3);
    EXPECT_EQ(rule, "RegyKey:\"Alpha\",HKLM,\"Software\\Alpha\",Key");
  }
}

TEST(IncludeFileTest, CountLineVariants) {
  TTempDir dir;
  struct Case {
    std::string header;
    int count;
  };
  for (const Case& c : std::vector<Case>{{"// count: 250", 250},
                                         {"// count:250", 250},
                                         {"// count: many", 0},
                                         {"// count: -3", 0},
                                         {"// count:", 0},
                                         {"// counted: 5", 0}}) {
    WriteBytes(dir / "a.qri", "// first\n" + c.header + "\n:: P\n");
    TIncludeFile reader;
    TStringList pairs;
    EXPECT_EQ(reader.ReadHeader(dir / "a.qri", &pairs), c.count) << c.header;
  }
}

TEST(IncludeFileTest, HeaderIsReadRawSoABadEncryptedLineSpoilsOnlyTheRules) {
  TTempDir dir;
  WriteBytes(dir / "bad.qri", "// count: 7\n// author: A\n:: P\n#%***not base64***\n");
  TIncludeFile reader;
  TStringList pairs;
  EXPECT_EQ(reader.ReadHeader(dir / "bad.qri", &pairs), 7);
  EXPECT_EQ(pairs.Values("author"), "A");
  TStringList lines;
  EXPECT_THROW(reader.ReadLines(dir / "bad.qri", &lines), EVxError);
  EXPECT_THROW(reader.GetProducts(), EVxError);
}

TEST(IncludeFileTest, MissingAndDamagedFilesGiveNothing) {
  TTempDir dir;
  const std::string good = PackContainer(kPlain);
  WriteBytes(dir / "short.qri", "QRI\x01\x02");
  WriteBytes(dir / "truncated.qri", good.substr(0, good.size() / 2));
  WriteBytes(dir / "empty.qri", "");
  for (const char* name : {"missing.qri", "short.qri", "truncated.qri", "empty.qri"}) {
    SCOPED_TRACE(name);
    TIncludeFile reader;
    TStringList pairs;
    EXPECT_EQ(reader.ReadHeader(dir / name, &pairs), 0);
    EXPECT_EQ(pairs.Count(), 0);
    EXPECT_EQ(reader.GetProducts().Count(), 0);
    TStringList lines;
    reader.ReadLines(dir / name, &lines);
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_EQ(reader.LineCount(), 0);
  }
}

TEST(IncludeFileTest, ReaderReusedForSeveralFilesKeepsThemApart) {
  TTempDir dir;
  WriteBytes(dir / "a.qri", "// count: 1\n:: A\nFile:a,b\n");
  WriteBytes(dir / "b.qri", "// count: 2\n:: B1\n:: B2\n");
  TIncludeFile reader;
  TStringList pairs;
  EXPECT_EQ(reader.ReadHeader(dir / "a.qri", &pairs), 1);
  EXPECT_EQ(Lines(reader.GetProducts()), std::vector<std::string>{"A"});
  EXPECT_EQ(reader.ReadHeader(dir / "b.qri", &pairs), 2);
  EXPECT_EQ(reader.AllLines()[1], ":: B1");
  EXPECT_EQ(Lines(reader.GetProducts()), (std::vector<std::string>{"B1", "B2"}));
  EXPECT_EQ(Lines(reader.GetProductsShort()), (std::vector<std::string>{"B1", "B2"}));
}

TEST(IncludeFileTest, ListFiles) {
  TTempDir dir;
  WriteBytes(dir / "Cookies.qrs", EncryptListFile("ads.example\r\n\r\ntrack.example\r\n"));
  TIncludeFile reader;
  TStringList list;
  ASSERT_TRUE(reader.LoadListFile(dir / "Cookies.qrs", &list));
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"ads.example", "", "track.example"}));
  EXPECT_FALSE(reader.LoadListFile(dir / "none.qrs", &list));
  EXPECT_EQ(list.Count(), 3);
  // Binary noise is deciphered into noise, never a crash.
  WriteBytes(dir / "noise.qrs", std::string("\x00\xff\x13\x37\n\r\x80", 7));
  EXPECT_TRUE(reader.LoadListFile(dir / "noise.qrs", &list));
}

}  // namespace
}  // namespace vx
