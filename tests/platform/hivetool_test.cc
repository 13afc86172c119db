// The hive tool as a user runs it: text to hive, hive to text, image view.
#include <gtest/gtest.h>

#include "support/run_command.h"
#include <sys/wait.h>

#include <cstdio>

#include "base/codepage.h"
#include "support/fixture_image.h"
#include "support/temp_dir.h"

namespace vx {
namespace {

using testing::ReadBytes;
using testing::TFixtureImage;
using testing::WriteBytes;

using TRun = testing::TCommandResult;

TRun RunTool(const std::string& args) {
  return testing::RunBuiltTool("hivetool", args);
}

TEST(HiveToolTest, BuildsAHiveAndDumpsItBack) {
  TFixtureImage image;
  std::string dir = image.ScratchDir();
  std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
      "@=\"d\"\r\n"
      "\"Path\"=\"C:\\\\App\"\r\n"
      "\"N\"=dword:00000010\r\n"
      "\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Sub]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\Elsewhere]\r\n";
  WriteBytes(dir + "/in.reg", "\xFF\xFE" + Utf8ToUtf16Le(text));
  TRun build = RunTool("build " + dir + "/SOFTWARE " + dir + "/in.reg");
  EXPECT_EQ(build.code, 0) << build.out;
  EXPECT_NE(build.out.find("HKEY_LOCAL_MACHINE\\SYSTEM\\Elsewhere lies outside the hive"), std::string::npos);
  TRun dump = RunTool("dump " + dir + "/SOFTWARE " + dir + "/out.reg");
  EXPECT_EQ(dump.code, 0) << dump.out;
  std::string expected =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
      "@=\"d\"\r\n"
      "\"Path\"=\"C:\\\\App\"\r\n"
      "\"N\"=dword:00000010\r\n"
      "\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Sub]\r\n\r\n";
  EXPECT_EQ(ReadBytes(dir + "/out.reg"), "\xFF\xFE" + Utf8ToUtf16Le(expected));
  TRun text4 = RunTool("dump --regedit4 --root HKEY_CURRENT_USER " + dir + "/SOFTWARE");
  EXPECT_EQ(text4.code, 0);
  EXPECT_NE(text4.out.find("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER]\r\n"), std::string::npos) << text4.out;
  EXPECT_NE(text4.out.find("\"E\"=hex(2):25,41,25,00\r\n"), std::string::npos) << text4.out;
}

TEST(HiveToolTest, ReportsBadInputAndBadCommandLines) {
  TFixtureImage image;
  std::string dir = image.ScratchDir();
  WriteBytes(dir + "/bad.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n\"X\"=dword:nothex\n");
  TRun build = RunTool("build " + dir + "/out.hive " + dir + "/bad.reg");
  EXPECT_EQ(build.code, 1);  // the good keys are written, the bad line named
  EXPECT_NE(build.out.find("bad.reg:3: bad dword data"), std::string::npos) << build.out;
  EXPECT_NE(RunTool("dump --regedit4 " + dir + "/out.hive").out.find("[HKEY_LOCAL_MACHINE\\OUT\\A]"),
            std::string::npos);
  WriteBytes(dir + "/nohive", "plain text");
  TRun dump = RunTool("dump " + dir + "/nohive");
  EXPECT_EQ(dump.code, 1);
  EXPECT_NE(dump.out.find("nohive: not a registry hive"), std::string::npos) << dump.out;
  EXPECT_EQ(RunTool("frobnicate").code, 2);
  EXPECT_EQ(RunTool("build only-one-arg").code, 2);
  TRun help = RunTool("--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("Usage:"), std::string::npos);
}

TEST(HiveToolTest, ShowsTheImage) {
  TFixtureImage image(true);
  image.Open();  // writes the fixture's registry text
  TRun run = RunTool("image --reg " + image.ScratchDir() + "/fixture.reg " + image.Root());
  EXPECT_EQ(run.code, 0) << run.out;
  EXPECT_NE(run.out.find("64-bit"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("* Alice  S-1-5-21-1004336348-1177238915-682003330-1001  C:\\Users\\Alice"),
            std::string::npos)
      << run.out;
}

}  // namespace
}  // namespace vx
