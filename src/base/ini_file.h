// TMemIniFile: a Windows INI file read whole into memory when it is opened.
//
// Section and key names are compared without regard to case. Lines are
// trimmed; empty lines and lines starting with ";" are skipped; blanks around
// the "=" are dropped, as the system's own profile reader does. A key line
// before the first section header belongs to no section and is never read.
// A section that appears twice is read as one (its keys appended in order),
// and the first of two equal keys wins. A UTF-8 byte-order mark is skipped and
// UTF-16LE text (with its mark) is converted to the ANSI code page.
//
// Booleans are integers: non-zero is true, 0 false, anything that is not an
// integer (or a missing key) gives the default.
#ifndef VX_BASE_INI_FILE_H_
#define VX_BASE_INI_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/object.h"
#include "base/string_list.h"

namespace vx {

class TMemIniFile : public TObject {
 public:
  TMemIniFile() = default;
  // Reads a host file; a missing or unreadable file reads as empty.
  static TMemIniFile FromFile(const std::string& host_path);
  static TMemIniFile FromText(std::string_view text);
  TMemIniFile(TMemIniFile&&) = default;
  TMemIniFile& operator=(TMemIniFile&&) = default;

  void SetText(std::string_view text);
  const std::string& FileName() const { return file_name_; }

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Section names in file order.
  void ReadSections(TStringList* out) const;
  // Key names of a section in file order (lines without "=" are left out).
  void ReadSection(std::string_view section, TStringList* out) const;
  // Key=Value lines of a section in file order.
  void ReadSectionValues(std::string_view section, TStringList* out) const;

 private:
  struct Entry {
    std::string key;  // the whole line when it has no "="
    std::string value;
    bool has_equals = true;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
    // Folded key -> index of its first entry: large files (thousands of
    // sections and keys) must not be read in quadratic time.
    std::unordered_map<std::string, size_t> key_index;
  };
  const Section* FindSection(std::string_view name) const;
  const Entry* FindEntry(std::string_view section, std::string_view key) const;

  std::string file_name_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, size_t> section_index_;  // folded name -> index
};

}  // namespace vx

#endif  // VX_BASE_INI_FILE_H_
