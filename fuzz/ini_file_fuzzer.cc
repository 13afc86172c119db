// The INI reader. Every section it lists exists, and every key it lists in a
// section reads as the value of the first line of that key.
#include <string>

#include "base/ansi_text.h"
#include "base/ini_file.h"
#include "base/string_list.h"
#include "support/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vx::TMemIniFile ini = vx::TMemIniFile::FromText(vx::fuzz::Bytes(data, size));
  vx::TStringList sections, keys, lines;
  ini.ReadSections(&sections);
  for (int s = 0; s < sections.Count(); ++s) {
    const std::string& section = sections[s];
    VX_FUZZ_CHECK(ini.SectionExists(section));
    ini.ReadSection(section, &keys);
    ini.ReadSectionValues(section, &lines);
    VX_FUZZ_CHECK(keys.Count() <= lines.Count());
    for (int k = 0; k < keys.Count(); ++k) {
      const std::string& key = keys[k];
      VX_FUZZ_CHECK(ini.ValueExists(section, key));
      std::string value = ini.ReadString(section, key, "\x01");
      // The first "key=" line of that name (case ignored) holds the value.
      std::string expected = "\x02";
      for (int l = 0; l < lines.Count(); ++l) {
        const std::string& line = lines[l];
        if (line.size() > key.size() && line[key.size()] == '=' &&
            vx::AnsiSameText(std::string_view(line).substr(0, key.size()), key)) {
          expected = line.substr(key.size() + 1);
          break;
        }
      }
      VX_FUZZ_CHECK(value == expected);
      ini.ReadInteger(section, key, 7);
      ini.ReadBool(section, key, true);
    }
  }
  return 0;
}
