// The rule interpreter over a whole include file: line grammar, product
// headers, identifiers, substitutions, the filters and the dispatch to every
// rule family, on a machine with nothing on it (so the families look and
// find nothing, but every path up to the machine runs).
//
// What must hold: each line costs at most one progress step, and every
// line either ran or was dropped with a note; nothing is recorded from an
// empty machine but the notices of lines that raised.
#include <string>

#include "scan/rule_interpreter.h"
#include "support/empty_machine.h"
#include "support/fuzz_check.h"
#include "support/quiet_scan.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(vx::fuzz::Bytes(data, size));
  size_t lines = 1;
  for (char c : bytes) lines += c == '\n' || c == '\r';
  vx::testing::TEmptyMachine machine;
  vx::testing::TQuietScan scan(machine);
  scan.settings.ExcludedProducts.Add("Excluded");
  // Some checks hold, so that skip counts arm.
  scan.advanced_check = [](const std::string& file, const std::string&) { return file.size() % 2 == 0; };
  vx::TRuleInterpreter interpreter(scan.context);
  interpreter.RunIncludeText(bytes, "fuzz.qri", vx::mtQuarnel);
  VX_FUZZ_CHECK(scan.progress >= 0 && static_cast<size_t>(scan.progress) <= lines);
  for (int i = 0; i < scan.results.Count(); ++i) {
    VX_FUZZ_CHECK(scan.results.GetResult(i)->MainType == vx::mtStatus);
  }
  interpreter.ReportTypesNotScanned();
  return 0;
}
