#include "scan/finding_recorder.h"

#include "base/messages.h"
#include "match/path_variables.h"
#include "match/regex_match.h"
#include "sysaccess/my_registry.h"

namespace vx {

namespace {

std::string CountText(const std::string& extra) { return " (" + extra + ")"; }

}  // namespace

TMyScanResult* TFindingRecorder::NewFinding() {
  flow_.RuleMatched = true;
  TMyScanResult* result = results_.AddResult();
  result->Fileset = flow_.SourceName();
  result->RuleIDText = flow_.CurrentRuleID;
  return result;
}

void TFindingRecorder::PreSelect(TMyScanResult* result) const {
  result->Checked = result->MainType == mtQuarnel && result->Checkable;
  if (result->Checked && RevisionProducts.IndexOf(result->Product) >= 0) result->Checked = false;
}

bool TFindingRecorder::AcceptResult(TMyScanResult* result, const std::string& log_suffix) {
  PreSelect(result);
  try {
    bool accept = settings_.ExcludedProducts.IndexOf(result->Product) < 0;
    sink_.FilterFinding(*result, accept);
    if (!accept) {
      results_.Remove(result);
      return false;
    }
    ++ProblemCount;
    if (result->MainType == mtQuarnel) SpywareFound = true;
    if (result->MainType == mtUsageTracking) TracksFound = true;
    check_log_.Write("found: " + result->Product + " " + result->Usage + log_suffix);
    sink_.ShowFinding(*result);
    return true;
  } catch (...) {
    // A failing filter must not stop the scan; the result stays where the
    // failure left it.
    return results_.IndexOf(result) >= 0;
  }
}

void TFindingRecorder::RecordRegistryFinding(const std::string& product,
                                             const std::string& description, bool checkable,
                                             const TStringList& parameters,
                                             const std::string& value_name,
                                             const std::string& key_path, uint32_t root_key,
                                             TRegView view, TQuarnelFixType fix_type,
                                             TQuarnelMainType main_type,
                                             const std::string& extra) {
  flow_.SavedMatches.Assign(LastRegExprMatch().ToVector());
  TMyScanResult* result = NewFinding();
  result->Infos.AddStrings(parameters);
  result->Infos.SetValue("AccessBits", view == TRegView::rv32 ? "32" : "64");
  result->InfoText = result->Infos.CommaText();
  result->Product = product;
  result->Usage = SolveDescription(description);
  result->Checkable = checkable;
  result->FullKey = RootKeyToName(root_key) + key_path + value_name;
  if (view != TRegView::rv32) result->FullKey += " [64bit]";
  result->MainType = main_type;
  result->FixType = fix_type;
  result->RootKey = root_key;
  result->Key = key_path;
  result->Value = value_name;
  if (!extra.empty() && product != "Log") result->Count = CountText(extra);
  AcceptResult(result, " " + extra);
}

void TFindingRecorder::RecordFinding(const std::string& product, const std::string& description,
                                     bool checkable, const std::string& value,
                                     const std::string& file_name, const std::string& path,
                                     TQuarnelFixType fix_type, TQuarnelMainType main_type,
                                     const std::string& extra) {
  TMyScanResult* result = NewFinding();
  result->Product = product;
  result->Usage = SolveDescription(description);
  if (fix_type == ftFile || (fix_type >= ftReplaceFile && fix_type <= ftMoveFile)) {
    result->Usage.insert(0, " ");
  }
  result->Checkable = checkable;
  result->FullKey = path + file_name + value;
  result->MainType = main_type;
  result->FixType = fix_type;
  result->Path = path;
  result->Filename = file_name;
  result->Value = value;
  if (main_type == mtUsageTracking && product != "Log") result->Count = CountText(extra);
  AcceptResult(result, " " + extra);
}

void TFindingRecorder::RecordIniFinding(const TStringList& parameters,
                                        TQuarnelMainType main_type, bool checkable,
                                        TQuarnelFixType fix_type) {
  TMyScanResult* result = NewFinding();
  result->Infos.AddStrings(parameters);
  result->Product = parameters.Values("Product");
  result->Filename = parameters.Values("Filename");
  result->Key = parameters.Values("Section");
  result->Value = parameters.Values("Value");
  result->Usage = SolveDescription(parameters.Values("Description"));
  result->Checkable = checkable;
  result->MainType = main_type;
  result->FixType = fix_type;
  result->FullKey = parameters.Values("Filename") + parameters.Values("Section") +
                    parameters.Values("Value") + parameters.Values("Value") +
                    parameters.Values("Action") + parameters.Values("NewData") +
                    parameters.Values("RemoveData");
  if (fix_type == ftIniChange) result->TagString = parameters.Values("NewData");
  if (fix_type == ftIniDelete) result->TagString = parameters.Values("ActualData");
  if (fix_type == ftIniRemove) result->TagString = parameters.Values("RemoveData");
  AcceptResult(result, "");
}

void TFindingRecorder::RecordHostFinding(const std::string& product,
                                         const std::string& hosts_file,
                                         const std::string& redirect_target,
                                         const std::string& host_name) {
  TMyScanResult* result = NewFinding();
  result->Product = product;
  result->Usage = GetMessageText(msgResultsHost);
  result->Checkable = true;
  result->FullKey = product + host_name;
  result->MainType = mtQuarnel;
  result->FixType = ftHostRedirect;
  result->Filename = hosts_file;
  result->Key = host_name;
  result->Value = redirect_target;
  AcceptResult(result, "");
}

void TFindingRecorder::RecordBrowserFinding(const std::string& browser,
                                            const std::string& profile,
                                            TQuarnelFixType fix_type,
                                            TQuarnelMainType main_type,
                                            const std::string& description,
                                            const std::string& location,
                                            const std::string& product) {
  TMyScanResult* result = NewFinding();
  result->Product = product;
  result->Usage = description;
  result->Checkable = true;
  result->FullKey = browser + profile + location;
  result->MainType = main_type;
  result->FixType = fix_type;
  result->Key = browser;
  result->Path = profile;
  result->Value = location;
  result->Filename = browser + " (" + profile + "): " + location;
  AcceptResult(result, "");
}

void TFindingRecorder::AddNotice(const std::string& title, const std::string& text,
                                 TMyScanResultStatus status) {
  TMyScanResult* result = results_.AddResult();
  result->Fileset = flow_.SourceName();
  result->MainType = mtStatus;
  result->FixType = ftStatus;
  result->Product = title;
  result->Usage = text;
  result->Checkable = false;
  result->Checked = false;
  result->Status = status;
  result->FullKey = title + text;
  sink_.ShowFinding(*result);
}

}  // namespace vx
