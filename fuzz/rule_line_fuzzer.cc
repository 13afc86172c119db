// The grammar of decoded rule lines and their flow-control parameters (the
// build conditions and the skip count), as the rule interpreter applies
// them, and the linter over the same bytes as a whole file.
//
// Every line of the input is one decoded line. A line's parts lie within
// it; the filters pad the parameters to the type's maximum count. A line
// whose type the table does not know is filtered as the type the line's
// number picks from the table, so that every type's positions are reached.
#include <string>

#include "base/comma_text.h"
#include "base/string_list.h"
#include "rules/include_codec.h"
#include "rules/rule_filters.h"
#include "rules/rule_grammar.h"
#include "rules/rule_lint.h"
#include "rules/rule_types.h"
#include "support/fuzz_check.h"

namespace {

bool Within(std::string_view part, std::string_view line) {
  return part.empty() || (part.data() >= line.data() && part.data() + part.size() <= line.data() + line.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes = vx::fuzz::Bytes(data, size);
  vx::TStringList lines;
  lines.SetText(bytes);
  const auto table = vx::RuleTypeTable();
  for (int i = 0; i < lines.Count(); ++i) {
    std::string_view line = lines[i];
    vx::TRuleLineParts parts = vx::ParseRuleLine(line);
    VX_FUZZ_CHECK(Within(parts.rule_id, line) && Within(parts.type, line) && Within(parts.params, line));
    if (parts.kind != vx::TRuleLineKind::rlRule) {
      VX_FUZZ_CHECK(parts.type.empty() && parts.params.empty());
      continue;
    }
    VX_FUZZ_CHECK(!parts.type.empty());
    const vx::TRuleTypeInfo* info = vx::FindRuleType(parts.type);
    if (!info && !table.empty()) info = &table[static_cast<size_t>(i) % table.size()];
    if (!info) continue;
    vx::TStringList params;
    params.Assign(vx::SplitCommaText(parts.params));
    vx::ApplyBuildFilter(*info, &params);
    VX_FUZZ_CHECK(params.Count() >= info->max_params);
    vx::ApplySkipCount(*info, &params);
    VX_FUZZ_CHECK(params.Count() >= info->max_params);
    for (int p = 0; p < params.Count(); ++p) vx::UnreadableFlowPairs(params[p]);
  }
  // A text form's lines are the file's lines; a container's come out of it.
  const bool container = vx::IsContainer(bytes);
  for (const vx::TLintProblem& problem : vx::LintRuleFile(bytes)) {
    VX_FUZZ_CHECK(problem.line >= 0 && (container || problem.line <= lines.Count() + 1));
  }
  return 0;
}
