#include "detect/registry_rules.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "match/path_variables.h"
#include "match/regex_match.h"
#include "platform/machine.h"
#include "scan/rule_interpreter.h"
#include "support/fixture_image.h"
#include "support/rule_fixture.h"

namespace vx {
namespace {

using testing::TFixtureImage;

class RegistryRulesTest : public testing::TRuleFixture {};

using Findings = std::vector<std::string>;

TEST_F(RegistryRulesTest, KeysByNameAndByWildcard) {
  image_->AddReg(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\FooBar]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\FooBaz]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Foo]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n");
  Open();
  EXPECT_EQ(Run("RegyKey:d,HKLM,\\SOFTWARE\\,Foo\r\n"),
            (Findings{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Foo|3|Foo"}));
  EXPECT_EQ(Run("RegyKey:d,HKEY_LOCAL_MACHINE,\\SOFTWARE,foo?a*\r\n"),
            (Findings{"HKEY_LOCAL_MACHINE\\SOFTWARE\\FooBar|3|FooBar",
                      "HKEY_LOCAL_MACHINE\\SOFTWARE\\FooBaz|3|FooBaz"}));
  EXPECT_EQ(Last().Infos.Values("Key"), "FooBaz");
  EXPECT_EQ(Last().Infos.Values("Action"), "KeyDelete");
  EXPECT_EQ(Last().Infos.Values("Path"), "\\SOFTWARE\\");
  EXPECT_EQ(Last().Infos.Values("AccessBits"), "32");
  EXPECT_EQ(Run("RegyKey:d,HKLM,\\SOFTWARE\\,<regexpr>^Foo$\r\n"),
            (Findings{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Foo|3|Foo"}));
  // An unknown root and a line below the minimum find nothing.
  EXPECT_EQ(Run("RegyKey:d,HKU,\\SOFTWARE\\,Foo\r\nRegyKey:d,HKLM,\\SOFTWARE\\\r\n"), Findings{});
}

TEST_F(RegistryRulesTest, VerifySpecifications) {
  image_->AddReg(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Spy]\r\n"
      "\"Start\"=dword:00000004\r\n"
      "\"Blob\"=hex:04,00,00,00\r\n"
      "\"Name\"=\"Evil Toolbar\"\r\n"
      "\"Empty\"=\"\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Spy\\Sub]\r\n"
      "\"Inner\"=\"x\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Elsewhere]\r\n"
      "\"Marker\"=\"1\"\r\n");
  Open();
  struct Case {
    const char* verify;
    bool found;
  };
  const Case cases[] = {
      {"Start", true},          {"!Start", false},         {"!Other", true},
      {"Other", false},         {"Start=dword:4", true},   {"Start=W=$4", true},
      {"Start=B=4", true},      {"Blob=B=4", false},       {"Blob!=B=4", false},
      {"Start=dword:5", false}, {"Start!=dword:5", true},  {"Name=*toolbar", true},
      {"Name=evil*", true},     {"Name!=evil*", false},    {"Name=<substr>Tool", true},
      {"Name=dword:1", false},  {"Name!=dword:1", false},  {"Empty=", true},
      {"Name=", false},         {"Start=exists:", true},   {"N*=Evil Toolbar", true},
      {"Sub\\Inner=x", true},   {"Sub\\Inner=y", false},   {"\\SOFTWARE\\Elsewhere\\Marker", true},
      {"\\SOFTWARE\\Nowhere\\Marker", false}, {"!\\SOFTWARE\\Nowhere\\Marker", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verify);
    Findings found = Run(std::string("RegyValue:d,HKLM,\\SOFTWARE\\Spy\\,Start,\"") + c.verify + "\"\r\n");
    EXPECT_EQ(found.size(), c.found ? 1u : 0u);
  }
  // A key that does not exist reports nothing, even for a negated condition.
  EXPECT_EQ(Run("RegyValue:d,HKLM,\\SOFTWARE\\None\\,Start,!Other\r\n"), Findings{});
}

TEST_F(RegistryRulesTest, ChangesFixesAndRemovals) {
  image_->AddReg(
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main]\r\n"
      "\"Start Page\"=\"http://hijack.example/\"\r\n"
      "\"Search Page\"=\"about:blank\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon]\r\n"
      "\"Userinit\"=\"C:\\\\Windows\\\\system32\\\\userinit.exe,C:\\\\evil.exe,\"\r\n");
  Open();
  const std::string hkcu = std::string("HKEY_USERS\\") + testing::kFixtureUserSid +
                           "\\Software\\Microsoft\\Internet Explorer\\Main\\";
  EXPECT_EQ(Run("RegyChange:d,HKCU,\"Software\\Microsoft\\Internet Explorer\\Main\",\"Start Page=about:blank\"\r\n"
                "RegyChange:d,HKCU,\"Software\\Microsoft\\Internet Explorer\\Main\",\"Search Page=about:blank\"\r\n"),
            (Findings{hkcu + "Start Page|4|Start Page"}));
  EXPECT_EQ(Last().Infos.Values("Action"), "ValueChange");
  EXPECT_EQ(Last().RootKey, kHkeyUsers);

  const std::string winlogon =
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\";
  EXPECT_EQ(Run("RegyRemove:d,HKLM,\"\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\\","
                "Userinit,evil.exe\r\n"),
            (Findings{winlogon + "Userinit|2|Userinit"}));
  EXPECT_EQ(Last().Infos.Values("Action"), "DataRemove");
  EXPECT_EQ(Last().Infos.Values("RemoveData"), "evil.exe");
  Run("RegyRemove:d,HKLM,\"\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\\","
      "Userinit,\"<regexpr>C:\\\\\\w+\\.exe,\"\r\n");
  EXPECT_EQ(Last().Infos.Values("RemoveData"), "C:\\evil.exe,");
  EXPECT_EQ(Run("RegyRemove:d,HKLM,\"\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\\","
                "Userinit,good.exe\r\n"),
            Findings{});

  EXPECT_EQ(Run("RegyFix:d,HKLM,\"\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\\","
                "Userinit=*evil*\r\n"),
            (Findings{winlogon + "Userinit|2|Userinit"}));
  EXPECT_EQ(Last().Infos.Values("Action"), "DataFix");
}

TEST_F(RegistryRulesTest, EveryUserHiveForCurrentUserRules) {
  struct User {
    const char* name;
    const char* sid;
  };
  const User others[] = {{"Bob", "S-1-5-21-1004336348-1177238915-682003330-1002"},
                         {"Carol", "S-1-5-21-1004336348-1177238915-682003330-1003"}};
  for (const User& u : others) {
    image_->AddReg(std::string("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\") +
                   u.sid + "]\r\n\"ProfileImagePath\"=\"C:\\\\Users\\\\" + u.name + "\"\r\n");
    image_->WriteFile(std::string("C:\\Users\\") + u.name + "\\NTUSER.reg",
                      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\SpyBar]\r\n\"Id\"=\"7\"\r\n");
  }
  image_->AddReg("[HKEY_CURRENT_USER\\Software\\SpyBar]\r\n\"Id\"=\"7\"\r\n");
  image_->AddReg("[HKEY_CURRENT_USER\\Software\\Classes\\SpyBar.Class]\r\n");
  Open();
  Findings found = Run("RegyKey:d,HKEY_CURRENT_USER,\\Software\\,SpyBar,Id=7\r\n");
  ASSERT_EQ(found.size(), 3u);
  for (const std::string& f : found) EXPECT_EQ(f.rfind("HKEY_USERS\\S-1-5-21-", 0), 0u) << f;
  EXPECT_EQ(Run("RegyKey:d,HKCU,\\Software\\Classes\\,SpyBar.Class\r\n").size(), 1u);
}

class RegistryRules64Test : public RegistryRulesTest {
 protected:
  RegistryRules64Test() { image_ = std::make_unique<TFixtureImage>(/*win64=*/true); }
};

TEST_F(RegistryRules64Test, BothViewsWhereWindowsKeepsTwo) {
  image_->AddReg(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Spy]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Spy]\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\spysvc]\r\n"
      "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SOFTWARE\\Spy]\r\n");
  Open();
  Findings software = Run("RegyKey:d,HKLM,\\SOFTWARE\\,Spy\r\n");
  EXPECT_EQ(software, (Findings{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Spy|3|Spy",
                                "HKEY_LOCAL_MACHINE\\SOFTWARE\\Spy [64bit]|3|Spy"}));
  EXPECT_EQ(Last().Infos.Values("AccessBits"), "64");
  EXPECT_EQ(Run("RegyKey:d,HKLM,\\SYSTEM\\ControlSet001\\Services\\,spysvc\r\n").size(), 2u);
  // "SOFTWARE\" from the tenth character on: the 32-bit view alone.
  EXPECT_EQ(Run("RegyKey:d,HKLM,\\HARDWARE\\DEVICEMAP\\SOFTWARE\\,Spy\r\n"),
            (Findings{"HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SOFTWARE\\Spy|3|Spy"}));
}

TEST_F(RegistryRulesTest, CapturedGroupsReachTheLinesAfter) {
  image_->AddReg(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
      "\"updater\"=\"C:\\\\Program Files\\\\SpyBar\\\\sbupd.exe /s\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\SpyBar\\sbupd]\r\n");
  Open();
  Findings found = Run(
      "RegyValue:d,HKLM,\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\,*,"
      "\"*=<regexpr>\\\\SpyBar\\\\(\\w+)\\.exe\"\r\n"
      "RegyKey:d,HKLM,\\SOFTWARE\\SpyBar\\,<$REGMATCH1>\r\n"
      // A registry line that finds nothing leaves no groups behind.
      "RegyKey:d,HKLM,\\SOFTWARE\\,Nothing\r\n"
      "RegyValue:d,HKLM,\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\,updater,"
      "\"updater=*\\<$REGMATCH1>.exe*\"\r\n");
  EXPECT_EQ(found, (Findings{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\updater|2|updater",
                             "HKEY_LOCAL_MACHINE\\SOFTWARE\\SpyBar\\sbupd|3|sbupd"}));
}

TEST_F(RegistryRulesTest, TheAdvancedFileCheckDecides) {
  image_->AddReg("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Spy]\r\n");
  Open();
  scan_->advanced_check = [](const std::string& file, const std::string& parameters) {
    return file.empty() && parameters == "exists[file]=C:\\Windows";
  };
  EXPECT_EQ(Run("RegyKey:d,HKLM,\\SOFTWARE\\,Spy,,exists[file]=<$WINDIR>\r\n").size(), 1u);
  EXPECT_EQ(Run("RegyKey:d,HKLM,\\SOFTWARE\\,Spy,,exists[file]=C:\\Other\r\n").size(), 0u);
}

// A hive cut off halfway: the keys it still holds are found, the rest are
// missing, and nothing else happens.
TEST_F(RegistryRulesTest, AHiveDamagedHalfway) {
  image_->ClearReg();
  std::string text = "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n";
  for (int i = 0; i < 2000; ++i) {
    text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor" + std::to_string(i) + "]\r\n\"Name\"=\"" +
            std::string(40, 'x') + "\"\r\n";
  }
  image_->WriteHive("C:\\Windows\\System32\\config\\SOFTWARE", text, "HKEY_LOCAL_MACHINE\\SOFTWARE");
  std::string host = image_->HostPath("C:\\Windows\\System32\\config\\SOFTWARE");
  std::filesystem::resize_file(host, std::filesystem::file_size(host) / 2);
  Open();
  Findings found = Run("RegyKey:d,HKLM,\\SOFTWARE\\,Vendor*\r\nRegyValue:d,HKLM,\\SOFTWARE\\Vendor1\\,Name\r\n");
  EXPECT_LT(found.size(), 2001u);
  EXPECT_TRUE(scan_->error_notices.empty());
}

// A user hive made by Windows 7, as Alice's NTUSER.DAT.
TEST_F(RegistryRulesTest, ARealWindowsSevenUserHive) {
  std::filesystem::copy_file(std::string(VX_SOURCE_DIR) + "/tests/data/hives/NTUSER-WIN7.DAT",
                             image_->HostPath("C:\\Users\\Alice\\NTUSER.DAT"));
  std::filesystem::remove(image_->HostPath("C:\\Users\\Alice\\NTUSER.reg"));
  Open();
  const std::string hkcu = std::string("HKEY_USERS\\") + testing::kFixtureUserSid + "\\Software\\";
  const std::string run = hkcu + "Microsoft\\Windows\\CurrentVersion\\Run\\";
  // The verify specification is a condition on the key: with it, every
  // value of the key is reported; the data to remove is looked for in each.
  EXPECT_EQ(Run("RegyValue:d,HKCU,\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\,*,"
                "\"*=*\\GoogleUpdate.exe*\"\r\n"),
            (Findings{run + "Google Update|2|Google Update", run + "Skype|2|Skype"}));
  EXPECT_EQ(Run("RegyRemove:d,HKCU,\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\,*,"
                "GoogleUpdate.exe\r\n"),
            (Findings{run + "Google Update|2|Google Update"}));
  EXPECT_EQ(Run("RegyChange:d,HKCU,\"\\Software\\Microsoft\\Internet Explorer\\Main\\\","
                "\"Start Page=http://www.google.com/\"\r\n"),
            Findings{});
  EXPECT_EQ(Run("RegyChange:d,HKCU,\"\\Software\\Microsoft\\Internet Explorer\\Main\\\","
                "\"Search Page=about:blank\"\r\n")
                .size(),
            1u);
  EXPECT_EQ(Run("RegyKey:d,HKCU,\\Software\\Microsoft\\,Internet*\r\n"),
            (Findings{hkcu + "Microsoft\\Internet Connection Wizard|3|Internet Connection Wizard",
                      hkcu + "Microsoft\\Internet Explorer|3|Internet Explorer",
                      hkcu + "Microsoft\\Internet Mail and News|3|Internet Mail and News"}));
}

}  // namespace
}  // namespace vx
