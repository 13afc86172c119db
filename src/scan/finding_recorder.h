// TFindingRecorder: every rule family hands its hits to one of these
// operations. Each fills a result in the scan's results list, decides whether
// it is pre-selected for fixing, asks the product filter whether it is kept
// and, for a kept one, counts it, writes its check-log line and shows it.
// A rejected result is removed again. Notices bypass the filter, the count
// and the log.
//
// The recorder runs on the scan thread; the filter and the display run on
// the main thread behind TFindingSink, which the scan thread implements.
#ifndef VX_SCAN_FINDING_RECORDER_H_
#define VX_SCAN_FINDING_RECORDER_H_

#include <cstdint>
#include <string>

#include "base/string_list.h"
#include "platform/machine.h"
#include "results/scan_result.h"
#include "scan/rule_context.h"

namespace vx {

class TFindingSink {
 public:
  virtual ~TFindingSink() = default;
  // The product filter; may change `accept`.
  virtual void FilterFinding(TMyScanResult& result, bool& accept) = 0;
  // Shows a kept finding or a notice; failures of the display stay inside.
  virtual void ShowFinding(TMyScanResult& result) = 0;
};

class TFindingRecorder {
 public:
  TFindingRecorder(TMyScanResultsList& results, const TScanSettings& settings, TRuleFlow& flow,
                   const TCheckLog& check_log, TFindingSink& sink)
      : results_(results), settings_(settings), flow_(flow), check_log_(check_log), sink_(sink) {}

  // Products whose findings are kept but not pre-selected ("Revision.qrs").
  TStringList RevisionProducts;
  int32_t ProblemCount = 0;
  bool SpywareFound = false;
  bool TracksFound = false;

  // `extra` becomes the Count of the result (in parentheses) and ends the
  // check-log line; the 64-bit view is marked in FullKey and AccessBits.
  void RecordRegistryFinding(const std::string& product, const std::string& description,
                             bool checkable, const TStringList& parameters,
                             const std::string& value_name, const std::string& key_path,
                             uint32_t root_key, TRegView view, TQuarnelFixType fix_type,
                             TQuarnelMainType main_type, const std::string& extra);
  void RecordFinding(const std::string& product, const std::string& description,
                     bool checkable, const std::string& value, const std::string& file_name,
                     const std::string& path, TQuarnelFixType fix_type,
                     TQuarnelMainType main_type, const std::string& extra);
  void RecordIniFinding(const TStringList& parameters, TQuarnelMainType main_type,
                        bool checkable, TQuarnelFixType fix_type);
  void RecordHostFinding(const std::string& product, const std::string& hosts_file,
                         const std::string& redirect_target, const std::string& host_name);
  void RecordBrowserFinding(const std::string& browser, const std::string& profile,
                            TQuarnelFixType fix_type, TQuarnelMainType main_type,
                            const std::string& description, const std::string& location,
                            const std::string& product);
  void AddNotice(const std::string& title, const std::string& text,
                 TMyScanResultStatus status);

  // The opening step of every finding form: the rule line counts as matched
  // and a new result carries the include file and the rule identifier.
  TMyScanResult* NewFinding();
  // The closing step: pre-selection, then the exclusion list and the
  // product filter. A kept result is counted, logged with `log_suffix` and
  // shown; a rejected one is deleted. The answer says whether it was kept.
  bool AcceptResult(TMyScanResult* result, const std::string& log_suffix);

 private:
  void PreSelect(TMyScanResult* result) const;

  TMyScanResultsList& results_;
  const TScanSettings& settings_;
  TRuleFlow& flow_;
  const TCheckLog& check_log_;
  TFindingSink& sink_;
};

}  // namespace vx

#endif  // VX_SCAN_FINDING_RECORDER_H_
