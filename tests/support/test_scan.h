// A scan without a thread, for tests of the rule interpreter and the rule
// families: the real finding recorder and rule context over services that
// record what the scan would have shown. The hand-over to the main thread is
// a direct call here, as it is for a scan thread's calls made off the worker.
#ifndef VX_TESTS_SUPPORT_TEST_SCAN_H_
#define VX_TESTS_SUPPORT_TEST_SCAN_H_

#include <functional>
#include <string>
#include <vector>

#include "extlib/probex_library.h"
#include "platform/machine.h"
#include "results/scan_result.h"
#include "scan/finding_recorder.h"
#include "scan/rule_context.h"
#include "sysaccess/my_registry.h"
#include "sysaccess/user_hives.h"

namespace vx::testing {

class TTestScan : public TScanServices, public TFindingSink {
 public:
  TTestScan()
      : recorder(results, settings, flow, check_log, *this),
        context(settings, flow, lists, recorder, check_log, *this) {
    context.BindMachine(HasCurrentMachine() ? &CurrentMachine() : nullptr);
    // The process-wide list the entry builds at start-up, for this machine,
    // and the installation list the scan thread makes when it starts.
    BuildUserHiveNames();
    RegGetSubKeyNames(kHkeyUsers, "", &lists.UserKeyNames, TRegView::rv32);
    lists.Installations[0].Has64Bit =
        HasCurrentMachine() &&
        RegKeyExists(kHkeyLocalMachine, "\\SOFTWARE\\Wow6432Node", TRegView::rv32);
  }

  TScanSettings settings;
  TRuleFlow flow;
  TScanLists lists;
  TCheckLog check_log;
  TMyScanResultsList results;
  TFindingRecorder recorder;
  TRuleContext context;

  // What the scan showed.
  std::vector<std::string> statuses;        // "kind text"
  int32_t progress = 0;
  std::vector<std::string> warning_boxes;
  std::vector<std::string> error_notices;   // "title: text"
  std::vector<std::string> shown;           // "Product: Usage" of every finding and notice
  std::vector<std::string> advanced_checks; // "file|parameters"

  // The advanced check's answer; without one, the loaded probex library's,
  // else false.
  std::function<bool(const std::string& file, const std::string& parameters)> advanced_check;
  std::function<void(TMyScanResult& result, bool& accept)> product_filter;

  void SetStatus(int kind, const std::string& text) override {
    if (kind == 3) flow.StatusProduct = text;
    statuses.push_back(std::to_string(kind) + " " + text);
  }
  void AdvanceProgress(int32_t n) override { progress += n; }
  void ShowWarningBox(const std::string& text) override { warning_boxes.push_back(text); }
  void ShowErrorNotice(const std::string& title, const std::string& text) override {
    error_notices.push_back(title + ": " + text);
    recorder.AddNotice(title, text, srsError);
  }
  bool AdvancedCheckReady() override {
    return advanced_check || (ProbexLibrary() && ProbexLibrary()->AdvancedCheckReady());
  }
  bool RunAdvancedCheck(const std::string& file, const std::string& parameters) override {
    advanced_checks.push_back(file + "|" + parameters);
    if (advanced_check) return advanced_check(file, parameters);
    TProbexLibrary* probex = ProbexLibrary();
    return probex && probex->AdvancedCheckReady() && probex->AdvancedCheck(file, parameters);
  }
  void ResolveShortcut(const std::string& shortcut_file, std::string* target,
                       std::string* arguments) override {
    target->clear();
    arguments->clear();
    TShortcutInfo info;
    if (!HasCurrentMachine() || !CurrentMachine().ReadShortcut(shortcut_file, &info)) return;
    *target = info.target.substr(0, 510);
    *arguments = info.arguments.substr(0, 510);
  }

  void FilterFinding(TMyScanResult& result, bool& accept) override {
    if (product_filter) product_filter(result, accept);
  }
  void ShowFinding(TMyScanResult& result) override {
    shown.push_back(result.Product + ": " + result.Usage);
  }
};

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_TEST_SCAN_H_
