#include "base/ini_file.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

const char kIni[] =
    "stray=before any section\r\n"
    "; a comment\r\n"
    "[Main]\r\n"
    "DoSpyware=yes\r\n"
    "DoTracks=2\r\n"
    "  LogUse = 1  \r\n"
    "Hex=$10\r\n"
    "Neg=-3\r\n"
    "Empty=\r\n"
    "DoTracks=0\r\n"
    "bare line\r\n"
    "[filesets]\n"
    "A.qri=1\n"
    "b.uti=\n"
    "[MAIN]\n"
    "Late=7\n";

TEST(IniFileTest, SectionsAndKeysIgnoreCase) {
  TMemIniFile ini = TMemIniFile::FromText(kIni);
  EXPECT_TRUE(ini.SectionExists("main"));
  EXPECT_TRUE(ini.ValueExists("MAIN", "dospyware"));
  EXPECT_TRUE(ini.ValueExists("Main", "Empty"));  // present even though empty
  EXPECT_FALSE(ini.ValueExists("Main", "stray"));
  EXPECT_EQ(ini.ReadString("Main", "missing", "def"), "def");
  EXPECT_EQ(ini.ReadString("Main", "Empty", "def"), "");
  EXPECT_EQ(ini.ReadInteger("main", "late", 0), 7);  // a repeated section reads as one
}

TEST(IniFileTest, NumbersAndBooleans) {
  TMemIniFile ini = TMemIniFile::FromText(kIni);
  struct Case {
    const char* key;
    bool def;
    bool expected;
  } cases[] = {
      {"DoSpyware", true, true},   // not an integer: the default
      {"DoSpyware", false, false},
      {"DoTracks", false, true},   // 2 is true; the first of two equal keys wins
      {"LogUse", false, true},     // blanks around "=" dropped
      {"Empty", true, true},
      {"Missing", true, true},
      {"Neg", false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ini.ReadBool("Main", c.key, c.def), c.expected) << c.key;
  }
  EXPECT_EQ(ini.ReadInteger("Main", "Hex", 0), 16);
  EXPECT_EQ(ini.ReadInteger("Main", "Neg", 0), -3);
  EXPECT_EQ(ini.ReadInteger("Main", "DoSpyware", 42), 42);
}

TEST(IniFileTest, SectionListings) {
  TMemIniFile ini = TMemIniFile::FromText(kIni);
  TStringList keys;
  ini.ReadSection("FILESETS", &keys);
  EXPECT_EQ(keys.ToVector(), (std::vector<std::string>{"A.qri", "b.uti"}));
  TStringList values;
  ini.ReadSectionValues("Main", &values);
  EXPECT_EQ(values[0], "DoSpyware=yes");
  EXPECT_EQ(values.IndexOf("bare line"), 7);
  TStringList sections;
  ini.ReadSections(&sections);
  EXPECT_EQ(sections.ToVector(), (std::vector<std::string>{"Main", "filesets"}));
}

TEST(IniFileTest, MissingFileReadsAsEmptyAndUtf16IsConverted) {
  TMemIniFile missing = TMemIniFile::FromFile("/nonexistent/vexascan.ini");
  EXPECT_FALSE(missing.SectionExists("Main"));
  std::string utf16("\xFF\xFE", 2);
  for (char c : std::string("[S]\r\nK=\xE9t\xE9\r\n")) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  TMemIniFile ini = TMemIniFile::FromText(utf16);
  EXPECT_EQ(ini.ReadString("s", "k", ""), "\xE9t\xE9");
}

}  // namespace
}  // namespace vx
