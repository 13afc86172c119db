#include "app/console.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(ConsoleTest, BannerIsExactlyAsWideAsTheScreen) {
  struct Case {
    int width;
    bool fill;
    const char* expected;
  } cases[] = {
      {20, false, "     [ Title ]      \n"},  // (20 - 9) / 2 = 5 in front, the rest behind
      {21, false, "      [ Title ]      \n"},
      {20, true, "-----[ Title ]------\n"},
      {13, false, "  [ Title ]  \n"},
      {11, false, " [ Title ] \n"},
      {9, false, "[ Title ]\n"},
      {8, false, "[ Titl ]\n"},  // the text is cut to width - 4
  };
  for (const Case& c : cases) {
    std::string out;
    TConsole console(&out, c.width);
    WriteBanner(console, "Title", 15, 1, '[', ']', c.fill);
    std::string expected = c.expected;
    EXPECT_EQ(out, expected) << "width " << c.width;
  }
}

TEST(ConsoleTest, BannerFillCharacterDependsOnBackground) {
  std::string out;
  TConsole console(&out, 12);
  WriteBanner(console, "ab", 15, 2, '<', '>', true);
  EXPECT_EQ(out, "===< ab >===\n");
  EXPECT_EQ(console.TextAttr(), 7);  // back to light grey on black
}

TEST(ConsoleTest, ColourAttributeArithmetic) {
  std::string out;
  TConsole console(&out, 80);
  console.TextBackground(1);
  console.TextColor(15);
  EXPECT_EQ(console.TextAttr(), 0x1F);
  console.TextColor(0x8C);  // blink bit kept, background untouched
  EXPECT_EQ(console.TextAttr(), 0x9C);
  console.TextBackground(15);  // only three background bits
  EXPECT_EQ(console.TextAttr(), 0xFC);
  console.Write("x");
  EXPECT_EQ(out, "x");  // no escape sequences off a terminal
}

TEST(ProgressBarTest, Shapes) {
  struct Case {
    int64_t position, total;
    int width;
    const char* bar;
  } cases[] = {
      {0, 0, 10, "[........]"},
      {5, 5, 10, "[########]"},
      {0, 5, 10, "[>.......]"},
      {1, 8, 10, "[#>......]"},
      {1, 16, 10, "[>.......]"},  // 0.5 rounds to even: 0
      {3, 16, 10, "[##>.....]"},  // 1.5 rounds to even: 2
      {5, 16, 10, "[##>.....]"},  // 2.5 rounds to even: 2
      {7, 16, 10, "[####>...]"},  // 3.5 rounds to even: 4
      {7, 8, 10, "[#######>]"},
      {9, 8, 10, "[########]"},   // past the total: full, never wider
      {1, 2, 2, "[]"},
      {1, 2, 1, ""},              // no room for a bar
      {1, 2, -5, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DrawProgressBar(c.position, c.total, c.width), c.bar)
        << c.position << "/" << c.total << " width " << c.width;
  }
}

}  // namespace
}  // namespace vx
