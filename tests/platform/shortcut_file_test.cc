#include "platform/offline/shortcut_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/fixture_image.h"
#include "support/le_bytes.h"

namespace vx {
namespace {

using testing::Append16;
using testing::Append32;
using testing::TFixtureImage;
using testing::Utf16;

std::string Header(uint32_t flags) {
  std::string b;
  Append32(&b, 0x4C);
  const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  b.append(reinterpret_cast<const char*>(clsid), 16);
  Append32(&b, flags);
  b.resize(0x4C, '\0');
  return b;
}

void StringData(std::string* b, std::string_view text) {
  Append16(b, static_cast<uint32_t>(text.size()));
  *b += Utf16(text);
}

// A link to a local path with a description, working folder and arguments.
std::string LocalLink() {
  std::string b = Header(0x02 | 0x04 | 0x10 | 0x20 | 0x80);
  std::string base = "C:\\Program Files\\App\\app.exe";
  std::string info;
  Append32(&info, 0);       // size, set below
  Append32(&info, 0x1C);    // header size
  Append32(&info, 0x01);    // volume id and local base path
  Append32(&info, 0x1C);    // volume id offset
  Append32(&info, 0x1C + 0x10 + 0);  // local base path offset
  Append32(&info, 0);       // network link
  Append32(&info, 0);       // suffix offset, set below
  std::string volume;
  Append32(&volume, 0x10);
  Append32(&volume, 3);
  Append32(&volume, 0);
  Append32(&volume, 0x10);
  info += volume;
  info += base + '\0';
  uint32_t suffix = static_cast<uint32_t>(info.size());
  info += '\0';
  uint32_t size = static_cast<uint32_t>(info.size());
  std::memcpy(&info[0], &size, 4);
  std::memcpy(&info[24], &suffix, 4);
  b += info;
  StringData(&b, "My App");
  StringData(&b, "C:\\Program Files\\App");
  StringData(&b, "/quiet \"x y\"");
  Append32(&b, 0);  // no extra data
  return b;
}

TEST(ShortcutFileTest, ReadsALinkToALocalFile) {
  TShortcutInfo info;
  ASSERT_TRUE(ParseShortcut(LocalLink(), 1252, &info));
  EXPECT_EQ(info.target, "C:\\Program Files\\App\\app.exe");
  EXPECT_EQ(info.description, "My App");
  EXPECT_EQ(info.working_directory, "C:\\Program Files\\App");
  EXPECT_EQ(info.arguments, "/quiet \"x y\"");
}

TEST(ShortcutFileTest, TargetFromTheEnvironmentBlockIsExpandedInTheImage) {
  std::string b = Header(0x20 | 0x80 | 0x200);
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
  std::string huge_counts = Header(0x04 | 0x80);
  Append16(&huge_counts, 0xFFFF);
  EXPECT_FALSE(ParseShortcut(huge_counts, 1252, &info));
  std::string bad_info = Header(0x02);
  Append32(&bad_info, 0xFFFFFFF0u);
  EXPECT_FALSE(ParseShortcut(bad_info, 1252, &info));
}

}  // namespace
}  // namespace vx
