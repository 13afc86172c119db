#include "platform/offline/reg_tree.h"

#include <algorithm>

#include "base/ansi_text.h"
#include "platform/offline/offline_registry.h"
#include "platform/registry_roots.h"

namespace vx {

void BuildKeyTree(const std::vector<TRegOp>& ops, std::string_view root_key, TMemKey* root,
                  std::vector<std::string>* messages) {
  std::vector<std::string> prefix = SplitKeyPath(root_key);
  if (prefix.empty() && !ops.empty()) {
    std::vector<std::string> first = SplitKeyPath(ops.front().key);
    bool two = !first.empty() && (first[0] == RegRootOfHandle(kHkeyLocalMachine)->long_name ||
                                  first[0] == RegRootOfHandle(kHkeyUsers)->long_name);
    prefix.assign(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(
                                                     std::min<size_t>(first.size(), two ? 2 : 1)));
  }
  for (const TRegOp& op : ops) {
    std::vector<std::string> parts = SplitKeyPath(op.key);
    bool inside = parts.size() >= prefix.size();
    for (size_t k = 0; inside && k < prefix.size(); ++k) inside = AnsiSameText(parts[k], prefix[k]);
    if (!inside) {
      if (messages && (op.kind == TRegOpKind::roKey || op.kind == TRegOpKind::roDeleteKey)) {
        messages->push_back("line " + std::to_string(op.line) + ": key " + op.key +
                            " lies outside the hive; left out");
      }
      continue;
    }
    bool remove = op.kind == TRegOpKind::roDeleteKey;
    if (remove && parts.size() == prefix.size()) {
      root->MarkDeleted();
      continue;
    }
    TMemKey* key = root;
    size_t last = remove ? parts.size() - 1 : parts.size();
    for (size_t k = prefix.size(); k < last; ++k) key = key->AddChild(parts[k]);
    switch (op.kind) {
      case TRegOpKind::roKey:
        break;
      case TRegOpKind::roDeleteKey:
        if (TMemKey* gone = key->Child(parts.back())) gone->MarkDeleted();
        break;
      case TRegOpKind::roValue:
        key->SetValue(op.value_name, op.value);
        break;
      case TRegOpKind::roDeleteValue:
        key->DeleteValue(op.value_name);
        break;
    }
  }
}

}  // namespace vx
