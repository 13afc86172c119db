#include "rules/rule_filters.h"

#include <cctype>

#include "base/ansi_text.h"
#include "base/comma_text.h"

namespace vx {

namespace {

enum class TQuoting { qCommaOrQuote, qAlsoBlanks };

std::string_view PairName(std::string_view pair) { return pair.substr(0, pair.find('=')); }

std::string_view PairValue(std::string_view pair) {
  size_t eq = pair.find('=');
  return eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1);
}

bool NeedsQuotes(std::string_view pair, TQuoting quoting) {
  for (char c : pair) {
    if (c == ',' || c == '"') return true;
    if (quoting == TQuoting::qAlsoBlanks && static_cast<unsigned char>(c) <= ' ') return true;
  }
  return false;
}

std::string JoinPairs(const std::vector<std::string>& pairs, TQuoting quoting) {
  std::string out;
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (i > 0) out += ',';
    if (!NeedsQuotes(pairs[i], quoting)) {
      out += pairs[i];
      continue;
    }
    out += '"';
    for (char c : pairs[i]) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

void PadTo(TStringList* params, int count) { params->PadTo(count); }

// Whether `text` holds `lower` (lower-case letters) in any letter case.
bool ContainsFolded(std::string_view text, std::string_view lower) {
  if (lower.empty() || lower.size() > text.size()) return false;
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (size_t i = 0; i + lower.size() <= text.size(); ++i) {
    if (fold(text[i]) != lower[0]) continue;
    size_t k = 1;
    while (k < lower.size() && fold(text[i + k]) == lower[k]) ++k;
    if (k == lower.size()) return true;
  }
  return false;
}

// Whether splitting `parameter` into pairs and joining them again gives it
// back unchanged, so that a parameter without flow-control pairs can stay.
bool JoinKeepsText(std::string_view parameter, TQuoting quoting) {
  for (char c : parameter) {
    if (c == '"') return false;
    if (quoting == TQuoting::qAlsoBlanks && static_cast<unsigned char>(c) <= ' ') return false;
  }
  return true;
}

bool IsBuildDate(std::string_view value) {
  if (value.size() != kProgramBuildDate.size()) return false;
  for (char c : value) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace

bool ApplyBuildFilter(const TRuleTypeInfo& info, TStringList* params,
                      std::string_view build_date) {
  if (info.build_advanced < 0) return true;
  PadTo(params, info.max_params);
  PadTo(params, info.build_advanced + 1);
  std::string_view parameter = (*params)[info.build_advanced];
  // Blanks are quoted only in a parameter that is an advanced file parameter
  // list, which probex splits as comma text. Where the build conditions sit
  // in a registry rule's verify specification, quotes around a name or data
  // with a blank would make the condition fail for ever.
  TQuoting quoting = info.file_advanced >= 0 && info.file_advanced == info.build_advanced
                         ? TQuoting::qAlsoBlanks
                         : TQuoting::qCommaOrQuote;
  // Most lines carry no build condition; their parameter stays as it is
  // unless rewriting it would quote one of its pairs.
  if (!ContainsFolded(parameter, "build") && JoinKeepsText(parameter, quoting)) return true;
  std::vector<std::string> pairs = SplitStrict(parameter);
  bool valid = true;
  for (size_t i = pairs.size(); i-- > 0;) {
    std::string_view name = PairName(pairs[i]);
    std::string_view value = PairValue(pairs[i]);
    if (SameText(name, "build")) {
      if (value != build_date) valid = false;
    } else if (SameText(name, "build!")) {
      if (value == build_date) valid = false;
    } else if (SameText(name, "build>")) {
      if (value > build_date) valid = false;
    } else if (SameText(name, "build<")) {
      if (value < build_date) valid = false;
    } else {
      continue;
    }
    pairs.erase(pairs.begin() + static_cast<std::ptrdiff_t>(i));
  }
  params->SetString(info.build_advanced, JoinPairs(pairs, quoting));
  return valid;
}

int32_t ApplySkipCount(const TRuleTypeInfo& info, TStringList* params) {
  int position = info.file_advanced >= 0       ? info.file_advanced
                 : info.registry_advanced >= 0 ? info.registry_advanced
                                               : info.build_advanced;
  if (position < 0) return 0;
  PadTo(params, info.max_params);
  if (position >= params->Count()) return 0;
  if (!ContainsFolded((*params)[position], "skipcount")) return 0;
  std::vector<std::string> pairs = SplitStrict((*params)[position]);
  int32_t skip = 0;
  bool found = false;
  for (size_t i = pairs.size(); i-- > 0;) {
    if (!SameText(PairName(pairs[i]), "skipcount")) continue;
    int32_t value = 0;
    // Walked from the last pair to the first, the first pair has the last word.
    skip = TryStrToInt(PairValue(pairs[i]), &value) ? value : 0;
    found = true;
    pairs.erase(pairs.begin() + static_cast<std::ptrdiff_t>(i));
  }
  if (found) params->SetString(position, JoinPairs(pairs, TQuoting::qCommaOrQuote));
  return skip;
}

std::vector<std::string> UnreadableFlowPairs(std::string_view advanced_parameter) {
  std::vector<std::string> bad;
  for (const std::string& pair : SplitStrict(advanced_parameter)) {
    std::string_view name = PairName(pair);
    std::string_view value = PairValue(pair);
    bool build = SameText(name, "build") || SameText(name, "build!") ||
                 SameText(name, "build>") || SameText(name, "build<");
    int32_t number = 0;
    if ((build && !IsBuildDate(value)) ||
        (SameText(name, "skipcount") && (!TryStrToInt(value, &number) || number < 0))) {
      bad.push_back(pair);
    }
  }
  return bad;
}

}  // namespace vx
