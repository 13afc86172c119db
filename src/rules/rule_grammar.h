// The grammar of one decoded line of an include file, shared by the rule
// interpreter and the linter so that both read a line the same way.
//
// The prefix rules apply only to lines longer than three characters, in this
// order, each on what the one before left: "##" and then "#%" lose their
// first three characters (marker and separator); "::" makes a product header
// (the third character is skipped, the entry is cut at its first "|" and
// trimmed); "0x" gives the rule identifier (the eight characters after it)
// and everything up to and including the first ":" goes. What remains is a
// rule line "Type:Parameters" unless it is empty, starts with "/" or ":", or
// holds no ":".
#ifndef VX_RULES_RULE_GRAMMAR_H_
#define VX_RULES_RULE_GRAMMAR_H_

#include <string>
#include <string_view>

namespace vx {

enum class TRuleLineKind { rlIgnored, rlProductHeader, rlRule };

struct TRuleLineParts {
  TRuleLineKind kind = TRuleLineKind::rlIgnored;
  std::string product;       // a product header's name
  std::string_view rule_id;  // the explicit identifier; empty without "0x"
  bool has_rule_id = false;
  std::string_view type;     // a rule line's type, before the first ":"
  std::string_view params;   // everything after that ":"
};

// The views point into `line`, which must outlive the result.
TRuleLineParts ParseRuleLine(std::string_view line);

}  // namespace vx

#endif  // VX_RULES_RULE_GRAMMAR_H_
