// Figures for the comparisons every rule runs: wildcard, regular expression
// (with the compiled-pattern cache and, for comparison, compiling each time),
// boolean expressions and the path solver.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "match/compare.h"
#include "match/path_variable_table.h"
#include "match/path_variables.h"
#include "match/wildcard.h"

namespace {

volatile bool g_sink;

// Runs `body` for about `budget` and prints nanoseconds per call.
void Measure(const char* label, const std::function<bool()>& body,
             std::chrono::milliseconds budget = std::chrono::milliseconds(300)) {
  using clock = std::chrono::steady_clock;
  long calls = 0;
  auto start = clock::now();
  auto deadline = start + budget;
  while (clock::now() < deadline) {
    for (int i = 0; i < 64; ++i) g_sink = body();
    calls += 64;
  }
  double ns = std::chrono::duration<double, std::nano>(clock::now() - start).count() / calls;
  std::printf("%-58s %12.1f ns/call\n", label, ns);
}

}  // namespace

int main() {
  using vx::MatchValue;
  const std::vector<std::string> paths = {
      "C:\\Program Files\\Common Files\\Vendor\\Shared\\updater.exe",
      "C:\\Windows\\System32\\drivers\\etc\\hosts",
      "C:\\Users\\Someone\\AppData\\Local\\Temp\\setup_1234.tmp",
      "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Toolbar\\Uninstall.lnk",
  };
  size_t n = 0;
  auto next = [&]() -> const std::string& { return paths[n++ % paths.size()]; };

  std::puts("== comparison modes (MatchValue, case ignored)");
  Measure("wildcard *\\updater.exe", [&] { return MatchValue(next(), "*\\updater.exe", true); });
  Measure("wildcard *toolbar* (substring shortcut)", [&] { return MatchValue(next(), "*toolbar*", true); });
  Measure("wildcard C:\\*\\*\\setup_*.tmp", [&] { return MatchValue(next(), "C:\\*\\*\\setup_*.tmp", true); });
  Measure("exact", [&] { return MatchValue(next(), "C:\\Windows\\System32\\drivers\\etc\\hosts", true, vx::cmExact); });
  Measure("<substr>", [&] { return MatchValue(next(), "<substr>Toolbar", true); });
  Measure("<bm>", [&] { return MatchValue(next(), "<bm>Toolbar", true); });
  Measure("<bool>toolbar AND NOT uninstall", [&] { return MatchValue(next(), "<bool>toolbar AND NOT uninstall", true); });
  Measure("<regexpr>\\\\setup_\\d+\\.tmp$ (cached)", [&] { return MatchValue(next(), "<regexpr>\\\\setup_\\d+\\.tmp$", true); });
  Measure("<regexpr>\\\\setup_\\d+\\.tmp$ (compiled every call)", [&] {
    vx::ClearRegExprCache();
    return MatchValue(next(), "<regexpr>\\\\setup_\\d+\\.tmp$", true);
  });

  std::puts("== hostile patterns");
  std::string text(2000, 'a');
  std::string stars;
  for (int i = 0; i < 100; ++i) stars += "*a";
  stars += "*b";
  Measure("wildcard 100 stars over 2000 chars, no match", [&] { return vx::WildcardMatch(text, stars); },
          std::chrono::milliseconds(500));
  // The slowest shape for the matcher: one star before a long literal that
  // almost matches everywhere (O(text * pattern)).
  std::string near_miss = "*" + std::string(50, 'a') + "b";
  Measure("wildcard *aaa...ab (50 a's) over 2000 chars, no match",
          [&] { return vx::WildcardMatch(text, near_miss); }, std::chrono::milliseconds(500));
  std::string bad = std::string(30, 'a') + "!";
  Measure("<regexpr>^(a+)+$ on 30 a's and '!' (limit hit)", [&] { return MatchValue(bad, "<regexpr>^(a+)+$", false); },
          std::chrono::milliseconds(500));

  std::puts("== path solver");
  auto& table = vx::PathVariableTable();
  table.Clear();
  const char* names[] = {"<$WINDIR>", "<$SYSDIR>", "<$PROGRAMFILES>", "<$APPDATA>", "<$LOCALAPPDATA>",
                         "<$COMMONAPPDATA>", "<$PROFILE>", "<$DESKTOP>", "<$STARTMENU>", "<$TEMP>"};
  for (int pass = 0; pass < 2; ++pass) {
    for (const char* name : names) table.Append(name, std::string("C:\\Some\\Folder\\") + (name + 2));
    table.Append("<$PROGRAMFILES>", "C:\\Program Files (x86)");
    table.CollectValues();
  }
  Measure("SolvePath, no variable", [&] { return vx::SolvePath("C:\\plain\\path.exe").size() > 0; });
  Measure("SolvePath <$PROGRAMFILES>\\App\\app.exe", [&] { return vx::SolvePath("<$PROGRAMFILES>\\App\\app.exe").size() > 0; });
  Measure("SolvePathAll <$PROGRAMFILES>\\<$PROGRAMFILES> (4 entries)", [&] {
    vx::TStringList list;
    vx::SolvePathAll("<$PROGRAMFILES>\\<$PROGRAMFILES>", &list);
    return list.Count() == 4;
  });
  // A hostile registry: a value that names its own variable again.
  table.Append("<$LOOP>", "x<$LOOP>");
  table.CollectValues();
  Measure("SolvePathAll on a self-naming value (step cap hit)", [&] {
    vx::TStringList list;
    vx::SolvePathAll("<$LOOP>", &list);
    return list.Count() == 1;
  });
  return 0;
}
