#include <gtest/gtest.h>

#include "match/command_line_file.h"

namespace vx {
namespace {

struct TNameCase {
  const char* line;
  const char* expected;
};

TEST(CommandLineFileNameTest, Cases) {
  const TNameCase cases[] = {
      {"\"C:\\Program Files\\App\\app.exe\" /min", "C:\\Program Files\\App\\app.exe"},
      {"\"C:\\Program Files\\App\\app.exe", "C:\\Program Files\\App\\app.exe"},
      {"C:\\Program Files\\App\\app.exe /min", "C:\\Program Files\\App\\app.exe"},
      {"c:\\tools\\TOOL.Exe -x -y", "c:\\tools\\TOOL.Exe"},
      {"C:\\Tools\\myexe arg", "C:\\Tools\\myexe"},  // "EXE " inside a name counts too
      {"C:\\Tools\\tool.exe", "C:\\Tools\\tool.exe"},
      {"C:\\Tools\\tool.dll,Entry", "C:\\Tools\\tool.dll,Entry"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandLineFileName(c.line), c.expected) << c.line;
}

TEST(ExtractExecutablePartTest, Cases) {
  const TNameCase cases[] = {
      {"C:\\Progra~1\\App\\app.exe -s", "C:\\Progra~1\\App\\app.exe"},
      {"C:\\Tools\\runner", "C:\\Tools\\runner"},
      {"C:\\Program Files\\App\\app.exe -s", "C:\\Program Files\\App\\app.exe"},
      {"C:\\Program Files\\App\\app.EXE -s", "C:\\Program Files\\App\\app.EXE"},
      {"C:\\Program Files\\App\\app.exe /", "C:\\Program Files\\App\\app.exe /"},  // two characters follow
      {"\"C:\\Program Files\\App\\app.exe\" -s", "C:\\Program Files\\App\\app.exe"},
      {"\"C:\\open quote", "C:\\open quote"},
      {"runner -s", "runner"},
      {"C:\\Program Files\\App\\tool.dll x", "C:\\Program Files\\App\\tool.dll x"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtractExecutablePart(c.line), c.expected) << c.line;
}

}  // namespace
}  // namespace vx
