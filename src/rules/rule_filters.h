// The flow-control parameters of a rule line: the build conditions, which
// drop lines written for other program builds, and the skip count, by which
// a matching line makes the following lines be skipped. Both read the
// advanced parameter of the line's type (Name=Value pairs separated by commas
// only), take their own pairs out of it and leave the rest to the handler.
//
// The rule interpreter applies them to every evaluated line; the linter uses
// the same code to report pairs that cannot be read.
#ifndef VX_RULES_RULE_FILTERS_H_
#define VX_RULES_RULE_FILTERS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/string_list.h"
#include "rules/rule_types.h"

namespace vx {

// The program build that build conditions compare with.
inline constexpr std::string_view kProgramBuildDate = "20080604";

// Pads `params` with empty parameters to the type's maximum count and to its
// build position. Then every "build", "build!", "build>" and "build<" pair
// of the build parameter is removed, and false is returned when one of them
// rules the line out for `build_date`: "build" wants that date, "build!"
// another one, "build>" a date not after it and "build<" a date not before
// it (dates compare as text, as eight digits do). What remains is joined
// again with commas, a pair in quotes when it holds a comma or a quote, or a
// blank where the parameter is the advanced file parameter list. A type
// without a build position is left alone.
bool ApplyBuildFilter(const TRuleTypeInfo& info, TStringList* params,
                      std::string_view build_date = kProgramBuildDate);

// Pads `params` to the type's maximum count, then takes every "skipcount"
// pair out of the first advanced parameter the type has (file, registry,
// build). The answer is the first such pair's value as an integer (0 when
// it is none), and 0 without any pair.
int32_t ApplySkipCount(const TRuleTypeInfo& info, TStringList* params);

// Flow-control pairs of one advanced parameter that cannot be read: a build
// value that is not eight digits, a skip count that is not a number. For the
// linter; the interpreter reads them as the filters above do.
std::vector<std::string> UnreadableFlowPairs(std::string_view advanced_parameter);

}  // namespace vx

#endif  // VX_RULES_RULE_FILTERS_H_
