// Interpretation speed: include files of 100,000 lines run by the rule
// interpreter, first on its own (the scan's services are plain counters),
// then inside a real scan thread whose every progress event is handed to the
// waiting main thread, and last as whole runs of the vexascan program: a
// 200,000-line file of an excluded product against an empty file.
//
// NoOp lines check a file of the demo image (as the build lays it out in
// build/demo-image) through probex.dll, as a rule writer's condition would.
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
#include "extlib/probex_library.h"
#include "match/path_variables.h"
#include "platform/offline/offline_machine.h"
#include "scan/rule_interpreter.h"
#include "scan/scan_steps.h"
#include "scan/scan_thread.h"
#include "support/quiet_scan.h"

namespace {

namespace fs = std::filesystem;

const std::string kBinaryDir = VX_BINARY_DIR;

constexpr int kLines = 100000;

std::string ExcludedLines(int lines) {
  std::string text = "// count: " + std::to_string(lines) + "\r\n\r\n:: Excluded Spy | adware\r\n";
  for (int i = 0; i < lines; ++i) {
    text += "File:\"Spy file " + std::to_string(i) + "\",\"<$PROGRAMFILES>\\Spy\\spy" +
            std::to_string(i) + ".dll\"\r\n";
  }
  return text;
}

std::string NoOpLines(int lines) {
  std::string text = "// count: " + std::to_string(lines) + "\r\n\r\n:: Checked | adware\r\n";
  for (int i = 0; i < lines; ++i) {
    text += "NoOp:\"filename=<$WINDIR>\\win.ini,filesize>=" + std::to_string(i % 7) + "\"\r\n";
  }
  return text;
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double Seconds(const std::function<void()>& fn) {
  auto start = std::chrono::steady_clock::now();
  fn();
  std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
  return d.count();
}

double Best(const std::function<void()>& fn, int repeats) {
  double best = 1e9;
  for (int i = 0; i < repeats; ++i) best = std::min(best, Seconds(fn));
  return best;
}

// The advanced check of the NoOp lines: the loaded probex library's.
int64_t g_matched = 0;
bool ProbexCheck(const std::string& file, const std::string& parameters) {
  bool holds = vx::ProbexLibrary()->AdvancedCheck(file, parameters);
  g_matched += holds;
  return holds;
}


void Report(const char* what, int lines, double seconds) {
  std::printf("%-44s %8.1f ms  %10.0f lines/s\n", what, seconds * 1000, lines / seconds);
}

// One whole program run; the time it took.
double ProgramRun(const fs::path& install, const fs::path& cwd) {
  std::string command = "cd '" + cwd.string() + "' && '" + (install / "vexascan").string() +
                        "' /image='" + kBinaryDir + "/demo-image' >/dev/null 2>&1 </dev/null";
  return Seconds([&] {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "vexascan failed\n");
  });
}

}  // namespace

// Without arguments every part runs; "interpreter" (or one of its halves,
// "excluded" and "noop"), "thread" or "program" picks one (for a profiler).
int main(int argc, char** argv) {
  const std::string only = argc > 1 ? argv[1] : "";
  auto wanted = [&only](const char* part) { return only.empty() || only == part; };
  const fs::path root = fs::temp_directory_path() / ("vx_interpreter_bench_" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root);

  vx::TOfflineOptions options;
  options.image_root = kBinaryDir + "/demo-image";
  std::vector<std::string> messages;
  std::shared_ptr<vx::TMachine> machine = vx::TOfflineMachine::Open(options, &messages);
  if (!machine) {
    std::fprintf(stderr, "the demo image does not open\n");
    return 1;
  }
  vx::SetCurrentMachine(machine);
  vx::BuildPathVariableTables();
  vx::LoadKitLibrary(kBinaryDir + "/kitlib.dll");
  vx::LoadProbexLibrary(kBinaryDir + "/probex.dll",
                        [](const std::string& text, const std::string&) {
                          std::fprintf(stderr, "%s\n", text.c_str());
                        });

  const std::string excluded = ExcludedLines(kLines);
  const std::string noop = NoOpLines(kLines);
  Write(root / "excluded.qri", excluded);
  Write(root / "noop.qri", noop);

  if (wanted("interpreter") || only == "excluded") {
    vx::testing::TQuietScan scan(*machine);
    scan.settings.ExcludedProducts.Add("Excluded Spy");
    vx::TRuleInterpreter interpreter(scan.context);
    double s = Best([&] { interpreter.RunIncludeFile((root / "excluded.qri").string(), vx::mtQuarnel); }, 5);
    Report("interpreter, excluded-product lines", kLines, s);
  }
  if (wanted("interpreter") || only == "noop") {
    vx::testing::TQuietScan scan(*machine);
    scan.advanced_check = ProbexCheck;
    vx::TRuleInterpreter interpreter(scan.context);
    double s = Best([&] { interpreter.RunIncludeFile((root / "noop.qri").string(), vx::mtQuarnel); }, 5);
    Report("interpreter, NoOp lines with a file check", kLines, s);
    if (g_matched == 0) std::fprintf(stderr, "no NoOp check held: the bench checks nothing\n");
  }

  // Inside a scan thread, every progress event handed to this thread.
  for (const char* file : {"excluded.qri", "noop.qri"}) {
    if (!wanted("thread")) break;
    double s = Best(
        [&] {
          vx::TScanThread thread;
          thread.Settings.ExcludedProducts.Add("Excluded Spy");
          thread.Settings.AppPath = root.string() + "/";
          thread.Settings.LibraryDir = kBinaryDir + "/";
          thread.Steps = vx::DefaultScanSteps();
          thread.ProgressEvery = 10;  // as the console asks
          int64_t drawn = 0;
          thread.OnProgress = [&drawn](vx::TScanThread&, int, int32_t position, int32_t) {
            drawn += position % 10 == 0;
          };
          thread.OnFilesets = [&](vx::TScanThread&, vx::TDateTime&, int32_t& total,
                                  vx::TStringList& detection, vx::TStringList&) {
            detection.Add((root / file).string());
            total = 29 + kLines;
          };
          thread.Start();
          thread.WaitFor();
        },
        3);
    Report((std::string("scan thread, ") + file).c_str(), kLines, s);
  }

  // Whole runs of the program: an empty rule file against 200,000 lines of
  // an excluded product, registration and interpretation together.
  if (!wanted("program")) {
    fs::remove_all(root);
    return 0;
  }
  fs::path install = root / "install";
  fs::create_directories(install / "Includes");
  for (const char* file : {"vexascan", "probex.dll", "kitlib.dll"}) {
    fs::copy_file(fs::path(kBinaryDir) / file, install / file);
  }
  Write(install / "vexascan.products.qre", "Excluded Spy\r\n");
  Write(install / "vexascan.ini", "[Filesets]\r\nrules.qri=1\r\n");
  Write(install / "Includes" / "rules.qri", "// count: 0\r\n");
  double empty = 1e9;
  for (int i = 0; i < 5; ++i) empty = std::min(empty, ProgramRun(install, root));
  Write(install / "Includes" / "rules.qri", ExcludedLines(2 * kLines));
  double full = 1e9;
  for (int i = 0; i < 5; ++i) full = std::min(full, ProgramRun(install, root));
  std::printf("vexascan, empty rule file                    %8.1f ms\n", empty * 1000);
  std::printf("vexascan, 200,000 excluded-product lines     %8.1f ms  (+%.1f ms)\n", full * 1000,
              (full - empty) * 1000);

  vx::UnloadProbexLibrary();
  vx::UnloadKitLibrary();
  vx::SetCurrentMachine(nullptr);
  fs::remove_all(root);
  return 0;
}
