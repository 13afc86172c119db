#include "platform/offline/reg_value_text.h"

#include "base/codepage.h"

namespace vx {

std::string RegStringValue(const TRegValue& value, int code_page) {
  if (value.type != kRegSz && value.type != kRegExpandSz && value.type != kRegMultiSz &&
      value.type != kRegLink) {
    return std::string();
  }
  std::string_view data = value.data;
  for (size_t k = 0; k + 1 < data.size(); k += 2) {
    if (data[k] == '\0' && data[k + 1] == '\0') {
      data = data.substr(0, k);
      break;
    }
  }
  return Utf16LeToAnsi(data, code_page);
}

}  // namespace vx
