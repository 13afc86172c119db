// Checks a rule file the way the scanner will read it and lists what would
// go wrong: unknown rule types, parameter counts outside the rule-type
// table, a missing or wrong "// count:" header, malformed product headers,
// "#%" lines that are not Base64 and damaged containers.
#ifndef VX_RULES_RULE_LINT_H_
#define VX_RULES_RULE_LINT_H_

#include <string>
#include <string_view>
#include <vector>

namespace vx {

struct TLintProblem {
  int line;  // 1-based; 0 for the file as a whole
  std::string message;
};

// `file_bytes` in any stored form of an include file. The "// count:" value
// is checked against the number of rule lines (lines the interpreter reads
// as Type:Parameters).
std::vector<TLintProblem> LintRuleFile(std::string_view file_bytes);

}  // namespace vx

#endif  // VX_RULES_RULE_LINT_H_
