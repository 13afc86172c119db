// The rule-family fixture builders, read back through the offline machine
// the way the families will read them: registry values in their views,
// files where the machine's special folders say they are, shortcuts through
// ReadShortcut.
#include "support/family_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support/le_bytes.h"

namespace vx {
namespace {

using testing::TFixtureImage;
using testing::TFixtureHive;
using testing::TShortcutFolder;
using TValue = std::pair<uint32_t, std::string>;

constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// A value as stored, or {kRegNone, "<no key>"} / {kRegNone, "<no value>"}.
TValue Value(TMachine& machine, uint32_t root, std::string_view path, std::string_view name,
             TRegView view = TRegView::rv64) {
  auto key = machine.OpenKey(root, path, view);
  if (!key) return {kRegNone, "<no key>"};
  TRegValue v;
  if (!key->QueryValue(name, &v)) return {kRegNone, "<no value>"};
  return {v.type, v.data};
}

// What Windows stores for a string value: UTF-16 with its zero.
std::string Stored(std::string_view text) { return testing::Utf16(text) + std::string(2, '\0'); }
TValue Sz(std::string_view text) { return {kRegSz, Stored(text)}; }
TValue ExpandSz(std::string_view text) { return {kRegExpandSz, Stored(text)}; }
TValue Dword(uint32_t v) {
  std::string b;
  testing::Append32(&b, v);
  return {kRegDword, b};
}

std::vector<std::string> ValueNames(TMachine& machine, uint32_t root, std::string_view path, TRegView view) {
  auto key = machine.OpenKey(root, path, view);
  return key ? key->ValueNames() : std::vector<std::string>{"<no key>"};
}

std::string Read(TMachine& machine, std::string_view path) {
  std::string data;
  return machine.ReadFileBytes(path, &data) ? data : "<unread>";
}

TEST(FamilyFixturesTest, RunEntriesLandInEachRunKeyWithTheirPrograms) {
  TFixtureImage image(true);
  const std::string updater = "\"C:\\Program Files\\Vendor\\upd.exe\" /background";
  testing::AddRunEntry(image,
                       {.name = "Updater", .command = updater, .program = "C:\\Program Files\\Vendor\\upd.exe"});
  testing::AddRunEntry(image, {.hive = TFixtureHive::fhCurrentUser, .name = "Helper",
                               .command = "C:\\Users\\Alice\\AppData\\Roaming\\helper.exe"});
  testing::AddRunEntry(image, {.hive = TFixtureHive::fhCurrentUser, .key = "RunOnce", .name = "Once",
                               .command = "cleanup.exe"});
  testing::AddRunEntry(image,
                       {.wow64 = true, .name = "Tray", .command = "C:\\Program Files (x86)\\Tray\\tray.exe -min"});
  auto machine = image.Open();
  ASSERT_TRUE(image.Messages().empty()) << image.Messages().front();

  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, kRun, "Updater"), Sz(updater));
  // The 32-bit programs' entry is what a 32-bit reader sees under the same path.
  EXPECT_EQ(ValueNames(*machine, kHkeyLocalMachine, kRun, TRegView::rv64), std::vector<std::string>{"Updater"});
  EXPECT_EQ(ValueNames(*machine, kHkeyLocalMachine, kRun, TRegView::rv32), std::vector<std::string>{"Tray"});
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, kRun, "Tray", TRegView::rv32),
            Sz("C:\\Program Files (x86)\\Tray\\tray.exe -min"));
  EXPECT_EQ(Value(*machine, kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Helper"),
            Sz("C:\\Users\\Alice\\AppData\\Roaming\\helper.exe"));
  EXPECT_EQ(Value(*machine, kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "Once"),
            Sz("cleanup.exe"));

  // The program is a real executable; the others were not asked for.
  TFileVersionInfo version;
  EXPECT_TRUE(machine->GetFileVersion("C:\\Program Files\\Vendor\\upd.exe", &version));
  EXPECT_FALSE(machine->FileExists("C:\\Users\\Alice\\AppData\\Roaming\\helper.exe"));

  TFixtureImage image32;
  EXPECT_THROW(testing::AddRunEntry(image32, {.wow64 = true, .name = "Tray", .command = "tray.exe"}),
               std::invalid_argument);
}

TEST(FamilyFixturesTest, ServicesAreWrittenAsWindowsWritesThem) {
  TFixtureImage image;
  testing::AddService(image, {.name = "VxDemo",
                              .display_name = "Demo Service",
                              .image_path = "%SystemRoot%\\System32\\svchost.exe -k netsvcs",
                              .type = testing::kServiceShareProcess,
                              .description = "Keeps the demo running",
                              .object_name = "LocalSystem",
                              .service_dll = "%SystemRoot%\\System32\\vxdemo.dll"});
  testing::AddService(image, {.name = "vxdrv",
                              .display_name = "vxdrv",
                              .image_path = "system32\\DRIVERS\\vxdrv.sys",
                              .start = testing::kServiceDemandStart,
                              .type = testing::kServiceKernelDriver});
  auto machine = image.Open();
  ASSERT_TRUE(image.Messages().empty()) << image.Messages().front();

  // Read as the service rules do: through the current control set.
  const std::string demo = "SYSTEM\\CurrentControlSet\\Services\\VxDemo";
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, demo, "Type"), Dword(0x20));
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, demo, "Start"), Dword(2));
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, demo, "ErrorControl"), Dword(1));
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, demo, "ImagePath"),
            ExpandSz("%SystemRoot%\\System32\\svchost.exe -k netsvcs"));
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, demo, "DisplayName"), Sz("Demo Service"));
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, demo, "Description"), Sz("Keeps the demo running"));
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, demo, "ObjectName"), Sz("LocalSystem"));
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, demo + "\\Parameters", "ServiceDll"),
            ExpandSz("%SystemRoot%\\System32\\vxdemo.dll"));

  const std::string driver = "SYSTEM\\CurrentControlSet\\Services\\vxdrv";
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, driver, "Type"), Dword(1));
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, driver, "Start"), Dword(3));
  EXPECT_EQ(ValueNames(*machine, kHkeyLocalMachine, driver, TRegView::rv64),
            (std::vector<std::string>{"Type", "Start", "ErrorControl", "ImagePath", "DisplayName"}));
  EXPECT_EQ(machine->OpenKey(kHkeyLocalMachine, driver + "\\Parameters", TRegView::rv64), nullptr);
}

TEST(FamilyFixturesTest, ShortcutsLandInTheFoldersTheMachineNames) {
  TFixtureImage image;
  const struct {
    TShortcutFolder folder;
    bool all_users;
    int csidl;  // the machine's special folder of the place; -1: quick launch
  } cases[] = {
      {TShortcutFolder::sfDesktop, false, 16},   {TShortcutFolder::sfDesktop, true, 25},
      {TShortcutFolder::sfStartMenu, false, 11}, {TShortcutFolder::sfStartMenu, true, 22},
      {TShortcutFolder::sfPrograms, false, 2},   {TShortcutFolder::sfPrograms, true, 23},
      {TShortcutFolder::sfStartup, false, 7},    {TShortcutFolder::sfStartup, true, 24},
      {TShortcutFolder::sfQuickLaunch, false, -1}, {TShortcutFolder::sfQuickLaunch, true, -1},
  };
  std::vector<std::string> links;
  for (const auto& c : cases) {
    links.push_back(testing::AddShortcut(image, {.folder = c.folder,
                                                 .all_users = c.all_users,
                                                 .file_name = "Demo " + std::to_string(links.size()) + ".lnk",
                                                 .link = {.target = "C:\\Program Files\\Demo\\demo.exe",
                                                          .arguments = "/tray \"x y\"",
                                                          .working_directory = "C:\\Program Files\\Demo",
                                                          .description = "Starts the demo"}}));
  }
  auto machine = image.Open();
  for (size_t k = 0; k < links.size(); ++k) {
    const auto& c = cases[k];
    SCOPED_TRACE(links[k]);
    const std::string folder = c.csidl >= 0 ? machine->SpecialFolder(c.csidl)
                                            : machine->SpecialFolder(c.all_users ? 35 : 26) +
                                                  "\\Microsoft\\Internet Explorer\\Quick Launch";
    EXPECT_EQ(links[k], folder + "\\Demo " + std::to_string(k) + ".lnk");
    TShortcutInfo info;
    ASSERT_TRUE(machine->ReadShortcut(links[k], &info));
    EXPECT_EQ(info.target, "C:\\Program Files\\Demo\\demo.exe");
    EXPECT_EQ(info.arguments, "/tray \"x y\"");
    EXPECT_EQ(info.working_directory, "C:\\Program Files\\Demo");
    EXPECT_EQ(info.description, "Starts the demo");
  }
}

TEST(FamilyFixturesTest, BrowserProfilesOfInternetExplorerAndFirefox) {
  TFixtureImage image;
  const testing::TBrowserProfile profile = {
      .start_page = "http://start.example.com/?from=\"fixture\"",
      .bookmarks = {{.name = "Example & Co", .url = "http://www.example.com/a?b=1&c=2"}},
      .cookies = {{.host = "www.example.com", .name = "id", .value = "42"},
                  {.host = ".example.com", .name = "pref", .value = "dark", .secure = true},
                  {.host = "ads.tracker.net", .path = "/click", .name = "uid", .value = "7"}},
  };
  testing::AddInternetExplorerProfile(image, profile);
  const std::string firefox = testing::AddFirefoxProfile(image, profile);
  auto machine = image.Open();
  ASSERT_TRUE(image.Messages().empty()) << image.Messages().front();

  // Internet Explorer: favorites and cookies where the shell folders say.
  EXPECT_EQ(Read(*machine, machine->SpecialFolder(6) + "\\Example & Co.url"),
            "[InternetShortcut]\r\nURL=http://www.example.com/a?b=1&c=2\r\n");
  const std::string cookies = machine->SpecialFolder(33);
  std::vector<TFileInfo> files;
  ASSERT_TRUE(machine->ListDirectory(cookies, "*.txt", &files));
  std::vector<std::string> names;
  for (const TFileInfo& f : files) names.push_back(f.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"alice@ads.tracker[1].txt", "alice@example[1].txt"}));
  // Nine lines a cookie: name, value, site and path, flags, expiry and
  // creation as the halves of a FILETIME, "*".
  EXPECT_EQ(Read(*machine, cookies + "\\alice@example[1].txt"),
            "id\n42\nwww.example.com/\n1024\n2684731392\n31520448\n1550712832\n30050933\n*\n"
            "pref\ndark\nexample.com/\n1025\n2684731392\n31520448\n1550712832\n30050933\n*\n");
  EXPECT_EQ(Value(*machine, kHkeyCurrentUser, "Software\\Microsoft\\Internet Explorer\\Main", "Start Page"),
            Sz("http://start.example.com/?from=\"fixture\""));

  // Firefox: profiles.ini names the folder relative to itself, with '/'.
  const std::string root = machine->SpecialFolder(26) + "\\Mozilla\\Firefox";
  const std::string ini = Read(*machine, root + "\\profiles.ini");
  const size_t path = ini.find("\r\nPath=");
  ASSERT_NE(path, std::string::npos) << ini;
  EXPECT_NE(ini.find("\r\nIsRelative=1\r\n"), std::string::npos) << ini;
  std::string relative = ini.substr(path + 7, ini.find('\r', path + 7) - (path + 7));
  std::replace(relative.begin(), relative.end(), '/', '\\');
  EXPECT_EQ(root + "\\" + relative, firefox);
  EXPECT_NE(Read(*machine, firefox + "\\prefs.js")
                .find("\r\nuser_pref(\"browser.startup.homepage\", "
                      "\"http://start.example.com/?from=\\\"fixture\\\"\");\r\n"),
            std::string::npos);
  EXPECT_EQ(Read(*machine, firefox + "\\cookies.txt"),
            "# Netscape HTTP Cookie File\n\n"
            "www.example.com\tFALSE\t/\tFALSE\t1893456000\tid\t42\n"
            ".example.com\tTRUE\t/\tTRUE\t1893456000\tpref\tdark\n"
            "ads.tracker.net\tFALSE\t/click\tFALSE\t1893456000\tuid\t7\n");
  const std::string bookmarks = Read(*machine, firefox + "\\bookmarks.html");
  EXPECT_EQ(bookmarks.rfind("<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n", 0), 0u);
  EXPECT_NE(bookmarks.find("<DT><A HREF=\"http://www.example.com/a?b=1&amp;c=2\" ADD_DATE=\"1262304000\">"
                           "Example &amp; Co</A>\r\n"),
            std::string::npos)
      << bookmarks;
}

TEST(FamilyFixturesTest, UninstallEntriesInBothViews) {
  TFixtureImage image(true);
  testing::AddUninstallEntry(image, {.key = "{6F1C3A52-0000-4B1D-9C1E-2A7D3E5F0001}",
                                     .display_name = "Demo App 1.0",
                                     .uninstall_string = "MsiExec.exe /X{6F1C3A52-0000-4B1D-9C1E-2A7D3E5F0001}"});
  testing::AddUninstallEntry(image, {.key = "Tray", .display_name = "Tray Helper",
                                     .uninstall_string = "\"C:\\Program Files (x86)\\Tray\\unins000.exe\"",
                                     .wow64 = true});
  auto machine = image.Open();
  const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  const std::string product = uninstall + "{6F1C3A52-0000-4B1D-9C1E-2A7D3E5F0001}";
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, product, "DisplayName"), Sz("Demo App 1.0"));
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, product, "UninstallString"),
            Sz("MsiExec.exe /X{6F1C3A52-0000-4B1D-9C1E-2A7D3E5F0001}"));
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, uninstall + "Tray", "DisplayName"), TValue(kRegNone, "<no key>"));
  EXPECT_EQ(Value(*machine, kHkeyLocalMachine, uninstall + "Tray", "UninstallString", TRegView::rv32),
            Sz("\"C:\\Program Files (x86)\\Tray\\unins000.exe\""));
}

}  // namespace
}  // namespace vx
