#include "match/shell_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fixture_image.h"

namespace vx {
namespace {

using testing::TFixtureImage;

class SpecialFolderTest : public ::testing::Test {
 protected:
  void TearDown() override { SetCurrentMachine(nullptr); }
};

TEST_F(SpecialFolderTest, AsksTheShellFirst) {
  TFixtureImage image;
  image.OpenAsCurrent();
  EXPECT_EQ(GetSpecialFolder(kCsidlAppData), "C:\\Users\\Alice\\AppData\\Roaming");
  EXPECT_EQ(GetSpecialFolder(kCsidlFavorites), "C:\\Users\\Alice\\Favorites");
  EXPECT_EQ(GetSpecialFolder(kCsidlWindows), "C:\\Windows");
  EXPECT_EQ(GetSpecialFolder(kCsidlControls), "");
}

// Without a user the shell knows no user folders; the fallbacks then read
// the registry (or the system) for the ids that have one.
TEST_F(SpecialFolderTest, FallsBackWhenTheShellKnowsNothing) {
  TFixtureImage image;
  image.AddReg("[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList]\n");
  std::filesystem::remove_all(image.HostPath("C:\\Users\\Alice"));
  image.AddReg(
      "[HKEY_USERS\\.DEFAULT\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
      "\"Favorites\"=\"C:\\\\Fallback\\\\Favorites\"\n\"Templates\"=\"C:\\\\Fallback\\\\Templates\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
      "\"Common Favorites\"=\"C:\\\\Fallback\\\\CommonFavorites\"\n");
  image.OpenAsCurrent();
  EXPECT_EQ(CurrentMachine().UserSid(), "");
  EXPECT_EQ(GetSpecialFolder(kCsidlFavorites), "C:\\Fallback\\Favorites");
  EXPECT_EQ(GetSpecialFolder(kCsidlTemplates), "C:\\Fallback\\Templates");
  EXPECT_EQ(GetSpecialFolder(kCsidlCommonFavorites), "C:\\Fallback\\CommonFavorites");
  EXPECT_EQ(GetSpecialFolder(kCsidlCommonDocuments), "C:\\Users\\Public\\Documents");
  EXPECT_EQ(GetSpecialFolder(kCsidlDesktopDirectory), "");  // no fallback for this id
  EXPECT_EQ(GetSpecialFolder(kCsidlSystem), "C:\\Windows\\system32");
}

}  // namespace
}  // namespace vx
