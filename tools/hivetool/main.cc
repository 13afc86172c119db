// hivetool: builds hive files from registry export text, dumps hives back to
// text, and shows how the scanner sees an image.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "base/ansi_text.h"
#include "base/codepage.h"
#include "hive_dump.h"
#include "platform/offline/hive_writer.h"
#include "platform/offline/mem_key.h"
#include "platform/offline/offline_machine.h"
#include "platform/offline/offline_registry.h"
#include "platform/offline/reg_text.h"
#include "platform/offline/reg_tree.h"

namespace vx {
namespace {

constexpr char kUsage[] =
    "Usage:\n"
    "  hivetool build [--root KEY] [--compact] OUT.hive IN.reg [IN.reg...]\n"
    "      Builds a hive file from registry export text (REGEDIT4 or version 5.00).\n"
    "      KEY is the full name the hive's root stands for, for example\n"
    "      \"HKEY_LOCAL_MACHINE\\SOFTWARE\" or \"HKEY_CURRENT_USER\". Without it the\n"
    "      file name decides as on Windows (NTUSER.DAT: HKEY_CURRENT_USER, UsrClass.dat:\n"
    "      HKEY_CURRENT_USER\\Software\\Classes, SYSTEM, SOFTWARE, SAM, SECURITY:\n"
    "      HKEY_LOCAL_MACHINE\\<NAME>), else the first key of the text\n"
    "      (HKEY_LOCAL_MACHINE\\X and HKEY_USERS\\X: those two names, any other root:\n"
    "      the root alone). Keys outside KEY are reported and left out. The hive is\n"
    "      filled through hivex; --compact lays it out in one pass instead, for keys\n"
    "      with very many subkeys.\n"
    "      Bad lines are named and skipped; the exit code is then 1.\n"
    "  hivetool dump [--root KEY] [--regedit4] [--codepage N] HIVE [OUT.reg]\n"
    "      Writes the hive as registry export text, to OUT.reg or standard output:\n"
    "      version 5.00 in UTF-16LE as regedit writes it (every character kept), or\n"
    "      REGEDIT4 8-bit text. --codepage N writes names and strings as the scanner\n"
    "      sees them in that code page (\"?\" for a character it lacks; REGEDIT4: 1252).\n"
    "      KEY defaults to HKEY_CURRENT_USER for NTUSER.DAT,\n"
    "      HKEY_CURRENT_USER\\Software\\Classes for UsrClass.dat, HKEY_USERS\\.DEFAULT\n"
    "      for DEFAULT and HKEY_LOCAL_MACHINE\\<FILE NAME> for the others. A damaged\n"
    "      hive is dumped as far as it can be read, what is left out is named, and\n"
    "      the exit code is 1.\n"
    "  hivetool image [--user NAME|SID] [--drive X=DIR]... [--reg FILE.reg]... IMAGE_DIR\n"
    "      Shows the machine the scanner sees in an image: Windows directory,\n"
    "      architecture, users with SIDs and hives, registry roots and the\n"
    "      special folders of every user, the chosen one (*) first.\n"
    "Exit codes: 0 done, 1 failed, 2 bad command line.\n";

int UsageError(const std::string& what) {
  std::cerr << "hivetool: " << what << "\n\n" << kUsage;
  return 2;
}

bool ReadWholeFile(const std::string& path, std::string* data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  data->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return static_cast<bool>(in) || in.eof();
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The key a hive file of this name stands for on a running system; `other`
// for a name Windows gives no hive.
std::string RootKeyForFile(const std::string& path, const std::string& other) {
  std::string base = BaseName(path);
  if (AnsiSameText(base, "NTUSER.DAT")) return "HKEY_CURRENT_USER";
  if (AnsiSameText(base, "UsrClass.dat")) return "HKEY_CURRENT_USER\\Software\\Classes";
  for (const char* name : {"SYSTEM", "SOFTWARE", "SAM", "SECURITY"}) {
    if (AnsiSameText(base, name)) return std::string("HKEY_LOCAL_MACHINE\\") + name;
  }
  return other;
}

int Build(const std::vector<std::string>& args) {
  std::string root_key;
  bool compact = false;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--root" && i + 1 < args.size()) {
      root_key = args[++i];
    } else if (args[i] == "--compact") {
      compact = true;
    } else if (StartsWith(args[i], "--")) {
      return UsageError("unknown option " + args[i]);
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() < 2) return UsageError("build needs an output hive and at least one .reg file");
  std::vector<std::string> messages;
  std::vector<TRegOp> ops;
  bool failed = false;
  for (size_t i = 1; i < files.size(); ++i) {
    std::string data;
    if (!ReadWholeFile(files[i], &data)) {
      messages.push_back(files[i] + ": cannot read the file");
      failed = true;
      continue;
    }
    size_t before = messages.size();
    // The hive is still written from the good lines; the exit code tells of the bad ones.
    // Names stay UTF-8 so that a hive holds every character the text has.
    if (!ParseRegText(data, files[i], kRegNamesUtf8, &ops, &messages) || messages.size() > before) failed = true;
  }
  if (root_key.empty()) root_key = RootKeyForFile(files[0], "");
  TMemKey root("");
  BuildKeyTree(ops, root_key, &root, &messages);
  for (const std::string& m : messages) std::cerr << m << "\n";
  std::string error;
  bool ok = compact ? WriteCompactHiveFile(files[0], root, &error, true)
                    : WriteHiveFile(files[0], root, &error, true);
  if (!ok) {
    std::cerr << files[0] << ": " << error << (compact ? "" : " (try --compact)") << "\n";
    std::remove(files[0].c_str());  // a half-built hive would pass for a whole one
    return 1;
  }
  return failed ? 1 : 0;
}

int Dump(const std::vector<std::string>& args) {
  std::string root_key;
  TRegTextFormat format = TRegTextFormat::rfVersion5;
  int code_page = 0;  // version 5 text keeps every character; REGEDIT4 is Windows-1252
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--root" && i + 1 < args.size()) {
      root_key = args[++i];
    } else if (args[i] == "--regedit4") {
      format = TRegTextFormat::rfRegedit4;
    } else if (args[i] == "--codepage" && i + 1 < args.size()) {
      int32_t cp = 0;
      if (!TryStrToInt(args[++i], &cp) || cp <= 0) return UsageError("bad code page " + args[i]);
      code_page = cp;
    } else if (StartsWith(args[i], "--")) {
      return UsageError("unknown option " + args[i]);
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.empty() || files.size() > 2) return UsageError("dump needs one hive and at most one output file");
  std::string error;
  auto hive = THive::Open(files[0], &error);
  if (!hive) {
    std::cerr << files[0] << ": " << error << "\n";
    return 1;
  }
  if (root_key.empty()) {
    std::string base = BaseName(files[0]);
    std::string stem = AnsiUpperCase(base.substr(0, base.find('.')));
    root_key = RootKeyForFile(files[0], stem == "DEFAULT" ? std::string("HKEY_USERS\\.DEFAULT")
                                                          : "HKEY_LOCAL_MACHINE\\" + stem);
  }
  if (code_page == 0) code_page = format == TRegTextFormat::rfVersion5 ? kRegNamesUtf8 : 1252;
  std::vector<std::string> messages;
  bool incomplete = false;
  std::string text = DumpHive(*hive, root_key, format, code_page, &messages, &incomplete);
  for (const std::string& m : messages) std::cerr << files[0] << ": " << m << "\n";
  // What a damaged hive still holds is written; the exit code tells that parts are missing.
  int code = incomplete ? 1 : 0;
  if (files.size() == 2) {
    std::ofstream out(files[1], std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) {
      std::cerr << files[1] << ": cannot write the file\n";
      return 1;
    }
  } else {
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  return code;
}

int Image(const std::vector<std::string>& args) {
  TOfflineOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--user" && i + 1 < args.size()) {
      options.user = args[++i];
    } else if (args[i] == "--reg" && i + 1 < args.size()) {
      options.reg_files.push_back(args[++i]);
    } else if (args[i] == "--drive" && i + 1 < args.size()) {
      std::string spec = args[++i];
      if (spec.size() < 3 || spec[1] != '=') return UsageError("--drive wants X=DIR, not " + spec);
      options.drives.emplace_back(spec[0], spec.substr(2));
    } else if (StartsWith(args[i], "--")) {
      return UsageError("unknown option " + args[i]);
    } else if (options.image_root.empty()) {
      options.image_root = args[i];
    } else {
      return UsageError("one image folder only");
    }
  }
  if (options.image_root.empty()) return UsageError("image needs the image folder");
  std::error_code ec;
  if (!std::filesystem::is_directory(options.image_root, ec)) {
    std::cerr << options.image_root << ": no such folder\n";
    return 1;
  }
  std::vector<std::string> messages;
  auto machine = TOfflineMachine::Open(options, &messages);
  SetAnsiCodePage(machine->CodePage());
  // Messages hold host paths (UTF-8) and the image's names (its code page); the
  // latter are shown as UTF-8 where a message is no UTF-8 as it stands.
  for (const std::string& m : messages) {
    std::cout << "! " << (IsValidUtf8(m) ? m : AnsiToUtf8(m, machine->CodePage())) << "\n";
  }
  std::cout << machine->Describe();
  // Each other user's folders, as the scanner sees them when that user is chosen.
  std::string chosen = machine->ChosenUserSid();
  for (const TOfflineUser& user : machine->Users()) {
    if (user.sid == chosen) continue;
    TOfflineOptions other = options;
    other.user = user.sid;
    std::vector<std::string> ignored;  // the same as above
    std::cout << TOfflineMachine::Open(other, &ignored)->DescribeSpecialFolders();
  }
  return 0;
}

int Main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << kUsage;
    return args.empty() ? 2 : 0;
  }
  std::string command = args[0];
  args.erase(args.begin());
  if (command == "build") return Build(args);
  if (command == "dump") return Dump(args);
  if (command == "image") return Image(args);
  return UsageError("unknown command " + command);
}

}  // namespace
}  // namespace vx

int main(int argc, char** argv) {
  try {
    return vx::Main(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "hivetool: " << e.what() << "\n";
    return 1;
  }
}
