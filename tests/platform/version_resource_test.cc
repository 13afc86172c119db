#include "platform/version_resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "support/fixture_image.h"
#include "support/le_bytes.h"
#include "support/small_executable.h"

namespace vx {
namespace {

using testing::BuildSmallExecutable;
using testing::Put16;
using testing::Put32;
using testing::TFixtureImage;
using testing::TSmallExecutable;
using testing::TSmallExecutableSpec;

TSmallExecutableSpec ToolSpec() {
  TSmallExecutableSpec spec;
  spec.file_version_ms = 0x00020001;  // 2.1.3.4
  spec.file_version_ls = 0x00030004;
  spec.product_version_ms = 0x00020000;
  spec.product_version_ls = 0x00000009;
  spec.strings = {{"CompanyName", "\xC3\x96ko Caf\xC3\xA9 \xCE\xA9"},  // "Öko Café Ω" in UTF-8
                  {"FileDescription", "Tool"},
                  {"FileVersion", "2.1.3.4 (release)"},
                  {"InternalName", "tool"},
                  {"LegalCopyright", "(c) Nobody"},
                  {"OriginalFilename", "TOOL.EXE"},
                  {"ProductName", "Tool Suite"},
                  {"ProductVersion", "2.0"},
                  {"Comments", "not one of the fields"}};
  return spec;
}

TEST(VersionResourceTest, NumbersAndStringsAreReadFromTheBytes) {
  for (bool pe32_plus : {false, true}) {
    SCOPED_TRACE(pe32_plus ? "PE32+" : "PE32");
    TSmallExecutableSpec spec = ToolSpec();
    spec.pe32_plus = pe32_plus;
    TFileVersionInfo info;
    ASSERT_TRUE(ParseVersionResource(BuildSmallExecutable(spec).bytes, &info, 1252));
    EXPECT_EQ(VersionNumberText(info.file_version), "2.1.3.4");
    EXPECT_EQ(VersionNumberText(info.product_version), "2.0.0.9");
    EXPECT_EQ(info.company_name, "\xD6ko Caf\xE9 ?");  // ANSI text; what 1252 lacks is "?"
    EXPECT_EQ(info.file_description, "Tool");
    EXPECT_EQ(info.file_version_text, "2.1.3.4 (release)");
    EXPECT_EQ(info.internal_name, "tool");
    EXPECT_EQ(info.legal_copyright, "(c) Nobody");
    EXPECT_EQ(info.original_filename, "TOOL.EXE");
    EXPECT_EQ(info.product_name, "Tool Suite");
    EXPECT_EQ(info.product_version_text, "2.0");
  }
  // Without a string table the numbers still count.
  TFileVersionInfo bare;
  TSmallExecutableSpec spec;
  spec.file_version_ms = 0xFFFF0000;
  spec.file_version_ls = 0x0000FFFF;
  ASSERT_TRUE(ParseVersionResource(BuildSmallExecutable(spec).bytes, &bare));
  EXPECT_EQ(VersionNumberText(bare.file_version), "65535.0.0.65535");
  EXPECT_EQ(bare.company_name, "");
}

TEST(VersionResourceTest, DamagedExecutablesNeitherCrashNorReadOutside) {
  const TSmallExecutable good = BuildSmallExecutable(ToolSpec());
  const TSmallExecutable& g = good;
  ASSERT_NE(g.first_string, 0u);
  struct TCase {
    const char* name;
    std::function<void(std::string*)> damage;
    bool parses;
    const char* company;  // what is left of the first string when it parses
  };
  const TCase cases[] = {
      {"empty", [](std::string* b) { b->clear(); }, false, ""},
      {"only a DOS signature", [](std::string* b) { b->resize(2); }, false, ""},
      {"cut in the DOS header", [](std::string* b) { b->resize(0x3F); }, false, ""},
      {"cut in the PE header", [&](std::string* b) { b->resize(g.pe_header + 10); }, false, ""},
      {"PE header far outside", [](std::string* b) { Put32(b, 0x3C, 0xFFFFFFF0); }, false, ""},
      {"no PE signature", [&](std::string* b) { (*b)[g.pe_header] = 'X'; }, false, ""},
      {"optional header too small for the resource table",
       [&](std::string* b) { Put16(b, g.pe_header + 20, 0x60); }, false, ""},
      {"no resource table", [&](std::string* b) { Put32(b, g.resource_entry, 0); }, false, ""},
      {"section table past the end", [&](std::string* b) { Put16(b, g.pe_header + 6, 0xFFFF); }, false, ""},
      {"section data outside the file", [&](std::string* b) { Put32(b, g.section_table + 20, 0x7FFFFFF0); }, false,
       ""},
      {"section data near 4 GiB", [&](std::string* b) { Put32(b, g.section_table + 20, 0xFFFFFFFF); }, false, ""},
      {"resource table in no section", [&](std::string* b) { Put32(b, g.resource_entry, 0x9000); }, false, ""},
      {"type entry leads to data", [&](std::string* b) { (*b)[g.type_entry + 7] = 0; }, false, ""},
      {"absurd entry count", [&](std::string* b) { Put16(b, g.resource_root + 12, 0xFFFF); }, false, ""},
      {"directory entries past the end",
       [&](std::string* b) {
         const size_t dir = b->size() - 16;  // the header fills the file's last bytes
         Put16(b, dir + 14, 3);
         Put32(b, g.type_entry + 4, 0x80000000u | static_cast<uint32_t>(dir - g.resource_root));
       },
       false, ""},
      {"name directory loops to the root",
       [&](std::string* b) { Put32(b, g.name_directory + 20, 0x80000000u); }, false, ""},
      {"language directory nests a directory",
       [&](std::string* b) {
         const uint32_t itself = static_cast<uint32_t>(g.language_directory - g.resource_root);
         Put32(b, g.language_directory + 20, 0x80000000u | itself);
       },
       false, ""},
      {"subdirectory offset near 4 GiB", [&](std::string* b) { Put32(b, g.type_entry + 4, 0xFFFFFFFF); }, false, ""},
      {"data entry in no section", [&](std::string* b) { Put32(b, g.data_entry, 0x00500000); }, false, ""},
      {"cut in the data entry", [&](std::string* b) { b->resize(g.data_entry + 8); }, false, ""},
      {"outer block of length 0", [&](std::string* b) { Put16(b, g.version_info, 0); }, false, ""},
      {"outer key never ends",
       [&](std::string* b) {
         Put16(b, g.version_info, 40);
         for (size_t at = g.version_info + 6; at < g.version_info + 40; ++at) (*b)[at] = 'k';
       },
       false, ""},
      {"fixed information too short", [&](std::string* b) { Put16(b, g.version_info + 2, 40); }, false, ""},
      {"fixed information runs past its block", [&](std::string* b) { Put16(b, g.version_info, 60); }, false, ""},
      {"wrong fixed signature", [&](std::string* b) { (*b)[g.fixed_info] = 0; }, false, ""},
      {"cut in the fixed information", [&](std::string* b) { b->resize(g.fixed_info + 20); }, false, ""},
      // The numbers are sound; what follows them is not.
      {"resource size past the end", [&](std::string* b) { Put32(b, g.data_entry + 4, 0xFFFFFFFF); }, true,
       "\xD6ko Caf\xE9 ?"},
      {"cut in the string table", [&](std::string* b) { b->resize(g.first_string + 10); }, true, ""},
      {"string longer than its table", [&](std::string* b) { Put16(b, g.first_string, 0xFFF0); }, true, ""},
      {"string of length 0", [&](std::string* b) { Put16(b, g.first_string, 0); }, true, ""},
      {"string value without its zero",
       [&](std::string* b) {
         // "CompanyName" block: 6 + 24 bytes of key and zero, then the text; its zero becomes "!".
         uint16_t length = static_cast<uint16_t>(static_cast<unsigned char>((*b)[g.first_string]) |
                                                 static_cast<unsigned char>((*b)[g.first_string + 1]) << 8);
         (*b)[g.first_string + length - 2] = '!';
       },
       true, "\xD6ko Caf\xE9 ?!"},
      {"string value length counts bytes",
       [&](std::string* b) { Put16(b, g.first_string + 2, 0xFFFF); }, true, "\xD6ko Caf\xE9 ?"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = good.bytes;
    c.damage(&bytes);
    // The damaged bytes live in a buffer of their exact size, so that ASan
    // sees any read past them.
    std::unique_ptr<char[]> exact(new char[bytes.size() + 1]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    TFileVersionInfo info;
    bool parsed = ParseVersionResource(std::string_view(exact.get(), bytes.size()), &info, 1252);
    EXPECT_EQ(parsed, c.parses);
    if (parsed) {
      EXPECT_EQ(VersionNumberText(info.file_version), "2.1.3.4");
      EXPECT_EQ(info.company_name, c.company);
    }
  }
}

// Rules look at the versions of files on the scanned machine.
TEST(VersionResourceTest, TargetFilesAreReadThroughTheMachine) {
  TFixtureImage image;
  image.WriteFile("C:\\Program Files\\Tool\\tool.exe", BuildSmallExecutable(ToolSpec()).bytes);
  image.WriteFile("C:\\Program Files\\Tool\\readme.txt", "no executable");
  auto machine = image.Open();
  TFileVersionInfo info;
  ASSERT_TRUE(machine->GetFileVersion("c:\\program files\\TOOL\\Tool.exe", &info));
  EXPECT_EQ(VersionNumberText(info.file_version), "2.1.3.4");
  EXPECT_EQ(info.product_name, "Tool Suite");
  EXPECT_FALSE(machine->GetFileVersion("C:\\Program Files\\Tool\\readme.txt", &info));
  EXPECT_FALSE(machine->GetFileVersion("C:\\Program Files\\Tool\\missing.exe", &info));
  EXPECT_FALSE(machine->GetFileVersion("C:\\Program Files\\Tool", &info));  // a folder
}

}  // namespace
}  // namespace vx
