// The comparison service: every mode prefix, both case switches. Input: one
// byte of switches, the pattern, a NUL byte, the text.
//   bits 0-2  the prefix put before the pattern (0: none, 1-5: <wc> <substr>
//             <bool> <regexpr> <bm>, 6-7: none)
//   bit 3     ignore case
//   bits 4-6  the default mode for a pattern without a prefix
//
// The one-text list filter agrees with the single comparison, the two
// substring searches agree, and a text without wildcards matches itself.
#include <string>

#include "base/ansi_text.h"
#include "match/compare.h"
#include "match/regex_match.h"
#include "match/wildcard.h"
#include "support/fuzz_check.h"

namespace {

// 1: matches, 0: does not, -1: the regular expression does not compile.
template <typename TCall>
int Outcome(TCall call) {
  try {
    return call() ? 1 : 0;
  } catch (const vx::TRegexError&) {
    return -1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t switches = data[0];
  std::string_view input = vx::fuzz::Bytes(data + 1, size - 1);
  size_t nul = input.find('\0');
  std::string pattern(input.substr(0, nul));
  std::string_view text = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
  const int prefix = switches & 7;
  if (prefix >= 1 && prefix <= 5) {
    static constexpr vx::TCompareMode kModes[] = {vx::cmWildcard, vx::cmSubStr, vx::cmBool,
                                                  vx::cmRegExpr, vx::cmBoyerMoore};
    pattern.insert(0, vx::CompareModePrefix(kModes[prefix - 1]));
  }
  const bool ignore_case = (switches & 8) != 0;
  const auto default_mode = static_cast<vx::TCompareMode>(((switches >> 4) & 7) % 6);

  int single = Outcome([&] { return vx::MatchValue(text, pattern, ignore_case, default_mode); });
  int wildcard_default = Outcome([&] { return vx::MatchValue(text, pattern, ignore_case); });
  vx::TStringList one;
  one.Add(std::string(text));
  int listed = Outcome([&] { return vx::MatchList(one, pattern, ignore_case).Count() == 1; });
  VX_FUZZ_CHECK(listed == wildcard_default);
  int kept_case = Outcome([&] { return vx::MatchListKeepRegExprCase(one, pattern, ignore_case).Count() == 1; });
  vx::TCompareMode mode = vx::cmWildcard;
  std::string_view bare = vx::ParseCompareMode(std::string_view(pattern), &mode);
  if (mode != vx::cmRegExpr) VX_FUZZ_CHECK(kept_case == listed);
  if (default_mode == vx::cmWildcard) VX_FUZZ_CHECK(single == wildcard_default);

  // The mode-specific comparisons on the pattern without its prefix.
  if (!bare.empty() && !text.empty()) {
    bool sub = vx::MatchSubStr(text, bare, ignore_case);
    VX_FUZZ_CHECK(vx::MatchBoyerMoore(text, bare, ignore_case) == sub);
    std::string folded_text = ignore_case ? vx::UpperCase(text) : std::string(text);
    std::string folded_pattern = ignore_case ? vx::UpperCase(bare) : std::string(bare);
    VX_FUZZ_CHECK(sub == (folded_text.find(folded_pattern) != std::string::npos));
  }
  VX_FUZZ_CHECK(vx::MatchExact(text, bare, ignore_case) ==
                (ignore_case ? vx::UpperCase(text) == vx::UpperCase(bare) : text == bare));
  if (text.find('*') == std::string_view::npos) VX_FUZZ_CHECK(vx::MatchWildcard(text, text, ignore_case));
  vx::MatchBool(text, bare, ignore_case);
  return 0;
}
