#include "app/path_help.h"

#include <string>

#include "app/console.h"
#include "base/string_list.h"
#include "match/path_variables.h"

namespace vx {

void WritePathHelp(TConsole& console, std::string_view settings_file_name) {
  TStringList variables;
  ListPathVariables(&variables);
  console.WriteLn();
  console.WriteLn("Overview of allowed path solve variables for " + std::string(settings_file_name) + ":");
  console.WriteLn();
  for (int i = 0; i < variables.Count(); ++i) {
    std::string name = variables.Names(i);
    console.TextColor(15);
    console.WriteLn(name);
    console.TextColor(7);
    console.WriteLn(SolvePath(name));
  }
  console.WriteLn();
}

}  // namespace vx
