#include "rules/rule_lint.h"

#include <cctype>

#include "base/ansi_text.h"
#include "base/comma_text.h"
#include "base/string_list.h"
#include "rules/include_codec.h"
#include "rules/include_format.h"
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
    bool coded = false;
    if (line.size() > fmt::kCodedPrefixLength && line.starts_with(fmt::kScrambledMarker)) {
      line.remove_prefix(fmt::kCodedPrefixLength);
      coded = true;
    }
    if (line.size() > fmt::kCodedPrefixLength && line.starts_with(fmt::kEncryptedMarker)) {
      line.remove_prefix(fmt::kCodedPrefixLength);
      coded = true;
    }
    if (line.starts_with("::")) {
      CheckProductHeader(number, line, coded);
      return false;
    }
    if (line.size() > fmt::kCodedPrefixLength && line.starts_with("0x")) {
      std::string_view id = line.substr(2, 8);
      if (id.size() != 8 || !IsHexDigits(id)) {
        Report(number, "rule identifier '" + std::string(id) + "' is not eight hexadecimal digits");
      }
      size_t colon = line.find(':');
      if (colon == std::string_view::npos) return false;
      line.remove_prefix(colon + 1);
    }
    if (line.empty() || line[0] == '/' || line[0] == ':') return false;
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    std::string type(line.substr(0, colon));
    const TRuleTypeInfo* info = FindRuleType(type);
    if (info == nullptr) {
      Report(number, "unknown rule type '" + type + "'");
      return true;
    }
    if (!info->handled) {
      Report(number, "rule type '" + type + "' has no handler and is reported as unknown");
      return true;
    }
    int params = static_cast<int>(SplitCommaText(line.substr(colon + 1)).size());
    if (params < info->min_params || params > info->max_params) {
      std::string range = info->min_params == info->max_params
                              ? IntToStr(info->min_params)
                              : IntToStr(info->min_params) + " to " + IntToStr(info->max_params);
      Report(number, type + " takes " + range + " parameters, found " + IntToStr(params));
    }
    return true;
  }

  void CheckProductHeader(int number, std::string_view line, bool coded) {
    std::string_view entry = line.size() > 3 ? line.substr(3) : std::string_view();
    std::string name = Trim(entry.substr(0, entry.find(fmt::kProductInfoSeparator)));
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
