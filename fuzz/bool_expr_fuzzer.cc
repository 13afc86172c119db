// The boolean search expressions of "<bool>". Input: the expression, a NUL
// byte, the text it is evaluated on.
//
// Terms are never empty, and an expression without NOT is monotone: it holds
// for a text made of all its terms, and a text it holds for still holds with
// more text around it.
#include <string>

#include "match/compare_rule.h"
#include "support/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = vx::fuzz::Bytes(data, size);
  size_t nul = input.find('\0');
  std::string_view expression = input.substr(0, nul);
  std::string_view text = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);

  vx::TCompareRule rule(expression);
  bool negated = false;
  std::string all_terms;
  for (int i = 0; i < rule.Count(); ++i) {
    const vx::TCompareRuleItem& item = rule.Items(i);
    VX_FUZZ_CHECK(!item.Text.empty());
    VX_FUZZ_CHECK(item.Combine == vx::TCompareRuleItem::kCombineAnd ||
                  item.Combine == vx::TCompareRuleItem::kCombineOr);
    negated = negated || item.Negated;
    all_terms += item.Text;
    all_terms += '\0';
  }
  if (rule.Count() > 0) VX_FUZZ_CHECK(rule.Items(0).Combine == vx::TCompareRuleItem::kCombineOr);
  bool holds = rule.Evaluate(text);
  if (rule.Count() == 0) VX_FUZZ_CHECK(!holds);
  if (!negated && rule.Count() > 0) {
    VX_FUZZ_CHECK(rule.Evaluate(all_terms));
    if (holds) {
      std::string wider = "x";
      wider += text;
      wider += "y";
      VX_FUZZ_CHECK(rule.Evaluate(wider));
    }
  }
  return 0;
}
