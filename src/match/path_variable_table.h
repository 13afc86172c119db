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

 private:
  int IndexOf(std::string_view name) const;
  std::vector<TEntry> entries_;
  std::vector<TValueSet> sets_;
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
