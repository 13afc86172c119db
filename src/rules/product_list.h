// The XML product list: one entry per described product of the threat
// information file and one bare entry per product that the include files
// target without a description, each naming the include file of its rules.
#ifndef VX_RULES_PRODUCT_LIST_H_
#define VX_RULES_PRODUCT_LIST_H_

#include <functional>
#include <optional>
#include <string>

#include "base/date_time.h"
#include "base/string_list.h"
#include "rules/include_file_manager.h"
#include "rules/problem_info.h"

namespace vx {

// product entry + "=" + full file name for every product of every registered
// file, sorted without regard to case; an entry that is an exact copy of one
// already there is dropped. The entry keeps its "|" part.
TStringList BuildProductFileList(const TIncludeFileManager& manager);

// The bytes of the list (Windows-1252 text, CR LF line ends) with `now` as
// its date. Described products take the first matching entry of
// `product_files` (by name, ignoring case) as their source and remove it.
std::string FormatProductList(const TProblemInfoList& info, TStringList product_files,
                              TDateTime now);

// Writes the list to the host file `file_name`, replacing it. False when the
// file cannot be written.
bool WriteProductList(const std::string& file_name, const TProblemInfoList& info,
                      const TStringList& product_files, TDateTime now);

// The product list command: prints its progress lines through `print_line`,
// creates a missing output directory, reads app_dir + "Includes/Targets.nfo"
// and writes `output_file`. Without the information file every product is
// listed bare. False (after a "- " line) when the file cannot be written.
// `now` replaces the clock for tests.
bool CreateProductList(const std::string& app_dir, const TIncludeFileManager& manager,
                       const std::string& output_file,
                       const std::function<void(const std::string&)>& print_line,
                       std::optional<TDateTime> now = std::nullopt);

}  // namespace vx

#endif  // VX_RULES_PRODUCT_LIST_H_
