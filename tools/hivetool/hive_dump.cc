#include "hive_dump.h"

#include <unordered_set>

namespace vx {

namespace {

constexpr size_t kMaxDepth = 512;

// Damage met on the way, told once per kind with the first place it was met.
struct TDumpProblems {
  size_t loops = 0, deep = 0, lists = 0, values = 0;
  std::string first_loop, first_deep, first_list, first_value;
  void Note(size_t* count, std::string* first, const std::string& where) {
    if ((*count)++ == 0) *first = where;
  }
};

void DumpKey(THive& hive, THiveNode node, const std::string& path, size_t depth, TRegTextFormat format,
             int code_page, std::unordered_set<THiveNode>* seen, std::string* out, TDumpProblems* problems) {
  if (!seen->insert(node).second) {
    problems->Note(&problems->loops, &problems->first_loop, path);
    return;
  }
  *out += "\r\n" + RegTextKeyLine(path);
  std::vector<std::string> unreadable;
  bool damaged = false;
  for (const auto& [name, value] : hive.Values(node, &unreadable, &damaged)) {
    *out += RegTextValueLine(name, value, format, code_page);
  }
  if (damaged) problems->Note(&problems->lists, &problems->first_list, path + " (values)");
  for (const std::string& name : unreadable) {
    problems->Note(&problems->values, &problems->first_value, path + " \"" + name + "\"");
  }
  if (depth >= kMaxDepth) {
    problems->Note(&problems->deep, &problems->first_deep, path);
    return;
  }
  std::vector<THiveNode> children = hive.Children(node, &damaged);
  if (damaged) problems->Note(&problems->lists, &problems->first_list, path + " (subkeys)");
  for (THiveNode child : children) {
    DumpKey(hive, child, path + "\\" + hive.NodeName(child), depth + 1, format, code_page, seen, out,
            problems);
  }
}

}  // namespace

std::string DumpHive(THive& hive, const std::string& prefix, TRegTextFormat format, int code_page,
                     std::vector<std::string>* messages, bool* incomplete) {
  hive.SetCodePage(code_page);
  std::string out = RegTextHeader(format);
  out.pop_back();
  out.pop_back();  // DumpKey puts the empty line before each key
  std::unordered_set<THiveNode> seen;
  TDumpProblems p;
  DumpKey(hive, hive.Root(), prefix, 0, format, code_page, &seen, &out, &p);
  if (!hive.Damage().empty()) messages->push_back(hive.Damage());
  auto tell = [&](size_t count, const std::string& what, const std::string& first) {
    if (count) messages->push_back(std::to_string(count) + " " + what + "; left out (first: " + first + ")");
  };
  tell(p.loops, "keys met twice (the hive loops)", p.first_loop);
  tell(p.deep, "keys nested deeper than " + std::to_string(kMaxDepth) + " levels", p.first_deep);
  tell(p.lists, "damaged key or value lists", p.first_list);
  tell(p.values, "values whose data cannot be read", p.first_value);
  if (incomplete) *incomplete = hive.Truncated() || p.loops || p.deep || p.lists || p.values;
  out += "\r\n";
  return EncodeRegText(out, format, code_page);
}

}  // namespace vx
