#include "sysaccess/user_hives.h"

#include "base/ansi_text.h"
#include "sysaccess/my_registry.h"

namespace vx {

namespace {

TStringList& Table() {
  static TStringList names;
  return names;
}

}  // namespace

void BuildUserHiveNames() {
  TStringList all;
  Table().Clear();
  if (!RegGetSubKeyNames(kHkeyUsers, "", &all, TRegView::rv32)) return;
  for (int i = 0; i < all.Count(); ++i) {
    if (!AnsiEndsText("_Classes", all[i])) Table().Add(all[i]);
  }
}

const TStringList& UserHiveNames() { return Table(); }

}  // namespace vx
