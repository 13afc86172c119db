// Registry export text in every encoding (UTF-16LE with or without its mark,
// UTF-8, 8-bit), with ANSI names and with UTF-8 names.
//
// The key tree the text gives, written out as text again and read back, is
// the same tree. The text is also laid over a registry as an image's .reg
// files are, and that registry is walked.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "platform/offline/mem_key.h"
#include "platform/offline/offline_registry.h"
#include "platform/offline/reg_text.h"
#include "platform/offline/reg_tree.h"
#include "support/fuzz_check.h"
#include "support/key_tree.h"
#include "support/registry_walk.h"

namespace {

// The name the tree's root stands for, as BuildKeyTree takes it from the
// first key: two components below HKEY_LOCAL_MACHINE and HKEY_USERS, else one.
std::string RootOf(const std::vector<vx::TRegOp>& ops) {
  std::vector<std::string> first = vx::SplitKeyPath(ops.front().key);
  size_t take = !first.empty() && (first[0] == "HKEY_LOCAL_MACHINE" || first[0] == "HKEY_USERS") ? 2 : 1;
  std::string root;
  for (size_t i = 0; i < first.size() && i < take; ++i) root += (i ? "\\" : "") + first[i];
  return root;
}

void RoundTrip(const std::vector<vx::TRegOp>& ops, int code_page) {
  if (ops.empty()) return;
  std::string root = RootOf(ops);
  if (root.empty()) return;
  std::vector<std::string> messages;
  vx::TMemKey tree("");
  vx::BuildKeyTree(ops, root, &tree, &messages);
  if (!vx::fuzz::WritableNames(tree)) return;
  std::string text = vx::fuzz::WriteKeyTree(tree, root, code_page);
  std::vector<vx::TRegOp> again;
  messages.clear();
  VX_FUZZ_CHECK(vx::ParseRegText(text, "written.reg", code_page, &again, &messages));
  VX_FUZZ_CHECK(messages.empty());
  vx::TMemKey back("");
  vx::BuildKeyTree(again, root, &back, &messages);
  std::string difference = vx::fuzz::CompareKeyTrees(tree, back);
  if (!difference.empty()) {
    fprintf(stderr, "read back differently: %s\n", difference.c_str());
    VX_FUZZ_CHECK(difference.empty());
  }
}

void Overlay(const std::vector<vx::TRegOp>& ops) {
  vx::TOfflineRegistry registry(false);
  registry.Mount(vx::kHkeyLocalMachine, "SOFTWARE", nullptr);
  registry.Mount(vx::kHkeyLocalMachine, "SYSTEM", nullptr);
  registry.Mount(vx::kHkeyUsers, ".DEFAULT", nullptr);
  registry.Mount(vx::kHkeyUsers, "S-1-5-21-7", nullptr);
  registry.SetCurrentUser("S-1-5-21-7");
  registry.SetWin64(true);
  std::vector<std::string> messages;
  registry.Apply(ops, "S-1-5-21-7", "overlay.reg", &messages);
  vx::fuzz::TWalkLimits limits;
  limits.keys = 128;
  for (uint32_t root : {vx::kHkeyLocalMachine, vx::kHkeyUsers, vx::kHkeyClassesRoot}) {
    for (vx::TRegView view : {vx::TRegView::rv64, vx::TRegView::rv32}) {
      vx::fuzz::WalkKeys(registry.Open(root, "", view), limits);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes = vx::fuzz::Bytes(data, size);
  for (int code_page : {1252, vx::kRegNamesUtf8}) {
    std::vector<vx::TRegOp> ops;
    std::vector<std::string> messages;
    if (!vx::ParseRegText(bytes, "input.reg", code_page, &ops, &messages)) continue;
    for (const vx::TRegOp& op : ops) {
      VX_FUZZ_CHECK(op.line >= 2);
      VX_FUZZ_CHECK(!op.key.empty());
    }
    RoundTrip(ops, code_page);
    if (code_page == 1252) Overlay(ops);
  }
  return 0;
}
