#include "scan/scan_steps.h"

#include "detect/file_rules.h"
#include "scan/rule_interpreter.h"

namespace vx {

// The rule interpreter runs every include file; the rule families plug into
// it through the dispatch table. The steps of families that have not landed
// yet stay empty.
TScanSteps DefaultScanSteps() {
  TScanSteps steps;
  steps.InterpretIncludeFile = [](TScanThread& thread, const std::string& file, int category) {
    return thread.Interpreter().RunIncludeFile(file, static_cast<uint8_t>(category));
  };
  steps.DownloadScan = [](TScanThread& thread) { RunDownloadScan(thread.Context()); };
  return steps;
}

}  // namespace vx
