// Registry lookups over a large hive: builds a hive of about 212,000 keys
// (one key with 20,000 subkeys, as a CLSID key has), opens it as the SOFTWARE
// hive of an image and looks up random existing five-component paths through
// TMyRegistry. Prints lookups per second (first pass, which indexes the keys
// it passes, and later passes), the same for paths that do not exist (most
// rule lookups look for keys that are not there: half miss at the last
// component, half at the second), and the memory the opened hive takes
// against its file size.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/offline/hive_writer.h"
#include "platform/offline/mem_key.h"
#include "platform/offline/offline_machine.h"
#include "sysaccess/my_registry.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kClsids = 20000;
constexpr int kVendors = 100;
constexpr int kProducts = 20;
constexpr int kVersions = 25;
constexpr int kLookups = 1000000;

std::string Guid(int i) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-11D0-A7BC-%012X}", i * 2654435761u, i % 65536,
                i * 40503u);
  return buffer;
}

std::vector<std::string> Paths() {
  std::vector<std::string> paths;
  for (int i = 0; i < kClsids; ++i) paths.push_back("Classes\\CLSID\\" + Guid(i) + "\\InprocServer32\\Options");
  for (int v = 0; v < kVendors; ++v) {
    for (int p = 0; p < kProducts; ++p) {
      for (int r = 0; r < kVersions; ++r) {
        paths.push_back("Vendor" + std::to_string(v) + "\\Product" + std::to_string(p) + "\\Version" +
                        std::to_string(r) + "\\Settings\\Window");
      }
    }
  }
  return paths;
}

size_t BuildHive(const std::string& file) {
  vx::TMemKey root("");
  size_t keys = 1;
  vx::TRegValue value;
  value.type = vx::kRegSz;
  value.data = std::string("C\0:\0\\\0x\0.\0d\0l\0l\0\0\0", 18);
  for (const std::string& path : Paths()) {
    vx::TMemKey* key = &root;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
      if (i == path.size() || path[i] == '\\') {
        std::string part = path.substr(start, i - start);
        start = i + 1;
        if (!key->Child(part)) ++keys;
        key = key->AddChild(part);
      }
    }
    key->SetValue("", value);
  }
  std::string error;
  if (!vx::WriteCompactHiveFile(file, root, &error)) {
    std::fprintf(stderr, "cannot build the hive: %s\n", error.c_str());
    std::exit(1);
  }
  return keys;
}

long RssKb() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

// The same paths with one component that no key has.
std::vector<std::string> MissingPaths(const std::vector<std::string>& paths) {
  std::vector<std::string> out;
  out.reserve(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    const std::string& p = paths[i];
    if (i % 2 == 0) {
      out.push_back(p.substr(0, p.rfind('\\') + 1) + "NoSuchKey");
    } else {
      size_t first = p.find('\\');
      size_t second = p.find('\\', first + 1);
      out.push_back(p.substr(0, first + 1) + "NoSuchKey" + p.substr(second));
    }
  }
  return out;
}

double Pass(const std::vector<std::string>& paths, const std::vector<size_t>& order, size_t* found) {
  auto start = Clock::now();
  vx::TMyRegistry reg;
  reg.SetRootKey(vx::kHkeyLocalMachine);
  *found = 0;
  for (size_t i : order) {
    if (reg.OpenKeyReadOnly("\\SOFTWARE\\" + paths[i])) ++*found;
    reg.CloseKey();
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
  fs::path dir = fs::temp_directory_path() / ("vx-regbench-" + std::to_string(getpid()));
  fs::create_directories(dir / "Windows" / "System32" / "config");
  std::string hive = (dir / "Windows" / "System32" / "config" / "SOFTWARE").string();

  // The hive is built in a child process so that building it does not
  // count in the memory measured for opening it.
  auto build_start = Clock::now();
  pid_t child = fork();
  if (child == 0) {
    size_t keys = BuildHive(hive);
    std::printf("keys in the hive:            %zu (one key with %d subkeys)\n", keys, kClsids);
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
  double build_s = std::chrono::duration<double>(Clock::now() - build_start).count();
  uintmax_t file_size = fs::file_size(hive);
  std::printf("hive file:                   %.1f MiB, built in %.2f s\n", file_size / 1048576.0, build_s);

  std::vector<std::string> paths = Paths();
  std::mt19937 rng(12345);
  std::vector<size_t> order(kLookups);
  std::uniform_int_distribution<size_t> pick(0, paths.size() - 1);
  for (size_t& i : order) i = pick(rng);

  long rss_before = RssKb();
  auto open_start = Clock::now();
  vx::TOfflineOptions options;
  options.image_root = dir.string();
  std::vector<std::string> messages;
  std::shared_ptr<vx::TMachine> machine = vx::TOfflineMachine::Open(options, &messages);
  double open_s = std::chrono::duration<double>(Clock::now() - open_start).count();
  vx::SetCurrentMachine(machine);
  long rss_open = RssKb();
  std::printf("open:                        %.3f s, memory +%.1f MiB (%.2fx the file)\n", open_s,
              (rss_open - rss_before) / 1024.0, (rss_open - rss_before) * 1024.0 / file_size);

  size_t found = 0;
  double cold = Pass(paths, order, &found);
  long rss_cold = RssKb();
  std::printf("first pass:                  %d lookups, %zu found, %.0f lookups/s\n", kLookups, found,
              kLookups / cold);
  double warm = Pass(paths, order, &found);
  std::printf("second pass:                 %d lookups, %zu found, %.0f lookups/s\n", kLookups, found,
              kLookups / warm);
  std::vector<std::string> missing = MissingPaths(paths);
  size_t found_missing = 0;
  double miss = Pass(missing, order, &found_missing);
  std::printf("missing keys:                %d lookups, %zu found, %.0f lookups/s\n", kLookups, found_missing,
              kLookups / miss);
  long rss_after = RssKb();
  std::printf("memory after the lookups:    +%.1f MiB (%.2fx the file; %.2fx after the first pass)\n",
              (rss_after - rss_before) / 1024.0, (rss_after - rss_before) * 1024.0 / file_size,
              (rss_cold - rss_before) * 1024.0 / file_size);
  for (const std::string& m : messages) std::printf("note: %s\n", m.c_str());
  vx::SetCurrentMachine(nullptr);
  machine.reset();
  std::error_code ec;
  fs::remove_all(dir, ec);
  bool ok = found == static_cast<size_t>(kLookups) && found_missing == 0;
  if (!ok) std::printf("FAILED: not every path was found, or a missing one was\n");
  return ok ? 0 : 1;
}
