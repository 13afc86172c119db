#include <gtest/gtest.h>

#include "base/ansi_text.h"
#include "match/command_line_file.h"
#include "support/fixture_image.h"

namespace vx {
namespace {

class ResolveExecutableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"C:\\Windows\\x.dll", "C:\\Windows\\notepad.exe", "C:\\Program Files\\App\\app.exe",
                             "C:\\Tools\\tool.exe", "C:\\Windows\\system\\legacy.exe",
                             "C:\\Windows\\System32\\svc.exe"})
      image_.WriteFile(file, "MZ");
    image_.MakeDirectory("C:\\Windows\\folder.exe");
    machine_ = image_.OpenAsCurrent();
  }
  testing::TFixtureImage image_{false};
  std::shared_ptr<TMachine> machine_;
};

TEST_F(ResolveExecutableTest, Cases) {
  struct {
    const char* line;
    const char* expected;
  } cases[] = {
      {"rundll32.exe C:\\WINDOWS\\x.dll,Start", "C:\\WINDOWS\\x.dll"},
      {"RUNDLL32 C:\\Windows\\x.dll", "C:\\Windows\\x.dll"},
      {"\"C:\\Program Files\\App\\app.exe\" /min", "C:\\Program Files\\App\\app.exe"},
      {"C:\\Program Files\\App\\app.exe /min", "C:\\Program Files\\App\\app.exe"},
      {"C:\\Tools\\tool.exe,1", "C:\\Tools\\tool.exe"},
      {"C:\\Tools\\tool", "C:\\Tools\\tool.exe"},
      {"%SystemRoot%\\notepad.exe", "C:\\Windows\\notepad.exe"},
      {"notepad", "C:\\Windows\\notepad.exe"},
      {"svc.exe", "C:\\Windows\\System32\\svc.exe"},
      {"legacy", "C:\\Windows\\system\\legacy.exe"},
      {"C:\\Windows\\folder.exe", ""},  // a folder is no program
      {"nothing-here.exe /x", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    std::string got = ResolveExecutable(c.line);
    EXPECT_TRUE(AnsiSameText(got, c.expected)) << c.line << " gave " << got;
  }
}

TEST_F(ResolveExecutableTest, ExpandEnvironmentUsesTheImage) {
  EXPECT_TRUE(AnsiSameText(ExpandEnvironment("%windir%\\x"), "C:\\Windows\\x"));
  EXPECT_EQ(ExpandEnvironment("%NO_SUCH_VARIABLE%"), "%NO_SUCH_VARIABLE%");
}

}  // namespace
}  // namespace vx
