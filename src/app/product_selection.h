// Which products a scan leaves out: with /singleproductscan every product but
// the one named in the settings file, with /multiproductscan every product
// but those listed there, otherwise the products of "vexascan.products.qre".
#ifndef VX_APP_PRODUCT_SELECTION_H_
#define VX_APP_PRODUCT_SELECTION_H_

#include <string>

#include "base/command_line.h"
#include "base/string_list.h"

namespace vx {

class TConsole;
class TIncludeFileManager;

// Fills `excluded`. False after printing the light-red "- Unknown product"
// line when a named product is not targeted by any include file; the
// program then ends with exit code 1.
bool SelectProducts(const TCommandLine& command_line, const TIncludeFileManager& includes,
                    const std::string& app_dir, TConsole& console, TStringList* excluded);

}  // namespace vx

#endif  // VX_APP_PRODUCT_SELECTION_H_
