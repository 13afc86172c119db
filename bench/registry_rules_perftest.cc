// Registry rule speed: 50,000 rules of mixed forms, run by the rule
// interpreter over a 64-bit image whose SOFTWARE hive holds over 500,000
// keys (with its Wow6432Node half) and whose five users have hives of their
// own. Prints the rate of every form; plain key and value rules should cost
// lookups only, and run at 100,000 rules per second or more.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "extlib/kit_library.h"
#include "match/path_variables.h"
#include "platform/offline/hive_writer.h"
#include "platform/offline/mem_key.h"
#include "platform/offline/offline_machine.h"
#include "scan/rule_interpreter.h"
#include "support/quiet_scan.h"
#include "sysaccess/user_hives.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kBinaryDir = VX_BINARY_DIR;
constexpr int kVendors = 200;
constexpr int kProducts = 25;
constexpr int kVersions = 25;  // 200 * 25 * (1 + 25 * 2) keys below each view's SOFTWARE
constexpr int kUsers = 5;
constexpr int kRulesPerForm = 50000 / 9;  // 50,000 rules in all

std::string Utf16(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  out.append(2, '\0');
  return out;
}

vx::TMemKey* Path(vx::TMemKey* key, const std::string& path, size_t* keys) {
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      std::string part = path.substr(start, i - start);
      start = i + 1;
      if (part.empty()) continue;
      if (!key->Child(part)) ++*keys;
      key = key->AddChild(part);
    }
  }
  return key;
}

void SetSz(vx::TMemKey* key, const std::string& name, const std::string& data) {
  vx::TRegValue value;
  value.type = vx::kRegSz;
  value.data = Utf16(data);
  key->SetValue(name, value);
}

void WriteHive(const std::string& file, const vx::TMemKey& root) {
  std::string error;
  if (!vx::WriteCompactHiveFile(file, root, &error)) {
    std::fprintf(stderr, "cannot build %s: %s\n", file.c_str(), error.c_str());
    std::exit(1);
  }
}

std::string Sid(int user) { return "S-1-5-21-1111111111-2222222222-3333333333-" + std::to_string(1001 + user); }

size_t BuildImage(const fs::path& root) {
  fs::create_directories(root / "Windows" / "System32" / "config");
  size_t keys = 0;
  vx::TMemKey software("");
  for (const char* view : {"", "Wow6432Node\\"}) {
    for (int v = 0; v < kVendors; ++v) {
      for (int p = 0; p < kProducts; ++p) {
        std::string product = std::string(view) + "Vendor" + std::to_string(v) + "\\Product" + std::to_string(p);
        vx::TMemKey* key = Path(&software, product, &keys);
        SetSz(key, "InstallDir", "C:\\Program Files\\Vendor" + std::to_string(v));
        for (int r = 0; r < kVersions; ++r) {
          Path(key, "Version" + std::to_string(r) + "\\Settings", &keys);
        }
      }
    }
  }
  vx::TMemKey* profiles = Path(&software, "Microsoft\\Windows NT\\CurrentVersion\\ProfileList", &keys);
  SetSz(Path(&software, "Microsoft\\Windows NT\\CurrentVersion", &keys), "SystemRoot", "C:\\Windows");
  for (int u = 0; u < kUsers; ++u) {
    SetSz(Path(profiles, Sid(u), &keys), "ProfileImagePath", "C:\\Users\\User" + std::to_string(u));
    vx::TMemKey user("");
    for (int p = 0; p < 2000; ++p) {
      vx::TMemKey* key = Path(&user, "Software\\Vendor" + std::to_string(p % kVendors) + "\\Product" + std::to_string(p), &keys);
      SetSz(key, "LastRun", "20261211");
    }
    fs::create_directories(root / "Users" / ("User" + std::to_string(u)));
    WriteHive((root / "Users" / ("User" + std::to_string(u)) / "NTUSER.DAT").string(), user);
  }
  WriteHive((root / "Windows" / "System32" / "config" / "SOFTWARE").string(), software);
  std::ofstream(root / "Windows" / "System32" / "config" / "SYSTEM.reg")
      << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Select]\r\n\"Current\"=dword:00000001\r\n"
         "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\spysvc]\r\n\"Start\"=dword:00000002\r\n";
  return keys;
}


struct TForm {
  const char* name;
  std::function<std::string(int i)> line;
};

}  // namespace

int main() {
  fs::path root = fs::temp_directory_path() / ("vx_regrules_bench_" + std::to_string(getpid()));
  fs::remove_all(root);
  auto build_start = Clock::now();
  size_t keys = BuildImage(root);
  std::printf("image: %zu keys (SOFTWARE with both views and %d user hives), built in %.1f s\n", keys,
              kUsers, std::chrono::duration<double>(Clock::now() - build_start).count());

  vx::TOfflineOptions options;
  options.image_root = root.string();
  std::vector<std::string> messages;
  std::shared_ptr<vx::TMachine> machine = vx::TOfflineMachine::Open(options, &messages);
  if (!machine) {
    std::fprintf(stderr, "the image does not open\n");
    return 1;
  }
  vx::SetCurrentMachine(machine);
  vx::BuildPathVariableTables();
  vx::BuildUserHiveNames();
  vx::LoadKitLibrary(kBinaryDir + "/kitlib.dll");

  auto vendor = [](int i) { return std::to_string(i % kVendors); };
  auto product = [](int i) { return std::to_string((i / kVendors) % kProducts); };
  const TForm forms[] = {
      {"RegyKey, key there", [&](int i) {
         return "RegyKey:d,HKLM,\\SOFTWARE\\Vendor" + vendor(i) + "\\,Product" + product(i);
       }},
      {"RegyKey, key missing", [&](int i) {
         return "RegyKey:d,HKLM,\\SOFTWARE\\Vendor" + vendor(i) + "\\,NoProduct" + product(i);
       }},
      {"RegyValue, value there", [&](int i) {
         return "RegyValue:d,HKLM,\\SOFTWARE\\Vendor" + vendor(i) + "\\Product" + product(i) + "\\,InstallDir";
       }},
      {"RegyValue, key missing", [&](int i) {
         return "RegyValue:d,HKLM,\\SOFTWARE\\NoVendor" + vendor(i) + "\\Product" + product(i) + "\\,InstallDir";
       }},
      {"RegyValue with data condition", [&](int i) {
         return "RegyValue:d,HKLM,\\SOFTWARE\\Vendor" + vendor(i) + "\\Product" + product(i) +
                "\\,InstallDir,\"InstallDir=*\\Vendor" + vendor(i) + "\"";
       }},
      {"RegyKey, HKCU (5 user hives)", [&](int i) {
         return "RegyKey:d,HKCU,\\Software\\Vendor" + vendor(i) + "\\,Product" + std::to_string(i % 2000);
       }},
      {"RegyKey, wildcard (25 subkeys listed)", [&](int i) {
         return "RegyKey:d,HKLM,\\SOFTWARE\\Vendor" + vendor(i) + "\\,Prod*" + product(i);
       }},
      {"RegyValue, regular expression name", [&](int i) {
         return "RegyValue:d,HKLM,\\SOFTWARE\\Vendor" + vendor(i) + "\\Product" + product(i) +
                "\\,<regexpr>^Install";
       }},
      {"RegyRemove", [&](int i) {
         return "RegyRemove:d,HKLM,\\SOFTWARE\\Vendor" + vendor(i) + "\\Product" + product(i) +
                "\\,InstallDir,Vendor" + vendor(i);
       }},
  };
  int total = 0;
  double total_s = 0;
  for (const TForm& form : forms) {
    std::string text = ":: Bench\r\n";
    for (int i = 0; i < kRulesPerForm; ++i) text += form.line(i) + "\r\n";
    vx::testing::TQuietScan scan(*machine);
    vx::TRuleInterpreter interpreter(scan.context);
    auto start = Clock::now();
    interpreter.RunIncludeText(text, "bench.qri", vx::mtQuarnel);
    double s = std::chrono::duration<double>(Clock::now() - start).count();
    total += kRulesPerForm;
    total_s += s;
    std::printf("%-40s %8.0f rules/s  (%d findings)\n", form.name, kRulesPerForm / s,
                scan.results.Count());
  }
  std::printf("%-40s %8.0f rules/s over %d rules\n", "all forms", total / total_s, total);
  for (const std::string& m : messages) std::printf("note: %s\n", m.c_str());

  vx::UnloadKitLibrary();
  vx::FreePathVariableTables();
  vx::SetCurrentMachine(nullptr);
  machine.reset();
  fs::remove_all(root);
  return 0;
}
