// The rule interpreter's dispatch table: the rows that every rule family
// under detect/ exports, merged into one table sorted by rule type. Adding a
// rule type is one row in its family's file; a new family adds its rows to
// the list in rule_dispatch.cc once.
#ifndef VX_SCAN_RULE_DISPATCH_H_
#define VX_SCAN_RULE_DISPATCH_H_

#include <initializer_list>
#include <string_view>
#include <vector>

#include "scan/rule_context.h"

namespace vx {

// Merges the families' rows and sorts them by type. Raises std::logic_error
// for a type that is not in the rule-type table or that two rows handle:
// both are faults of the program, found by the first scan of any test.
std::vector<TRuleHandlerRow> MergeRuleHandlers(std::initializer_list<TRuleHandlerRows> families);

// The row of a rule type in the table of every family (exact, case-sensitive
// comparison, as the rule files are read); nullptr for a type no family
// handles.
const TRuleHandlerRow* FindRuleHandler(std::string_view type);

}  // namespace vx

#endif  // VX_SCAN_RULE_DISPATCH_H_
