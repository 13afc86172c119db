#include "scan/rule_interpreter.h"

#include <zlib.h>

#include <exception>
#include <utility>

#include "base/ansi_text.h"
#include "base/comma_text.h"
#include "base/error.h"
#include "base/log_sink.h"
#include "base/messages.h"
#include "extlib/probex_library.h"
#include "match/regex_match.h"
#include "rules/include_lines.h"
#include "rules/rule_filters.h"
#include "rules/rule_grammar.h"
#include "rules/rule_types.h"
#include "scan/finding_recorder.h"
#include "scan/rule_dispatch.h"

namespace vx {

namespace {

constexpr std::string_view kRuleIdSalt = ":QRIRule#";
constexpr std::string_view kRegMatchPrefix = "<$REGMATCH";
constexpr int kMaxRegMatchReference = 10;
constexpr std::string_view kEnvironmentPrefix = "<$ENV(";

// The default rule identifier: the CRC-32 of the line's type, a salt and its
// parameters as written, in eight upper-case hexadecimal digits.
std::string RuleIdOf(std::string_view type, std::string_view params) {
  uLong crc = crc32(0L, Z_NULL, 0);
  auto add = [&crc](std::string_view part) {
    crc = crc32(crc, reinterpret_cast<const Bytef*>(part.data()), static_cast<uInt>(part.size()));
  };
  add(type);
  add(kRuleIdSalt);
  add(params);
  return IntToHex(crc, 8);
}

// "<$REGMATCH0>" to "<$REGMATCH10>" become the groups of the latest match
// (the empty text beyond them); higher numbers stay as written.
void SubstituteCapturedGroups(std::string* params) {
  if (params->find(kRegMatchPrefix) == std::string::npos) return;
  const TStringList& match = LastRegExprMatch();
  for (int n = 0; n <= kMaxRegMatchReference; ++n) {
    std::string name = std::string(kRegMatchPrefix) + IntToStr(n) + ">";
    if (params->find(name) == std::string::npos) continue;
    *params = StringReplaceAll(*params, name, n < match.Count() ? match[n] : std::string(),
                               /*ignore_case=*/false);
  }
}

std::string FormatOne(std::string text, std::string_view value) {
  size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

}  // namespace

// Progress of the file being run, handed to the scan as it accrues.
class TRuleInterpreter::TProgress {
 public:
  explicit TProgress(TScanServices& services) : services_(services) {}
  void Advance() { services_.AdvanceProgress(1); }

 private:
  TScanServices& services_;
};

TRuleInterpreter::TRuleInterpreter(TRuleContext& context, TFindHandler find_handler)
    : context_(context),
      find_handler_(find_handler ? std::move(find_handler) : TFindHandler(FindRuleHandler)) {}

TDateTime TRuleInterpreter::RunIncludeFile(const std::string& file_name, uint8_t category) {
  TDateTime start = Now();
  context_.Flow().CurrentIncludeFile = file_name;
  TIncludeLines lines;
  try {
    if (!lines.Open(file_name)) return Now() - start;
  } catch (...) {
    // A file that cannot be read is left out without a notice; its section
    // time is reported as usual.
    return Now() - start;
  }
  return Run(lines, file_name, category, start);
}

TDateTime TRuleInterpreter::RunIncludeText(std::string bytes, const std::string& file_name,
                                           uint8_t category) {
  context_.Flow().CurrentIncludeFile = file_name;
  TDateTime start = Now();
  TIncludeLines lines;
  try {
    lines.OpenBytes(std::move(bytes), file_name);
  } catch (...) {
    return Now() - start;
  }
  return Run(lines, file_name, category, start);
}

TDateTime TRuleInterpreter::Run(TIncludeLines& lines, const std::string& file_name,
                                uint8_t category, TDateTime start) {
  TRuleFlow& flow = context_.Flow();
  flow.CurrentIncludeFile = file_name;
  flow.CurrentCategory = category;
  file_name_ = file_name;
  flow.CurrentProduct = "Unknown";
  product_excluded_ = context_.Settings().ExcludedProducts.IndexOf(flow.CurrentProduct) >= 0;
  rule_counter_ = 0;
  problem_ = false;

  TProgress progress(context_.Services());
  std::string_view line;
  while (lines.Next(&line)) {
    if (line.size() > kMaxRuleLineLength) {
      WriteIncludeError(file_name_ + " | " + flow.CurrentProduct + ": line " +
                        IntToStr(static_cast<int64_t>(lines.LineNumber())) + " holds " +
                        IntToStr(static_cast<int64_t>(line.size())) +
                        " characters, more than a rule line may; dropped");
      problem_ = true;
      continue;
    }
    try {
      RunLine(line, progress);
    } catch (...) {
      // One failing line ends only itself; it does not advance the progress.
      context_.Services().ShowErrorNotice(
          GetMessageText(msgScanSearchException),
          flow.StatusProduct + " [" + IntToStr(rule_counter_) + " - $" + flow.CurrentRuleID +
              "]" + " (" + ErrorText(std::current_exception()) + ")");
    }
  }

  TDateTime duration = Now() - start;
  if (problem_ && !context_.Settings().HasOption(soIgnoreQriError)) {
    context_.Services().ShowWarningBox(FormatOne(GetMessageText(msgWarningIncludeFile), file_name));
  }
  return duration;
}

void TRuleInterpreter::EnterProduct(const std::string& product, TProgress& progress) {
  TRuleFlow& flow = context_.Flow();
  rule_counter_ = 0;
  flow.CurrentProduct = product;
  product_excluded_ = context_.Settings().ExcludedProducts.IndexOf(product) >= 0;
  context_.Services().SetStatus(3, product);
  progress.Advance();
  LastRegExprGroups().Clear();
  LastRegExprMatch().Clear();
}

void TRuleInterpreter::RunLine(std::string_view line, TProgress& progress) {
  TRuleFlow& flow = context_.Flow();
  flow.CurrentRuleID.clear();
  TRuleLineParts parts = ParseRuleLine(line);
  if (parts.kind == TRuleLineKind::rlProductHeader) {
    EnterProduct(parts.product, progress);
    return;
  }
  if (parts.has_rule_id) flow.CurrentRuleID.assign(parts.rule_id);
  if (parts.kind != TRuleLineKind::rlRule) return;

  // Skipped lines and lines of excluded products are neither split nor
  // evaluated, but they count for the progress.
  if (flow.SkipCounter > 0) {
    --flow.SkipCounter;
    progress.Advance();
    return;
  }
  if (product_excluded_) {
    progress.Advance();
    return;
  }
  EvaluateRule(parts.type, parts.params, progress);
}

void TRuleInterpreter::EvaluateRule(std::string_view type, std::string_view params_text,
                                    TProgress& progress) {
  TRuleFlow& flow = context_.Flow();
  ++rule_counter_;
  flow.RuleMatched = false;
  TRuleLine rule;
  rule.Type.assign(type);
  rule.FindingParams.Add("Product=" + flow.CurrentProduct);
  if (flow.CurrentRuleID.empty()) flow.CurrentRuleID = RuleIdOf(type, params_text);

  std::string params(params_text);
  SubstituteCapturedGroups(&params);
  if (params.find(kEnvironmentPrefix) != std::string::npos && ProbexEnvironmentReady()) {
    params = ExpandEnvironmentReferences(params);
  }
  rule.Params.Assign(SplitCommaText(params));
  rule.GivenParams = rule.Params.Count();

  const TRuleTypeInfo* info = FindRuleType(rule.Type);
  bool valid = info == nullptr || ApplyBuildFilter(*info, &rule.Params);
  flow.SkipCounter = 0;
  flow.SkipCountValue = info ? ApplySkipCount(*info, &rule.Params) : 0;

  bool advances = true;
  if (valid) {
    const TRuleHandlerRow* row = find_handler_(rule.Type);
    if (row == nullptr) {
      if (info != nullptr && info->handled) {
        ++not_scanned_[rule.Type];
      } else {
        LogUnknownType(rule);
      }
    } else if (row->Timing == TRuleTiming::rtAfterFiles) {
      advances = false;
      if (flow.CurrentCategory == mtQuarnel) {
        context_.Lists().DeferredLines(rule.Type).Add(
            "\"" + flow.CurrentProduct + "\"," + JoinCommaText(rule.Params.ToVector()));
      } else {
        // Deferred rules run at the end of the detection pass; the
        // usage-track pass has no such end.
        WriteIncludeError(file_name_ + " | " + flow.CurrentProduct + ": " + rule.Type +
                          " lines run in detection files only; ignored [$" +
                          flow.CurrentRuleID + "]");
      }
    } else {
      advances = row->Timing == TRuleTiming::rtNow;
      row->Handler(context_, rule);
    }
  }
  if (flow.RuleMatched) flow.SkipCounter = flow.SkipCountValue;
  if (advances) progress.Advance();
}

void TRuleInterpreter::LogUnknownType(const TRuleLine& line) {
  const TRuleFlow& flow = context_.Flow();
  std::string text = file_name_ + " | " + flow.CurrentProduct;
  if (line.Params.Count() > 0) {
    WriteIncludeError(text + " (" + line.Params[0] + ") [$" + flow.CurrentRuleID + "]");
  } else {
    WriteIncludeError(text + " [$" + flow.CurrentRuleID + "]");
  }
  problem_ = true;
}

void TRuleInterpreter::ReportTypesNotScanned() {
  for (const auto& [type, count] : not_scanned_) {
    WriteIncludeError(type + ": " + IntToStr(count) +
                      " rule lines not scanned yet (this scanner has no family for the type)");
  }
  not_scanned_.clear();
}

}  // namespace vx
