#include "match/boyer_moore.h"

#include <array>
#include <cstddef>

namespace vx {

bool BoyerMooreSearch(std::string_view text, std::string_view pattern) {
  const size_t m = pattern.size();
  const size_t n = text.size();
  if (m == 0) return true;
  if (m > n) return false;
  std::array<size_t, 256> shift;
  shift.fill(m);
  for (size_t i = 0; i + 1 < m; ++i) shift[static_cast<unsigned char>(pattern[i])] = m - 1 - i;
  // k is the index of the text byte under the pattern's last byte.
  for (size_t k = m - 1; k < n;) {
    size_t j = 0;
    while (j < m && text[k - j] == pattern[m - 1 - j]) ++j;
    if (j == m) return true;
    k += shift[static_cast<unsigned char>(text[k])];
  }
  return false;
}

}  // namespace vx
