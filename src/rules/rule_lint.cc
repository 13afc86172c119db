#include "rules/rule_lint.h"

#include <algorithm>
#include <cctype>

#include "base/ansi_text.h"
#include "base/comma_text.h"
#include "base/string_list.h"
#include "rules/include_codec.h"
#include "rules/include_format.h"
#include "rules/rule_filters.h"
#include "rules/rule_grammar.h"
#include "rules/rule_types.h"

namespace vx {

namespace fmt = include_format;

namespace {

bool IsHexDigits(std::string_view s) {
  for (char c : s) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return !s.empty();
}

class TLinter {
 public:
  std::vector<TLintProblem> Run(std::string_view file_bytes) {
    TStringList lines;
    bool container = IsContainer(file_bytes);
    if (container) {
      std::string text;
      if (!UnpackContainer(file_bytes, &text)) {
        Report(0, "damaged container: the scanner reads no lines from this file");
        return std::move(problems_);
      }
      lines.SetText(text);
    } else {
      lines.SetText(file_bytes);
    }
    CheckHeaderAndCount(lines, container);
    return std::move(problems_);
  }

 private:
  void Report(int line, std::string message) { problems_.push_back({line, std::move(message)}); }

  void CheckHeaderAndCount(const TStringList& lines, bool container) {
    int count_line = 0;
    std::string count_text;
    for (int i = 0; i < lines.Count(); ++i) {
      const std::string& line = lines[i];
      if (line.empty() || !line.starts_with(fmt::kHeaderPrefix)) break;
      if (line.starts_with(fmt::kCountPrefix) && count_line == 0) {
        count_line = i + 1;
        count_text = Trim(std::string_view(line).substr(fmt::kCountPrefix.size()));
      }
    }
    int rule_lines = 0;
    std::string decoded;
    for (int i = 0; i < lines.Count(); ++i) {
      const std::string& raw = lines[i];
      if (container) {
        decoded = raw;
      } else if (!DecodeIncludeLine(raw, &decoded)) {
        Report(i + 1, "'#%' line is not valid Base64 (the scanner rejects the whole file)");
        continue;
      }
      if (CheckLine(i + 1, decoded)) ++rule_lines;
    }
    if (count_line == 0) {
      Report(1, "missing '// count:' header (the file has " + IntToStr(rule_lines) +
                    " rule lines)");
      return;
    }
    int32_t announced = 0;
    if (!TryStrToInt(count_text, &announced)) {
      Report(count_line, "'// count:' value '" + count_text + "' is not a number");
    } else if (announced != rule_lines) {
      Report(count_line, "'// count:' announces " + IntToStr(announced) + ", the file has " +
                             IntToStr(rule_lines) + " rule lines");
    }
  }

  // True for a rule line.
  bool CheckLine(int number, std::string_view line) {
    TRuleLineParts parts = ParseRuleLine(line);
    bool coded = line.size() > fmt::kCodedPrefixLength &&
                 (line.starts_with(fmt::kScrambledMarker) || line.starts_with(fmt::kEncryptedMarker));
    if (parts.kind == TRuleLineKind::rlProductHeader) {
      while (line.size() > fmt::kCodedPrefixLength && !line.starts_with("::")) {
        line.remove_prefix(fmt::kCodedPrefixLength);
      }
      CheckProductHeader(number, line, parts.product, coded);
      return false;
    }
    if (parts.has_rule_id && (parts.rule_id.size() != 8 || !IsHexDigits(parts.rule_id))) {
      Report(number, "rule identifier '" + std::string(parts.rule_id) +
                         "' is not eight hexadecimal digits");
    }
    if (parts.kind != TRuleLineKind::rlRule) return false;
    std::string type(parts.type);
    const TRuleTypeInfo* info = FindRuleType(type);
    if (info == nullptr) {
      Report(number, "unknown rule type '" + type + "'");
      return true;
    }
    if (!info->handled) {
      Report(number, "rule type '" + type + "' has no handler and is reported as unknown");
      return true;
    }
    std::vector<std::string> params = SplitCommaText(parts.params);
    int count = static_cast<int>(params.size());
    if (count < info->min_params || count > info->max_params) {
      std::string range = info->min_params == info->max_params
                              ? IntToStr(info->min_params)
                              : IntToStr(info->min_params) + " to " + IntToStr(info->max_params);
      Report(number, type + " takes " + range + " parameters, found " + IntToStr(count));
    }
    std::vector<int> positions;
    for (int position : {info->file_advanced, info->registry_advanced, info->build_advanced}) {
      if (position >= 0 && position < count &&
          std::find(positions.begin(), positions.end(), position) == positions.end()) {
        positions.push_back(position);
      }
    }
    for (int position : positions) {
      for (const std::string& pair : UnreadableFlowPairs(params[position])) {
        Report(number, "'" + pair + "' cannot be read: a build date has eight digits, a skip "
                       "count is a number of lines");
      }
    }
    return true;
  }

  void CheckProductHeader(int number, std::string_view line, const std::string& name,
                          bool coded) {
    if (name.empty()) {
      Report(number, "product header without a product name");
    } else if (line[2] != ' ') {
      Report(number, "product header needs a blank after '::'; registration does not see it");
    } else if (coded) {
      Report(number, "coded product header: registration does not see it; leave it plain");
    }
  }

  std::vector<TLintProblem> problems_;
};

}  // namespace

std::vector<TLintProblem> LintRuleFile(std::string_view file_bytes) {
  return TLinter().Run(file_bytes);
}

}  // namespace vx
