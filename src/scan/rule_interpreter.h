// TRuleInterpreter: runs one include file line by line. It owns the line
// grammar, the rule identifiers, the substitution of captured groups and
// environment references, the parameter split, the flow-control filters and
// the dispatch by rule type; what a rule type looks for belongs to its
// family under detect/, found through the dispatch table.
//
// One interpreter serves one scan and runs on the scan thread.
#ifndef VX_SCAN_RULE_INTERPRETER_H_
#define VX_SCAN_RULE_INTERPRETER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "base/date_time.h"
#include "base/string_list.h"
#include "scan/rule_context.h"

namespace vx {

struct TRuleHandlerRow;
struct TRuleTypeInfo;

// Lines longer than this are dropped (and logged): no rule needs them, and a
// damaged file must not make every later step work on megabytes.
constexpr size_t kMaxRuleLineLength = 64 * 1024;

class TRuleInterpreter {
 public:
  // The dispatch table is that of every family unless a test gives its own.
  using TFindHandler = std::function<const TRuleHandlerRow*(std::string_view type)>;
  explicit TRuleInterpreter(TRuleContext& context, TFindHandler find_handler = nullptr);

  // Runs `file_name` with findings of `category` (mtQuarnel or
  // mtUsageTracking) and returns the time it took. A file that cannot be
  // read returns at once.
  TDateTime RunIncludeFile(const std::string& file_name, uint8_t category);
  // The same over lines given as text (tests, the fuzzing harness).
  TDateTime RunIncludeText(std::string bytes, const std::string& file_name, uint8_t category);

  // Writes one include-error-log line per rule type this scan met that is in
  // the rule-type table but whose family this scanner does not have yet,
  // with the number of lines left unscanned. Once per scan; then forgets.
  void ReportTypesNotScanned();

 private:
  class TProgress;
  TDateTime Run(class TIncludeLines& lines, const std::string& file_name, uint8_t category,
                TDateTime start);
  void RunLine(std::string_view line, TProgress& progress);
  void EvaluateRule(std::string_view type, std::string_view params_text, TProgress& progress);
  void Dispatch(const TRuleTypeInfo* info, TRuleLine& line, TProgress& progress);
  void LogUnknownType(const TRuleLine& line);
  void EnterProduct(const std::string& product, TProgress& progress);

  TRuleContext& context_;
  TFindHandler find_handler_;

  // The file being run.
  std::string file_name_;
  int32_t rule_counter_ = 0;
  bool problem_ = false;
  bool product_excluded_ = false;

  // Rule types of the table without a family yet: lines met per type.
  std::map<std::string, int64_t, std::less<>> not_scanned_;
};

}  // namespace vx

#endif  // VX_SCAN_RULE_INTERPRETER_H_
