// The file-system rules: File, Directory, TempFile, TempDir, PersonalGroup,
// StripADS, DownloadFile, DownloadDir and MoveFile find the files, folders
// and alternate data streams of a product (MoveFile moves instead, the one
// rule that acts). Files are looked up through the scan's directory cache,
// which also evaluates the size parameters of a rule; every other advanced
// parameter goes to probex's advanced check.
//
// DownloadFile only registers a name; the download scan after the rule
// files looks for the registered names in the download folders of the
// settings and of the DownloadDir rules.
#ifndef VX_DETECT_FILE_RULES_H_
#define VX_DETECT_FILE_RULES_H_

#include "scan/rule_context.h"

namespace vx {

TRuleHandlerRows FileRuleRows();

// The download scan, run once after the rule files and the deferred rules.
void RunDownloadScan(TRuleContext& context);

}  // namespace vx

#endif  // VX_DETECT_FILE_RULES_H_
