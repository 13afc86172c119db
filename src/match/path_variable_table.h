// The path solver's process-wide state: the variable table (entries
// "<$NAME>" = value, a name may occur more than once) and the value sets
// (every value each name ever had, sorted, without duplicates ignoring case),
// plus the constant rows that build and list them.
#ifndef VX_MATCH_PATH_VARIABLE_TABLE_H_
#define VX_MATCH_PATH_VARIABLE_TABLE_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vx {

class TPathVariableTable {
 public:
  struct TEntry {
    std::string name;  // "<$NAME>", upper case
    std::string value;
  };
  struct TValueSet {
    std::string name;
    std::vector<std::string> values;  // sorted by AnsiCompareText, distinct ignoring case
  };

  // The first entry of that name (case ignored); empty when there is none.
  std::string Get(std::string_view name) const;
  // Writes the first entry of that name or appends one; the empty text
  // removes the first entry instead.
  void Set(std::string_view name, std::string_view value);
  void Append(std::string_view name, std::string_view value);
  // Adds every entry's name and value to the value sets, in table order.
  void CollectValues();
  void Clear();

  const std::vector<TEntry>& Entries() const { return entries_; }
  const std::vector<TValueSet>& ValueSets() const { return sets_; }

  // The indexes of the entries named exactly `name`, ascending; nullptr for
  // none. Valid until the table changes.
  const std::vector<int>* EntriesNamed(std::string_view name) const;
  // Whether every name has the form "<$...>" with no other ">", so that a
  // name occurs in a text exactly where a "<$" starts a token that ends at
  // the next ">".
  bool NamesAreTokens() const { return names_are_tokens_; }

 private:
  int IndexOf(std::string_view name) const;
  void Index(int entry);
  void Reindex();

  std::vector<TEntry> entries_;
  std::vector<TValueSet> sets_;
  // Kept up to date by every change, so readers on two threads only read.
  std::unordered_map<std::string, std::vector<int>> by_name_;
  bool names_are_tokens_ = true;
};

// The one table of the process.
TPathVariableTable& PathVariableTable();

// A shell folder row: the CSIDL number (-1 for none) and the name without
// "<$" and ">".
struct TPathSolveConfig {
  int32_t FolderID;
  const char* Name;
};
extern const std::array<TPathSolveConfig, 46> kPathSolveConfig;

}  // namespace vx

#endif  // VX_MATCH_PATH_VARIABLE_TABLE_H_
