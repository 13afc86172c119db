// The version-resource reader of executables, in the Western code page and
// in a multi-byte one, and the report's version text of a file.
//
// Both code pages accept the same files and read the same numbers; a string
// the file holds is found in both. A file's version text is the number
// the reader found, or empty when it found none.
#include <string>

#include "platform/version_resource.h"
#include "results/file_version.h"
#include "support/fuzz_check.h"
#include "support/memory_file.h"

namespace {

bool SameStrings(const vx::TFileVersionInfo& a, const vx::TFileVersionInfo& b) {
  auto empties = [](const vx::TFileVersionInfo& i) {
    return std::string{i.company_name.empty(), i.file_description.empty(), i.file_version_text.empty(),
                       i.internal_name.empty(), i.legal_copyright.empty(), i.original_filename.empty(),
                       i.product_name.empty(), i.product_version_text.empty()};
  };
  return empties(a) == empties(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes = vx::fuzz::Bytes(data, size);
  vx::TFileVersionInfo western, japanese;
  bool read = vx::ParseVersionResource(bytes, &western, 1252);
  bool read_japanese = vx::ParseVersionResource(bytes, &japanese, 932);
  VX_FUZZ_CHECK(read == read_japanese);
  if (read) {
    VX_FUZZ_CHECK(western.file_version == japanese.file_version);
    VX_FUZZ_CHECK(western.product_version == japanese.product_version);
    VX_FUZZ_CHECK(SameStrings(western, japanese));
  }

  static vx::fuzz::TMemoryFile file("executable");
  std::string text = vx::GetVersionString(file.Write(bytes));
  if (read) {
    VX_FUZZ_CHECK(text == vx::VersionNumberText(western.file_version));
  } else {
    VX_FUZZ_CHECK(text.empty());
  }
  return 0;
}
