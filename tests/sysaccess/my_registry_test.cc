#include "sysaccess/my_registry.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "support/fixture_image.h"

namespace vx {
namespace {

using testing::TFixtureImage;

// Each test sets the machine it examines and leaves none behind.
class MyRegistryTest : public ::testing::Test {
 protected:
  void Use(TFixtureImage& image, bool writable = false) {
    TOfflineOptions options;
    options.writable = writable;
    SetCurrentMachine(image.Open(options));
  }
  void TearDown() override { SetCurrentMachine(nullptr); }
};

TEST(RegistryNamesTest, RootNamesBothWays) {
  EXPECT_EQ(RootKeyToName(kHkeyLocalMachine), "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(RootKeyToName(kHkeyDynData), "HKEY_DYN_DATA");
  EXPECT_EQ(RootKeyToName(0x80000007u), "2147483655");
  EXPECT_EQ(NameToRootKey("HKEY_USERS"), kHkeyUsers);
  EXPECT_EQ(NameToRootKey("HKUS"), kHkeyUsers);
  EXPECT_EQ(NameToRootKey("HKCC"), kHkeyCurrentConfig);
  EXPECT_EQ(NameToRootKey("HKU"), 0u);
  EXPECT_EQ(NameToRootKey("hklm"), 0u);
  EXPECT_EQ(NameToRootKey(""), 0u);
}

TEST(RegistryNamesTest, SplitRegistryPath) {
  struct TCase {
    const char* path;
    uint32_t root;
    const char* key;
    const char* value;
  } cases[] = {
      {"HKLM\\Software\\Foo\\Bar", kHkeyLocalMachine, "Software\\Foo\\", "Bar"},
      {"HKLM\\Software\\Foo\\@", kHkeyLocalMachine, "Software\\Foo\\", ""},
      {"HKLM\\Software", kHkeyLocalMachine, "Software\\", ""},
      {"HKEY_CURRENT_USER\\", kHkeyCurrentUser, "\\", ""},
      {"NoBackslash", 0, "\\", ""},
      {"Bogus\\Key\\Value", 0, "Key\\", "Value"},
  };
  for (const TCase& c : cases) {
    TRegistryPath p = SplitRegistryPath(c.path);
    EXPECT_EQ(p.root, c.root) << c.path;
    EXPECT_EQ(p.key, c.key) << c.path;
    EXPECT_EQ(p.value_name, c.value) << c.path;
  }
}

TEST(RegistryNamesTest, SetTrailingBackslash) {
  EXPECT_EQ(SetTrailingBackslash("a\\b", 1), "a\\b\\");
  EXPECT_EQ(SetTrailingBackslash("a\\b\\", 1), "a\\b\\");
  EXPECT_EQ(SetTrailingBackslash("", 1), "\\");
  EXPECT_EQ(SetTrailingBackslash("a\\b\\\\", 0), "a\\b\\");
  EXPECT_EQ(SetTrailingBackslash("a", 0), "a");
}

TEST(RegistryNamesTest, ViewBitsAndMasks) {
  TMyRegistry reg;
  EXPECT_EQ(reg.Bits(), 32);
  EXPECT_EQ(reg.RootKey(), kHkeyCurrentUser);
  EXPECT_EQ(reg.Access(), kKeyAllAccess);
  EXPECT_EQ(reg.AddViewBits(kKeyRead), kKeyRead);
  reg.SetBits(64);
  EXPECT_TRUE(reg.Is64());
  EXPECT_EQ(reg.View(), TRegView::rv64);
  EXPECT_EQ(reg.AddViewBits(kKeyRead), kKeyRead | kKeyWow64_64Key);
  EXPECT_EQ(reg.Access(), kKeyAllAccess | kKeyWow64_64Key);
  reg.SetBits(32);
  EXPECT_EQ(reg.Access(), kKeyAllAccess);
  try {
    reg.SetBits(16);
    FAIL() << "no exception";
  } catch (const EVxError& e) {
    EXPECT_STREQ(e.what(), "Windows Registry only supported with 32 or 64 bits!");
  }
  EXPECT_EQ(reg.Bits(), 32);
  // The view and the bits are one setting.
  reg.SetView(TRegView::rv64);
  EXPECT_EQ(reg.Bits(), 64);
  EXPECT_EQ(reg.Access(), kKeyAllAccess | kKeyWow64_64Key);
}

TEST_F(MyRegistryTest, ProgramFilesDirInBothViewsOfA64BitImage) {
  TFixtureImage image(true);
  Use(image);
  std::string out = "untouched";
  const char* key = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
  ASSERT_TRUE(RegReadString(kHkeyLocalMachine, key, "ProgramFilesDir", TRegView::rv32, &out));
  EXPECT_EQ(out, "C:\\Program Files (x86)");
  ASSERT_TRUE(RegReadString(kHkeyLocalMachine, key, "ProgramFilesDir", TRegView::rv64, &out));
  EXPECT_EQ(out, "C:\\Program Files");
  EXPECT_TRUE(IsWow64());
  EXPECT_TRUE(RegKeyExists(kHkeyLocalMachine, "SOFTWARE\\Wow6432Node", TRegView::rv64));
  EXPECT_TRUE(RegKeyExists(kHkeyLocalMachine, "SOFTWARE\\Wow6432Node", TRegView::rv32));
}

TEST_F(MyRegistryTest, HelpersReadTypesAndLeaveTheOutputAloneOnFailure) {
  TFixtureImage image;
  image.AddReg(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
      "@=\"def\"\n\"S\"=\"text\"\n\"E\"=hex(2):25,41,25,00\n\"M\"=hex(7):61,00,62,00,00\n"
      "\"D\"=dword:00000005\n\"Z\"=dword:00000000\n\"B\"=hex:01,02\n\"Cut\"=hex(1):61,00,62,00\n");
  Use(image);
  std::string s = "untouched";
  const char* key = "SOFTWARE\\T";
  EXPECT_TRUE(RegReadString(kHkeyLocalMachine, key, "", TRegView::rv32, &s));
  EXPECT_EQ(s, "def");
  EXPECT_TRUE(RegReadString(kHkeyLocalMachine, key, "E", TRegView::rv32, &s));
  EXPECT_EQ(s, "%A%");  // not expanded
  EXPECT_TRUE(RegReadString(kHkeyLocalMachine, key, "M", TRegView::rv32, &s));
  EXPECT_EQ(s, "a\r\nb\r\n");
  EXPECT_TRUE(RegReadString(kHkeyLocalMachine, key, "Cut", TRegView::rv32, &s));
  EXPECT_EQ(s, "a");  // cut at the first zero
  s = "untouched";
  EXPECT_FALSE(RegReadString(kHkeyLocalMachine, key, "D", TRegView::rv32, &s));
  EXPECT_FALSE(RegReadString(kHkeyLocalMachine, key, "Missing", TRegView::rv32, &s));
  EXPECT_FALSE(RegReadString(kHkeyLocalMachine, "SOFTWARE\\Nope", "S", TRegView::rv32, &s));
  EXPECT_EQ(s, "untouched");
  int32_t i = -1;
  EXPECT_TRUE(RegReadInteger(kHkeyLocalMachine, key, "D", &i));
  EXPECT_EQ(i, 5);
  i = -1;
  EXPECT_FALSE(RegReadInteger(kHkeyLocalMachine, key, "S", &i));
  EXPECT_EQ(i, -1);
  bool b = true;
  EXPECT_TRUE(RegReadBool(kHkeyLocalMachine, key, "Z", &b));
  EXPECT_FALSE(b);
  EXPECT_TRUE(RegReadBool(kHkeyLocalMachine, key, "D", &b));
  EXPECT_TRUE(b);
  EXPECT_FALSE(RegReadBool(kHkeyLocalMachine, key, "B", &b));
}

TEST_F(MyRegistryTest, AccessorReadsAndRaisesAsTheFrameworkDoes) {
  TFixtureImage image;
  image.AddReg(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n\"S\"=\"text\"\n\"M\"=hex(7):61,00,62,00,00\n"
      "\"D\"=dword:00000005\n\"B\"=hex:01,02,03\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\\Sub1]\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\\Sub2]\n");
  Use(image);
  TMyRegistry reg;
  reg.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\T"));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\T");
  EXPECT_EQ(reg.ReadString("s"), "text");
  EXPECT_EQ(reg.ReadString("Missing"), "");
  EXPECT_THROW(reg.ReadString("D"), EVxError);
  EXPECT_EQ(reg.ReadInteger("D"), 5);
  EXPECT_THROW(reg.ReadInteger("Missing"), EVxError);
  EXPECT_THROW(reg.ReadInteger("S"), EVxError);
  EXPECT_EQ(reg.ReadMultiString("M"), "a\r\nb\r\n");
  EXPECT_EQ(reg.ReadMultiString("Missing"), "");
  try {
    reg.ReadMultiString("S");
    FAIL() << "no exception";
  } catch (const EVxError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'S'");
  }
  TMyRegDataInfo info;
  ASSERT_TRUE(reg.GetDataInfo("S", &info));
  EXPECT_EQ(info.reg_data, rtString);
  EXPECT_EQ(info.raw_type, 1);
  EXPECT_EQ(info.data_size, 5);  // "text" and its zero, as the ANSI functions count
  EXPECT_FALSE(reg.GetDataInfo("Missing", &info));
  EXPECT_EQ(info.reg_data, rtUnknown);
  EXPECT_EQ(info.data_size, 0);
  EXPECT_EQ(reg.GetDataType("B"), rtBinary);
  EXPECT_EQ(reg.GetDataType("Missing"), rtUnknown);
  char buffer[8] = {};
  EXPECT_EQ(reg.ReadBinaryData("B", buffer, sizeof buffer), 3u);
  EXPECT_EQ(std::string(buffer, 3), "\x01\x02\x03");
  EXPECT_EQ(reg.ReadBinaryData("Missing", buffer, sizeof buffer), 0u);
  EXPECT_THROW(reg.ReadBinaryData("B", buffer, 2), EVxError);
  TStringList names;
  reg.GetValueNames(&names);
  EXPECT_EQ(names.CommaText(), "S,M,D,B");
  reg.GetKeyNames(&names);
  EXPECT_EQ(names.CommaText(), "Sub1,Sub2");
  // A relative path opens below the current key and extends its path.
  ASSERT_TRUE(reg.OpenKeyReadOnly("Sub1"));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\T\\Sub1");
  EXPECT_FALSE(reg.OpenKeyReadOnly("Nope"));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\T\\Sub1");  // unchanged on failure
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\T\\Sub2"));
  EXPECT_FALSE(reg.KeyExists("Sub2"));  // relative to Sub1
  reg.CloseKey();
  EXPECT_TRUE(reg.KeyExists("SOFTWARE\\T\\Sub2"));
  EXPECT_FALSE(reg.OpenKey("SOFTWARE\\T\\New", true));  // the image is read-only
  EXPECT_TRUE(reg.OpenKey("SOFTWARE\\T", false));
  EXPECT_THROW(reg.WriteString("X", "y"), EVxError);
}

TEST_F(MyRegistryTest, WritesOnAWritableImage) {
  TFixtureImage image;
  Use(image, true);
  TMyRegistry reg;
  reg.SetRootKey(kHkeyCurrentUser);
  ASSERT_TRUE(reg.OpenKey("Software\\Scratch", true));
  reg.WriteMultiString("M", "one\r\ntwo\r\n");
  EXPECT_EQ(reg.ReadMultiString("M"), "one\r\ntwo\r\n");
  EXPECT_EQ(reg.GetDataSize("M"), 9);  // one\0two\0\0
  reg.WriteString("S", "caf\xE9");
  EXPECT_EQ(reg.ReadString("S"), "caf\xE9");
  reg.WriteInteger("I", -2);
  EXPECT_EQ(reg.ReadInteger("I"), -2);
  reg.WriteBool("Flag", true);
  EXPECT_TRUE(reg.ReadBool("Flag"));
  uint64_t q = 0x0102030405060708ull;
  reg.PutData("Q", &q, sizeof q, rtQWord);
  EXPECT_EQ(reg.GetDataType("Q"), rtQWord);
  EXPECT_TRUE(reg.DeleteValue("Q"));
  EXPECT_FALSE(reg.ValueExists("Q"));
  std::string s;
  EXPECT_TRUE(RegReadString(kHkeyCurrentUser, "Software\\Scratch", "S", TRegView::rv32, &s));
  EXPECT_EQ(s, "caf\xE9");
}

TEST_F(MyRegistryTest, SubKeyNamesAndExistenceInEachView) {
  TFixtureImage image(true);
  image.AddReg("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Only32]\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Only64]\n");
  Use(image);
  TStringList list;
  ASSERT_TRUE(RegGetSubKeyNames(kHkeyLocalMachine, "SOFTWARE", &list, TRegView::rv32));
  EXPECT_GE(list.IndexOf("Only32"), 0);
  EXPECT_LT(list.IndexOf("Only64"), 0);
  ASSERT_TRUE(RegGetSubKeyNames(kHkeyLocalMachine, "SOFTWARE", &list, TRegView::rv64));
  EXPECT_GE(list.IndexOf("Only64"), 0);
  EXPECT_LT(list.IndexOf("Only32"), 0);
  EXPECT_FALSE(RegGetSubKeyNames(kHkeyLocalMachine, "SOFTWARE\\Missing", &list, TRegView::rv64));
  EXPECT_TRUE(RegKeyExists(kHkeyLocalMachine, "SOFTWARE\\Only32", TRegView::rv32));
  EXPECT_FALSE(RegKeyExists(kHkeyLocalMachine, "SOFTWARE\\Only32", TRegView::rv64));
  EXPECT_TRUE(RegKeyExists(kHkeyLocalMachine, "SOFTWARE\\Only64", TRegView::rv64));
  EXPECT_TRUE(RegKeyExists(kHkeyLocalMachine, "SOFTWARE\\Only32"));  // the default view is 32-bit
}

TEST_F(MyRegistryTest, MiniNtFollowsTheMachine) {
  TFixtureImage plain;
  Use(plain);
  EXPECT_FALSE(IsMiniNT());
  TFixtureImage pe;
  pe.AddReg("[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\MiniNT]\n");
  Use(pe);
  EXPECT_TRUE(IsMiniNT());
  EXPECT_FALSE(IsWow64());
}

}  // namespace
}  // namespace vx
