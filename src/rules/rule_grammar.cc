#include "rules/rule_grammar.h"

#include "base/ansi_text.h"
#include "rules/include_format.h"

namespace vx {

namespace fmt = include_format;

namespace {

constexpr size_t kPrefixRuleMinLength = 4;  // "longer than three characters"
constexpr std::string_view kRuleIdPrefix = "0x";
constexpr size_t kRuleIdLength = 8;
constexpr size_t kProductEntryOffset = 3;  // "::" and one more character

bool PrefixApplies(std::string_view line, std::string_view prefix) {
  return line.size() >= kPrefixRuleMinLength && line.starts_with(prefix);
}

}  // namespace

TRuleLineParts ParseRuleLine(std::string_view line) {
  TRuleLineParts parts;
  if (PrefixApplies(line, fmt::kScrambledMarker)) line.remove_prefix(fmt::kCodedPrefixLength);
  if (PrefixApplies(line, fmt::kEncryptedMarker)) line.remove_prefix(fmt::kCodedPrefixLength);
  if (PrefixApplies(line, "::")) {
    std::string_view entry = line.substr(kProductEntryOffset);
    parts.kind = TRuleLineKind::rlProductHeader;
    parts.product = Trim(entry.substr(0, entry.find(fmt::kProductInfoSeparator)));
    return parts;
  }
  if (PrefixApplies(line, kRuleIdPrefix)) {
    parts.rule_id = line.substr(kRuleIdPrefix.size(), kRuleIdLength);
    parts.has_rule_id = true;
    size_t colon = line.find(':');
    if (colon != std::string_view::npos) line.remove_prefix(colon + 1);
  }
  if (line.empty() || line[0] == '/' || line[0] == ':') return parts;
  size_t colon = line.find(':');
  if (colon == std::string_view::npos) return parts;
  parts.kind = TRuleLineKind::rlRule;
  parts.type = line.substr(0, colon);
  parts.params = line.substr(colon + 1);
  return parts;
}

}  // namespace vx
