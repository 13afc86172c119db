// The rule interpreter over a whole include file: line grammar, product
// headers, identifiers, substitutions, the filters and the dispatch to every
// rule family, on a machine with nothing on it (so the families look and
// find nothing, but every path up to the machine runs).
//
// What must hold: each line costs at most one progress step, and every
// line either ran or was dropped with a note; nothing is recorded from an
// empty machine but the notices of lines that raised.
#include <string>

#include "scan/finding_recorder.h"
#include "scan/rule_context.h"
#include "scan/rule_interpreter.h"
#include "support/empty_machine.h"
#include "support/fuzz_check.h"

namespace {

class TFuzzScan : public vx::TScanServices, public vx::TFindingSink {
 public:
  TFuzzScan()
      : recorder(results, settings, flow, check_log, *this),
        context(settings, flow, lists, recorder, check_log, *this) {
    context.BindMachine(&machine);
    settings.ExcludedProducts.Add("Excluded");
  }
  vx::testing::TEmptyMachine machine;
  vx::TScanSettings settings;
  vx::TRuleFlow flow;
  vx::TScanLists lists;
  vx::TCheckLog check_log;
  vx::TMyScanResultsList results;
  vx::TFindingRecorder recorder;
  vx::TRuleContext context;
  int64_t progress = 0;

  void SetStatus(int kind, const std::string& text) override {
    if (kind == 3) flow.StatusProduct = text;
  }
  void AdvanceProgress(int32_t n) override { progress += n; }
  void ShowWarningBox(const std::string&) override {}
  void ShowErrorNotice(const std::string& title, const std::string& text) override {
    recorder.AddNotice(title, text, vx::srsError);
  }
  bool AdvancedCheckReady() override { return true; }
  bool RunAdvancedCheck(const std::string& file, const std::string&) override {
    return file.size() % 2 == 0;  // some checks hold, so skip counts arm
  }
  void ResolveShortcut(const std::string&, std::string* target, std::string* arguments) override {
    target->clear();
    arguments->clear();
  }
  void FilterFinding(vx::TMyScanResult&, bool&) override {}
  void ShowFinding(vx::TMyScanResult&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(vx::fuzz::Bytes(data, size));
  size_t lines = 1;
  for (char c : bytes) lines += c == '\n' || c == '\r';
  TFuzzScan scan;
  vx::TRuleInterpreter interpreter(scan.context);
  interpreter.RunIncludeText(bytes, "fuzz.qri", vx::mtQuarnel);
  VX_FUZZ_CHECK(scan.progress >= 0 && static_cast<size_t>(scan.progress) <= lines);
  for (int i = 0; i < scan.results.Count(); ++i) {
    VX_FUZZ_CHECK(scan.results.GetResult(i)->MainType == vx::mtStatus);
  }
  interpreter.ReportTypesNotScanned();
  return 0;
}
