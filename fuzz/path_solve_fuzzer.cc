// Path solving over a small fixed table that holds what a hostile registry
// can give: several values for one name, an empty value, characters that a
// regular expression escapes, a value that names its own variable and one
// that names another twice.
//
// Whatever the text, every alternative and their sum stay within the
// solver's limits, a text without variables gives itself, and escaping a
// value for a regular expression can be undone.
#include <algorithm>
#include <string>

#include "base/string_list.h"
#include "match/path_variable_table.h"
#include "match/path_variables.h"
#include "support/fuzz_check.h"

namespace {

void FillTable() {
  vx::TPathVariableTable& table = vx::PathVariableTable();
  table.Clear();
  table.Append("<$WINDIR>", "C:\\Windows");
  table.Append("<$PROGRAMFILES>", "C:\\Program Files");
  table.Append("<$LOCALSETTINGS>", "");
  table.Append("<$SELF>", "<$SELF>\\sub");
  table.Append("<$TWICE>", "<$SELF>;<$SELF>");
  table.CollectValues();
  table.Append("<$PROGRAMFILES>", "C:\\Program Files (x86)");
  table.Append("<$SELF>", "end");
  table.Append("<$SYSDIR>", "<$WINDIR>\\System32");
  table.CollectValues();
}

std::string Unescape(std::string_view escaped) {
  std::string out;
  for (size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] == '\\' && i + 1 < escaped.size()) ++i;
    out += escaped[i];
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool filled = (FillTable(), true);
  (void)filled;
  std::string_view text = vx::fuzz::Bytes(data, size);
  const bool has_variable = text.find("<$") != std::string_view::npos;

  std::string solved = vx::SolvePath(text);
  VX_FUZZ_CHECK(solved.size() <= std::max(text.size(), vx::kMaxPathTextLength));
  if (!has_variable) VX_FUZZ_CHECK(solved == text);

  vx::TStringList all;
  vx::SolvePathAll(text, &all);
  VX_FUZZ_CHECK(all.Count() <= vx::kMaxPathAlternatives);
  size_t total = 0;
  for (int i = 0; i < all.Count(); ++i) {
    VX_FUZZ_CHECK(all[i].size() <= std::max(text.size(), vx::kMaxPathTextLength));
    total += all[i].size();
  }
  VX_FUZZ_CHECK(total <= text.size() + vx::kMaxPathExpansionBytes);
  if (!has_variable) VX_FUZZ_CHECK(all.Count() == 1 && all[0] == text);

  vx::SolveDescription(text);
  VX_FUZZ_CHECK(Unescape(vx::EscapeRegExpr(text)) == text);
  return 0;
}
