// The finding recorder: every rule family hands its hits to one of these
// operations, which fill a result, ask the product filter and, for a kept
// result, count, log and show it.
#include <exception>

#include "base/ansi_text.h"
#include "base/messages.h"
#include "match/path_variables.h"
#include "match/regex_match.h"
#include "scan/scan_thread.h"
#include "sysaccess/my_registry.h"

namespace vx {

namespace {

std::string CountText(const std::string& extra) { return " (" + extra + ")"; }

}  // namespace

void TScanThread::FireFinding(TMyScanResult& result) {
  if (!OnFinding) return;
  try {
    Synchronize([&] { OnFinding(*this, result); });
  } catch (...) {
  }
}

void TScanThread::PreSelect(TMyScanResult* result) {
  result->Checked = result->MainType == mtQuarnel && result->Checkable;
  if (result->Checked && RevisionProducts.IndexOf(result->Product) >= 0) result->Checked = false;
}

bool TScanThread::AcceptResult(TMyScanResult* result, const std::string& log_suffix) {
  try {
    bool accept = ExcludedProducts.IndexOf(result->Product) < 0;
    if (OnProductFilter) Synchronize([&] { OnProductFilter(*this, *result, accept); });
    if (!accept) {
      Results.Remove(result);
      return false;
    }
    ++ProblemCount;
    if (result->MainType == mtQuarnel) SpywareFound = true;
    if (result->MainType == mtUsageTracking) TracksFound = true;
    WriteLog("found: " + result->Product + " " + result->Usage + log_suffix);
    FireFinding(*result);
    return true;
  } catch (...) {
    // A failing filter must not stop the scan; the result stays where the
    // failure left it.
    return Results.IndexOf(result) >= 0;
  }
}

void TScanThread::RecordRegistryFinding(const std::string& product,
                                        const std::string& description, bool checkable,
                                        const TStringList& parameters,
                                        const std::string& value_name,
                                        const std::string& key_path, uint32_t root_key,
                                        int view, TQuarnelFixType fix_type,
                                        TQuarnelMainType main_type, const std::string& extra) {
  RuleMatched = true;
  SavedMatches.Assign(LastRegExprMatch().ToVector());
  TMyScanResult* result = Results.AddResult();
  result->Fileset = SourceName();
  result->RuleIDText = CurrentRuleID;
  result->Infos.AddStrings(parameters);
  result->Infos.SetValue("AccessBits", view == 0 ? "32" : "64");
  result->InfoText = result->Infos.CommaText();
  result->Product = product;
  result->Usage = SolveDescription(description);
  result->Checkable = checkable;
  result->FullKey = RootKeyToName(root_key) + key_path + value_name;
  if (view != 0) result->FullKey += " [64bit]";
  result->MainType = main_type;
  result->FixType = fix_type;
  result->RootKey = root_key;
  result->Key = key_path;
  result->Value = value_name;
  if (!extra.empty() && product != "Log") result->Count = CountText(extra);
  PreSelect(result);
  AcceptResult(result, " " + extra);
}

void TScanThread::RecordFinding(const std::string& product, const std::string& description,
                                bool checkable, const std::string& value,
                                const std::string& file_name, const std::string& path,
                                TQuarnelFixType fix_type, TQuarnelMainType main_type,
                                const std::string& extra) {
  RuleMatched = true;
  TMyScanResult* result = Results.AddResult();
  result->Fileset = SourceName();
  result->RuleIDText = CurrentRuleID;
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
  PreSelect(result);
  AcceptResult(result, " " + extra);
}

void TScanThread::RecordIniFinding(const TStringList& parameters, TQuarnelMainType main_type,
                                   bool checkable, TQuarnelFixType fix_type) {
  RuleMatched = true;
  TMyScanResult* result = Results.AddResult();
  result->Fileset = SourceName();
  result->RuleIDText = CurrentRuleID;
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
  PreSelect(result);
  AcceptResult(result, "");
}

void TScanThread::RecordHostFinding(const std::string& product, const std::string& hosts_file,
                                    const std::string& redirect_target,
                                    const std::string& host_name) {
  RuleMatched = true;
  TMyScanResult* result = Results.AddResult();
  result->Fileset = SourceName();
  result->RuleIDText = CurrentRuleID;
  result->Product = product;
  result->Usage = GetMessageText(msgResultsHost);
  result->Checkable = true;
  result->FullKey = product + host_name;
  result->MainType = mtQuarnel;
  result->FixType = ftHostRedirect;
  result->Filename = hosts_file;
  result->Key = host_name;
  result->Value = redirect_target;
  PreSelect(result);
  AcceptResult(result, "");
}

void TScanThread::RecordBrowserFinding(const std::string& browser, const std::string& profile,
                                       TQuarnelFixType fix_type, TQuarnelMainType main_type,
                                       const std::string& description,
                                       const std::string& location,
                                       const std::string& product) {
  RuleMatched = true;
  TMyScanResult* result = Results.AddResult();
  result->Fileset = SourceName();
  result->RuleIDText = CurrentRuleID;
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
  PreSelect(result);
  AcceptResult(result, "");
}

void TScanThread::AddNotice(const std::string& title, const std::string& text,
                            TMyScanResultStatus status) {
  TMyScanResult* result = Results.AddResult();
  result->Fileset = SourceName();
  result->MainType = mtStatus;
  result->FixType = ftStatus;
  result->Product = title;
  result->Usage = text;
  result->Checkable = false;
  result->Checked = false;
  result->Status = status;
  result->FullKey = title + text;
  FireFinding(*result);
}

}  // namespace vx
