// The companion libraries carry their own comma-text splitter because they
// do not link the engine. The scanner joins a rule's parameters and probex
// splits them again, so the two splitters must agree on every input.
#include <gtest/gtest.h>

#include "base/comma_text.h"
// Compiled in here: inside the libraries its symbols are hidden.
#include "companions/common/comma_split.cc"

namespace vx::test {
namespace {

TEST(CompanionCommaSplitTest, AgreesWithTheEngine) {
  const std::string cases[] = {
      "",
      "a",
      "a,b",
      " a , b ",
      "a,",
      ",a",
      "a,,b",
      ",",
      "a b",
      "\"a b\",c",
      "\"a \"\"quoted\"\" b\"",
      "\"unterminated, still one",
      "\"x\"y,z",
      "\t\ra=1,\n b=2\x01,c",
      "size[file]>=1000,\"filepath=C:\\Program Files\\Acme\"",
      std::string("a\0b,c", 5),
      "\"\"",
      "\"\",\"\"",
      "a,\"",
      "\xe4\xf6\xfc=\xdf,x",
  };
  for (const std::string& text : cases) {
    EXPECT_EQ(vx::SplitCommaText(text), vx::companion::SplitCommaText(text))
        << "input: [" << text << "]";
  }
}

}  // namespace
}  // namespace vx::test
