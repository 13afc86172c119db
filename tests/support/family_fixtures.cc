#include "support/family_fixtures.h"

#include <stdexcept>
#include <string_view>

#include "support/reg_text_values.h"
#include "support/small_executable.h"

namespace vx::testing {

namespace {

constexpr char kUserAppData[] = "C:\\Users\\Alice\\AppData\\Roaming";
constexpr char kCommonAppData[] = "C:\\ProgramData";
constexpr char kUserStartMenu[] = "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
constexpr char kCommonStartMenu[] = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
constexpr char kQuickLaunch[] = "\\Microsoft\\Internet Explorer\\Quick Launch";
constexpr char kFirefoxFolder[] = "C:\\Users\\Alice\\AppData\\Roaming\\Mozilla\\Firefox";
constexpr char kCookiesFolder[] = "C:\\Users\\Alice\\AppData\\Roaming\\Microsoft\\Windows\\Cookies";
// 2010-01-01: when the fixture's cookies were set and its bookmarks added.
constexpr int64_t kBrowsedAt = 1262304000;

void Require(bool condition, const char* what) {
  if (!condition) throw std::invalid_argument(std::string("fixture: ") + what);
}

std::string KeyLine(std::string_view full_key) { return "[" + std::string(full_key) + "]\r\n"; }

// The software key of HKLM that holds `path`: the 32-bit programs' one on
// request, which only a 64-bit image has.
std::string MachineSoftware(const TFixtureImage& image, bool wow64, std::string_view path) {
  Require(!wow64 || image.Win64(), "Wow6432Node exists on 64-bit images only");
  return std::string("HKEY_LOCAL_MACHINE\\SOFTWARE\\") + (wow64 ? "Wow6432Node\\" : "") + std::string(path);
}

constexpr uint64_t UnixToFileTime(int64_t unix_time) {
  return (static_cast<uint64_t>(unix_time) + 11644473600ull) * 10000000ull;
}

// "www.example.com" -> "example", "sub.example.org" -> "sub.example": the
// site part of an Internet Explorer cookie file name.
std::string CookieSite(std::string_view host) {
  if (!host.empty() && host.front() == '.') host.remove_prefix(1);
  if (host.substr(0, 4) == "www.") host.remove_prefix(4);
  const size_t dot = host.rfind('.');
  return std::string(dot == std::string_view::npos ? host : host.substr(0, dot));
}

// One cookie as Internet Explorer stores it: nine lines, the last a "*".
std::string IeCookieRecord(const TCookie& c) {
  std::string host = c.host;
  if (!host.empty() && host.front() == '.') host.erase(0, 1);
  const uint64_t expires = UnixToFileTime(c.expires), created = UnixToFileTime(kBrowsedAt);
  std::string r;
  r += c.name + "\n" + c.value + "\n" + host + c.path + "\n";
  r += std::to_string(1024 | (c.secure ? 1 : 0)) + "\n";
  r += std::to_string(expires & 0xFFFFFFFF) + "\n" + std::to_string(expires >> 32) + "\n";
  r += std::to_string(created & 0xFFFFFFFF) + "\n" + std::to_string(created >> 32) + "\n";
  return r + "*\n";
}

std::string NetscapeCookies(const std::vector<TCookie>& cookies) {
  std::string t = "# Netscape HTTP Cookie File\n\n";
  for (const TCookie& c : cookies) {
    const bool domain = !c.host.empty() && c.host.front() == '.';
    t += c.host + "\t" + (domain ? "TRUE" : "FALSE") + "\t" + c.path + "\t" + (c.secure ? "TRUE" : "FALSE") +
         "\t" + std::to_string(c.expires) + "\t" + c.name + "\t" + c.value + "\n";
  }
  return t;
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string BookmarksHtml(const std::vector<TBookmark>& bookmarks) {
  std::string t =
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"
      "<!-- This is an automatically generated file.\r\n"
      "     It will be read and overwritten.\r\n"
      "     DO NOT EDIT! -->\r\n"
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n"
      "<TITLE>Bookmarks</TITLE>\r\n"
      "<H1>Bookmarks Menu</H1>\r\n\r\n"
      "<DL><p>\r\n";
  for (const TBookmark& b : bookmarks) {
    t += "    <DT><A HREF=\"" + HtmlEscape(b.url) + "\" ADD_DATE=\"" + std::to_string(kBrowsedAt) + "\">" +
         HtmlEscape(b.name) + "</A>\r\n";
  }
  return t + "</DL><p>\r\n";
}

std::string JsString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

}  // namespace

void AddRunEntry(TFixtureImage& image, const TRunEntry& entry) {
  Require(!entry.name.empty() && !entry.key.empty(), "a run entry needs a key and a name");
  const std::string path = "Microsoft\\Windows\\CurrentVersion\\" + entry.key;
  std::string key;
  if (entry.hive == TFixtureHive::fhCurrentUser) {
    Require(!entry.wow64, "the user's run key has no Wow6432Node of its own");
    key = "HKEY_CURRENT_USER\\Software\\" + path;
  } else {
    key = MachineSoftware(image, entry.wow64, path);
  }
  image.AddReg(KeyLine(key) + RegLine(entry.name, RegSz(entry.command)));
  if (!entry.program.empty()) image.WriteFile(entry.program, BuildSmallExecutable({}).bytes);
}

void AddService(TFixtureImage& image, const TServiceEntry& service) {
  Require(!service.name.empty(), "a service needs a name");
  const std::string key = "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\" + service.name;
  std::string t = KeyLine(key);
  t += RegLine("Type", RegDword(service.type));
  t += RegLine("Start", RegDword(service.start));
  t += RegLine("ErrorControl", RegDword(1));
  t += RegLine("ImagePath", RegExpandSz(service.image_path));
  t += RegLine("DisplayName", RegSz(service.display_name));
  if (!service.description.empty()) t += RegLine("Description", RegSz(service.description));
  if (!service.object_name.empty()) t += RegLine("ObjectName", RegSz(service.object_name));
  if (!service.service_dll.empty()) {
    t += "\r\n" + KeyLine(key + "\\Parameters") + RegLine("ServiceDll", RegExpandSz(service.service_dll));
  }
  image.AddReg(t);
}

std::string ShortcutFolderPath(TShortcutFolder folder, bool all_users) {
  const std::string menu = all_users ? kCommonStartMenu : kUserStartMenu;
  switch (folder) {
    case TShortcutFolder::sfDesktop:
      return all_users ? "C:\\Users\\Public\\Desktop" : "C:\\Users\\Alice\\Desktop";
    case TShortcutFolder::sfStartMenu: return menu;
    case TShortcutFolder::sfPrograms: return menu + "\\Programs";
    case TShortcutFolder::sfStartup: return menu + "\\Programs\\Startup";
    case TShortcutFolder::sfQuickLaunch:
      return std::string(all_users ? kCommonAppData : kUserAppData) + kQuickLaunch;
  }
  throw std::invalid_argument("fixture: unknown shortcut folder");
}

std::string AddShortcut(TFixtureImage& image, const TShortcutEntry& shortcut) {
  Require(!shortcut.file_name.empty(), "a shortcut needs a file name");
  const std::string path = ShortcutFolderPath(shortcut.folder, shortcut.all_users) + "\\" + shortcut.file_name;
  image.WriteFile(path, BuildShellLink(shortcut.link));
  return path;
}

void AddInternetExplorerProfile(TFixtureImage& image, const TBrowserProfile& profile) {
  for (const TBookmark& b : profile.bookmarks) {
    Require(!b.name.empty(), "a favorite needs a name");
    image.WriteFile("C:\\Users\\Alice\\Favorites\\" + b.name + ".url",
                    "[InternetShortcut]\r\nURL=" + b.url + "\r\n");
  }
  // One file per site, its cookies in the order given.
  std::vector<std::pair<std::string, std::string>> files;
  for (const TCookie& c : profile.cookies) {
    const std::string site = CookieSite(c.host);
    Require(!site.empty() && !c.name.empty(), "a cookie needs a host and a name");
    auto it = files.begin();
    while (it != files.end() && it->first != site) ++it;
    if (it == files.end()) it = files.insert(files.end(), {site, ""});
    it->second += IeCookieRecord(c);
  }
  for (const auto& [site, text] : files) {
    image.WriteFile(std::string(kCookiesFolder) + "\\alice@" + site + "[1].txt", text);
  }
  if (!profile.start_page.empty()) {
    image.AddReg(KeyLine("HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main") +
                 RegLine("Start Page", RegSz(profile.start_page)));
  }
}

std::string AddFirefoxProfile(TFixtureImage& image, const TBrowserProfile& profile, const std::string& folder) {
  Require(!folder.empty() && folder.find_first_of("\\/") == std::string::npos,
          "a Firefox profile folder is one name below Profiles");
  image.WriteFile(std::string(kFirefoxFolder) + "\\profiles.ini",
                  "[General]\r\nStartWithLastProfile=1\r\n\r\n"
                  "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/" + folder + "\r\nDefault=1\r\n");
  const std::string dir = std::string(kFirefoxFolder) + "\\Profiles\\" + folder;
  std::string prefs = "# Mozilla User Preferences\r\n\r\n";
  if (!profile.start_page.empty()) {
    prefs += "user_pref(\"browser.startup.homepage\", " + JsString(profile.start_page) + ");\r\n";
  }
  image.WriteFile(dir + "\\prefs.js", prefs);
  image.WriteFile(dir + "\\cookies.txt", NetscapeCookies(profile.cookies));
  image.WriteFile(dir + "\\bookmarks.html", BookmarksHtml(profile.bookmarks));
  return dir;
}

void AddUninstallEntry(TFixtureImage& image, const TUninstallEntry& entry) {
  Require(!entry.key.empty(), "an uninstall entry needs a key");
  const std::string key =
      MachineSoftware(image, entry.wow64, "Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + entry.key);
  image.AddReg(KeyLine(key) + RegLine("DisplayName", RegSz(entry.display_name)) +
               RegLine("UninstallString", RegSz(entry.uninstall_string)));
}

}  // namespace vx::testing
