#include "platform/offline/shortcut_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fixture_image.h"
#include "support/le_bytes.h"
#include "support/shell_link.h"
#include "support/temp_dir.h"

namespace vx {
namespace {

using testing::Append16;
using testing::Append32;
using testing::BuildShellLink;
using testing::Get32;
using testing::ReadBytes;
using testing::ShellLinkHeader;
using testing::TFixtureImage;
using testing::Utf16;

void StringData(std::string* b, std::string_view text) {
  Append16(b, static_cast<uint32_t>(text.size()));
  *b += Utf16(text);
}

// A link to a local path with a description, working folder and arguments.
std::string LocalLink() {
  return BuildShellLink({.target = "C:\\Program Files\\App\\app.exe",
                         .arguments = "/quiet \"x y\"",
                         .working_directory = "C:\\Program Files\\App",
                         .description = "My App"});
}

TEST(ShortcutFileTest, ReadsALinkToALocalFile) {
  TShortcutInfo info;
  ASSERT_TRUE(ParseShortcut(LocalLink(), 1252, &info));
  EXPECT_EQ(info.target, "C:\\Program Files\\App\\app.exe");
  EXPECT_EQ(info.description, "My App");
  EXPECT_EQ(info.working_directory, "C:\\Program Files\\App");
  EXPECT_EQ(info.arguments, "/quiet \"x y\"");
}

// Shortcuts made by Windows XP and 10 to local files, beside the writer that
// fixtures use: given the fields a real link holds, the writer sets the same
// link flags and the same local base path and suffix, and the reader gives
// back the same fields from both.
TEST(ShortcutFileTest, TheFixtureWriterMatchesLinksMadeByWindows) {
  const std::string folder = std::string(VX_SOURCE_DIR) + "/tests/data/lnk/";
  const struct {
    const char* file;
    testing::TShellLinkSpec fields;
  } cases[] = {
      {"WinXP_Calculator.lnk",
       {.target = "C:\\WINDOWS\\system32\\calc.exe",
        .working_directory = "C:\\WINDOWS\\system32",
        .description = "@%SystemRoot%\\system32\\shell32.dll,-22531"}},
      {"Win10_Directory_Opus_(Startup).lnk",
       {.target = "C:\\Program Files\\GPSoftware\\Directory Opus\\dopus.exe",
        .arguments = "NOAUTOLISTER STARTUP",
        .working_directory = "C:\\Program Files\\GPSoftware\\Directory Opus",
        .description = "GP Software Directory Opus"}},
      {"Win10_Google_Chrome_(2).lnk",
       {.target = "C:\\Program Files (x86)\\Google\\Chrome\\Application\\chrome.exe",
        .working_directory = "C:\\Program Files (x86)\\Google\\Chrome\\Application",
        .description = "Access the Internet"}},
      {"plaso_NeroInfoTool.lnk",
       {.target = "C:\\Program Files (x86)\\Nero\\Nero 9\\Nero InfoTool\\InfoTool.exe",
        .arguments = "-ScParameter=30002  ",
        .working_directory = "C:\\Program Files (x86)\\Nero\\Nero 9\\Nero InfoTool",
        .description = "Nero InfoTool provides you with information about the most important features of "
                       "installed drives, inserted discs, installed software and much more. With Nero "
                       "InfoTool you can find out all about your drive and your system configuration."}},
  };
  const uint32_t written_flags = testing::kLinkHasLinkInfo | testing::kLinkHasName | testing::kLinkHasWorkingDir |
                                 testing::kLinkHasArguments | testing::kLinkIsUnicode;
  // The LinkInfo: after the header and the item list, when the link has one.
  auto link_info = [](const std::string& link) {
    size_t at = 0x4C;
    if (Get32(link, 0x14) & testing::kLinkHasTargetIdList) at += 2 + (Get32(link, at) & 0xFFFF);
    return at;
  };
  // The local base path and the common path suffix, as stored.
  auto paths = [&](const std::string& link) {
    const size_t at = link_info(link);
    const uint32_t size = Get32(link, at), base = Get32(link, at + 16);
    return std::string(link, at + base, size - base);
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string real = ReadBytes(folder + c.file);
    ASSERT_GT(real.size(), 0x4Cu);
    const std::string written = BuildShellLink(c.fields);
    EXPECT_EQ(Get32(real, 0x14) & written_flags, Get32(written, 0x14));
    const size_t real_info = link_info(real), written_info = link_info(written);
    for (size_t field : {4, 8, 12}) {  // header size, what the LinkInfo holds, where the volume ID is
      EXPECT_EQ(Get32(real, real_info + field), Get32(written, written_info + field)) << field;
    }
    EXPECT_EQ(paths(real), paths(written));
    for (const std::string* link : {&real, &written}) {
      TShortcutInfo info;
      ASSERT_TRUE(ParseShortcut(*link, 1252, &info));
      EXPECT_EQ(info.target, c.fields.target);
      EXPECT_EQ(info.arguments, c.fields.arguments);
      EXPECT_EQ(info.working_directory, c.fields.working_directory);
      EXPECT_EQ(info.description, c.fields.description);
    }
  }
}

TEST(ShortcutFileTest, TargetFromTheEnvironmentBlockIsExpandedInTheImage) {
  std::string b =
      ShellLinkHeader(testing::kLinkHasArguments | testing::kLinkIsUnicode | testing::kLinkHasExpString);
  StringData(&b, "-run");
  std::string block;
  Append32(&block, 8 + 260 + 520);
  Append32(&block, 0xA0000001);
  std::string ansi = "%windir%\\notepad.exe";
  ansi.resize(260, '\0');
  std::string wide = Utf16("%windir%\\notepad.exe");
  wide.resize(520, '\0');
  b += block + ansi + wide;
  Append32(&b, 0);
  TFixtureImage image;
  image.WriteFile("C:\\Users\\Alice\\Desktop\\Notepad.lnk", b);
  auto machine = image.Open();
  TShortcutInfo info;
  ASSERT_TRUE(machine->ReadShortcut("C:\\Users\\Alice\\Desktop\\notepad.LNK", &info));
  EXPECT_EQ(info.target, "C:\\Windows\\notepad.exe");
  EXPECT_EQ(info.arguments, "-run");
  EXPECT_FALSE(machine->ReadShortcut("C:\\Users\\Alice\\Desktop\\missing.lnk", &info));
}

TEST(ShortcutFileTest, DamagedLinksAreRefusedNotOverread) {
  TShortcutInfo info;
  EXPECT_FALSE(ParseShortcut("", 1252, &info));
  EXPECT_FALSE(ParseShortcut("not a link at all, but long enough to hold a header of 76 bytes......", 1252,
                             &info));
  std::string good = LocalLink();
  for (size_t cut = 0; cut < good.size(); ++cut) {
    ParseShortcut(good.substr(0, cut), 1252, &info);  // any answer, no crash
  }
  std::string huge_counts = ShellLinkHeader(0x04 | 0x80);
  Append16(&huge_counts, 0xFFFF);
  EXPECT_FALSE(ParseShortcut(huge_counts, 1252, &info));
  std::string bad_info = ShellLinkHeader(0x02);
  Append32(&bad_info, 0xFFFFFFF0u);
  EXPECT_FALSE(ParseShortcut(bad_info, 1252, &info));
}

}  // namespace
}  // namespace vx
