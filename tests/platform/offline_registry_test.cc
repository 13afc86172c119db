// The registry of an image as the running system would show it: roots,
// views, redirection, merges, hives and .reg text, damaged input.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/offline/offline_machine.h"
#include "support/fixture_image.h"

namespace vx {
namespace {

using testing::kFixtureUserSid;
using testing::TFixtureImage;

std::string Str(TMachine& m, uint32_t root, std::string_view path, std::string_view name,
                TRegView view = TRegView::rv32) {
  return testing::ReadRawString(m, root, path, name, view);
}

std::vector<std::string> SubKeys(TMachine& m, uint32_t root, std::string_view path,
                                 TRegView view = TRegView::rv32) {
  auto key = m.OpenKey(root, path, view);
  return key ? key->SubKeyNames() : std::vector<std::string>{"<no key>"};
}

bool Has(const std::vector<std::string>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(OfflineRegistryTest, PathsIgnoreCaseAndExtraBackslashes) {
  TFixtureImage image;
  image.AddReg("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App]\n\"Name\"=\"v\"\n");
  auto m = image.Open();
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "software\\VENDOR\\app", "NAME"), "v");
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "\\SOFTWARE\\Vendor\\App\\", "Name"), "v");
  EXPECT_FALSE(m->OpenKey(kHkeyLocalMachine, "SOFTWARE\\Vendor\\Missing", TRegView::rv32));
  EXPECT_FALSE(m->OpenKey(0x80000009u, "SOFTWARE", TRegView::rv32));
  auto key = m->OpenKey(kHkeyLocalMachine, "SOFTWARE\\Vendor", TRegView::rv32);
  ASSERT_TRUE(key);
  auto sub = key->OpenSubKey("APP");
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->Path(), "SOFTWARE\\Vendor\\APP");
  EXPECT_TRUE(sub->ValueExists("name"));
}

TEST(OfflineRegistryTest, RootsHoldTheHivesAsOnARunningSystem) {
  TFixtureImage image;
  image.AddReg("[HKEY_CURRENT_USER\\Software\\Mine]\n\"X\"=\"1\"\n");
  auto m = image.Open();
  EXPECT_EQ(SubKeys(*m, kHkeyLocalMachine, ""),
            (std::vector<std::string>{"HARDWARE", "SAM", "SECURITY", "SOFTWARE", "SYSTEM"}));
  EXPECT_EQ(SubKeys(*m, kHkeyUsers, ""), (std::vector<std::string>{".DEFAULT", kFixtureUserSid}));
  EXPECT_EQ(Str(*m, kHkeyUsers, std::string(kFixtureUserSid) + "\\Software\\Mine", "X"), "1");
  EXPECT_EQ(Str(*m, kHkeyCurrentUser, "Software\\Mine", "X"), "1");
  EXPECT_EQ(m->UserSid(), kFixtureUserSid);
  EXPECT_EQ(m->UserName(), "Alice");
}

TEST(OfflineRegistryTest, RegTextNamesRootsLongOrShortInExactCase) {
  TFixtureImage image;
  image.AddReg(
      "[HKLM\\SOFTWARE\\Short]\n\"V\"=\"lm\"\n"
      "[HKU\\.DEFAULT\\Software\\ViaHku]\n\"V\"=\"u\"\n"
      "[HKUS\\.DEFAULT\\Software\\ViaHkus]\n\"V\"=\"us\"\n"
      "[HKCU\\Software\\ViaHkcu]\n\"V\"=\"cu\"\n"
      "[HKCR\\.viahkcr]\n\"V\"=\"cr\"\n"
      "[HKCC\\Software\\ViaHkcc]\n\"V\"=\"cc\"\n"
      "[hklm\\SOFTWARE\\LowerCase]\n"
      "[HKEY_PERFORMANCE_DATA\\Counters]\n");
  auto m = image.Open();
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SOFTWARE\\Short", "V"), "lm");
  EXPECT_EQ(Str(*m, kHkeyUsers, ".DEFAULT\\Software\\ViaHku", "V"), "u");
  EXPECT_EQ(Str(*m, kHkeyUsers, ".DEFAULT\\Software\\ViaHkus", "V"), "us");
  EXPECT_EQ(Str(*m, kHkeyCurrentUser, "Software\\ViaHkcu", "V"), "cu");
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SOFTWARE\\Classes\\.viahkcr", "V"), "cr");
  EXPECT_EQ(Str(*m, kHkeyCurrentConfig, "Software\\ViaHkcc", "V"), "cc");
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SOFTWARE\\LowerCase", "V"), "<no key>");
  auto said = [&](std::string_view text) {
    return std::any_of(image.Messages().begin(), image.Messages().end(),
                       [&](const std::string& m) { return m.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(said("unknown root key \"hklm\""));
  EXPECT_TRUE(said("unknown root key \"HKEY_PERFORMANCE_DATA\""));
}

TEST(OfflineRegistryTest, CurrentControlSetFollowsSelectCurrent) {
  TFixtureImage image;
  image.AddReg(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\Select]\n\"Current\"=dword:00000002\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet002\\Services\\Two]\n\"Start\"=dword:00000003\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet002\\Hardware Profiles\\Current\\Software]\n\"P\"=\"cc\"\n");
  auto m = image.Open();
  EXPECT_TRUE(m->OpenKey(kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Two", TRegView::rv32));
  EXPECT_FALSE(m->OpenKey(kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Nls", TRegView::rv32));
  EXPECT_TRUE(m->OpenKey(kHkeyLocalMachine, "SYSTEM\\ControlSet001\\Control\\Nls", TRegView::rv32));
  EXPECT_EQ(SubKeys(*m, kHkeyLocalMachine, "SYSTEM"),
            (std::vector<std::string>{"ControlSet001", "ControlSet002", "CurrentControlSet", "Select"}));
  EXPECT_EQ(Str(*m, kHkeyCurrentConfig, "Software", "P"), "cc");
}

TEST(OfflineRegistryTest, ClassesRootMergesTheUsersClassesOverTheMachines) {
  TFixtureImage image;
  image.AddReg(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.txt]\n@=\"txtfile\"\n\"Machine\"=\"m\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\MachineOnly]\n"
      "[HKEY_CURRENT_USER\\Software\\Classes\\.txt]\n@=\"userfile\"\n"
      "[HKEY_CURRENT_USER\\Software\\Classes\\UserOnly]\n");
  image.WriteFile("C:\\Users\\Alice\\AppData\\Local\\Microsoft\\Windows\\UsrClass.reg",
                  "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Classes\\FromUsrClass]\n\"F\"=\"u\"\n");
  auto m = image.Open();
  EXPECT_EQ(Str(*m, kHkeyClassesRoot, ".txt", ""), "userfile");   // the user's key wins
  EXPECT_EQ(Str(*m, kHkeyClassesRoot, ".txt", "Machine"), "m");   // the machine's shows through
  std::vector<std::string> names = SubKeys(*m, kHkeyClassesRoot, "");
  EXPECT_TRUE(Has(names, "UserOnly"));
  EXPECT_TRUE(Has(names, "MachineOnly"));
  EXPECT_TRUE(Has(names, "FromUsrClass"));
  EXPECT_EQ(std::count(names.begin(), names.end(), ".txt"), 1);
  // The user's classes hive is HKU\<SID>_Classes and the user's Software\Classes.
  EXPECT_TRUE(Has(SubKeys(*m, kHkeyUsers, ""), std::string(kFixtureUserSid) + "_Classes"));
  EXPECT_EQ(Str(*m, kHkeyUsers, std::string(kFixtureUserSid) + "_Classes\\FromUsrClass", "F"), "u");
  EXPECT_EQ(Str(*m, kHkeyCurrentUser, "Software\\Classes\\FromUsrClass", "F"), "u");
  EXPECT_EQ(Str(*m, kHkeyCurrentUser, "Software\\Classes\\.txt", ""), "userfile");
}

TEST(OfflineRegistryTest, ThirtyTwoBitViewIsRedirectedOnA64BitImage) {
  TFixtureImage image(true);
  image.AddReg(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\n\"Bits\"=\"64\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Vendor]\n\"Bits\"=\"32\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{C1}]\n@=\"native\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Wow6432Node\\CLSID\\{C1}]\n@=\"x86\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.ext]\n@=\"shared\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\P]\n\"S\"=\"shared\"\n");
  auto m = image.Open();
  EXPECT_TRUE(m->IsWow64());
  const char* cv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, cv, "ProgramFilesDir", TRegView::rv32), "C:\\Program Files (x86)");
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, cv, "ProgramFilesDir", TRegView::rv64), "C:\\Program Files");
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SOFTWARE\\Vendor", "Bits", TRegView::rv32), "32");
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SOFTWARE\\Vendor", "Bits", TRegView::rv64), "64");
  // An explicit Wow6432Node is not redirected twice.
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SOFTWARE\\Wow6432Node\\Vendor", "Bits", TRegView::rv32), "32");
  // Shared keys read the same in both views.
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SOFTWARE\\Policies\\P", "S", TRegView::rv32), "shared");
  EXPECT_TRUE(m->OpenKey(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                         TRegView::rv32));
  // Class keys: CLSID is redirected, file types are shared.
  EXPECT_EQ(Str(*m, kHkeyClassesRoot, "CLSID\\{C1}", "", TRegView::rv32), "x86");
  EXPECT_EQ(Str(*m, kHkeyClassesRoot, "CLSID\\{C1}", "", TRegView::rv64), "native");
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\{C1}", "", TRegView::rv32), "x86");
  EXPECT_EQ(Str(*m, kHkeyClassesRoot, ".ext", "", TRegView::rv32), "shared");
  // Listing SOFTWARE in the 32-bit view shows the redirected keys and the shared ones.
  std::vector<std::string> names = SubKeys(*m, kHkeyLocalMachine, "SOFTWARE", TRegView::rv32);
  EXPECT_TRUE(Has(names, "Vendor"));
  EXPECT_TRUE(Has(names, "Policies"));
  EXPECT_FALSE(Has(names, "Wow6432Node"));
  EXPECT_TRUE(Has(SubKeys(*m, kHkeyLocalMachine, "SOFTWARE", TRegView::rv64), "Wow6432Node"));
}

TEST(OfflineRegistryTest, BothViewsAreTheSameOnA32BitImage) {
  TFixtureImage image;
  image.AddReg("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{C1}]\n@=\"only\"\n");
  auto m = image.Open();
  EXPECT_FALSE(m->IsWow64());
  for (TRegView view : {TRegView::rv32, TRegView::rv64}) {
    EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", view),
              "C:\\Program Files");
    EXPECT_EQ(Str(*m, kHkeyClassesRoot, "CLSID\\{C1}", "", view), "only");
  }
}

TEST(OfflineRegistryTest, ProfileFoldersStandInForAMissingProfileList) {
  TFixtureImage image;
  image.AddReg("[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList]\n");
  image.WriteFile("C:\\Users\\Bob\\NTUSER.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Bob]\n\"B\"=\"b\"\n");
  image.MakeDirectory("C:\\Users\\Default");  // a template, never a user
  image.WriteFile("C:\\Users\\Default\\NTUSER.reg", "REGEDIT4\n");
  TOfflineOptions options;
  options.user = "bob";
  auto m = image.OpenOffline(options);
  ASSERT_EQ(m->Users().size(), 2u);
  EXPECT_EQ(m->Users()[0].name, "Alice");
  EXPECT_EQ(m->Users()[1].name, "Bob");
  EXPECT_FALSE(m->Users()[1].from_profile_list);
  EXPECT_EQ(m->ChosenUserName(), "Bob");
  EXPECT_EQ(m->ChosenUserSid(), "S-1-5-21-0-0-0-1001");
  EXPECT_EQ(Str(*m, kHkeyCurrentUser, "Software\\Bob", "B"), "b");
  EXPECT_EQ(m->SpecialFolder(40), "C:\\Users\\Bob");
  EXPECT_EQ(m->SpecialFolder(26), "C:\\Users\\Bob\\AppData\\Roaming");  // the default
}

TEST(OfflineRegistryTest, AnUnknownUserIsReportedAndTheFirstTaken) {
  TFixtureImage image;
  TOfflineOptions options;
  options.user = "Mallory";
  auto m = image.OpenOffline(options);
  ASSERT_EQ(image.Messages().size(), 1u);
  EXPECT_EQ(image.Messages()[0], "user \"Mallory\" has no profile on the image; using Alice");
  EXPECT_EQ(m->ChosenUserName(), "Alice");
  options.user = kFixtureUserSid;
  EXPECT_EQ(image.OpenOffline(options)->ChosenUserName(), "Alice");
}

TEST(OfflineRegistryTest, ReadsHiveFilesAndLaysRegTextOverThem) {
  TFixtureImage image;
  image.ClearReg();
  image.WriteHive("C:\\Windows\\System32\\config\\SOFTWARE",
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App]\n\"Ver\"=\"1.0\"\n\"Keep\"=dword:00000007\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Gone]\n\"X\"=\"x\"\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\"
                  "S-1-5-21-9-9-9-1001]\n\"ProfileImagePath\"=\"C:\\\\Users\\\\Alice\"\n");
  image.WriteHive("C:\\Windows\\System32\\config\\SYSTEM",
                  "[HKEY_LOCAL_MACHINE\\SYSTEM\\Select]\n\"Current\"=dword:00000001\n"
                  "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\Nls\\CodePage]\n\"ACP\"=\"1252\"\n");
  image.WriteHive("C:\\Users\\Alice\\NTUSER.DAT", "[HKEY_CURRENT_USER\\Software\\Hive]\n\"H\"=\"h\"\n");
  image.WriteFile("C:\\Windows\\System32\\config\\SOFTWARE.reg",
                  "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App]\n\"Ver\"=\"2.0\"\n"
                  "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Gone]\n");
  auto m = image.OpenOffline();
  EXPECT_TRUE(image.Messages().empty()) << image.Messages().front();
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "Software\\Vendor\\APP", "Ver"), "2.0");  // the text wins
  auto key = m->OpenKey(kHkeyLocalMachine, "SOFTWARE\\Vendor\\App", TRegView::rv32);
  ASSERT_TRUE(key);
  TRegValue v;
  ASSERT_TRUE(key->QueryValue("keep", &v));
  EXPECT_EQ(v.type, kRegDword);
  EXPECT_EQ(v.data, std::string("\x07\0\0\0", 4));
  EXPECT_EQ(key->ValueNames(), (std::vector<std::string>{"Ver", "Keep"}));
  EXPECT_GT(key->LastWriteTime(), 0u);
  EXPECT_FALSE(m->OpenKey(kHkeyLocalMachine, "SOFTWARE\\Vendor\\Gone", TRegView::rv32));
  EXPECT_EQ(SubKeys(*m, kHkeyLocalMachine, "SOFTWARE\\Vendor"), (std::vector<std::string>{"App"}));
  EXPECT_EQ(m->ChosenUserSid(), "S-1-5-21-9-9-9-1001");
  EXPECT_EQ(Str(*m, kHkeyCurrentUser, "Software\\Hive", "H"), "h");
  EXPECT_NE(m->Describe().find("SOFTWARE.reg"), std::string::npos);
}

TEST(OfflineRegistryTest, DamagedInputIsReportedAndTheRestWorks) {
  TFixtureImage image;
  image.WriteHive("C:\\Windows\\System32\\config\\SAM", "[HKEY_LOCAL_MACHINE\\SAM\\Domains]\n\"A\"=\"a\"\n");
  std::string sam = image.HostPath("C:\\Windows\\System32\\config\\SAM");
  std::filesystem::resize_file(sam, 5000);  // truncated
  image.WriteFile("C:\\Windows\\System32\\config\\SECURITY", std::string(70000, 'Z'));  // no hive
  image.WriteFile("C:\\Windows\\System32\\config\\DEFAULT", "regf");  // a header and nothing else
  image.WriteFile("C:\\Windows\\System32\\config\\SYSTEM.reg",
                  "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Fine]\n\"A\"=dword:zz\n\"B\"=\"b\"\n");
  image.WriteFile("C:\\Users\\Alice\\AppData\\Local\\Microsoft\\Windows\\UsrClass.reg", "not registry text\n");
  auto m = image.OpenOffline();
  const auto& msgs = image.Messages();
  auto mentions = [&](std::string_view what) {
    return std::count_if(msgs.begin(), msgs.end(),
                         [&](const std::string& s) { return s.find(what) != std::string::npos; });
  };
  EXPECT_EQ(mentions("config/SAM: "), 1);
  EXPECT_EQ(mentions("config/SECURITY: "), 1);
  EXPECT_EQ(mentions("config/DEFAULT: "), 1);
  EXPECT_EQ(mentions("SYSTEM.reg:3: bad dword data"), 1);
  EXPECT_EQ(mentions("UsrClass.reg:1: not a registry export"), 1);
  EXPECT_EQ(msgs.size(), 5u);
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SYSTEM\\Fine", "B"), "b");
  EXPECT_TRUE(m->OpenKey(kHkeyLocalMachine, "SAM", TRegView::rv32));  // an empty hive in its place
  EXPECT_FALSE(m->OpenKey(kHkeyLocalMachine, "SAM\\Domains", TRegView::rv32));
  EXPECT_EQ(m->ChosenUserName(), "Alice");
}

TEST(OfflineRegistryTest, AnImageWithoutWindowsIsReported) {
  TFixtureImage image;
  std::filesystem::remove_all(image.HostPath("C:\\Windows"));
  image.WriteFile("C:\\readme.txt", "x");
  auto m = image.OpenOffline();
  ASSERT_FALSE(image.Messages().empty());
  EXPECT_NE(image.Messages()[0].find("no Windows directory found"), std::string::npos);
  EXPECT_TRUE(m->FileExists("C:\\README.TXT"));
  EXPECT_EQ(m->WindowsDirectory(), "C:\\Windows");
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot"),
            "C:\\Windows");  // the given .reg text is still read
}

TEST(OfflineRegistryTest, WritesOnlyWhenAskedForAndOnlyInMemory) {
  TFixtureImage image;
  {
    auto m = image.Open();
    EXPECT_FALSE(m->CreateKey(kHkeyLocalMachine, "SOFTWARE\\New", TRegView::rv32));
    EXPECT_TRUE(m->CreateKey(kHkeyLocalMachine, "SOFTWARE\\Microsoft", TRegView::rv32));  // exists
    auto key = m->OpenKey(kHkeyLocalMachine, "SOFTWARE\\Microsoft", TRegView::rv32);
    EXPECT_FALSE(key->SetValue("V", TRegValue{kRegDword, std::string(4, '\0')}));
    EXPECT_FALSE(m->DeleteKey(kHkeyLocalMachine, "SOFTWARE\\Microsoft", TRegView::rv32));
  }
  TOfflineOptions options;
  options.writable = true;
  auto m = image.Open(options);
  auto key = m->CreateKey(kHkeyLocalMachine, "SOFTWARE\\New\\Deep", TRegView::rv32);
  ASSERT_TRUE(key);
  EXPECT_TRUE(key->SetValue("V", TRegValue{kRegSz, std::string("a\0\0\0", 4)}));
  EXPECT_EQ(Str(*m, kHkeyLocalMachine, "SOFTWARE\\New\\Deep", "V"), "a");
  EXPECT_TRUE(key->DeleteValue("v"));
  EXPECT_FALSE(key->ValueExists("V"));
  EXPECT_TRUE(m->DeleteKey(kHkeyLocalMachine, "SOFTWARE\\New", TRegView::rv32));
  EXPECT_FALSE(m->OpenKey(kHkeyLocalMachine, "SOFTWARE\\New\\Deep", TRegView::rv32));
  EXPECT_FALSE(key->ValueExists("V"));  // the open key stays usable and reads as gone
  EXPECT_TRUE(key->SubKeyNames().empty());
}

TEST(OfflineRegistryTest, LoadsAndUnloadsHives) {
  TFixtureImage image;
  image.WriteHive("D:\\Windows\\System32\\config\\software", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"O\"=\"o\"\n");
  auto m = image.Open();
  EXPECT_TRUE(m->LoadHive(kHkeyLocalMachine, "PE_D_SOFTWARE", "D:\\WINDOWS\\system32\\config\\SOFTWARE"));
  EXPECT_FALSE(m->LoadHive(kHkeyLocalMachine, "PE_D_SOFTWARE", "D:\\WINDOWS\\system32\\config\\SOFTWARE"));
  EXPECT_FALSE(m->LoadHive(kHkeyUsers, "PE_X", "D:\\missing"));
  EXPECT_FALSE(m->LoadHive(kHkeyUsers, "PE_Y", "C:\\Users\\Alice\\NTUSER.reg"));  // no hive
  EXPECT_TRUE(Has(SubKeys(*m, kHkeyLocalMachine, ""), "PE_D_SOFTWARE"));
  auto key = m->OpenKey(kHkeyLocalMachine, "PE_D_SOFTWARE\\Other", TRegView::rv32);
  ASSERT_TRUE(key);
  EXPECT_TRUE(key->ValueExists("O"));
  EXPECT_TRUE(m->UnloadHive(kHkeyLocalMachine, "pe_d_software"));
  EXPECT_FALSE(m->UnloadHive(kHkeyLocalMachine, "PE_D_SOFTWARE"));
  EXPECT_FALSE(m->OpenKey(kHkeyLocalMachine, "PE_D_SOFTWARE\\Other", TRegView::rv32));
  EXPECT_FALSE(key->ValueExists("O"));  // an open key of an unloaded hive reads as empty
  EXPECT_TRUE(key->ValueNames().empty());
}

}  // namespace
}  // namespace vx
