#define PCRE2_CODE_UNIT_WIDTH 8
#include "match/regex_match.h"

#include <pcre2.h>

#include <algorithm>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "base/log_sink.h"

namespace vx {

namespace {

// Longest excerpt of a pattern or text that goes into the include error log.
constexpr size_t kLogExcerpt = 200;

std::string Excerpt(std::string_view s) {
  if (s.size() <= kLogExcerpt) return std::string(s);
  return std::string(s.substr(0, kLogExcerpt)) + "...";
}

std::string ErrorMessage(int code) {
  PCRE2_UCHAR buffer[256];
  if (pcre2_get_error_message(code, buffer, sizeof(buffer)) < 0) return "error " + std::to_string(code);
  return reinterpret_cast<char*>(buffer);
}

struct TCompiled {
  pcre2_code* code = nullptr;
  std::string error;          // compile error; code is null then
  bool limit_logged = false;  // the include error log heard of this pattern
  ~TCompiled() { pcre2_code_free(code); }
};

// Everything a thread needs to search: the cache of compiled patterns and
// one set of match buffers, all reused from call to call.
class TRegexThreadState {
 public:
  TRegexThreadState() {
    match_context_ = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(match_context_, kRegExprMatchLimit);
    pcre2_set_depth_limit(match_context_, kRegExprDepthLimit);
    pcre2_set_heap_limit(match_context_, kRegExprHeapLimitKiB);
    jit_stack_ = pcre2_jit_stack_create(32 * 1024, 1024 * 1024, nullptr);
    if (jit_stack_) pcre2_jit_stack_assign(match_context_, nullptr, jit_stack_);
    match_data_ = pcre2_match_data_create(kMaxRegExprGroups + 1, nullptr);
  }
  ~TRegexThreadState() {
    Clear();
    pcre2_match_data_free(match_data_);
    pcre2_match_context_free(match_context_);
    pcre2_jit_stack_free(jit_stack_);
  }

  TCompiled& Get(std::string_view pattern, bool ignore_case) {
    TIndex& index = index_[ignore_case ? 1 : 0];
    auto found = index.find(pattern);
    if (found != index.end()) {
      cache_.splice(cache_.begin(), cache_, found->second);
      return *found->second->compiled;
    }
    if (cache_.size() >= kRegExprCacheSize) {
      index_[cache_.back().ignore_case ? 1 : 0].erase(cache_.back().pattern);
      cache_.pop_back();
    }
    auto compiled = std::make_unique<TCompiled>();
    // Dot matches line breaks too: registry multi-strings reach the
    // comparison joined by CR LF. The pattern cannot switch on UTF modes,
    // which would make 8-bit texts invalid input.
    uint32_t options = PCRE2_DOTALL | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP | PCRE2_NEVER_BACKSLASH_C;
    if (ignore_case) options |= PCRE2_CASELESS;
    int error = 0;
    PCRE2_SIZE offset = 0;
    compiled->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   options, &error, &offset, nullptr);
    if (!compiled->code) {
      compiled->error = "Invalid regular expression \"" + Excerpt(pattern) + "\" at offset " +
                        std::to_string(offset) + ": " + ErrorMessage(error);
    } else {
      // Without JIT the interpreter runs; both honour the match limit.
      pcre2_jit_compile(compiled->code, PCRE2_JIT_COMPLETE);
    }
    cache_.push_front({std::string(pattern), ignore_case, std::move(compiled)});
    index.emplace(cache_.front().pattern, cache_.begin());
    return *cache_.front().compiled;
  }

  pcre2_match_data* MatchData() { return match_data_; }
  pcre2_match_context* MatchContext() { return match_context_; }
  size_t Count() const { return cache_.size(); }
  void Clear() {
    index_[0].clear();
    index_[1].clear();
    cache_.clear();
  }

 private:
  struct TEntry {
    std::string pattern;
    bool ignore_case;
    std::unique_ptr<TCompiled> compiled;
  };
  // Looked up by a view of the pattern, so a hit allocates nothing.
  struct THash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  // The keys are views of the patterns the entries hold.
  using TIndex = std::unordered_map<std::string_view, std::list<TEntry>::iterator, THash, std::equal_to<>>;
  std::list<TEntry> cache_;  // most recently used first
  TIndex index_[2];          // by case flag: respected, ignored
  pcre2_match_context* match_context_ = nullptr;
  pcre2_jit_stack* jit_stack_ = nullptr;
  pcre2_match_data* match_data_ = nullptr;
};

TRegexThreadState& ThreadState() {
  thread_local TRegexThreadState state;
  return state;
}

}  // namespace

TStringList& LastRegExprGroups() {
  static TStringList groups;
  return groups;
}

TStringList& LastRegExprMatch() {
  static TStringList match;
  return match;
}

bool RegExprMatch(std::string_view text, std::string_view pattern, bool ignore_case) {
  TRegexThreadState& state = ThreadState();
  TCompiled& compiled = state.Get(pattern, ignore_case);
  if (!compiled.code) throw TRegexError(compiled.error);

  pcre2_match_data* md = state.MatchData();
  int rc = pcre2_match(compiled.code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0,
                       md, state.MatchContext());
  TStringList& groups = LastRegExprGroups();
  groups.Clear();
  if (rc < 0) {
    if (rc != PCRE2_ERROR_NOMATCH && !compiled.limit_logged) {
      compiled.limit_logged = true;
      WriteIncludeError("Regular expression \"" + Excerpt(pattern) + "\" gave up on \"" +
                        Excerpt(text) + "\" (" + ErrorMessage(rc) +
                        "); counted as no match, further cases are not logged");
    }
    return false;
  }
  // rc 0 means more groups took part than are reported; the ovector is full.
  int count = rc == 0 ? kMaxRegExprGroups + 1 : std::min(rc, kMaxRegExprGroups + 1);
  PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(md);
  for (int i = 0; i < count; ++i) {
    PCRE2_SIZE start = ovector[2 * i], end = ovector[2 * i + 1];
    if (start == PCRE2_UNSET || end < start)
      groups.Add(std::string());
    else
      groups.Add(std::string(text.substr(start, end - start)));
  }
  TStringList& match = LastRegExprMatch();
  match.Clear();
  for (int i = 0; i < groups.Count(); ++i) match.Add(groups[i]);
  return true;
}

void ClearRegExprCache() { ThreadState().Clear(); }

size_t RegExprCacheCount() { return ThreadState().Count(); }

}  // namespace vx
