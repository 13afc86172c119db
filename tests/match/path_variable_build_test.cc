// The variable table built over fixture images, and the /pathhelp listing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/console.h"
#include "app/path_help.h"
#include "base/ansi_text.h"
#include "match/path_variable_table.h"
#include "match/path_variables.h"
#include "support/fixture_image.h"

namespace vx {
namespace {

std::vector<std::string> ValuesOf(std::string_view name) {
  for (const auto& set : PathVariableTable().ValueSets())
    if (set.name == name) return set.values;
  return {};
}

std::vector<std::string> All(std::string_view text) {
  TStringList list;
  SolvePathAll(text, &list);
  return list.ToVector();
}

class PathVariableBuildTest : public ::testing::Test {
 protected:
  void TearDown() override { FreePathVariableTables(); }

  void Build(testing::TFixtureImage& image) {
    machine_ = image.OpenAsCurrent();
    BuildPathVariableTables();
  }
  std::shared_ptr<TMachine> machine_;
};

TEST_F(PathVariableBuildTest, ProgramFilesOn64And32BitImages) {
  testing::TFixtureImage win64(true);
  Build(win64);
  EXPECT_EQ(ValuesOf("<$PROGRAMFILES>"),
            (std::vector<std::string>{"C:\\Program Files", "C:\\Program Files (x86)"}));
  EXPECT_EQ(All("<$PROGRAMFILES>\\App"),
            (std::vector<std::string>{"C:\\Program Files\\App", "C:\\Program Files (x86)\\App"}));
  EXPECT_EQ(All("<$PROGRAMFILES>|<$PROGRAMFILES>").size(), 4u);

  // Building again on another machine starts from nothing.
  testing::TFixtureImage win32(false);
  Build(win32);
  EXPECT_EQ(ValuesOf("<$PROGRAMFILES>"), std::vector<std::string>{"C:\\Program Files"});
  EXPECT_EQ(SolvePath("<$PROGRAMFILES>\\App"), "C:\\Program Files\\App");
}

TEST_F(PathVariableBuildTest, DerivedVariables) {
  testing::TFixtureImage image(true);
  std::string user = std::string("HKEY_USERS\\") + testing::kFixtureUserSid;
  image.AddReg("[" + user + "\\Environment]\n\"PATH\"=\"C:\\\\Tools\\\\;C:\\\\Other\"\n\n[" + user +
               "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
               "\"Local Settings\"=\"C:\\\\Users\\\\Alice\\\\Local Settings\"\n");
  Build(image);
  EXPECT_EQ(SolvePath("<$SYSDRIVE>"), "C:");
  EXPECT_EQ(SolvePath("<$PATH>"), "C:\\Tools");
  EXPECT_TRUE(AnsiSameText(SolvePath("<$WINDIR>"), "C:\\Windows"));
  EXPECT_TRUE(AnsiSameText(SolvePath("<regexpr><$WINDIR>\\\\x\\.exe"), "<regexpr>C:\\\\Windows\\\\x\\.exe"));
  EXPECT_TRUE(AnsiSameText(SolvePath("<$TEMP>"), "C:\\Windows\\Temp"));
  // The placeholder of the second pass hides the registry value from
  // SolvePath; SolvePathAll offers both.
  EXPECT_EQ(SolvePath("<$LOCALSETTINGS>"), "");
  EXPECT_EQ(ValuesOf("<$LOCALSETTINGS>"),
            (std::vector<std::string>{"", "C:\\Users\\Alice\\Local Settings"}));
  EXPECT_TRUE(AnsiSameText(SolvePath("<$SYSCPLDIR>"), SolvePath("<$WINDIR>") + "\\Systemsteuerung"));
  EXPECT_FALSE(SolvePath("<$PROFILE>").empty());
  // A copied value lands in the first entry; SolvePath reads the last one,
  // the shell's own (empty) answer of the second pass.
  EXPECT_EQ(SolvePath("<$COMMONALTSTARTUP>"), "");
  EXPECT_EQ(ValuesOf("<$COMMONALTSTARTUP>"), (std::vector<std::string>{"", SolvePath("<$COMMONSTARTUP>")}));
}

// The /pathhelp listing on a 64-bit fixture, byte for byte. Variables whose
// last entry is the shell's empty answer (<$CONTROLS>, <$ALTSTARTUP> ...)
// print an empty line, and <$PATH> stays as written when the user has no
// PATH value.
TEST_F(PathVariableBuildTest, PathHelpListing) {
  testing::TFixtureImage image(true);
  Build(image);
  std::string sink;
  TConsole console(&sink, 80);
  WritePathHelp(console, "vexascan.ini");
  const char* expected =
      "\n"
      "Overview of allowed path solve variables for vexascan.ini:\n"
      "\n"
      "<$SYSDRIVE>\n" "C:\n"
      "<$WINDIR>\n" "C:\\Windows\n"
      "<$WINDIR2>\n" "C:\\Windows\n"
      "<$SYSDIR>\n" "C:\\Windows\\system32\n"
      "<$SYSDIR2>\n" "C:\\Windows\\system32\n"
      "<$FONTS>\n" "C:\\Windows\\Fonts\n"
      "<$CONTROLS>\n" "\n"
      "<$SYSCPLDIR>\n" "C:\\Windows\\Systemsteuerung\n"
      "<$PATH>\n" "<$PATH>\n"
      "<$PROGRAMFILES>\n" "C:\\Program Files (x86)\n"
      "<$COMMONPROGRAMFILES>\n" "C:\\Program Files (x86)\\Common Files\n"
      "<$PROFILES>\n" "C:\\Users\n"
      "<$PROFILE>\n" "C:\\Users\\Alice\n"
      "<$APPDATA>\n" "C:\\Users\\Alice\\AppData\\Roaming\n"
      "<$QUICKLAUNCH>\n" "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch\n"
      "<$ADESKTOP>\n" "C:\\Users\\Alice\\Desktop\n"
      "<$DESKTOP>\n" "C:\\Users\\Alice\\Desktop\n"
      "<$FAVORITES>\n" "C:\\Users\\Alice\\Favorites\n"
      "<$LOCALSETTINGS>\n" "\n"
      "<$LOCALAPPDATA>\n" "C:\\Users\\Alice\\AppData\\Local\n"
      "<$PERSONAL>\n" "C:\\Users\\Alice\\Documents\n"
      "<$MYDOCUMENTS>\n" "C:\\Users\\Alice\\Documents\n"
      "<$MYMUSIC>\n" "C:\\Users\\Alice\\Music\n"
      "<$MYVIDEO>\n" "C:\\Users\\Alice\\Videos\n"
      "<$NETHOOD>\n" "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Windows\\Network Shortcuts\n"
      "<$PRINTHOOD>\n" "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Windows\\Printer Shortcuts\n"
      "<$RECENT>\n" "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Windows\\Recent\n"
      "<$SENDTO>\n" "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Windows\\SendTo\n"
      "<$STARTMENU>\n" "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\n"
      "<$PROGRAMS>\n" "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\n"
      "<$ALTSTARTUP>\n" "\n"
      "<$STARTUP>\n" "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\n"
      "<$TEMPLATES>\n" "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Windows\\Templates\n"
      "<$COMMONAPPDATA>\n" "C:\\ProgramData\n"
      "<$COMMONQUICKLAUNCH>\n" "C:\\ProgramData\\Microsoft\\Internet Explorer\\Quick Launch\n"
      "<$COMMONDESKTOP>\n" "C:\\Users\\Public\\Desktop\n"
      "<$COMMONDOCUMENTS>\n" "C:\\Users\\Public\\Documents\n"
      "<$COMMONDOCUMENTS>\n" "C:\\Users\\Public\\Documents\n"
      "<$COMMONMUSIC>\n" "C:\\Users\\Public\\Music\n"
      "<$COMMONVIDEO>\n" "C:\\Users\\Public\\Videos\n"
      "<$COMMONFAVORITES>\n" "C:\\Users\\Alice\\Favorites\n"
      "<$COMMONSTARTMENU>\n" "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\n"
      "<$COMMONPROGRAMS>\n" "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\n"
      "<$COMMONALTSTARTUP>\n" "\n"
      "<$COMMONSTARTUP>\n" "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\n"
      "<$COMMONTEMPLATES>\n" "C:\\ProgramData\\Microsoft\\Windows\\Templates\n"
      "\n";
  EXPECT_EQ(sink, expected);
}

TEST_F(PathVariableBuildTest, ListingHasEveryRowOnce) {
  testing::TFixtureImage image(true);
  Build(image);
  TStringList list;
  ListPathVariables(&list);
  ASSERT_EQ(list.Count(), 46);
  EXPECT_EQ(list.Names(0), "<$SYSDRIVE>");
  EXPECT_EQ(list.Names(36), "<$COMMONDOCUMENTS>");
  EXPECT_EQ(list.Names(37), "<$COMMONDOCUMENTS>");
  EXPECT_EQ(list.Names(45), "<$COMMONTEMPLATES>");
  EXPECT_EQ(list[0], "<$SYSDRIVE>=C:");
}

}  // namespace
}  // namespace vx
