// TCompareRule: the boolean search expressions of the "<bool>" comparison,
// such as  spy AND NOT ware  or  "tool bar" OR toolbar.
//
// Terms are separated by blanks; double quotes keep blanks inside a term.
// NOT, AND and OR (any letter case) are operators. Terms next to each other
// without an operator are joined by OR. The expression is evaluated strictly
// from left to right, without precedence: a AND b OR c is (a AND b) OR c.
#ifndef VX_MATCH_COMPARE_RULE_H_
#define VX_MATCH_COMPARE_RULE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/object.h"

namespace vx {

class TCompareRuleItem : public TObject {
 public:
  static constexpr uint8_t kCombineAnd = 0;
  static constexpr uint8_t kCombineOr = 1;

  std::string Text;
  bool Negated = false;
  uint8_t Combine = kCombineOr;
};

class TCompareRule : public TObject {
 public:
  TCompareRule() = default;
  explicit TCompareRule(std::string_view expression) { Parse(expression); }

  // Replaces the items by those of `expression`.
  void Parse(std::string_view expression);
  // True when the expression holds for `text` (terms are searched as exact
  // substrings, case respected). An expression without items is false.
  bool Evaluate(std::string_view text) const;

  int Count() const { return static_cast<int>(items_.size()); }
  const TCompareRuleItem& Items(int i) const { return *items_[i]; }

 private:
  std::vector<std::unique_ptr<TCompareRuleItem>> items_;
};

}  // namespace vx

#endif  // VX_MATCH_COMPARE_RULE_H_
