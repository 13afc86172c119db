#include "app/product_selection.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/console.h"
#include "app/help_text.h"
#include "app/settings.h"
#include "rules/include_file_manager.h"

namespace vx {

namespace {

constexpr int kColorLightRed = 12;
constexpr char kDefaultSingleProduct[] = "NopeDiDopeDiesGibettNich";

void AddEveryProduct(const TIncludeFileManager& includes, TStringList* list) {
  for (int i = 0; i < includes.Count(); ++i) {
    const TStringList& products = includes.Items(i).Products();
    for (int j = 0; j < products.Count(); ++j) {
      const std::string& entry = products[j];
      list->Add(entry.substr(0, entry.find('|')));
    }
  }
}

// One entry per named product is removed; a product that several include
// files target therefore stays excluded, as it always has.
bool Select(TStringList* list, const std::string& name, const std::string& where,
            TConsole& console) {
  int index = list->IndexOf(name);
  if (index < 0) {
    console.TextColor(kColorLightRed);
    console.WriteLn("- Unknown product (" + name + ") specified in " + kSettingsFileName + where);
    return false;
  }
  list->Delete(index);
  return true;
}

}  // namespace

bool SelectProducts(const TCommandLine& command_line, const TIncludeFileManager& includes,
                    const std::string& app_dir, TConsole& console, TStringList* excluded) {
  if (command_line.HasSwitch("singleproductscan")) {
    AddEveryProduct(includes, excluded);
    TMemIniFile ini = OpenSettings(app_dir);
    std::string name = ini.ReadString("Scan", "SingleProductScan", kDefaultSingleProduct);
    return Select(excluded, name, ":[Scan]:SingleProductScan!", console);
  }
  if (command_line.HasSwitch("multiproductscan")) {
    AddEveryProduct(includes, excluded);
    TMemIniFile ini = OpenSettings(app_dir);
    TStringList entries;
    ini.ReadSectionValues("ScanMultiEntries", &entries);
    for (int i = 0; i < entries.Count(); ++i) {
      if (!Select(excluded, entries.ValueFromIndex(i), ":[ScanMultiEntries]!", console)) {
        return false;
      }
    }
    return true;
  }
  std::filesystem::path list_file = std::filesystem::path(app_dir) / "vexascan.products.qre";
  std::error_code ec;
  if (std::filesystem::is_regular_file(list_file, ec)) {
    std::ifstream in(list_file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    excluded->SetText(text.str());
  }
  return true;
}

}  // namespace vx
