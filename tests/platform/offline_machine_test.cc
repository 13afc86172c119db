#include "platform/offline/offline_machine.h"

#include <gtest/gtest.h>

#include "support/fixture_image.h"

namespace vx {
namespace {

using testing::TFixtureImage;

std::string ReadString(TMachine& m, uint32_t root, std::string_view path, std::string_view name,
                       TRegView view = TRegView::rv32) {
  auto key = m.OpenKey(root, path, view);
  if (!key) return "<no key>";
  TRegValue v;
  if (!key->QueryValue(name, &v)) return "<no value>";
  std::string out;
  for (size_t i = 0; i + 1 < v.data.size(); i += 2) {
    if (v.data[i] == 0 && v.data[i + 1] == 0) break;
    out.push_back(v.data[i]);
  }
  return out;
}

TEST(OfflineMachineTest, FixtureOpensWithItsUserAndFolders) {
  TFixtureImage image;
  auto machine = image.OpenOffline();
  EXPECT_TRUE(image.Messages().empty()) << image.Messages().front();
  EXPECT_EQ(machine->ChosenUserName(), "Alice");
  EXPECT_EQ(machine->ChosenUserSid(), testing::kFixtureUserSid);
  EXPECT_EQ(machine->WindowsDirectory(), "C:\\Windows");
  EXPECT_FALSE(machine->IsWow64());
  EXPECT_EQ(machine->SpecialFolder(26), "C:\\Users\\Alice\\AppData\\Roaming");
  EXPECT_EQ(machine->SpecialFolder(35), "C:\\ProgramData");
  EXPECT_EQ(machine->SpecialFolder(38), "C:\\Program Files");
  std::string value;
  EXPECT_TRUE(machine->GetEnvironmentVariable("temp", &value));
  EXPECT_EQ(value, "C:\\Users\\Alice\\AppData\\Local\\Temp");
  EXPECT_EQ(ReadString(*machine, kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                       "SystemRoot"),
            "C:\\Windows");
}

}  // namespace
}  // namespace vx
