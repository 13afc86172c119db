#include "support/fixture_image.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/offline/hive_writer.h"
#include "platform/offline/reg_text.h"
#include "platform/offline/reg_tree.h"
#include "platform/offline/volumes.h"
#include "support/reg_text_values.h"

namespace vx::testing {

namespace {

namespace fs = std::filesystem;

std::string MachineRegistry(bool win64) {
  std::string sid = kFixtureUserSid;
  std::string t;
  t += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n";
  t += "\"SystemRoot\"=\"C:\\\\Windows\"\r\n";
  t += "\"ProductName\"=\"Windows 7 Professional\"\r\n";
  t += "\"CurrentVersion\"=\"6.1\"\r\n\r\n";
  t += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList]\r\n";
  t += "\"ProfilesDirectory\"=" + RegExpandSz("%SystemDrive%\\Users") + "\r\n";
  t += "\"ProgramData\"=" + RegExpandSz("%SystemDrive%\\ProgramData") + "\r\n";
  t += "\"Public\"=" + RegExpandSz("%SystemDrive%\\Users\\Public") + "\r\n\r\n";
  t += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid + "]\r\n";
  t += "\"ProfileImagePath\"=" + RegExpandSz("C:\\Users\\Alice") + "\r\n\r\n";
  t += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n";
  t += "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n";
  t += "\"CommonFilesDir\"=\"C:\\\\Program Files\\\\Common Files\"\r\n\r\n";
  if (win64) {
    t += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion]\r\n";
    t += "\"ProgramFilesDir\"=\"C:\\\\Program Files (x86)\"\r\n";
    t += "\"CommonFilesDir\"=\"C:\\\\Program Files (x86)\\\\Common Files\"\r\n\r\n";
  }
  t += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\r\n";
  t += "\"Common AppData\"=\"C:\\\\ProgramData\"\r\n";
  t += "\"Common Desktop\"=\"C:\\\\Users\\\\Public\\\\Desktop\"\r\n";
  t += "\"Common Documents\"=\"C:\\\\Users\\\\Public\\\\Documents\"\r\n";
  t += "\"Common Programs\"=\"C:\\\\ProgramData\\\\Microsoft\\\\Windows\\\\Start Menu\\\\Programs\"\r\n";
  t += "\"Common Start Menu\"=\"C:\\\\ProgramData\\\\Microsoft\\\\Windows\\\\Start Menu\"\r\n";
  t += "\"Common Startup\"=\"C:\\\\ProgramData\\\\Microsoft\\\\Windows\\\\Start Menu\\\\Programs\\\\Startup\"\r\n\r\n";
  t += "[HKEY_LOCAL_MACHINE\\SYSTEM\\Select]\r\n";
  t += "\"Current\"=dword:00000001\r\n\"Default\"=dword:00000001\r\n\"LastKnownGood\"=dword:00000002\r\n\r\n";
  t += "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\Session Manager\\Environment]\r\n";
  t += "\"ComSpec\"=" + RegExpandSz("%SystemRoot%\\system32\\cmd.exe") + "\r\n";
  t += "\"OS\"=\"Windows_NT\"\r\n";
  t += "\"Path\"=" + RegExpandSz("%SystemRoot%\\system32;%SystemRoot%") + "\r\n";
  t += "\"PATHEXT\"=\".COM;.EXE;.BAT;.CMD\"\r\n";
  t += "\"TEMP\"=" + RegExpandSz("%SystemRoot%\\TEMP") + "\r\n";
  t += "\"TMP\"=" + RegExpandSz("%SystemRoot%\\TEMP") + "\r\n";
  t += "\"windir\"=" + RegExpandSz("%SystemRoot%") + "\r\n";
  t += std::string("\"PROCESSOR_ARCHITECTURE\"=\"") + (win64 ? "AMD64" : "x86") + "\"\r\n\r\n";
  t += "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\Nls\\CodePage]\r\n";
  t += "\"ACP\"=\"1252\"\r\n\"OEMCP\"=\"850\"\r\n\r\n";
  t += "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\ComputerName\\ComputerName]\r\n";
  t += "\"ComputerName\"=\"FIXTURE-PC\"\r\n\r\n";
  return t;
}

std::string UserRegistry() {
  std::string p = "C:\\\\Users\\\\Alice";
  std::string t = "REGEDIT4\r\n\r\n";
  t += "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\r\n";
  t += "\"AppData\"=\"" + p + "\\\\AppData\\\\Roaming\"\r\n";
  t += "\"Desktop\"=\"" + p + "\\\\Desktop\"\r\n";
  t += "\"Favorites\"=\"" + p + "\\\\Favorites\"\r\n";
  t += "\"Local AppData\"=\"" + p + "\\\\AppData\\\\Local\"\r\n";
  t += "\"Personal\"=\"" + p + "\\\\Documents\"\r\n";
  std::string menu = p + "\\\\AppData\\\\Roaming\\\\Microsoft\\\\Windows\\\\Start Menu";
  t += "\"Programs\"=\"" + menu + "\\\\Programs\"\r\n";
  t += "\"Start Menu\"=\"" + menu + "\"\r\n";
  t += "\"Startup\"=\"" + menu + "\\\\Programs\\\\Startup\"\r\n";
  t += "\"Templates\"=\"" + p + "\\\\AppData\\\\Roaming\\\\Microsoft\\\\Windows\\\\Templates\"\r\n\r\n";
  t += "[HKEY_CURRENT_USER\\Environment]\r\n";
  t += "\"TEMP\"=" + RegExpandSz("%USERPROFILE%\\AppData\\Local\\Temp") + "\r\n";
  t += "\"TMP\"=" + RegExpandSz("%USERPROFILE%\\AppData\\Local\\Temp") + "\r\n";
  return t;
}

void WriteHost(const std::string& path, std::string_view content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("fixture: cannot write " + path);
}

}  // namespace

TFixtureImage::TFixtureImage(bool win64) : win64_(win64) {
  std::string pattern = (fs::temp_directory_path() / "vx-fixture-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("fixture: cannot make a temporary folder");
  base_ = pattern;
  root_ = base_ + "/image";
  scratch_ = base_ + "/scratch";
  fs::create_directories(scratch_);
  for (const char* dir : {"Windows\\System32\\config", "Windows\\Fonts", "Windows\\Temp", "Program Files",
                          "Program Files\\Common Files", "ProgramData", "Users\\Public\\Desktop",
                          "Users\\Public\\Documents", "Users\\Alice\\Desktop", "Users\\Alice\\Documents",
                          "Users\\Alice\\Favorites", "Users\\Alice\\AppData\\Roaming",
                          "Users\\Alice\\AppData\\Local\\Temp"}) {
    MakeDirectory(std::string("C:\\") + dir);
  }
  if (win64) {
    MakeDirectory("C:\\Windows\\SysWOW64");
    MakeDirectory("C:\\Program Files (x86)\\Common Files");
  }
  WriteFile("C:\\Users\\Alice\\NTUSER.reg", UserRegistry());
  reg_text_ = MachineRegistry(win64);
}

TFixtureImage::~TFixtureImage() {
  std::error_code ec;
  fs::remove_all(base_, ec);
}

std::string TFixtureImage::HostPath(std::string_view target_path) const {
  TTargetPath parsed;
  if (!ParseTargetPath(target_path, &parsed)) throw std::runtime_error("fixture: bad target path");
  std::string out = parsed.drive == 'C' ? root_ : base_ + "/drive_" + std::string(1, parsed.drive);
  for (const std::string& part : parsed.components) out += "/" + part;
  return out;
}

void TFixtureImage::WriteFile(std::string_view target_path, std::string_view content) {
  WriteHost(HostPath(target_path), content);
}

void TFixtureImage::MakeDirectory(std::string_view target_path) {
  fs::create_directories(HostPath(target_path));
}

void TFixtureImage::AddReg(std::string_view reg_text) {
  std::string_view text = reg_text;
  while (!text.empty() && (text.front() == '\r' || text.front() == '\n' || text.front() == ' ')) {
    text.remove_prefix(1);
  }
  if (text.substr(0, 8) == "REGEDIT4") text.remove_prefix(8);
  reg_text_ += std::string(text) + "\r\n";
}

void TFixtureImage::WriteHive(std::string_view target_path, std::string_view reg_text,
                              std::string_view root_key) {
  std::string text(reg_text);
  if (text.find("REGEDIT4") == std::string::npos && text.find("Windows Registry Editor") == std::string::npos) {
    text = "REGEDIT4\r\n" + text;
  }
  std::vector<TRegOp> ops;
  std::vector<std::string> messages;
  ParseRegText(text, "fixture hive text", 1252, &ops, &messages);
  TMemKey root("");
  BuildKeyTree(ops, root_key, &root, &messages);
  if (!messages.empty()) throw std::runtime_error("fixture: " + messages.front());
  std::string host = HostPath(target_path);
  fs::create_directories(fs::path(host).parent_path());
  std::string error;
  if (!WriteHiveFile(host, root, &error)) throw std::runtime_error("fixture: " + error);
}

void TFixtureImage::ClearReg() { reg_text_.clear(); }

std::shared_ptr<TOfflineMachine> TFixtureImage::OpenOffline(TOfflineOptions extra) {
  std::string reg_file = scratch_ + "/fixture.reg";
  WriteHost(reg_file, "REGEDIT4\r\n\r\n" + reg_text_);
  TOfflineOptions options = std::move(extra);
  options.image_root = root_;
  options.reg_files.insert(options.reg_files.begin(), reg_file);
  for (char letter = 'D'; letter <= 'Z'; ++letter) {
    std::string dir = base_ + "/drive_" + std::string(1, letter);
    bool named = false;
    for (const auto& [l, d] : options.drives) named = named || l == letter;
    if (!named && fs::is_directory(dir)) options.drives.emplace_back(letter, dir);
  }
  messages_.clear();
  return std::shared_ptr<TOfflineMachine>(TOfflineMachine::Open(options, &messages_));
}

std::shared_ptr<TMachine> TFixtureImage::Open(TOfflineOptions extra) {
  return OpenOffline(std::move(extra));
}

std::shared_ptr<TMachine> TFixtureImage::OpenAsCurrent() {
  auto machine = Open();
  SetCurrentMachine(machine);
  return machine;
}

}  // namespace vx::testing
