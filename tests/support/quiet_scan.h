// A scan without a thread whose services only count: what the benchmarks and
// the fuzzing harnesses run the rule families in, where recording every
// call (as TTestScan does) would cost more than what is measured.
#ifndef VX_TESTS_SUPPORT_QUIET_SCAN_H_
#define VX_TESTS_SUPPORT_QUIET_SCAN_H_

#include <cstdint>
#include <functional>
#include <string>

#include "platform/machine.h"
#include "results/scan_result.h"
#include "scan/finding_recorder.h"
#include "scan/rule_context.h"

namespace vx::testing {

class TQuietScan : public TScanServices, public TFindingSink {
 public:
  explicit TQuietScan(TMachine& machine)
      : recorder(results, settings, flow, check_log, *this),
        context(settings, flow, lists, recorder, check_log, *this) {
    context.BindMachine(&machine);
  }

  TScanSettings settings;
  TRuleFlow flow;
  TScanLists lists;
  TCheckLog check_log;
  TMyScanResultsList results;
  TFindingRecorder recorder;
  TRuleContext context;
  int64_t progress = 0;
  int64_t errors = 0;
  // The advanced check; without one no check is ready.
  std::function<bool(const std::string& file, const std::string& parameters)> advanced_check;

  void SetStatus(int kind, const std::string& text) override {
    if (kind == 3) flow.StatusProduct = text;
  }
  void AdvanceProgress(int32_t n) override { progress += n; }
  void ShowWarningBox(const std::string&) override {}
  void ShowErrorNotice(const std::string& title, const std::string& text) override {
    ++errors;
    recorder.AddNotice(title, text, srsError);
  }
  bool AdvancedCheckReady() override { return static_cast<bool>(advanced_check); }
  bool RunAdvancedCheck(const std::string& file, const std::string& parameters) override {
    return advanced_check && advanced_check(file, parameters);
  }
  void ResolveShortcut(const std::string&, std::string* target, std::string* arguments) override {
    target->clear();
    arguments->clear();
  }
  void FilterFinding(TMyScanResult&, bool&) override {}
  void ShowFinding(TMyScanResult&) override {}
};

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_QUIET_SCAN_H_
