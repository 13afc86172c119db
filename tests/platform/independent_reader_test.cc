// Hives made the way a user makes them (hivetool build, both writers) from
// text that looks like a real Windows registry, read by our code and by an
// independent reader (hivexregedit), compared key by key and value by value.
#include <gtest/gtest.h>

#include "support/run_command.h"
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "base/codepage.h"
#include "base/string_list.h"
#include "platform/offline/hive_file.h"
#include "platform/offline/offline_machine.h"
#include "platform/offline/reg_text.h"
#include "support/fixture_image.h"
#include "support/temp_dir.h"
#include "sysaccess/my_registry.h"

namespace vx {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::RunBuiltTool;
using testing::TFixtureImage;
using testing::WriteBytes;

// ---------------------------------------------------------------------------
// Registry text as a Windows 10 machine would export it (UTF-8 here, written
// as UTF-16LE with a byte-order mark as regedit does).

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t k = 0; k < bytes.size(); ++k) {
    if (k) out.push_back(',');
    out.push_back(kDigits[static_cast<unsigned char>(bytes[k]) >> 4]);
    out.push_back(kDigits[static_cast<unsigned char>(bytes[k]) & 15]);
  }
  return out;
}
std::string Sz16(std::string_view utf8) { return Utf8ToUtf16Le(utf8) + std::string(2, '\0'); }
std::string Expand(std::string_view utf8) { return "hex(2):" + Hex(Sz16(utf8)); }
std::string Multi(const std::vector<std::string>& items) {
  std::string data;
  for (const std::string& s : items) data += Sz16(s);
  return "hex(7):" + Hex(data + std::string(2, '\0'));
}

constexpr char kSidA[] = "S-1-5-21-3623811015-3361044348-30300820-1001";
constexpr char kSidB[] = "S-1-5-21-3623811015-3361044348-30300820-1002";
constexpr char kSidC[] = "S-1-5-21-3623811015-3361044348-30300820-1003";

std::string SystemText() {
  std::string t = "Windows Registry Editor Version 5.00\r\n\r\n";
  t += "[HKEY_LOCAL_MACHINE\\SYSTEM\\Select]\r\n\"Current\"=dword:00000002\r\n\"Default\"=dword:00000002\r\n"
       "\"Failed\"=dword:00000000\r\n\"LastKnownGood\"=dword:00000001\r\n\r\n";
  struct TService {
    const char* name;
    const char* display;
    const char* image;
    int start;
  };
  const TService services[] = {
      {"Tcpip", "TCP/IP-Protokolltreiber", "System32\\drivers\\tcpip.sys", 0},
      {"Dnscache", "DNS-Client – Dienst", "%SystemRoot%\\system32\\svchost.exe -k NetworkService -p", 2},
      {"WinDefend", "Служба антивирусной программы",
       "\"%ProgramData%\\Microsoft\\Windows Defender\\platform\\4.18\\MsMpEng.exe\"", 2},
      {"wuauserv", "Windows Update – 更新", "%systemroot%\\system32\\svchost.exe -k netsvcs -p", 3},
      {"BITS", "Intelligenter Hintergrundübertragungsdienst", "%SystemRoot%\\System32\\svchost.exe -k netsvcs", 3},
      {".NET CLR Data", "", "", 0},
  };
  for (const char* set : {"ControlSet001", "ControlSet002"}) {
    std::string cs = std::string("HKEY_LOCAL_MACHINE\\SYSTEM\\") + set;
    t += "[" + cs + "\\Control]\r\n\"WhichSet\"=\"" + set + "\"\r\n\r\n";
    t += "[" + cs + "\\Control\\Nls\\CodePage]\r\n\"ACP\"=\"1252\"\r\n\"OEMCP\"=\"850\"\r\n@=\"\"\r\n\r\n";
    t += "[" + cs + "\\Control\\ComputerName\\ComputerName]\r\n\"ComputerName\"=\"DESKTOP-7Q1K2LM\"\r\n\r\n";
    t += "[" + cs + "\\Control\\Session Manager\\Environment]\r\n\"ComSpec\"=" +
         Expand("%SystemRoot%\\system32\\cmd.exe") + "\r\n\"OS\"=\"Windows_NT\"\r\n\"Path\"=" +
         Expand("%SystemRoot%\\system32;%SystemRoot%;%SystemRoot%\\System32\\Wbem") +
         "\r\n\"PROCESSOR_ARCHITECTURE\"=\"AMD64\"\r\n\"TEMP\"=" + Expand("%SystemRoot%\\TEMP") +
         "\r\n\"windir\"=" + Expand("%SystemRoot%") + "\r\n\r\n";
    t += "[" + cs + "\\Hardware Profiles\\Current\\Software]\r\n\r\n";
    for (const TService& s : services) {
      t += "[" + cs + "\\Services\\" + s.name + "]\r\n";
      if (*s.image) t += "\"ImagePath\"=" + Expand(s.image) + "\r\n";
      if (*s.display) t += "\"DisplayName\"=\"" + std::string(s.display) + "\"\r\n";
      char start[64];
      std::snprintf(start, sizeof start, "\"Start\"=dword:%08x\r\n\"Type\"=dword:00000020\r\n", s.start);
      t += start;
      t += "\"RequiredPrivileges\"=" + Multi({"SeChangeNotifyPrivilege", "SeImpersonatePrivilege"}) + "\r\n";
      t += "\"FailureActions\"=hex:80,51,01,00,00,00,00,00,00,00,00,00,03,00,00,00,14,00,00,00,01,00,00,"
           "00,60,ea,00,00\r\n\"ObjectName\"=\"LocalSystem\"\r\n\r\n";
      t += "[" + cs + "\\Services\\" + s.name + "\\Parameters]\r\n\"ServiceDll\"=" +
           Expand(std::string("%SystemRoot%\\System32\\") + s.name + ".dll") + "\r\n\r\n";
    }
    for (int i = 0; i < 120; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "Drv%03d", i);
      t += "[" + cs + "\\Services\\" + name + "]\r\n\"ImagePath\"=" +
           Expand(std::string("\\SystemRoot\\System32\\drivers\\") + name + ".sys") +
           "\r\n\"Start\"=dword:00000003\r\n\r\n";
    }
    t += "[" + cs + "\\Enum\\Root\\LEGACY_Ω]\r\n\"NextInstance\"=dword:00000001\r\n\r\n";
  }
  // Every kind of value a hive may hold, well formed or not.
  std::string big;
  for (int i = 0; i < 5000; ++i) big.push_back(static_cast<char>(i * 7));
  t += "[HKEY_LOCAL_MACHINE\\SYSTEM\\Odd]\r\n"
       "@=\"Default value ☃\"\r\n"
       "\"none\"=hex(0):\r\n"
       "\"nonedata\"=hex(0):01,02,03\r\n"
       "\"qword\"=hex(b):88,77,66,55,44,33,22,11\r\n"
       "\"be\"=hex(5):00,00,01,02\r\n"
       "\"link\"=hex(6):5c,00,52,00,65,00,67,00\r\n"
       "\"emptysz\"=\"\"\r\n"
       "\"zerolen\"=hex(1):\r\n"
       "\"noterm\"=hex(1):41,00,42,00\r\n"
       "\"oddlen\"=hex(1):41,00,42,00,43\r\n"
       "\"inner zero\"=hex(1):41,00,00,00,42,00,00,00\r\n"
       "\"emptybin\"=hex:\r\n"
       "\"emptymulti\"=hex(7):00,00\r\n"
       "\"dwordshort\"=hex(4):01,02\r\n"
       "\"weird type\"=hex(12345678):01,02\r\n"
       "\"Ωmega ünïcode 中文\"=\"Σ value €\"\r\n"
       "\"" + std::string(300, 'L') + "\"=\"long name\"\r\n"
       "\"quote\\\"back\\\\slash\"=\"x\"\r\n"
       "\"cjk\"=\"日本語テキスト\"\r\n"
       "\"big\"=hex:" + Hex(big) + "\r\n\r\n";
  t += "[HKEY_LOCAL_MACHINE\\SYSTEM\\Odd\\" + std::string(250, 'K') + "]\r\n\r\n";
  t += "[HKEY_LOCAL_MACHINE\\SYSTEM\\Odd\\Ünïcödé Κλειδί 鍵]\r\n\"v\"=dword:00000001\r\n\r\n";
  t += "[HKEY_LOCAL_MACHINE\\SYSTEM\\MountedDevices]\r\n\"\\\\DosDevices\\\\C:\"=hex:44,4d,49,4f,3a,49,44,3a\r\n";
  return t;
}

std::string SoftwareText() {
  std::string t = "Windows Registry Editor Version 5.00\r\n\r\n";
  const std::string sw = "HKEY_LOCAL_MACHINE\\SOFTWARE";
  for (const char* node : {"", "\\Wow6432Node"}) {
    std::string pf = *node ? "C:\\\\Program Files (x86)" : "C:\\\\Program Files";
    t += "[" + sw + node + "\\Microsoft\\Windows\\CurrentVersion]\r\n\"ProgramFilesDir\"=\"" + pf +
         "\"\r\n\"CommonFilesDir\"=\"" + pf + "\\\\Common Files\"\r\n\"ProgramFilesPath\"=" +
         Expand("%ProgramFiles%") + "\r\n\r\n";
    t += "[" + sw + node + "\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n\"Ägent\"=\"\\\"" + pf +
         "\\\\Agent\\\\agent.exe\\\" /background\"\r\n\r\n";
    t += "[" + sw + node + "\\Classes\\CLSID\\{0002DF01-0000-0000-C000-000000000046}\\LocalServer32]\r\n@=" +
         Expand(std::string("\"") + (*node ? "C:\\Program Files (x86)" : "C:\\Program Files") +
                "\\Internet Explorer\\iexplore.exe\"") +
         "\r\n\r\n";
  }
  t += "[" + sw + "\\Microsoft\\Windows NT\\CurrentVersion]\r\n\"SystemRoot\"=\"C:\\\\Windows\"\r\n"
       "\"ProductName\"=\"Windows 10 Pro\"\r\n\"RegisteredOwner\"=\"Jürgen Ñúñez\"\r\n"
       "\"InstallTime\"=hex(b):a0,b1,c2,d3,e4,f5,d6,01\r\n\r\n";
  const std::string pl = sw + "\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
  t += "[" + pl + "]\r\n\"ProfilesDirectory\"=" + Expand("%SystemDrive%\\Users") + "\r\n\"ProgramData\"=" +
       Expand("%SystemDrive%\\ProgramData") + "\r\n\"Public\"=" + Expand("%SystemDrive%\\Users\\Public") +
       "\r\n\"Default\"=" + Expand("%SystemDrive%\\Users\\Default") + "\r\n\r\n";
  const std::pair<std::string, std::string> profiles[] = {
      {"S-1-5-18", "%systemroot%\\system32\\config\\systemprofile"},
      {"S-1-5-19", "%systemroot%\\ServiceProfiles\\LocalService"},
      {kSidA, "%SystemDrive%\\Users\\jürgen"},
      {kSidB, "%SystemDrive%\\Users\\Admin"},
      {kSidC, "%SystemDrive%\\Users\\Гость"},
  };
  for (const auto& [sid, path] : profiles) {
    t += "[" + pl + "\\" + sid + "]\r\n\"ProfileImagePath\"=" + Expand(path) +
         "\r\n\"Flags\"=dword:00000000\r\n\"Sid\"=hex:01,05,00,00,00,00,00,05,15,00,00,00\r\n\r\n";
  }
  t += "[" + sw + "\\Classes\\.txt]\r\n@=\"txtfile\"\r\n\"Content Type\"=\"text/plain\"\r\n\r\n";
  for (int i = 0; i < 80; ++i) {
    char clsid[64];
    std::snprintf(clsid, sizeof clsid, "{%08X-1234-5678-9ABC-DEF012345678}", 0x10000000 + i * 7919);
    t += "[" + sw + "\\Classes\\CLSID\\" + clsid + "\\InprocServer32]\r\n@=" +
         Expand("%SystemRoot%\\System32\\comp" + std::to_string(i) + ".dll") +
         "\r\n\"ThreadingModel\"=\"Both\"\r\n\r\n";
  }
  return t;
}

std::string NtuserText(const std::string& name) {
  const std::string cu = "HKEY_CURRENT_USER";
  const std::string ex = cu + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
  const std::string prof = "C:\\\\Users\\\\" + name;
  std::string t = "Windows Registry Editor Version 5.00\r\n\r\n";
  t += "[" + cu + "\\Environment]\r\n\"TEMP\"=" + Expand("%USERPROFILE%\\AppData\\Local\\Temp") +
       "\r\n\"Path\"=" + Expand("%USERPROFILE%\\AppData\\Local\\Microsoft\\WindowsApps;") + "\r\n\r\n";
  t += "[" + ex + "\\Shell Folders]\r\n\"AppData\"=\"" + prof + "\\\\AppData\\\\Roaming\"\r\n\"Personal\"=\"" +
       prof + "\\\\Documents\"\r\n\"!Do not use this registry key\"=\"Use the SHGetFolderPath function\"\r\n\r\n";
  t += "[" + ex + "\\User Shell Folders]\r\n\"AppData\"=" + Expand("%USERPROFILE%\\AppData\\Roaming") +
       "\r\n\"Local AppData\"=" + Expand("%USERPROFILE%\\AppData\\Local") + "\r\n\"Personal\"=" +
       Expand("%USERPROFILE%\\Dokumente") + "\r\n\"Desktop\"=" + Expand("%USERPROFILE%\\Desktop") +
       "\r\n\"Cache\"=" + Expand("%USERPROFILE%\\AppData\\Local\\Microsoft\\Windows\\INetCache") + "\r\n\r\n";
  t += "[" + cu + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n\"OneDrive\"=\"\\\"" + prof +
       "\\\\AppData\\\\Local\\\\Microsoft\\\\OneDrive\\\\OneDrive.exe\\\" /background\"\r\n\"Spÿware™\"=\"" +
       prof + "\\\\AppData\\\\Roaming\\\\bad.exe\"\r\n\r\n";
  t += "[" + cu + "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\r\n\r\n";
  return t;
}

std::string UsrClassText() {
  const std::string r = "HKEY_CURRENT_USER\\Software\\Classes";
  return "Windows Registry Editor Version 5.00\r\n\r\n[" + r +
         "\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache]\r\n"
         "\"C:\\\\Program Files\\\\Ωapp\\\\app.exe.ApplicationCompany\"=\"Ωmega Corp\"\r\n\r\n[" +
         r + "\\CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32]\r\n@=\"C:\\\\Users\\\\jürgen\\\\evil.dll\"\r\n\r\n[" +
         r + "\\Wow6432Node\\CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32]\r\n"
         "@=\"C:\\\\Users\\\\jürgen\\\\evil32.dll\"\r\n";
}

// ---------------------------------------------------------------------------
// Running programs.

using TRun = testing::TCommandResult;

TRun RunCommand(const std::string& command) { return testing::RunCommand(command + " 2>&1"); }

bool HaveIndependentReader() { return RunCommand("command -v hivexregedit").code == 0; }

// Builds a hive with the hive tool from UTF-8 text (written as UTF-16 text).
void BuildHive(const std::string& hive, const std::string& text, bool compact) {
  std::string reg = hive + ".src.reg";
  WriteBytes(reg, "\xFF\xFE" + Utf8ToUtf16Le(text));
  TRun build = RunBuiltTool("hivetool", std::string("build ") + (compact ? "--compact " : "") + "'" + hive + "' '" + reg + "'");
  ASSERT_EQ(build.code, 0) << build.out;
}

// ---------------------------------------------------------------------------
// A hive's content as a tree of paths: names are UTF-8, paths relative to
// the hive root ("" is the root).

struct TKeyData {
  std::set<std::string> subkeys;
  std::map<std::string, TRegValue> values;
};
using THiveContent = std::map<std::string, TKeyData>;

std::string Parent(const std::string& path, std::string* leaf) {
  size_t slash = path.rfind('\\');
  if (slash == std::string::npos) {
    *leaf = path;
    return "";
  }
  *leaf = path.substr(slash + 1);
  return path.substr(0, slash);
}

// Reads the export hivexregedit writes: every value as hex(N) or dword.
THiveContent ReadIndependentExport(const std::string& hive) {
  TRun run = RunCommand("PERL_UNICODE=SO hivexregedit --export --prefix R '" + hive + "' '\\'");
  THiveContent content;
  EXPECT_EQ(run.code, 0) << run.out.substr(0, 500);
  if (run.code != 0) return content;
  std::string current;
  size_t pos = 0;
  while (pos < run.out.size()) {
    size_t end = run.out.find('\n', pos);
    if (end == std::string::npos) end = run.out.size();
    std::string line = run.out.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.rfind("Windows Registry", 0) == 0) continue;
    if (line[0] == '[') {
      std::string path = line.substr(1, line.size() - 2);  // "R\..." or "R\"
      path = path.size() <= 2 ? "" : path.substr(2);
      content[path];
      if (!path.empty()) {
        std::string leaf;
        content[Parent(path, &leaf)].subkeys.insert(leaf);
      }
      current = path;
      continue;
    }
    std::string name;
    size_t k = 0;
    if (line[0] == '@') {
      k = 1;
    } else {
      for (k = 1; k < line.size() && line[k] != '"'; ++k) {
        if (line[k] == '\\' && k + 1 < line.size()) ++k;
        name.push_back(line[k]);
      }
      ++k;
    }
    if (k >= line.size() || line[k] != '=') {
      ADD_FAILURE() << "unexpected export line: " << line;
      continue;
    }
    std::string data = line.substr(k + 1);
    TRegValue value;
    if (data.rfind("dword:", 0) == 0) {
      uint32_t v = static_cast<uint32_t>(std::stoul(data.substr(6), nullptr, 16));
      value.type = kRegDword;
      for (int b = 0; b < 4; ++b) value.data.push_back(static_cast<char>(v >> (8 * b)));
    } else {
      EXPECT_EQ(data.rfind("hex(", 0), 0u) << line;
      size_t close = data.find("):");
      value.type = static_cast<uint32_t>(std::stoul(data.substr(4, close - 4), nullptr, 16));
      std::string hex = data.substr(close + 2);
      for (size_t h = 0; h + 1 < hex.size(); h += 3) {
        value.data.push_back(static_cast<char>(std::stoul(hex.substr(h, 2), nullptr, 16)));
      }
    }
    content[current].values[name] = value;
  }
  return content;
}

// The same through THive, names in the given code page (kRegNamesUtf8 for
// UTF-8).
void WalkHive(THive& hive, THiveNode node, const std::string& path, THiveContent* out) {
  TKeyData& data = (*out)[path];
  for (auto& [name, value] : hive.Values(node, nullptr)) data.values[name] = value;
  for (THiveNode child : hive.Children(node)) {
    std::string name = hive.NodeName(child);
    data.subkeys.insert(name);
    WalkHive(hive, child, path.empty() ? name : path + "\\" + name, out);
  }
}

// The independent reader's names as the scanner must see them: text in
// Windows-1252, "?" for every character it lacks.
THiveContent ToCodePage(const THiveContent& utf8) {
  THiveContent out;
  for (const auto& [path, data] : utf8) {
    TKeyData& d = out[Utf8ToAnsi(path, 1252)];
    for (const std::string& s : data.subkeys) d.subkeys.insert(Utf8ToAnsi(s, 1252));
    for (const auto& [name, value] : data.values) d.values[Utf8ToAnsi(name, 1252)] = value;
  }
  return out;
}

void ExpectSameContent(const THiveContent& expected, const THiveContent& actual, const std::string& what) {
  EXPECT_EQ(expected.size(), actual.size()) << what << ": number of keys";
  for (const auto& [path, data] : expected) {
    auto it = actual.find(path);
    if (it == actual.end()) {
      ADD_FAILURE() << what << ": key missing: " << path;
      continue;
    }
    EXPECT_EQ(data.subkeys, it->second.subkeys) << what << ": subkeys of " << path;
    EXPECT_EQ(data.values.size(), it->second.values.size()) << what << ": values of " << path;
    for (const auto& [name, value] : data.values) {
      auto v = it->second.values.find(name);
      if (v == it->second.values.end()) {
        ADD_FAILURE() << what << ": value missing: " << path << " \"" << name << "\"";
        continue;
      }
      EXPECT_EQ(value.type, v->second.type) << what << ": type of " << path << " \"" << name << "\"";
      EXPECT_EQ(value.data, v->second.data) << what << ": data of " << path << " \"" << name << "\"";
    }
  }
}

struct THiveCase {
  const char* file;
  std::string (*text)();
};
std::string NtuserA() { return NtuserText("jürgen"); }
const THiveCase kHives[] = {
    {"SYSTEM", SystemText}, {"SOFTWARE", SoftwareText}, {"NTUSER.DAT", NtuserA}, {"UsrClass.dat", UsrClassText}};

TEST(IndependentReaderTest, HivesReadAsTheIndependentReaderReadsThem) {
  if (!HaveIndependentReader()) GTEST_SKIP() << "hivexregedit is not installed";
  TFixtureImage image;
  for (bool compact : {false, true}) {
    for (const THiveCase& c : kHives) {
      std::string what = std::string(c.file) + (compact ? " (compact)" : "");
      std::string path = image.ScratchDir() + (compact ? "/compact/" : "/hivex/") + c.file;
      BuildHive(path, c.text(), compact);
      THiveContent independent = ReadIndependentExport(path);
      ASSERT_GT(independent.size(), 3u) << what;

      // The hive holds the names as written, characters outside any code page included.
      std::string error;
      auto hive = THive::Open(path, &error);
      ASSERT_TRUE(hive) << what << ": " << error;
      hive->SetCodePage(kRegNamesUtf8);
      THiveContent ours;
      WalkHive(*hive, hive->Root(), "", &ours);
      ExpectSameContent(independent, ours, what + ", UTF-8 names");

      // As the scanner sees it: names in Windows-1252.
      hive->SetCodePage(1252);
      THiveContent ansi;
      WalkHive(*hive, hive->Root(), "", &ansi);
      ExpectSameContent(ToCodePage(independent), ansi, what + ", code page 1252");

      // The dump, read back, holds the same keys and bytes.
      TRun dump = RunBuiltTool("hivetool", "dump --root R '" + path + "' '" + path + ".dump.reg'");
      ASSERT_EQ(dump.code, 0) << dump.out;
      std::vector<TRegOp> ops;
      std::vector<std::string> messages;
      ASSERT_TRUE(ParseRegText(ReadBytes(path + ".dump.reg"), "dump", kRegNamesUtf8, &ops, &messages));
      EXPECT_TRUE(messages.empty()) << messages.front();
      THiveContent dumped;
      for (const TRegOp& op : ops) {
        std::string key = op.key.size() > 2 ? op.key.substr(2) : "";
        if (op.kind == TRegOpKind::roKey) {
          dumped[key];
          std::string leaf;
          if (!key.empty()) dumped[Parent(key, &leaf)].subkeys.insert(leaf);
        } else if (op.kind == TRegOpKind::roValue) {
          dumped[key].values[op.value_name] = op.value;
        }
      }
      ExpectSameContent(independent, dumped, what + ", dump");
    }
  }
}

// The image as Windows 10 lays it out, hives in their places.
class TWin10Image {
 public:
  explicit TWin10Image(bool compact) {
    image.ClearReg();
    BuildHive(image.HostPath("C:\\Windows\\System32\\config\\SYSTEM"), SystemText(), compact);
    BuildHive(image.HostPath("C:\\Windows\\System32\\config\\SOFTWARE"), SoftwareText(), compact);
    BuildHive(image.HostPath("C:\\Users\\jürgen\\NTUSER.DAT"), NtuserText("jürgen"), compact);
    BuildHive(image.HostPath("C:\\Users\\jürgen\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat"),
              UsrClassText(), compact);
    BuildHive(image.HostPath("C:\\Users\\Admin\\NTUSER.DAT"), NtuserText("Admin"), compact);
    for (const char* dir : {"C:\\Windows\\SysWOW64", "C:\\Program Files\\Common Files", "C:\\Program Files (x86)",
                            "C:\\ProgramData\\Microsoft", "C:\\Users\\Public\\Desktop", "C:\\Users\\Default",
                            "C:\\Users\\Admin\\AppData\\Roaming", "C:\\Users\\jürgen\\Desktop"}) {
      image.MakeDirectory(dir);
    }
  }
  TFixtureImage image;
};

// Reads every key and value of a hive's content through TMyRegistry, the
// accessor the rules use, under `root`\`prefix`.
void ExpectRegistryShows(const THiveContent& expected, uint32_t root, const std::string& prefix,
                         const std::string& what) {
  for (const auto& [path, data] : expected) {
    std::string key = prefix.empty() ? path : path.empty() ? prefix : prefix + "\\" + path;
    TMyRegistry reg;
    reg.SetRootKey(root);
    reg.SetBits(64);  // the view that shows each hive as it is
    if (!reg.OpenKeyReadOnly("\\" + key)) {
      ADD_FAILURE() << what << ": cannot open " << key;
      continue;
    }
    TStringList names;
    reg.GetKeyNames(&names);
    std::set<std::string> listed;
    for (int i = 0; i < names.Count(); ++i) listed.insert(names[i]);
    std::set<std::string> subkeys = data.subkeys;
    // CurrentControlSet is listed among SYSTEM's keys, as on a running system.
    if (key == "SYSTEM") subkeys.insert("CurrentControlSet");
    EXPECT_EQ(subkeys, listed) << what << ": subkeys of " << key;
    TStringList value_names;
    reg.GetValueNames(&value_names);
    EXPECT_EQ(static_cast<size_t>(value_names.Count()), data.values.size()) << what << ": values of " << key;
    for (const auto& [name, value] : data.values) {
      TMyRegDataInfo info;
      if (!reg.GetDataInfo(name, &info)) {
        ADD_FAILURE() << what << ": " << key << " \"" << name << "\" unreadable";
        continue;
      }
      EXPECT_EQ(static_cast<uint32_t>(info.raw_type), value.type) << key << " \"" << name << "\"";
      std::string buffer(static_cast<size_t>(info.data_size), '\0');
      TMyRegDataType type;
      size_t n = reg.GetData(name, buffer.data(), buffer.size(), &type);
      buffer.resize(n);
      bool is_string = value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz;
      if (!is_string) {
        EXPECT_EQ(buffer, value.data) << what << ": " << key << " \"" << name << "\"";
      } else if (value.type != kRegMultiSz && value.data.size() % 2 == 0) {
        // String data reaches the rules as ANSI text, "?" for what the code page lacks.
        std::string text = Utf16LeToAnsi(value.data, 1252);
        EXPECT_EQ(reg.ReadString(name), text.substr(0, text.find('\0'))) << what << ": " << key << " \"" << name << "\"";
      }
    }
  }
}

TEST(IndependentReaderTest, MachineShowsWhatTheIndependentReaderReads) {
  if (!HaveIndependentReader()) GTEST_SKIP() << "hivexregedit is not installed";
  TWin10Image win(false);
  TOfflineOptions options;
  options.user = "jürgen";
  auto machine = win.image.OpenOffline(options);
  SetAnsiCodePage(machine->CodePage());
  SetCurrentMachine(machine);
  const std::string config = win.image.HostPath("C:\\Windows\\System32\\config") + "/";
  THiveContent system = ToCodePage(ReadIndependentExport(config + "SYSTEM"));
  ExpectRegistryShows(system, kHkeyLocalMachine, "SYSTEM", "HKLM\\SYSTEM");
  // CurrentControlSet is ControlSet002, as Select\Current says.
  THiveContent current;
  for (const auto& [path, data] : system) {
    if (path.rfind("ControlSet002", 0) == 0) current["CurrentControlSet" + path.substr(13)] = data;
  }
  ASSERT_FALSE(current.empty());
  ExpectRegistryShows(current, kHkeyLocalMachine, "SYSTEM", "CurrentControlSet");
  THiveContent user = ToCodePage(ReadIndependentExport(win.image.HostPath("C:\\Users\\jürgen\\NTUSER.DAT")));
  ExpectRegistryShows(user, kHkeyUsers, kSidA, "HKU\\user");
  ExpectRegistryShows(user, kHkeyCurrentUser, "", "HKCU");
  THiveContent admin = ToCodePage(ReadIndependentExport(win.image.HostPath("C:\\Users\\Admin\\NTUSER.DAT")));
  ExpectRegistryShows(admin, kHkeyUsers, kSidB, "HKU\\other user");
  THiveContent classes = ToCodePage(ReadIndependentExport(
      win.image.HostPath("C:\\Users\\jürgen\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat")));
  EXPECT_TRUE(classes.count("CLSID")) << "the classes hive's root is the user's Software\\Classes";
  ExpectRegistryShows(classes, kHkeyUsers, std::string(kSidA) + "_Classes", "HKU\\classes");
  // The 32-bit view of the 64-bit image redirects the class keys.
  std::string dll;
  EXPECT_TRUE(RegReadString(kHkeyUsers,
                            std::string(kSidA) + "_Classes\\CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32",
                            "", TRegView::rv32, &dll));
  EXPECT_EQ(dll, "C:\\Users\\j\xFCrgen\\evil32.dll");
  SetCurrentMachine(nullptr);
}

TEST(IndependentReaderTest, ImageViewOfWindows10AndXpLayouts) {
  TWin10Image win(true);
  TRun run = RunBuiltTool("hivetool", "image --user jürgen '" + win.image.Root() + "'");
  ASSERT_EQ(run.code, 0) << run.out;
  const std::string& out = run.out;
  // The view is UTF-8 throughout: the image's names are converted from its code page.
  for (const std::string& line : {
           std::string("Windows directory:  C:\\Windows\n"),
           std::string("Architecture:       64-bit (SOFTWARE has Wow6432Node)\n"),
           std::string("CurrentControlSet:  ControlSet002\n"),
           "  * jürgen  " + std::string(kSidA) + "  C:\\Users\\jürgen\n",
           "    Admin  " + std::string(kSidB) + "  C:\\Users\\Admin\n",
           "  HKU\\" + std::string(kSidA) + "_Classes  <- " +
               win.image.HostPath("C:\\Users\\jürgen\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat"),
           "  HKCU  = HKU\\" + std::string(kSidA) + "\n",
           std::string("Special folders of jürgen:\n"),
           std::string("   26 CSIDL_APPDATA                  C:\\Users\\jürgen\\AppData\\Roaming\n"),
           std::string("    5 CSIDL_PERSONAL                 C:\\Users\\jürgen\\Dokumente\n"),
           std::string("   38 CSIDL_PROGRAM_FILES            C:\\Program Files (x86)\n"),
           std::string("Special folders of Admin:\n"),
           std::string("   28 CSIDL_LOCAL_APPDATA            C:\\Users\\Admin\\AppData\\Local\n"),
       }) {
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n--- in ---\n" << out;
  }
  // A profile whose folder is missing is named once, in the image's text.
  EXPECT_NE(out.find("C:\\Users\\?????"), std::string::npos) << out;
  EXPECT_EQ(out.find("S-1-5-18"), std::string::npos) << out;
  EXPECT_LT(out.find("Special folders of jürgen"), out.find("Special folders of Admin"));

  // Windows XP: "Documents and Settings", the classes hive under "Local Settings".
  TFixtureImage scratch;
  const std::string xp = scratch.ScratchDir() + "/xp";
  BuildHive(xp + "/WINDOWS/system32/config/SOFTWARE",
            "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
            "\"SystemRoot\"=\"C:\\\\WINDOWS\"\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-1-2-3-1003]\r\n"
            "\"ProfileImagePath\"=\"%SystemDrive%\\\\Documents and Settings\\\\Bob\"\r\n",
            false);
  BuildHive(xp + "/WINDOWS/system32/config/SYSTEM",
            "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Select]\r\n\"Current\"=dword:00000003\r\n"
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control]\r\n",
            false);
  BuildHive(xp + "/Documents and Settings/Bob/NTUSER.DAT", "REGEDIT4\r\n[HKEY_CURRENT_USER\\Environment]\r\n", false);
  BuildHive(xp + "/Documents and Settings/Bob/Local Settings/Application Data/Microsoft/Windows/UsrClass.dat",
            "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Classes\\CLSID]\r\n", false);
  fs::create_directories(xp + "/Program Files");
  run = RunBuiltTool("hivetool", "image '" + xp + "'");
  ASSERT_EQ(run.code, 0) << run.out;
  for (const char* line : {
           "Windows directory:  C:\\WINDOWS\n", "Architecture:       32-bit\n",
           // A Select that names a set the hive lacks is shown, not passed over.
           "CurrentControlSet:  ControlSet001  (Select\\Current names ControlSet003, which is missing)\n",
           "  * Bob  S-1-5-21-1-2-3-1003  C:\\Documents and Settings\\Bob\n",
           "  HKU\\S-1-5-21-1-2-3-1003_Classes  <- ",
           "   26 CSIDL_APPDATA                  C:\\Documents and Settings\\Bob\\Application Data\n",
           "   28 CSIDL_LOCAL_APPDATA            C:\\Documents and Settings\\Bob\\Local Settings\\Application Data\n",
           "   38 CSIDL_PROGRAM_FILES            C:\\Program Files\n",
       }) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n--- in ---\n" << run.out;
  }

  // A mistyped folder fails; a folder without Windows says so.
  run = RunBuiltTool("hivetool", "image '" + xp + "/nothing'");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, xp + "/nothing: no such folder\n");
  fs::create_directories(xp + "/Data");
  run = RunBuiltTool("hivetool", "image '" + xp + "/Data'");
  EXPECT_NE(run.out.find("Windows directory:  C:\\Windows  (not on the image)\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace vx
