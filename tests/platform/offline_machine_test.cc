#include "platform/offline/offline_machine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "support/fixture_image.h"

namespace vx {
namespace {

using testing::TFixtureImage;

std::string ReadString(TMachine& m, uint32_t root, std::string_view path, std::string_view name,
                TRegView view = TRegView::rv32) {
  return testing::ReadRawString(m, root, path, name, view);
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

TEST(OfflineMachineTest, EnvironmentComesFromTheImage) {
  TFixtureImage image(true);
  image.AddReg("[HKEY_CURRENT_USER\\Environment]\n\"Path\"=\"C:\\\\Tools\"\n\"Mine\"=\"m\"\n");
  auto m = image.OpenOffline();
  auto env = [&](std::string_view name) {
    std::string v = "<unset>";
    m->GetEnvironmentVariable(name, &v);
    return v;
  };
  EXPECT_EQ(env("SystemRoot"), "C:\\Windows");
  EXPECT_EQ(env("windir"), "C:\\Windows");
  EXPECT_EQ(env("SystemDrive"), "C:");
  EXPECT_EQ(env("ComSpec"), "C:\\Windows\\system32\\cmd.exe");
  EXPECT_EQ(env("Path"), "C:\\Windows\\system32;C:\\Windows;C:\\Tools");  // the user's is appended
  EXPECT_EQ(env("mine"), "m");
  // The scanner is a 32-bit process on a 64-bit image.
  EXPECT_EQ(env("ProgramFiles"), "C:\\Program Files (x86)");
  EXPECT_EQ(env("ProgramW6432"), "C:\\Program Files");
  EXPECT_EQ(env("PROCESSOR_ARCHITECTURE"), "x86");
  EXPECT_EQ(env("PROCESSOR_ARCHITEW6432"), "AMD64");
  EXPECT_EQ(env("USERPROFILE"), "C:\\Users\\Alice");
  EXPECT_EQ(env("USERNAME"), "Alice");
  EXPECT_EQ(env("HOMEPATH"), "\\Users\\Alice");
  EXPECT_EQ(env("LOCALAPPDATA"), "C:\\Users\\Alice\\AppData\\Local");
  EXPECT_EQ(env("ALLUSERSPROFILE"), "C:\\ProgramData");
  EXPECT_EQ(env("PUBLIC"), "C:\\Users\\Public");
  EXPECT_EQ(env("COMPUTERNAME"), "FIXTURE-PC");
  EXPECT_EQ(env("HOME"), "<unset>");  // never the host's
  EXPECT_EQ(m->ExpandEnvironmentStrings("%SystemRoot%\\x %Nope% 100% %%"),
            "C:\\Windows\\x %Nope% 100% %%");
  EXPECT_EQ(m->SystemDirectory(), "C:\\Windows\\system32");
  EXPECT_EQ(m->SpecialFolder(38), "C:\\Program Files (x86)");
  EXPECT_EQ(m->SpecialFolder(41), "C:\\Windows\\SysWOW64");
}

TEST(OfflineMachineTest, SpecialFoldersFromUserShellFoldersShellFoldersAndDefaults) {
  TFixtureImage image;
  image.AddReg(
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders]\n"
      "\"Personal\"=hex(2):25,55,53,45,52,50,52,4f,46,49,4c,45,25,5c,4d,79,44,6f,63,73,00\n");
  auto m = image.OpenOffline();
  EXPECT_EQ(m->SpecialFolder(5), "C:\\Users\\Alice\\MyDocs");  // User Shell Folders, expanded
  EXPECT_EQ(m->SpecialFolder(12), "C:\\Users\\Alice\\MyDocs");
  EXPECT_EQ(m->SpecialFolder(16), "C:\\Users\\Alice\\Desktop");  // Shell Folders
  EXPECT_EQ(m->SpecialFolder(0), "C:\\Users\\Alice\\Desktop");
  EXPECT_EQ(m->SpecialFolder(8), "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Windows\\Recent");
  EXPECT_EQ(m->SpecialFolder(25), "C:\\Users\\Public\\Desktop");
  EXPECT_EQ(m->SpecialFolder(46), "C:\\Users\\Public\\Documents");
  EXPECT_EQ(m->SpecialFolder(36), "C:\\Windows");
  EXPECT_EQ(m->SpecialFolder(37), "C:\\Windows\\system32");
  EXPECT_EQ(m->SpecialFolder(40), "C:\\Users\\Alice");
  EXPECT_EQ(m->SpecialFolder(62), "C:\\Users");
  EXPECT_EQ(m->SpecialFolder(20), "C:\\Windows\\Fonts");
  EXPECT_EQ(m->SpecialFolder(3), "");   // a virtual folder has no path
  EXPECT_EQ(m->SpecialFolder(29), "");  // no AltStartup on this system
  EXPECT_EQ(m->SpecialFolder(999), "");
}

TEST(OfflineMachineTest, OlderProfileLayoutGetsItsOwnDefaults) {
  TFixtureImage image;
  image.ClearReg();
  image.WriteFile("C:\\Documents and Settings\\Carol\\NTUSER.reg", "REGEDIT4\n");
  std::filesystem::remove_all(image.HostPath("C:\\Users"));
  auto m = image.OpenOffline();
  EXPECT_EQ(m->ChosenUserName(), "Carol");
  EXPECT_EQ(m->SpecialFolder(26), "C:\\Documents and Settings\\Carol\\Application Data");
  EXPECT_EQ(m->SpecialFolder(5), "C:\\Documents and Settings\\Carol\\My Documents");
  EXPECT_EQ(m->SpecialFolder(28), "C:\\Documents and Settings\\Carol\\Local Settings\\Application Data");
  EXPECT_EQ(m->SpecialFolder(35), "C:\\Documents and Settings\\All Users\\Application Data");
  EXPECT_EQ(m->SpecialFolder(62), "C:\\Documents and Settings");
}

TEST(OfflineMachineTest, NamesFollowTheImagesCodePage) {
  TFixtureImage image;
  image.AddReg(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\Nls\\CodePage]\n\"ACP\"=\"1251\"\n");
  // UTF-8 text: the key name is Cyrillic "\u0414\u0430".
  image.AddReg("[HKEY_LOCAL_MACHINE\\SOFTWARE\\\xD0\x94\xD0\xB0]\n\"V\"=\"1\"\n");
  image.MakeDirectory("C:\\Data\\\xD0\x94\xD0\xB0");
  auto m = image.OpenOffline();
  EXPECT_EQ(m->CodePage(), 1251);
  std::string cyrillic = "\xC4\xE0";  // the same name in Windows-1251
  EXPECT_TRUE(m->OpenKey(kHkeyLocalMachine, "SOFTWARE\\" + cyrillic, TRegView::rv32));
  EXPECT_TRUE(m->DirectoryExists("C:\\Data\\" + cyrillic));
  std::vector<TFileInfo> out;
  ASSERT_TRUE(m->ListDirectory("C:\\Data", "*", &out));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].name, cyrillic);
}

TEST(OfflineMachineTest, DescribeShowsTheMachineModel) {
  TFixtureImage image(true);
  auto m = image.OpenOffline();
  std::string text = m->Describe();
  for (const char* part : {"Windows directory:  C:\\Windows", "64-bit", "* Alice  S-1-5-21-",
                           "HKLM\\SOFTWARE", "HKU\\.DEFAULT", "ControlSet001",
                           "CSIDL_APPDATA                  C:\\Users\\Alice\\AppData\\Roaming"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  }
}

}  // namespace
}  // namespace vx

namespace vx {
namespace {

// The scan thread and the main thread use one machine at the same time.
TEST(OfflineMachineTest, ServesTwoThreadsAtOnce) {
  testing::TFixtureImage image(true);
  for (int i = 0; i < 50; ++i) {
    image.AddReg("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Key" + std::to_string(i) + "]\n\"V\"=\"x\"\n");
    image.WriteFile("C:\\Data\\File" + std::to_string(i) + ".txt", "x");
  }
  auto m = image.Open();
  std::atomic<int> failures{0};
  auto work = [&](int seed) {
    for (int round = 0; round < 200; ++round) {
      int i = (round * 7 + seed) % 50;
      auto key = m->OpenKey(kHkeyLocalMachine, "software\\vendor\\KEY" + std::to_string(i),
                            round % 2 ? TRegView::rv64 : TRegView::rv32);
      if (round % 2 && (!key || !key->ValueExists("v"))) ++failures;
      if (!m->FileExists("c:\\DATA\\file" + std::to_string(i) + ".TXT")) ++failures;
      std::string value;
      if (!m->GetEnvironmentVariable("USERPROFILE", &value)) ++failures;
      if (m->SpecialFolder(26).empty()) ++failures;
    }
  };
  std::thread a(work, 1), b(work, 2);
  a.join();
  b.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace vx
