// Hive files: opened by THive (hivex underneath) from a file in memory,
// walked through the offline registry as the scanner walks it (a bounded
// walk of keys, values and data), and dumped by the hive tool.
//
// The .reg text a hive dumps reads back to the tree the hive holds, when
// the dump left nothing out and every name can be written as text.
//
// hivex refuses a hive whose header checksum is wrong, so the harness sets
// the checksum of every input before opening it: the mutations go to the
// bins and cells instead of dying at the first check.
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "hive_dump.h"
#include "platform/offline/hive_file.h"
#include "platform/offline/mem_key.h"
#include "platform/offline/offline_registry.h"
#include "platform/offline/reg_text.h"
#include "platform/offline/reg_tree.h"
#include "support/fuzz_check.h"
#include "support/key_tree.h"
#include "support/memory_file.h"
#include "support/registry_walk.h"

namespace {

constexpr char kPrefix[] = "HKEY_LOCAL_MACHINE\\SOFTWARE";

uint32_t Le32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(b[at + k]);
  return v;
}

void SetHeaderChecksum(std::string* bytes) {
  if (bytes->size() < 0x200) return;
  uint32_t sum = 0;
  for (size_t at = 0; at < 0x1FC; at += 4) sum ^= Le32(*bytes, at);
  for (int k = 0; k < 4; ++k) (*bytes)[0x1FC + k] = static_cast<char>((sum >> (8 * k)) & 0xFF);
}

// What the hive holds, read straight from THive in the order the dump
// writes it. False when the hive is larger than the budget (then it is not
// dumped either: a damaged hive can share one long value list among all its
// keys, and the dump would spell it out for each).
struct TBudget {
  size_t keys = 2000;
  size_t values = 20000;
  uint64_t data_bytes = 8 << 20;
};

bool ReadTree(vx::THive& hive, vx::THiveNode node, size_t depth, std::unordered_set<vx::THiveNode>* seen,
              TBudget* budget, vx::TMemKey* out) {
  if (!seen->insert(node).second || depth > 512) return true;  // the dump says it left these out
  if (budget->keys-- == 0) return false;
  std::vector<std::string> unreadable;
  bool damaged = false;
  for (auto& [name, value] : hive.Values(node, &unreadable, &damaged)) {
    if (budget->values-- == 0 || value.data.size() > budget->data_bytes) return false;
    budget->data_bytes -= value.data.size();
    out->SetValue(name, value);
  }
  for (vx::THiveNode child : hive.Children(node, &damaged)) {
    if (!ReadTree(hive, child, depth + 1, seen, budget, out->AddChild(hive.NodeName(child)))) return false;
  }
  return true;
}

void DumpAndReadBack(vx::THive& hive) {
  hive.SetCodePage(vx::kRegNamesUtf8);
  vx::TMemKey held("");
  std::unordered_set<vx::THiveNode> seen;
  TBudget budget;
  if (!ReadTree(hive, hive.Root(), 0, &seen, &budget, &held)) return;

  std::vector<std::string> messages;
  bool incomplete = true;
  std::string text =
      vx::DumpHive(hive, kPrefix, vx::TRegTextFormat::rfVersion5, vx::kRegNamesUtf8, &messages, &incomplete);
  std::vector<vx::TRegOp> ops;
  messages.clear();
  VX_FUZZ_CHECK(vx::ParseRegText(text, "dump.reg", vx::kRegNamesUtf8, &ops, &messages));
  if (incomplete || !vx::fuzz::WritableNames(held)) return;
  VX_FUZZ_CHECK(messages.empty());
  vx::TMemKey back("");
  vx::BuildKeyTree(ops, kPrefix, &back, &messages);
  std::string difference = vx::fuzz::CompareKeyTrees(held, back);
  if (!difference.empty()) {
    std::fprintf(stderr, "the dump reads back differently: %s\n", difference.c_str());
    VX_FUZZ_CHECK(difference.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vx::fuzz::TMemoryFile file("hive");
  std::string bytes(vx::fuzz::Bytes(data, size));
  SetHeaderChecksum(&bytes);
  std::string error;
  std::shared_ptr<vx::THive> hive = vx::THive::Open(file.Write(bytes), &error);
  if (!hive) {
    VX_FUZZ_CHECK(!error.empty());
    return 0;
  }
  {
    vx::TOfflineRegistry registry(false);
    registry.Mount(vx::kHkeyLocalMachine, "SOFTWARE", hive);
    registry.SetWin64(true);
    for (vx::TRegView view : {vx::TRegView::rv64, vx::TRegView::rv32}) {
      vx::fuzz::WalkKeys(registry.Open(vx::kHkeyLocalMachine, "SOFTWARE", view));
    }
  }
  DumpAndReadBack(*hive);
  return 0;
}
