#include "base/ansi_text.h"

#include <gtest/gtest.h>

#include "base/codepage.h"

namespace vx {
namespace {

TEST(AnsiTextTest, IntegerConversion) {
  struct Case {
    const char* text;
    bool ok;
    int32_t value;
  } cases[] = {
      {"42", true, 42},        {"  42", true, 42},     {"+7", true, 7},
      {"-7", true, -7},        {"$1F", true, 31},      {"x10", true, 16},
      {"X10", true, 16},       {"0x10", true, 16},     {"0X1f", true, 31},
      {"-$10", true, -16},     {"$FFFFFFFF", true, -1}, {"2147483647", true, 2147483647},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0}, {"$100000000", false, 0},
      {"", false, 0},          {" ", false, 0},        {"-", false, 0},
      {"$", false, 0},         {"12 ", false, 0},      {"1e3", false, 0},
      {"abc", false, 0},       {"\t1", false, 0},
  };
  for (const auto& c : cases) {
    int32_t v = 12345;
    EXPECT_EQ(TryStrToInt(c.text, &v), c.ok) << "[" << c.text << "]";
    EXPECT_EQ(v, c.ok ? c.value : 12345) << "[" << c.text << "]";
  }
  EXPECT_EQ(StrToIntDef("nope", -1), -1);
  int64_t big;
  ASSERT_TRUE(TryStrToInt64("9223372036854775807", &big));
  EXPECT_EQ(big, INT64_MAX);
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", &big));
}

TEST(AnsiTextTest, CaseFoldingKinds) {
  EXPECT_TRUE(AnsiSameText("\xC4rger", "\xE4RGER"));  // accented letters fold in the locale
  EXPECT_FALSE(SameText("\xC4rger", "\xE4RGER"));     // a-z only
  EXPECT_TRUE(SameText("Windows", "wINDOWS"));
  EXPECT_EQ(AnsiPosText("SYSTEM32", "c:\\windows\\system32\\x"), 11u);
  EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
  EXPECT_EQ(StringReplaceAll("a<$X>b<$x>", "<$X>", "1", true), "a1b1");
  EXPECT_EQ(StringReplaceAll("a<$X>b<$x>", "<$X>", "1"), "a1b<$x>");
}

TEST(AnsiTextTest, PathPieces) {
  EXPECT_EQ(ExtractFileName("C:\\dir\\file.ext"), "file.ext");
  EXPECT_EQ(ExtractFilePath("C:\\dir\\file.ext"), "C:\\dir\\");
  EXPECT_EQ(ExtractFileDir("C:\\dir\\file.ext"), "C:\\dir");
  EXPECT_EQ(ExtractFileDir("C:\\file"), "C:\\");
  EXPECT_EQ(ExtractFileExt("C:\\d.ir\\file"), "");
  EXPECT_EQ(ExtractFileExt("a.b.qri"), ".qri");
  EXPECT_EQ(ExtractFileName("C:x"), "x");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
}

TEST(CodePageTest, RoundTripsAndUnmappableCharacters) {
  std::string euro_utf16("\xAC\x20", 2);  // U+20AC
  EXPECT_EQ(Utf16LeToAnsi(euro_utf16, 1252), "\x80");
  EXPECT_EQ(Utf16LeToAnsi(std::string("\x3A\x04", 2), 1252), "?");  // Cyrillic: not in 1252
  EXPECT_EQ(AnsiToUtf8("\xE9\x80", 1252), "\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(Utf8ToAnsi("\xC3\xA9", 1252), "\xE9");
  EXPECT_EQ(Utf16LeToAnsi(AnsiToUtf16Le("Gr\xFC\xDF", 1252), 1252), "Gr\xFC\xDF");
  EXPECT_EQ(Utf16LeToAnsi(std::string("\x3A\x04", 2), 1251), "\xEA");  // other code pages
}

}  // namespace
}  // namespace vx
