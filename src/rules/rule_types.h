// The rule-type table: every rule keyword with its parameter counts, the
// positions of its advanced file, registry and build parameters (counted
// from 0, -1 for none) and its syntax line. The interpreter pads parameter
// lists and finds the flow-control parameters through it; the rule-file
// tool lints against it.
#ifndef VX_RULES_RULE_TYPES_H_
#define VX_RULES_RULE_TYPES_H_

#include <span>
#include <string_view>

namespace vx {

struct TRuleTypeInfo {
  std::string_view name;
  int min_params;
  int max_params;
  int file_advanced;
  int registry_advanced;
  int build_advanced;
  // False for the keywords this scanner keeps in the table but has no
  // handler for: their lines are reported as unknown types.
  bool handled;
  std::string_view syntax;
};

std::span<const TRuleTypeInfo> RuleTypeTable();

// Exact, case-sensitive lookup as the dispatch does; nullptr when absent.
const TRuleTypeInfo* FindRuleType(std::string_view name);

}  // namespace vx

#endif  // VX_RULES_RULE_TYPES_H_
