#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/console.h"
#include "base/codepage.h"
#include "app/help_text.h"
#include "e2e/program_run.h"

namespace vx {
namespace {

using testing::TInstallation;
using testing::TProgramResult;

// The demo as the build lays it out: build/demo (the installation) and
// build/demo-image (the image, with hives built from examples/demo-registry).
const std::string kDemoRoot = std::string(VX_BINARY_DIR);
const std::string kDemo = kDemoRoot + "/demo";
const std::string kDemoUserLine =
    "o user: Alice (S-1-5-21-3623811015-3361044348-30300820-1001)\n";

std::string Banner() {
  std::string out;
  TConsole console(&out, 80);
  WriteProgramBanner(console);
  return out;
}

std::string Body(const TProgramResult& result) {
  std::string banner = Banner();
  EXPECT_EQ(result.output.substr(0, banner.size()), banner);
  return result.output.substr(std::min(banner.size(), result.output.size()));
}

std::string Padded(std::string text) {
  text.resize(79, ' ');
  return text + "\n";
}

TEST(ProgramTest, HelpNeedsNeitherImageNorLibraries) {
  TInstallation install;
  install.Remove("probex.dll");
  TProgramResult result = install.Run({"-help", "/createtxtreport"}, kDemoRoot);
  EXPECT_EQ(result.exit_code, 0);
  std::string help;
  TConsole console(&help, 80);
  WriteHelp(console);
  EXPECT_EQ(Body(result), help);
}

TEST(ProgramTest, ARunWithoutAnImageSaysHowToNameOne) {
  TInstallation install;
  TProgramResult result = install.Run({"/createtxtreport"}, kDemoRoot);
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_EQ(Body(result),
            "! No Windows installation named: give its system volume with /image=DIR (see "
            "/help).\n");
}

TEST(ProgramTest, TargetOptionsThatNameNothingUsableEndWithCodeTwo) {
  struct Case {
    std::vector<std::string> args;
    const char* line;
  };
  const Case cases[] = {
      {{"/image=no-such-image"}, "! /image names no folder: no-such-image, exiting!\n"},
      {{"/image="}, "! /image= needs a folder: /image=DIR\n"},
      {{"-image=demo-image", "/drive=e:no-such-drive"},
       "! /drive=E: names no folder: no-such-drive, exiting!\n"},
      {{"/image=demo-image", "/drive=Q"}, "! /drive=Q is not of the form /drive=D:DIR\n"},
      {{"/image=demo-image", "/drive=C:demo"},
       "! /drive=C:demo: drive C: is the image itself (/image=DIR)\n"},
      {{"/image=demo-image", "/drive=D:demo", "/DRIVE=d:demo"},
       "! /drive=d:demo: drive D: is named twice\n"},
  };
  TInstallation install;
  for (const Case& c : cases) {
    TProgramResult result = install.Run(c.args, kDemoRoot);
    EXPECT_EQ(result.exit_code, 2) << c.args.back();
    EXPECT_EQ(Body(result), c.line) << c.args.back();
  }
}

TEST(ProgramTest, TheUserIsChosenByFolderNameWithoutRegardToCase) {
  TInstallation install;
  install.Remove("probex.dll");  // ends the run right after the target lines
  TProgramResult result =
      install.Run({"/image=demo-image", "-USER=alice", "/drive=D:demo"}, kDemoRoot);
  EXPECT_EQ(Body(result), "o image: demo-image\no drive D: demo\n" + kDemoUserLine +
                              "! probex.dll missing, exiting!\n");
}

TEST(ProgramTest, EachMissingCompanionLibraryEndsTheRunWithCodeTwo) {
  struct Case {
    const char* removed;
    const char* line;
  };
  const Case cases[] = {
      {"probex.dll", "! probex.dll missing, exiting!\n"},
      {"kitlib.dll", "! kitlib.dll missing, exiting!\n"},
  };
  for (const Case& c : cases) {
    TInstallation install;
    ASSERT_TRUE(install.Has("probex.dll") && install.Has("kitlib.dll"))
        << "the build has no companion libraries";
    install.Remove(c.removed);
    TProgramResult result = install.Run({"/image=demo-image"}, kDemoRoot);
    EXPECT_EQ(result.exit_code, 2) << c.removed;
    EXPECT_EQ(Body(result), "o image: demo-image\n" + kDemoUserLine + c.line) << c.removed;
  }
  // Both missing: only the first is named.
  TInstallation install;
  install.Remove("probex.dll");
  install.Remove("kitlib.dll");
  TProgramResult result = install.Run({"/image=demo-image"}, kDemoRoot);
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_EQ(result.output.find("kitlib.dll missing"), std::string::npos);
}

// Durations of a real run depend on the machine (a sanitizer build on a busy
// host may take seconds): every "took hh:nn:ss" is compared as its shape.
std::string MaskDurations(std::string text) {
  const std::string marker = "took ";
  for (size_t p = text.find(marker); p != std::string::npos; p = text.find(marker, p + 1)) {
    size_t t = p + marker.size();
    if (t + 8 <= text.size() && text[t + 2] == ':' && text[t + 5] == ':') {
      text.replace(t, 8, "hh:nn:ss");
    }
  }
  return text;
}

// The bundled demo, laid out as scripts/demo.sh lays it out.
TEST(ProgramTest, TheDemoImageScan) {
  TInstallation install;
  std::filesystem::copy_file(kDemo + "/vexascan.ini", install.Dir().Path("vexascan.ini"));
  std::filesystem::copy(kDemo + "/Includes", install.Dir().Path("Includes"),
                        std::filesystem::copy_options::recursive);
  TProgramResult result = install.Run({"/image=demo-image"}, kDemoRoot);
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(MaskDurations(Body(result)),
            MaskDurations("o image: demo-image\n" + kDemoUserLine + "o Unknown.\n" +
                Padded("\ro Hint of the Day") + "o Scanning spyware...\n" +
                Padded("\r+ found DemoBar:  Library") +
                Padded("\r+ found DemoBar: Program directory") +
                Padded("\r+ found DemoBar: Global settings") +
                Padded("\r+ found DemoBar: User settings") +
                Padded("\r+ found DemoBar: Autorun settings") +
                Padded("\r+ found Hotbar: Global settings") +
                Padded("\r+ found Hotbar: User settings") +
                Padded("\r+ found Hotbar: IE toolbar") +
                "\r[#########>............................]    10/    43 Hotbar                  " +
                Padded("\r+ found Hotbar: Settings") +
                Padded("\r+ found CoolWebSearch: IE start page") +
                Padded("\r+ found CoolWebSearch: IE Search page") +
                Padded("\r+ found MyWebSearch: Global settings") +
                Padded("\r+ found MyWebSearch: User settings") +
                Padded("\r+ found MyWebSearch: Autorun settings") +
                Padded("\ro demo.qri took 00:00:00") +
                Padded("\ro Quarnel took 00:00:00") + "o Scanning usage tracks...\n" +
                Padded("\ro Usage Tracking took 00:00:00") + Padded("\ro Congratulations!") +
                "o Scan finished.\n" +
                "- Spyware was found!\n+ No usage tracks found.\n" +
                "o the scan took 00:00:00\n" +
                "o Fixing is not allowed in the special version.\n"));
}

}  // namespace
}  // namespace vx

namespace vx {
namespace {

// NoOp lines decide by their advanced checks, run by the real probex.dll on
// the demo image: one that holds skips the line after it, one that fails
// does not. The lines after them are of an unknown type, so the include
// error log tells which of them were read.
TEST(ProgramTest, NoOpLinesDecideByTheirAdvancedChecks) {
  TInstallation install;
  install.Dir().Write("vexascan.ini", "[Main]\nIgnoreQriError=0\n[Filesets]\nnoop.qri=1\n");
  install.Dir().Write("Includes/noop.qri",
                      "// count: 4\r\n"
                      "\r\n"
                      ":: Checks\r\n"
                      "NoOp:\"filename=<$WINDIR>\\win.ini,filesize>=1,skipcount=1\"\r\n"
                      "Marker:after-a-check-that-holds\r\n"
                      "NoOp:\"filename=<$WINDIR>\\nothere.ini,filesize>=1,skipcount=1\"\r\n"
                      "Marker:after-a-check-that-fails\r\n");
  testing::TTempDir cwd;
  std::filesystem::create_directory(cwd.Path("Logs"));
  std::filesystem::copy(kDemoRoot + "/demo-image", cwd.Path("demo-image"),
                        std::filesystem::copy_options::recursive);
  TProgramResult result = install.Run({"/image=demo-image"}, cwd.Dir());
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_NE(Body(result).find(Padded("\ro noop.qri took 00:00:00").substr(0, 23)), std::string::npos);
  std::string log = cwd.Read("Logs/Include errors.log");
  EXPECT_EQ(log.find("after-a-check-that-holds"), std::string::npos) << log;
  EXPECT_NE(log.find("noop.qri | Checks (after-a-check-that-fails) [$"), std::string::npos) << log;
}

}  // namespace
}  // namespace vx

namespace vx {
namespace {

// A Cyrillic installation (code page 1251): a rule written in that code page
// finds a value whose data the hive keeps in UTF-16.
TEST(ProgramTest, TheImageCodePageConvertsRegistryData) {
  TInstallation install;
  install.Dir().Write("vexascan.ini", "[Filesets]\nru.qri=1\n");
  install.Dir().Write("Includes/ru.qri",
                      "// count: 1\r\n\r\n:: Spy\r\n"
                      "RegyValue:d,HKLM,\\SOFTWARE\\Spy\\,Name,\"Name=\xD2\xE5\xF1\xF2\"\r\n");
  testing::TTempDir cwd;
  cwd.Write("image/Windows/System32/config/SYSTEM.reg",
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Select]\r\n\"Current\"=dword:00000001\r\n"
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\Nls\\CodePage]\r\n\"ACP\"=\"1251\"\r\n");
  // "Тест", in an export as regedit writes it: version 5.00, UTF-16LE.
  cwd.Write("image/Windows/System32/config/SOFTWARE.reg",
            "\xFF\xFE" + Utf8ToUtf16Le("Windows Registry Editor Version 5.00\r\n\r\n"
                                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Spy]\r\n"
                                       "\"Name\"=\"\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82\"\r\n"));
  TProgramResult result = install.Run({"/image=image"}, cwd.Dir());
  EXPECT_NE(result.output.find("+ found Spy: d"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace vx
