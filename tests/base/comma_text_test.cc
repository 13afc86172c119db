#include "base/comma_text.h"

#include <gtest/gtest.h>

#include "base/string_list.h"

namespace vx {
namespace {

using Items = std::vector<std::string>;

struct SplitCase {
  const char* text;
  Items items;
};

TEST(CommaTextTest, SplitFollowsTheRules) {
  const SplitCase cases[] = {
      {"", {}},
      {"   ", {}},
      {"a,b,c", {"a", "b", "c"}},
      {"  a ,  b", {"a", "b"}},                     // blanks around items skipped
      {"a b", {"a", "b"}},                          // an unquoted blank ends an item
      {"\"a b\",c", {"a b", "c"}},                  // quotes keep blanks
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},       // doubled quotes stand for one
      {"\"unterminated, still", {"unterminated, still"}},
      {"a,", {"a", ""}},                            // trailing comma adds one empty item
      {"a,,b", {"a", "", "b"}},                     // two commas give an empty item
      {",a", {"", "a"}},
      {"a,  ", {"a"}},                              // only a comma that ends the text adds one
      {"\ta\x01,\x1f b", {"a", "b"}},               // control characters are blanks
      {"\"ab\"cd", {"ab", "cd"}},                   // text after a closing quote is a new item
      {"x=1,y=\"two words\"", {"x=1", "y=\"two", "words\""}},
      {"\"\"", {""}},
      {"a,\"\",b", {"a", "", "b"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(SplitCommaText(c.text), c.items) << "text: [" << c.text << "]";
  }
}

TEST(CommaTextTest, NulEndsTheText) {
  std::string text("a,b\0c,d", 7);
  EXPECT_EQ(SplitCommaText(text), (Items{"a", "b"}));
}

TEST(CommaTextTest, JoinQuotesWhatNeedsIt) {
  EXPECT_EQ(JoinCommaText({}), "");
  EXPECT_EQ(JoinCommaText({""}), "\"\"");
  EXPECT_EQ(JoinCommaText({"a", "", "b"}), "a,,b");
  EXPECT_EQ(JoinCommaText({"a b", "c,d", "e\"f", "g\th", "plain"}),
            "\"a b\",\"c,d\",\"e\"\"f\",\"g\th\",plain");
}

TEST(CommaTextTest, JoinThenSplitGivesTheItemsBack) {
  const Items samples[] = {{"a", "b c", "\"q\"", ""}, {"x,y", "  lead", "trail  "}, {"one"}};
  for (const Items& items : samples) {
    EXPECT_EQ(SplitCommaText(JoinCommaText(items)), items);
  }
}

TEST(CommaTextTest, StrictSplitKeepsBlanksAndQuotes) {
  EXPECT_EQ(SplitStrict(""), Items{});
  EXPECT_EQ(SplitStrict(" a , \"b c\",,"), (Items{" a ", " \"b c\"", "", ""}));
  EXPECT_EQ(SplitStrict("a;b", ';'), (Items{"a", "b"}));
}

TEST(CommaTextTest, StringListCommaTextUsesTheSameRules) {
  TStringList list;
  list.SetCommaText("\"name=a b\", x");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], "name=a b");
  EXPECT_EQ(list.Values("NAME"), "a b");
  EXPECT_EQ(list.CommaText(), "\"name=a b\",x");
}

}  // namespace
}  // namespace vx
