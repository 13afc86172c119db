#include "base/windows_mask.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

struct TMaskCase {
  const char* mask;
  const char* name;
  bool matches;
};

TEST(WindowsMaskTest, FollowsTheSystemsRules) {
  const TMaskCase cases[] = {
      {"*.*", "README", true},            // every name, with or without a dot
      {"*.*", "a.b.c", true},
      {"*", ".hidden", true},
      {"*.txt", "NOTES.TXT", true},       // case ignored
      {"*.txt", "notes.txt.bak", false},
      {"*.txt", "notes", false},
      {"notes.*", "notes", true},         // a final ".*" also matches no extension
      {"notes.*", "notes.md", true},
      {"notes.*", "notesx", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c", "a.c", false},              // "?" does not eat the dot
      {"file?.txt", "file1.txt", true},
      {"file?.txt", "file.txt", true},    // before a dot "?" may match nothing
      {"ab??", "ab", true},               // and at the end
      {"*.", "noext", true},              // "*." is the name without extension
      {"*.", "has.ext", false},
      {"*a*b*", "xxaYYbZZ", true},
      {"*a*b*", "xxbYYaZZ", false},
      {"\xC4rger.*", "\xE4RGER.doc", true},  // accented letters fold too
  };
  for (const TMaskCase& c : cases) {
    EXPECT_EQ(MatchesWindowsMask(c.mask, c.name), c.matches) << c.mask << " vs " << c.name;
  }
}

}  // namespace
}  // namespace vx
