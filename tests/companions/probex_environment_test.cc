#include "probex_fixture.h"

namespace vx::test {
namespace {

using ProbexEnvironmentTest = ProbexTest;

TEST_F(ProbexEnvironmentTest, SetValuesReadBackAsLinesInSettingOrder) {
  EXPECT_EQ("", EnvironmentText());
  ASSERT_TRUE(Check("", "setenv=Alpha=1,\"setenv=Beta=two words\",setenv=Gamma"));
  EXPECT_EQ("Alpha=1\r\nBeta=two words\r\nGamma=\r\n", EnvironmentText());

  // A name set again in other letters keeps its place and first spelling.
  ASSERT_TRUE(Check("", "setenv=ALPHA=a=b"));
  EXPECT_EQ("Alpha=a=b\r\nBeta=two words\r\nGamma=\r\n", EnvironmentText());

  ASSERT_TRUE(Check("", "delenv=beta,delenv=NotThere"));
  EXPECT_EQ("Alpha=a=b\r\nGamma=\r\n", EnvironmentText());
  ASSERT_TRUE(Check("", "clearenv=1"));
  EXPECT_EQ("", EnvironmentText());
}

TEST_F(ProbexEnvironmentTest, TestsOfTheEnvironment) {
  ASSERT_TRUE(Check("", "setenv=Found=Yes,setenv=Empty="));
  struct TCase {
    const char* params;
    bool holds;
  } cases[] = {
      {"isenv=found", true},
      {"isenv=Empty", true},
      {"isenv=Missing", false},
      {"isenv=", false},
      {"chkenv=FOUND=yes", true},
      {"chkenv=Found=no", false},
      {"chkenv=Found", true},     // set and not empty
      {"chkenv=Empty", false},
      {"chkenv=Empty=", true},
      {"chkenv=Missing=", true},  // an unset name reads as the empty text
      {"chkenv=Missing", false},
      {"chkenv==x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.holds, Check("", c.params)) << c.params;
}

TEST_F(ProbexEnvironmentTest, PairsRunLeftToRightAndStopAtTheFirstFailure) {
  ASSERT_FALSE(Check("", "isenv=Missing,setenv=After=1"));
  EXPECT_EQ("", EnvironmentText());
  ASSERT_TRUE(Check("", "setenv=First=1,isenv=First,setenv=Second=2"));
  EXPECT_EQ("First=1\r\nSecond=2\r\n", EnvironmentText());
}

TEST_F(ProbexEnvironmentTest, AnUnknownOrMalformedPairChangesNothing) {
  EXPECT_FALSE(Check("", "setenv=A=1,findtext[searcharea]=x"));
  EXPECT_FALSE(Check("", "setenv=A=1,clearenv"));
  EXPECT_EQ("", EnvironmentText());
}

TEST_F(ProbexEnvironmentTest, NamesThatWouldBreakTheLineFormatAreRefused) {
  EXPECT_FALSE(Check("", "setenv=="));
  EXPECT_FALSE(Check("", "setenv==value"));
  EXPECT_FALSE(Check("", "\"setenv=A\rB=1\""));
  EXPECT_FALSE(Check("", "\"setenv=A=1\n2\""));
  EXPECT_EQ("", EnvironmentText());
}

TEST_F(ProbexEnvironmentTest, TooSmallABufferIsToldTheNeededLength) {
  ASSERT_TRUE(Check("", "setenv=Name=Value"));
  const auto get_text = Probex().Get<VxGetEnvironmentTextFn>("GetEnvironmentText");
  std::string buffer(5, '#');
  int32_t length = 4;
  EXPECT_EQ(0, get_text(buffer.data(), &length));
  EXPECT_EQ(12, length);
  EXPECT_EQ("#####", buffer);
  EXPECT_EQ(0, get_text(buffer.data(), nullptr));
  length = -1;
  EXPECT_EQ(0, get_text(buffer.data(), &length));
  EXPECT_EQ(12, length);
}

}  // namespace
}  // namespace vx::test
