// The NoOp rule type, which the interpreter handles itself: a line that
// finds nothing, but whose advanced check decides whether it matched, so a
// skip count can make it a condition for the lines after it.
#ifndef VX_SCAN_NOOP_RULE_H_
#define VX_SCAN_NOOP_RULE_H_

#include "scan/rule_context.h"

namespace vx {

TRuleHandlerRows NoOpRuleRows();

}  // namespace vx

#endif  // VX_SCAN_NOOP_RULE_H_
