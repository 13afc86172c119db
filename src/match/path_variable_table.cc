#include "match/path_variable_table.h"

#include <algorithm>

#include "base/ansi_text.h"

namespace vx {

// <$COMMONDOCUMENTS> has two rows; the /pathhelp listing shows it twice.
const std::array<TPathSolveConfig, 46> kPathSolveConfig = {{
    {-1, "SYSDRIVE"},         {36, "WINDIR"},
    {-1, "WINDIR2"},          {37, "SYSDIR"},
    {-1, "SYSDIR2"},          {20, "FONTS"},
    {3, "CONTROLS"},          {-1, "SYSCPLDIR"},
    {-1, "PATH"},             {38, "PROGRAMFILES"},
    {43, "COMMONPROGRAMFILES"}, {62, "PROFILES"},
    {40, "PROFILE"},          {26, "APPDATA"},
    {-1, "QUICKLAUNCH"},      {0, "ADESKTOP"},
    {16, "DESKTOP"},          {6, "FAVORITES"},
    {-1, "LOCALSETTINGS"},    {28, "LOCALAPPDATA"},
    {5, "PERSONAL"},          {12, "MYDOCUMENTS"},
    {13, "MYMUSIC"},          {14, "MYVIDEO"},
    {19, "NETHOOD"},          {27, "PRINTHOOD"},
    {8, "RECENT"},            {9, "SENDTO"},
    {11, "STARTMENU"},        {2, "PROGRAMS"},
    {29, "ALTSTARTUP"},       {7, "STARTUP"},
    {21, "TEMPLATES"},        {35, "COMMONAPPDATA"},
    {-1, "COMMONQUICKLAUNCH"}, {25, "COMMONDESKTOP"},
    {46, "COMMONDOCUMENTS"},  {46, "COMMONDOCUMENTS"},
    {53, "COMMONMUSIC"},      {55, "COMMONVIDEO"},
    {31, "COMMONFAVORITES"},  {22, "COMMONSTARTMENU"},
    {23, "COMMONPROGRAMS"},   {30, "COMMONALTSTARTUP"},
    {24, "COMMONSTARTUP"},    {45, "COMMONTEMPLATES"},
}};

TPathVariableTable& PathVariableTable() {
  static TPathVariableTable table;
  return table;
}

int TPathVariableTable::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (AnsiSameText(entries_[i].name, name)) return static_cast<int>(i);
  return -1;
}

std::string TPathVariableTable::Get(std::string_view name) const {
  int i = IndexOf(name);
  return i < 0 ? std::string() : entries_[i].value;
}

const std::vector<int>* TPathVariableTable::EntriesNamed(std::string_view name) const {
  auto it = by_name_.find(std::string(name));
  return it == by_name_.end() ? nullptr : &it->second;
}

void TPathVariableTable::Index(int entry) {
  const std::string& name = entries_[entry].name;
  by_name_[name].push_back(entry);
  if (name.size() < 3 || !name.starts_with("<$") || name.find('>') != name.size() - 1) {
    names_are_tokens_ = false;
  }
}

void TPathVariableTable::Reindex() {
  by_name_.clear();
  names_are_tokens_ = true;
  for (size_t i = 0; i < entries_.size(); ++i) Index(static_cast<int>(i));
}

void TPathVariableTable::Set(std::string_view name, std::string_view value) {
  int i = IndexOf(name);
  if (value.empty()) {
    if (i >= 0) {
      entries_.erase(entries_.begin() + i);
      Reindex();
    }
  } else if (i >= 0) {
    entries_[i].value = std::string(value);
  } else {
    Append(name, value);
  }
}

void TPathVariableTable::Append(std::string_view name, std::string_view value) {
  entries_.push_back({std::string(name), std::string(value)});
  Index(static_cast<int>(entries_.size() - 1));
}

void TPathVariableTable::CollectValues() {
  for (const TEntry& entry : entries_) {
    auto set = std::find_if(sets_.begin(), sets_.end(),
                            [&](const TValueSet& s) { return AnsiSameText(s.name, entry.name); });
    if (set == sets_.end()) {
      sets_.push_back({entry.name, {}});
      set = sets_.end() - 1;
    }
    auto& values = set->values;
    auto at = std::lower_bound(values.begin(), values.end(), entry.value,
                               [](const std::string& a, const std::string& b) {
                                 return AnsiCompareText(a, b) < 0;
                               });
    if (at == values.end() || !AnsiSameText(*at, entry.value)) values.insert(at, entry.value);
  }
}

void TPathVariableTable::Clear() {
  sets_.clear();
  entries_.clear();
  Reindex();
}

}  // namespace vx
