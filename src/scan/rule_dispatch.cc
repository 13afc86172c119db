#include "scan/rule_dispatch.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "detect/file_rules.h"
#include "detect/registry_rules.h"
#include "rules/rule_types.h"
#include "scan/noop_rule.h"

namespace vx {

namespace {

bool TypeLess(const TRuleHandlerRow& a, const TRuleHandlerRow& b) { return a.Type < b.Type; }

// Built on first use, read-only afterwards.
const std::vector<TRuleHandlerRow>& AllHandlers() {
  static const std::vector<TRuleHandlerRow> table =
      MergeRuleHandlers({NoOpRuleRows(), RegistryRuleRows(), FileRuleRows()});
  return table;
}

}  // namespace

std::vector<TRuleHandlerRow> MergeRuleHandlers(std::initializer_list<TRuleHandlerRows> families) {
  std::vector<TRuleHandlerRow> rows;
  for (TRuleHandlerRows family : families) rows.insert(rows.end(), family.begin(), family.end());
  std::sort(rows.begin(), rows.end(), TypeLess);
  for (size_t i = 0; i < rows.size(); ++i) {
    const TRuleTypeInfo* info = FindRuleType(rows[i].Type);
    if (info == nullptr || !info->handled) {
      throw std::logic_error("rule type " + std::string(rows[i].Type) +
                             " has a handler but no handled row in the rule-type table");
    }
    if (i > 0 && rows[i - 1].Type == rows[i].Type) {
      throw std::logic_error("rule type " + std::string(rows[i].Type) + " is handled twice");
    }
  }
  return rows;
}

const TRuleHandlerRow* FindRuleHandler(std::string_view type) {
  const std::vector<TRuleHandlerRow>& rows = AllHandlers();
  auto it = std::lower_bound(rows.begin(), rows.end(), type,
                             [](const TRuleHandlerRow& row, std::string_view t) { return row.Type < t; });
  return it != rows.end() && it->Type == type ? &*it : nullptr;
}

}  // namespace vx
