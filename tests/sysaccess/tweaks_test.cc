#include "sysaccess/tweaks.h"

#include <gtest/gtest.h>

#include <string>

#include "app/console.h"
#include "app/entry.h"
#include "app/help_text.h"
#include "platform/machine.h"
#include "support/fixture_image.h"
#include "support/program_folder.h"

namespace vx {
namespace {

using testing::TFixtureImage;

std::string ProgramKey() {
  return "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane Limited\\Tweaks\\" + TweakProgramFileName();
}
const char kSharedKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane Limited\\Tweaks";

class TweaksTest : public ::testing::Test {
 protected:
  void TearDown() override { SetCurrentMachine(nullptr); }
  void Open(const std::string& reg) {
    image_.AddReg(reg);
    image_.OpenAsCurrent();
  }
  TFixtureImage image_;
};

TEST_F(TweaksTest, TheProgramsKeyWinsOverTheSharedOne) {
  Open("[" + ProgramKey() + "]\n\"DisableHintOfTheDay\"=dword:00000001\n"
       "\"FloppyVolumeInformation\"=dword:00000103\n[" + kSharedKey +
       "]\n\"DisableHintOfTheDay\"=dword:00000000\n\"FloppyVolumeInformation\"=dword:00000000\n");
  EXPECT_TRUE(ReadTweakBool("DisableHintOfTheDay", false));
  EXPECT_EQ(ReadTweakByte("FloppyVolumeInformation", 2), 3);  // the low eight bits
}

TEST_F(TweaksTest, TheSharedKeyIsTheFallback) {
  Open(std::string("[") + kSharedKey + "]\n\"DisableHintOfTheDay\"=dword:00000002\n");
  EXPECT_TRUE(ReadTweakBool("DisableHintOfTheDay", false));
  EXPECT_EQ(ReadTweakByte("FloppyVolumeInformation", 2), 2);
}

TEST_F(TweaksTest, ValuesOfAnotherTypeGiveTheDefault) {
  Open("[" + ProgramKey() + "]\n\"DisableHintOfTheDay\"=\"1\"\n"
       "\"FloppyVolumeInformation\"=hex:05,00,00,00\n");
  EXPECT_FALSE(ReadTweakBool("DisableHintOfTheDay", false));
  EXPECT_EQ(ReadTweakByte("FloppyVolumeInformation", 2), 2);
}

// A whole run on a fixture image.
TEST_F(TweaksTest, AScanWithoutTheHint) {
  image_.AddReg("[" + ProgramKey() + "]\n\"DisableHintOfTheDay\"=dword:00000001\n");
  testing::TProgramFolder app;
  std::string out;
  TConsole console(&out, 80);
  TRunEnvironment environment;
  environment.app_dir = app.Dir();
  environment.machine = image_.Open();
  int code = RunVexascan(TCommandLine(), console, environment);
  EXPECT_EQ(code, 0);
  std::string banner;
  TConsole banner_console(&banner, 80);
  WriteProgramBanner(banner_console);
  std::string congratulations = "\ro Congratulations!";
  congratulations.resize(79, ' ');
  std::string took = "\ro Quarnel took 00:00:00";
  took.resize(79, ' ');
  EXPECT_EQ(out, banner + "o Unknown.\no Scanning spyware...\n" + took +
                     "\n" + congratulations + "\no Scan finished.\n+ No spyware found.\n" +
                     "+ No usage tracks found.\no the scan took 00:00:00\n" +
                     "o Fixing is not allowed in the special version.\n");
}

}  // namespace
}  // namespace vx
