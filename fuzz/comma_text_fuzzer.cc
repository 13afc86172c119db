// Comma text and the strict split. Joining what a split gave and splitting
// again gives the same items; the strict split joined with its separator is
// the text it came from.
#include <string>
#include <vector>

#include "base/comma_text.h"
#include "support/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text = vx::fuzz::Bytes(data, size);

  std::vector<std::string> items = vx::SplitCommaText(text);
  std::string joined = vx::JoinCommaText(items);
  VX_FUZZ_CHECK(vx::SplitCommaText(joined) == items);

  // The first byte is the separator of the strict split.
  if (!text.empty()) {
    char separator = text[0];
    std::string_view rest = text.substr(1);
    std::vector<std::string> parts = vx::SplitStrict(rest, separator);
    std::string back;
    for (size_t i = 0; i < parts.size(); ++i) {
      if (i > 0) back += separator;
      back += parts[i];
    }
    VX_FUZZ_CHECK(back == rest);
    VX_FUZZ_CHECK(parts.empty() == rest.empty());
  }
  return 0;
}
