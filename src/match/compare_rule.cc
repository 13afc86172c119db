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
  for (int i = Count() - 2; i >= 0; --i) {
    if (IsOperator(*items_[i], "NOT")) {
      items_[i + 1]->Negated = true;
      items_.erase(items_.begin() + i);
    }
  }
  if (!items_.empty()) items_.front()->Combine = TCompareRuleItem::kCombineOr;
  if (!items_.empty() && IsOperator(*items_.back(), "OR")) items_.pop_back();
  if (!items_.empty() && IsOperator(*items_.back(), "AND")) items_.pop_back();
  // The walk stops at the second item, so a leading AND or OR is a term.
  for (int i = Count() - 2; i >= 1; --i) {
    if (IsOperator(*items_[i], "AND")) {
      items_[i + 1]->Combine = TCompareRuleItem::kCombineAnd;
      items_.erase(items_.begin() + i);
    } else if (IsOperator(*items_[i], "OR")) {
      items_[i + 1]->Combine = TCompareRuleItem::kCombineOr;
      items_.erase(items_.begin() + i);
    }
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
