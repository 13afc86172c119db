#include "scan/noop_rule.h"

#include <array>
#include <string>
#include <vector>

#include "base/ansi_text.h"
#include "base/comma_text.h"

namespace vx {

namespace {

// p0 holds the advanced parameters: the "filename" pair names the file the
// check is about (path variables resolved) and leaves the list; the rest is
// the check. An empty p0 always matches.
void HandleNoOp(TRuleContext& context, TRuleLine& line) {
  const std::string parameters = line.Params.Count() > 0 ? line.Params[0] : std::string();
  if (parameters.empty()) {
    context.Flow().RuleMatched = true;
    return;
  }
  std::vector<std::string> pairs = SplitStrict(parameters);
  std::string file_name;
  for (size_t i = 0; i < pairs.size(); ++i) {
    std::string_view pair = pairs[i];
    size_t eq = pair.find('=');
    if (!SameText(pair.substr(0, eq), "filename")) continue;
    file_name = context.SolvePath(eq == std::string_view::npos ? std::string_view()
                                                                : pair.substr(eq + 1));
    pairs.erase(pairs.begin() + static_cast<std::ptrdiff_t>(i));
    break;
  }
  std::string rest;
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (i > 0) rest += ',';
    rest += pairs[i];
  }
  context.Flow().RuleMatched = context.Services().RunAdvancedCheck(file_name, rest);
}

constexpr std::array kRows = std::to_array<TRuleHandlerRow>({{"NoOp", HandleNoOp}});

}  // namespace

TRuleHandlerRows NoOpRuleRows() { return kRows; }

}  // namespace vx
