#include "base/ini_file.h"

#include <fstream>
#include <sstream>

#include "base/ansi_text.h"
#include "base/codepage.h"

namespace vx {

TMemIniFile TMemIniFile::FromFile(const std::string& host_path) {
  TMemIniFile ini;
  ini.file_name_ = host_path;
  std::ifstream in(host_path, std::ios::binary);
  if (in) {
    std::ostringstream buffer;
    buffer << in.rdbuf();
    ini.SetText(buffer.str());
  }
  return ini;
}

TMemIniFile TMemIniFile::FromText(std::string_view text) {
  TMemIniFile ini;
  ini.SetText(text);
  return ini;
}

void TMemIniFile::SetText(std::string_view raw) {
  sections_.clear();
  section_index_.clear();
  std::string converted;
  if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
      static_cast<unsigned char>(raw[1]) == 0xFE) {
    converted = Utf16LeToAnsi(raw.substr(2));
    raw = converted;
  } else if (raw.size() >= 3 && raw.substr(0, 3) == "\xEF\xBB\xBF") {
    converted = Utf8ToAnsi(raw.substr(3));
    raw = converted;
  }
  TStringList lines;
  lines.SetText(raw);
  Section* current = nullptr;
  for (int i = 0; i < lines.Count(); ++i) {
    std::string line = Trim(lines[i]);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      std::string name = line.substr(1, line.size() - 2);
      auto [it, added] = section_index_.emplace(AnsiLowerCase(name), sections_.size());
      if (added) sections_.push_back(Section{name, {}, {}});
      current = &sections_[it->second];
      continue;
    }
    if (current == nullptr) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
      current->entries.push_back(Entry{line, std::string(), false});
      continue;
    }
    Entry entry{TrimRight(line.substr(0, eq)), TrimLeft(line.substr(eq + 1)), true};
    current->key_index.emplace(AnsiLowerCase(entry.key), current->entries.size());
    current->entries.push_back(std::move(entry));
  }
}

const TMemIniFile::Section* TMemIniFile::FindSection(std::string_view name) const {
  auto it = section_index_.find(AnsiLowerCase(name));
  return it == section_index_.end() ? nullptr : &sections_[it->second];
}

const TMemIniFile::Entry* TMemIniFile::FindEntry(std::string_view section,
                                                 std::string_view key) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return nullptr;
  auto it = s->key_index.find(AnsiLowerCase(key));
  return it == s->key_index.end() ? nullptr : &s->entries[it->second];
}

bool TMemIniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

bool TMemIniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindEntry(section, key) != nullptr;
}

std::string TMemIniFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
  const Entry* e = FindEntry(section, key);
  return e ? e->value : std::string(def);
}

int32_t TMemIniFile::ReadInteger(std::string_view section, std::string_view key,
                                 int32_t def) const {
  const Entry* e = FindEntry(section, key);
  return e ? StrToIntDef(e->value, def) : def;
}

bool TMemIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TMemIniFile::ReadSections(TStringList* out) const {
  out->Clear();
  for (const Section& s : sections_) out->Add(s.name);
}

void TMemIniFile::ReadSection(std::string_view section, TStringList* out) const {
  out->Clear();
  const Section* s = FindSection(section);
  if (s == nullptr) return;
  for (const Entry& e : s->entries) {
    if (e.has_equals) out->Add(e.key);
  }
}

void TMemIniFile::ReadSectionValues(std::string_view section, TStringList* out) const {
  out->Clear();
  const Section* s = FindSection(section);
  if (s == nullptr) return;
  for (const Entry& e : s->entries) {
    out->Add(e.has_equals ? e.key + "=" + e.value : e.key);
  }
}

}  // namespace vx
