#include "hive_dump.h"

#include <unordered_set>

namespace vx {

namespace {

constexpr size_t kMaxDepth = 512;

void DumpKey(THive& hive, THiveNode node, const std::string& path, size_t depth, TRegTextFormat format,
             int code_page, std::unordered_set<THiveNode>* seen, std::string* out,
             std::vector<std::string>* messages) {
  if (!seen->insert(node).second) {
    messages->push_back(path + ": key met twice (the hive loops); left out");
    return;
  }
  *out += "\r\n" + RegTextKeyLine(path);
  std::vector<std::string> unreadable;
  for (const auto& [name, value] : hive.Values(node, &unreadable)) {
    *out += RegTextValueLine(name, value, format, code_page);
  }
  for (const std::string& name : unreadable) {
    messages->push_back(path + ": value \"" + name + "\" cannot be read; left out");
  }
  if (depth >= kMaxDepth) {
    messages->push_back(path + ": keys nested deeper than " + std::to_string(kMaxDepth) + "; left out");
    return;
  }
  for (THiveNode child : hive.Children(node)) {
    DumpKey(hive, child, path + "\\" + hive.NodeName(child), depth + 1, format, code_page, seen, out,
            messages);
  }
}

}  // namespace

std::string DumpHive(THive& hive, const std::string& prefix, TRegTextFormat format, int code_page,
                     std::vector<std::string>* messages) {
  hive.SetCodePage(code_page);
  std::string out = RegTextHeader(format);
  out.pop_back();
  out.pop_back();  // DumpKey puts the empty line before each key
  std::unordered_set<THiveNode> seen;
  DumpKey(hive, hive.Root(), prefix, 0, format, code_page, &seen, &out, messages);
  out += "\r\n";
  return EncodeRegText(out, format, code_page);
}

}  // namespace vx
