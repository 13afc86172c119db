#include "match/compare_rule.h"

#include "base/ansi_text.h"

namespace vx {

namespace {

std::vector<std::string> Tokenize(std::string_view expression) {
  std::vector<std::string> tokens;
  std::string current;
  auto flush = [&] {
    if (!current.empty()) tokens.push_back(std::move(current));
    current.clear();
  };
  for (size_t i = 0; i < expression.size(); ++i) {
    char c = expression[i];
    if (c == ' ') {
      flush();
    } else if (c == '"') {
      size_t close = expression.find('"', i + 1);
      size_t end = close == std::string_view::npos ? expression.size() : close;
      current.append(expression.substr(i + 1, end - i - 1));
      flush();
      i = end;
    } else {
      current += c;
    }
  }
  flush();
  return tokens;
}

bool IsOperator(const TCompareRuleItem& item, std::string_view op) { return SameText(item.Text, op); }

}  // namespace

// The operator passes walk backwards and remove each operator as they go;
// marking and compacting afterwards gives the same items in linear time, so
// a long hostile expression cannot make the parse quadratic.
void TCompareRule::Parse(std::string_view expression) {
  items_.clear();
  for (std::string& token : Tokenize(expression)) {
    auto item = std::make_unique<TCompareRuleItem>();
    item->Text = std::move(token);
    items_.push_back(std::move(item));
  }
  if (!items_.empty() && IsOperator(*items_.back(), "NOT")) items_.pop_back();
  // NOT marks the term after it; the walk goes backwards, so NOT NOT x sets
  // the mark twice and negates once.
  if (items_.size() >= 2) {
    size_t next = items_.size() - 1;  // the nearest item after i that stays
    for (size_t i = items_.size() - 1; i-- > 0;) {
      if (IsOperator(*items_[i], "NOT")) {
        items_[next]->Negated = true;
        items_[i].reset();
      } else {
        next = i;
      }
    }
    std::erase(items_, nullptr);
  }
  if (!items_.empty()) items_.front()->Combine = TCompareRuleItem::kCombineOr;
  if (!items_.empty() && IsOperator(*items_.back(), "OR")) items_.pop_back();
  if (!items_.empty() && IsOperator(*items_.back(), "AND")) items_.pop_back();
  // The walk stops at the second item, so a leading AND or OR is a term.
  if (items_.size() >= 3) {
    size_t next = items_.size() - 1;
    for (size_t i = items_.size() - 1; i-- > 1;) {
      bool is_and = IsOperator(*items_[i], "AND");
      if (is_and || IsOperator(*items_[i], "OR")) {
        items_[next]->Combine = is_and ? TCompareRuleItem::kCombineAnd : TCompareRuleItem::kCombineOr;
        items_[i].reset();
      } else {
        next = i;
      }
    }
    std::erase(items_, nullptr);
  }
}

bool TCompareRule::Evaluate(std::string_view text) const {
  bool result = false;
  for (const auto& item : items_) {
    bool found = text.find(item->Text) != std::string_view::npos;
    if (item->Negated) found = !found;
    result = item->Combine == TCompareRuleItem::kCombineAnd ? (result && found) : (result || found);
  }
  return result;
}

}  // namespace vx
