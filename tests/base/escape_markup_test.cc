#include <gtest/gtest.h>

#include <string>

#include "base/escape_markup.h"

namespace vx {
namespace {

struct TEscapeCase {
  const char* name;
  int code_page;
  int declared;
  std::string text;
  std::string escaped;
};

TEST(EscapeMarkupTest, EachKindOfByte) {
  const TEscapeCase cases[] = {
      {"markup", 1252, 1252, "<b a=\"1\">Tom & Jerry's</b>",
       "&lt;b a=&quot;1&quot;&gt;Tom &amp; Jerry's&lt;/b&gt;"},
      {"entities are escaped again", 1252, 1252, "&amp;&#1;", "&amp;amp;&amp;#1;"},
      {"line ends and tabs stay", 1252, 1252, "a\tb\r\nc\nd\re", "a\tb\r\nc\nd\re"},
      {"C0 controls and DEL", 1252, 1252, std::string("\0\x01\x1B[31m\x1F\x7F", 9),
       "\\x00\\x01\\x1B[31m\\x1F\\x7F"},
      {"Windows-1252 text declared as such", 1252, 1252, "Caf\xE9 \x80 \x9F \xFF",
       "Caf\xE9 \x80 \x9F \xFF"},
      {"the five bytes Windows-1252 leaves out", 1252, 1252, "\x81\x8D\x8F\x90\x9D",
       "\\x81\\x8D\\x8F\\x90\\x9D"},
      {"no declared encoding", 1252, 0, "Caf\xE9 \x80 \x9F \x81",
       "Caf&#233; &#8364; &#376; \\x81"},
      {"another code page than the declared one", 1251, 1252, "\xC4\xE0 \x98",
       "&#1044;&#1072; \\x98"},
  };
  for (const TEscapeCase& c : cases) {
    EXPECT_EQ(TMarkupEscaper(c.code_page, c.declared).Escape(c.text), c.escaped) << c.name;
  }
}

// Whatever a name holds, the escaped text has only bytes that the declared
// encoding defines and that XML 1.0 allows.
TEST(EscapeMarkupTest, EveryByteComesOutValid) {
  std::string every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  auto allowed_1252 = [](unsigned char b) {
    if (b < 0x20) return b == '\t' || b == '\n' || b == '\r';
    return b != 0x7F && b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D;
  };
  for (unsigned char b : TMarkupEscaper(1252, 1252).Escape(every)) {
    EXPECT_TRUE(allowed_1252(b)) << static_cast<int>(b);
  }
  for (int code_page : {1252, 1251, 1253}) {
    for (unsigned char b : TMarkupEscaper(code_page, 0).Escape(every)) {
      EXPECT_TRUE(b < 0x80 && (b >= 0x20 || b == '\t' || b == '\n' || b == '\r'))
          << code_page << ": " << static_cast<int>(b);
    }
  }
}

}  // namespace
}  // namespace vx
