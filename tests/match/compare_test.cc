#include "match/compare.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "base/ansi_text.h"
#include "match/boyer_moore.h"
#include "match/wildcard.h"
#include "support/include_log.h"

namespace vx {
namespace {

struct TMatchCase {
  const char* text;
  const char* pattern;
  bool ignore_case;
  bool expected;
};

TEST(MatchValueTest, WildcardCases) {
  const TMatchCase cases[] = {
      {"C:\\Program Files\\App\\app.exe", "*APP.EXE", true, true},
      {"C:\\Program Files\\App\\app.exe", "*APP.EXE", false, false},
      {"xxABCxx", "*A?C*", false, true},
      {"xxABCxx", "*abc*", false, false},
      {"xxABCxx", "*abc*", true, true},
      {"abc", "abc*", false, true},
      {"abc", "abc**", false, false},  // a star run after the text has ended fails
      {"abcd", "abc**", false, true},
      {"abc", "a**", false, true},
      {"", "", false, true},
      {"a", "", false, false},
      {"", "*", false, true},
      {"anything", "*", false, true},
      {"", "?", false, false},
      {"abc", "a?c", false, true},
      {"abc", "a?", false, false},
      {"abc", "ab", false, false},  // the match covers the whole text
      {"abcabd", "*abd", false, true},
      {"ab", "a**b", false, true},
      {"a*c", "a\\*c", false, false},  // no escapes in wildcards
      {"xyz", "**", false, true},
      {"x.tmp", "<wc>*.TMP", true, true},
      {"x.tmp", "<WC>*.TMP", true, false},  // other letters: no prefix, exact compare
      {"<WC>*.TMP", "<WC>*.TMP", false, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchValue(c.text, c.pattern, c.ignore_case, cmWildcard), c.expected)
        << '"' << c.text << "\" vs \"" << c.pattern << "\" ignore_case=" << c.ignore_case;
}

// The matcher as the rule language defines it, step by step and recursive.
bool ReferenceWildcardMatch(std::string_view t, std::string_view p) {
  if (p == "*") return true;
  if (t.empty()) return p.empty();
  if (p.empty()) return false;
  if (p[0] == '*') return ReferenceWildcardMatch(t, p.substr(1)) || ReferenceWildcardMatch(t.substr(1), p);
  if (p[0] == '?' || p[0] == t[0]) return ReferenceWildcardMatch(t.substr(1), p.substr(1));
  return false;
}

TEST(WildcardMatchTest, AgreesWithTheRecursiveDefinition) {
  std::mt19937 rng(12345);
  const char text_chars[] = "ab";
  const char pattern_chars[] = "ab*?";
  for (int round = 0; round < 200000; ++round) {
    std::string t(rng() % 7, ' '), p(rng() % 7, ' ');
    for (char& c : t) c = text_chars[rng() % 2];
    for (char& c : p) c = pattern_chars[rng() % 4];
    ASSERT_EQ(WildcardMatch(t, p), ReferenceWildcardMatch(t, p)) << '"' << t << "\" vs \"" << p << '"';
  }
  // Ignoring case folds while comparing; it must agree with upper-casing first.
  const char mixed_text[] = "aAbB";
  const char mixed_pattern[] = "aAbB*?";
  for (int round = 0; round < 50000; ++round) {
    std::string t(rng() % 7, ' '), p(rng() % 7, ' ');
    for (char& c : t) c = mixed_text[rng() % 4];
    for (char& c : p) c = mixed_pattern[rng() % 6];
    ASSERT_EQ(MatchWildcard(t, p, true), MatchWildcard(UpperCase(t), UpperCase(p), false)) << t << " / " << p;
  }
}

TEST(WildcardMatchTest, ManyStarsStayFast) {
  std::string text(5000, 'a');
  std::string pattern;
  for (int i = 0; i < 200; ++i) pattern += "*a";
  pattern += "*b";
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(WildcardMatch(text, pattern));
  EXPECT_TRUE(WildcardMatch(text + "b", pattern));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(MatchValueTest, SubstringExactAndBoyerMoore) {
  const TMatchCase cases[] = {
      {"my toolbar", "<bm>Toolbar", true, true},
      {"my toolbar", "<bm>Toolbar", false, false},
      {"anything", "<bm>", false, true},
      {"", "<bm>", false, true},
      {"ab", "<bm>abc", false, false},
      {"abcabcabd", "<bm>abd", false, true},
      {"spyware", "<substr>WARE", true, true},
      {"spyware", "<substr>WARE", false, false},
      {"spyware", "<substr>", false, false},
      {"", "<substr>x", false, false},
      {"Spy", "spy", true, true},
      {"Spy", "spy", false, false},
      {"Spy", "Spy", false, true},
      {"Spyware", "Spy", true, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchValue(c.text, c.pattern, c.ignore_case, cmExact), c.expected)
        << '"' << c.text << "\" vs \"" << c.pattern << "\" ignore_case=" << c.ignore_case;
}

TEST(BoyerMooreTest, AgreesWithPlainSearch) {
  std::mt19937 rng(7);
  for (int round = 0; round < 50000; ++round) {
    std::string t(rng() % 12, ' '), p(rng() % 4, ' ');
    for (char& c : t) c = "abc"[rng() % 3];
    for (char& c : p) c = "abc"[rng() % 3];
    ASSERT_EQ(BoyerMooreSearch(t, p), t.find(p) != std::string::npos) << t << " / " << p;
  }
}

TEST(CompareRuleTest, Expressions) {
  const TMatchCase cases[] = {
      {"spy tool", "spy AND NOT ware", false, true},
      {"spyware", "spy AND NOT ware", false, false},
      {"spy tool", "spy NOT ware", false, true},  // spy OR NOT ware
      {"spyware", "spy NOT ware", false, true},
      {"b", "a b", false, true},
      {"c", "a AND b OR c", false, true},    // (a AND b) OR c
      {"ab", "a AND b OR c", false, true},
      {"a", "a AND b OR c", false, false},
      {"c", "a OR b AND c", false, false},   // (a OR b) AND c: left to right
      {"bc", "a OR b AND c", false, true},
      {"a", "a OR b AND c", false, false},
      {"word OR x", "OR x", false, true},    // a leading OR is a term
      {"or", "OR x", false, false},
      {"x", "OR x", false, true},
      {"the tool bar", "\"tool bar\"", false, true},
      {"toolbar", "\"tool bar\"", false, false},
      {"anything", "", false, false},
      {"abc", "NOT", false, false},          // a trailing NOT is dropped
      {"abc", "a AND", false, true},         // a trailing AND is dropped
      {"abc", "a OR AND", false, true},
      {"abc", "NOT NOT x", false, true},     // negated once
      {"x", "NOT NOT x", false, false},
      {"SPYWARE", "<bool>spy and not ware", true, false},
      {"spy tool", "<bool>spy and not ware", true, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchValue(c.text, c.pattern, c.ignore_case, cmBool), c.expected)
        << '"' << c.text << "\" vs \"" << c.pattern << '"';
}

TEST(CompareRuleTest, QuotesJoinTheTextAroundThem) {
  TCompareRule rule("ab\"c d\"e  f");
  ASSERT_EQ(rule.Count(), 3);
  EXPECT_EQ(rule.Items(0).Text, "abc d");
  EXPECT_EQ(rule.Items(1).Text, "e");
  EXPECT_EQ(rule.Items(2).Text, "f");
  TCompareRule open("x \"unterminated quote");
  ASSERT_EQ(open.Count(), 2);
  EXPECT_EQ(open.Items(1).Text, "unterminated quote");
}

// The operator passes as the rule language states them, removing each
// operator on the spot.
std::string ReferenceParse(const std::vector<std::string>& tokens) {
  struct TItem {
    std::string text;
    bool negated = false;
    bool is_and = false;
  };
  std::vector<TItem> items;
  for (const auto& t : tokens) items.push_back({t});
  auto is = [](const TItem& item, const char* op) { return SameText(item.text, op); };
  if (!items.empty() && is(items.back(), "NOT")) items.pop_back();
  for (int i = static_cast<int>(items.size()) - 2; i >= 0; --i)
    if (is(items[i], "NOT")) {
      items[i + 1].negated = true;
      items.erase(items.begin() + i);
    }
  if (!items.empty()) items.front().is_and = false;
  if (!items.empty() && is(items.back(), "OR")) items.pop_back();
  if (!items.empty() && is(items.back(), "AND")) items.pop_back();
  for (int i = static_cast<int>(items.size()) - 2; i >= 1; --i)
    if (is(items[i], "AND") || is(items[i], "OR")) {
      items[i + 1].is_and = is(items[i], "AND");
      items.erase(items.begin() + i);
    }
  std::string out;
  for (const auto& item : items) out += (item.is_and ? "&" : "|") + std::string(item.negated ? "!" : "") + item.text + " ";
  return out;
}

TEST(CompareRuleTest, AgreesWithTheStatedOperatorPasses) {
  std::mt19937 rng(99);
  const char* words[] = {"NOT", "and", "OR", "x", "y"};
  for (int round = 0; round < 20000; ++round) {
    std::vector<std::string> tokens(rng() % 8);
    std::string expression;
    for (auto& t : tokens) expression += (t = words[rng() % 5]) + " ";
    TCompareRule rule(expression);
    std::string got;
    for (int i = 0; i < rule.Count(); ++i)
      got += (rule.Items(i).Combine == TCompareRuleItem::kCombineAnd ? "&" : "|") +
             std::string(rule.Items(i).Negated ? "!" : "") + rule.Items(i).Text + " ";
    ASSERT_EQ(got, ReferenceParse(tokens)) << expression;
  }
}

TEST(CompareRuleTest, LongHostileExpressionParsesQuickly) {
  std::string expression;
  for (int i = 0; i < 100000; ++i) expression += "NOT AND OR ";
  expression += "x";
  // Processor time of this thread, not the wall clock: under the sanitizers
  // on a busy machine a linear parse takes a second or two of wall time, a
  // quadratic one would take minutes of processor time.
  auto cpu = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
  };
  double start = cpu();
  TCompareRule rule(expression);
  EXPECT_LT(cpu() - start, 10.0);
  EXPECT_GE(rule.Count(), 1);
}

TEST(ParseCompareModeTest, RemovesOnePrefix) {
  struct {
    const char* pattern;
    TCompareMode mode;
    const char* rest;
  } cases[] = {
      {"<wc>a*", cmWildcard, "a*"},       {"<substr>x", cmSubStr, "x"},
      {"<bool>a b", cmBool, "a b"},       {"<regexpr>^a$", cmRegExpr, "^a$"},
      {"<bm>x", cmBoyerMoore, "x"},       {"<wc><bm>x", cmWildcard, "<bm>x"},
      {"<Wc>x", cmExact, "<Wc>x"},        {"plain", cmExact, "plain"},
  };
  for (const auto& c : cases) {
    std::string pattern = c.pattern;
    TCompareMode mode = cmExact;
    ParseCompareMode(&pattern, &mode);
    EXPECT_EQ(mode, c.mode) << c.pattern;
    EXPECT_EQ(pattern, c.rest);
  }
}

TEST(RegExprTest, CaseAndGroups) {
  EXPECT_TRUE(MatchValue("ABC", "<regexpr>^abc$", true));
  ASSERT_EQ(LastRegExprMatch().Count(), 1);
  EXPECT_EQ(LastRegExprMatch()[0], "ABC");
  EXPECT_FALSE(MatchValue("ABC", "<regexpr>^abc$", false));
  EXPECT_EQ(LastRegExprGroups().Count(), 0);
  EXPECT_EQ(LastRegExprMatch()[0], "ABC");  // only a success replaces it

  // Unanchored; groups up to the highest that took part, skipped ones empty.
  EXPECT_TRUE(MatchValue("key=Run\\evil.exe /s", "<regexpr>(\\w+)\\\\(x)?(\\w+)\\.exe", false));
  const TStringList& m = LastRegExprMatch();
  ASSERT_EQ(m.Count(), 4);
  EXPECT_EQ(m[0], "Run\\evil.exe");
  EXPECT_EQ(m[1], "Run");
  EXPECT_EQ(m[2], "");
  EXPECT_EQ(m[3], "evil");
  EXPECT_TRUE(MatchValue("ab", "<regexpr>(a)(b)?(c)?", false));
  EXPECT_EQ(LastRegExprGroups().Count(), 3);  // group 3 did not take part

  // Whole match plus 14 groups at most.
  std::string many;
  for (int i = 0; i < 20; ++i) many += "(.)";
  EXPECT_TRUE(MatchValue("abcdefghijklmnopqrstuvwxyz", "<regexpr>" + many, false));
  ASSERT_EQ(LastRegExprMatch().Count(), kMaxRegExprGroups + 1);
  EXPECT_EQ(LastRegExprMatch()[14], "n");
}

TEST(RegExprTest, DotCrossesLineBreaksAndUtfSwitchesAreRefused) {
  EXPECT_TRUE(MatchValue("first\r\nsecond", "<regexpr>first.*second", false));
  EXPECT_THROW(MatchValue("x", "<regexpr>(*UTF)x", false), TRegexError);
}

TEST(RegExprTest, BadPatternRaisesEveryTime) {
  for (int i = 0; i < 2; ++i) {  // the second time from the cache
    try {
      MatchValue("abc", "<regexpr>(abc", false);
      FAIL() << "no error";
    } catch (const TRegexError& e) {
      EXPECT_NE(std::string(e.what()).find("(abc"), std::string::npos) << e.what();
    }
  }
}

TEST(RegExprTest, CatastrophicPatternFailsQuickly) {
  testing::TScopedIncludeLog log;
  ClearRegExprCache();  // the log speaks once per cached pattern
  std::string text(40, 'a');
  text += '!';
  auto start = std::chrono::steady_clock::now();
  for (const char* pattern : {"<regexpr>^(a+)+$", "<regexpr>^(a|aa)*(a|aa)*(a|aa)*$", "<regexpr>(.*a){25}$"}) {
    EXPECT_FALSE(MatchValue(text, pattern, false)) << pattern;
    EXPECT_EQ(LastRegExprGroups().Count(), 0);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  // Said once per pattern, however often the pattern gives up.
  EXPECT_FALSE(MatchValue(text, "<regexpr>^(a+)+$", false));
  std::string logged = log.Text();
  EXPECT_NE(logged.find("^(a+)+$"), std::string::npos) << logged;
  EXPECT_NE(logged.find("(.*a){25}$"), std::string::npos) << logged;
  EXPECT_EQ(logged.find("^(a+)+$"), logged.rfind("^(a+)+$")) << logged;
}

TEST(RegExprTest, CacheIsBounded) {
  ClearRegExprCache();
  for (size_t i = 0; i < kRegExprCacheSize + 20; ++i)
    MatchValue("x", "<regexpr>x" + std::to_string(i), false);
  EXPECT_EQ(RegExprCacheCount(), kRegExprCacheSize);
  MatchValue("x", "<regexpr>x", false);
  MatchValue("x", "<regexpr>x", true);  // the case flag is part of the key
  EXPECT_EQ(RegExprCacheCount(), kRegExprCacheSize);
  EXPECT_TRUE(MatchValue("X", "<regexpr>^x$", true));
  EXPECT_FALSE(MatchValue("X", "<regexpr>^x$", false));
}

TEST(MatchListTest, KeepsObjectsAndOrder) {
  TObject a, b, c;
  TStringList list;
  list.AddObject("Run.exe", &a);
  list.AddObject("notes.txt", &b);
  list.AddObject("setup.EXE", &c);
  TStringList hits = MatchList(list, "*.exe", true);
  ASSERT_EQ(hits.Count(), 2);
  EXPECT_EQ(hits[0], "Run.exe");
  EXPECT_EQ(hits.Objects(0), &a);
  EXPECT_EQ(hits[1], "setup.EXE");
  EXPECT_EQ(hits.Objects(1), &c);

  EXPECT_EQ(MatchList(list, "<regexpr>\\.exe$", true).Count(), 2);
  TStringList kept = MatchListKeepRegExprCase(list, "<regexpr>\\.exe$", true);
  ASSERT_EQ(kept.Count(), 1);
  EXPECT_EQ(kept[0], "Run.exe");
  // Groups describe the last entry tried and the last that matched.
  EXPECT_EQ(LastRegExprGroups().Count(), 0);
  EXPECT_EQ(LastRegExprMatch()[0], ".exe");

  EXPECT_EQ(MatchListKeepRegExprCase(list, "<substr>EXE", true).Count(), 2);
  EXPECT_EQ(MatchList(list, "<bool>run OR notes", true).Count(), 2);
  EXPECT_EQ(MatchList(list, "notes.txt", false).Count(), 1);  // wildcard by default
}

}  // namespace
}  // namespace vx
