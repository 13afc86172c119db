// File rule speed: 20,000 file rules (plain names, masks, folder wildcards,
// recursive folder tests) over a generated image of 200,000 files in 20,000
// folders. Prints rules per second and the folders the directory cache read,
// which must equal the distinct folders the rules name. The whole run should
// take under two seconds once the image's folders are in the page cache.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/ansi_text.h"
#include "detect/dir_cache.h"
#include "extlib/kit_library.h"
#include "match/path_variables.h"
#include "platform/offline/offline_machine.h"
#include "scan/rule_interpreter.h"
#include "support/quiet_scan.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kBinaryDir = VX_BINARY_DIR;
constexpr int kVendors = 200;
constexpr int kProducts = 100;       // 200 * 100 = 20,000 folders
constexpr int kFilesPerFolder = 10;  // 200,000 files
constexpr int kRules = 20000;

std::string Folder(int v, int p) {
  return "Program Files\\Vendor" + std::to_string(v) + "\\Product" + std::to_string(p);
}

void BuildImage(const fs::path& root) {
  fs::create_directories(root / "Windows" / "System32" / "config");
  std::ofstream(root / "Windows" / "System32" / "config" / "SOFTWARE.reg")
      << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
         "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n";
  for (int v = 0; v < kVendors; ++v) {
    for (int p = 0; p < kProducts; ++p) {
      fs::path dir = root / "Program Files" / ("Vendor" + std::to_string(v)) / ("Product" + std::to_string(p));
      fs::create_directories(dir);
      for (int f = 0; f < kFilesPerFolder; ++f) {
        std::ofstream(dir / ("file" + std::to_string(f) + (f % 2 ? ".dll" : ".exe"))) << std::string(f * 10, 'x');
      }
    }
  }
}

// User and system time of this process: on a busy machine the wall clock
// also counts the others.
double CpuSeconds() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
         usage.ru_stime.tv_usec / 1e6;
}


}  // namespace

int main() {
  fs::path root = fs::temp_directory_path() / ("vx_filerules_bench_" + std::to_string(getpid()));
  fs::remove_all(root);
  auto build_start = Clock::now();
  BuildImage(root);
  std::printf("image: %d files in %d folders, built in %.1f s\n", kVendors * kProducts * kFilesPerFolder,
              kVendors * kProducts, std::chrono::duration<double>(Clock::now() - build_start).count());

  vx::TOfflineOptions options;
  options.image_root = root.string();
  std::vector<std::string> messages;
  std::shared_ptr<vx::TMachine> machine = vx::TOfflineMachine::Open(options, &messages);
  if (!machine) return 1;
  vx::SetCurrentMachine(machine);
  vx::BuildPathVariableTables();
  vx::LoadKitLibrary(kBinaryDir + "/kitlib.dll");

  // Four forms over 5,000 product folders (each named by exactly one form's
  // rules, so the distinct folders are known), a quarter of them recursive
  // wildcard rules over a vendor's products.
  std::string text = ":: Bench\r\n";
  std::set<std::string> named;
  for (int i = 0; i < kRules; ++i) {
    int v = i % kVendors;
    int p = (i / kVendors) % kProducts;
    std::string folder = "<$PROGRAMFILES>\\Vendor" + std::to_string(v) + "\\Product" + std::to_string(p);
    std::string real = "C:\\" + Folder(v, p) + "\\";
    switch (i % 4) {
      case 0:
        text += "File:d,\"" + folder + "\\file3.dll\"\r\n";
        named.insert(vx::AnsiUpperCase(real));
        break;
      case 1:
        text += "File:d,\"" + folder + "\\nothere.exe\"\r\n";
        named.insert(vx::AnsiUpperCase(real));
        break;
      case 2:
        text += "File:d,\"" + folder + "\\file*.exe\",\"filesize>=40\"\r\n";
        named.insert(vx::AnsiUpperCase(real));
        break;
      default:
        text += "Directory:d,\"" + folder + "\",filename=file1.dll\r\n";
        break;
    }
  }
  vx::testing::TQuietScan scan(*machine);
  vx::TRuleInterpreter interpreter(scan.context);
  double cpu_before = CpuSeconds();
  auto start = Clock::now();
  interpreter.RunIncludeText(text, "bench.qri", vx::mtQuarnel);
  double s = std::chrono::duration<double>(Clock::now() - start).count();
  double cpu = CpuSeconds() - cpu_before;
  int64_t reads = scan.lists.Cache<vx::TDirCache>().FolderReads();
  std::printf("%d file rules in %.2f s (%.2f s of processor time): %.0f rules/s, %d findings\n",
              kRules, s, cpu, kRules / s, scan.results.Count());
  std::printf("folder reads: %lld, distinct folders the File rules name: %zu%s\n",
              static_cast<long long>(reads), named.size(),
              reads == static_cast<int64_t>(named.size()) ? "" : "  (MISMATCH)");

  vx::UnloadKitLibrary();
  vx::FreePathVariableTables();
  vx::SetCurrentMachine(nullptr);
  machine.reset();
  fs::remove_all(root);
  return reads == static_cast<int64_t>(named.size()) ? 0 : 1;
}
