// The shell link (.lnk) reader, in the Western code page and in a multi-byte
// one. A link the reader accepts in one code page it accepts in the other:
// the code page changes texts, never the structure.
#include <string>

#include "platform/machine.h"
#include "platform/offline/shortcut_file.h"
#include "support/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes = vx::fuzz::Bytes(data, size);
  vx::TShortcutInfo western, japanese;
  bool from_environment = false, japanese_from_environment = false;
  bool read = vx::ParseShortcut(bytes, 1252, &western, &from_environment);
  bool read_japanese = vx::ParseShortcut(bytes, 932, &japanese, &japanese_from_environment);
  VX_FUZZ_CHECK(read == read_japanese);
  if (read) {
    VX_FUZZ_CHECK(western.target.empty() == japanese.target.empty());
    VX_FUZZ_CHECK(from_environment == japanese_from_environment);
  } else {
    VX_FUZZ_CHECK(western.target.empty() && western.arguments.empty());
  }
  return 0;
}
