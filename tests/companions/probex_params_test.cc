#include "probex_fixture.h"

namespace vx::test {
namespace {

constexpr const char* kTool = "C:\\Tool.exe";

class ProbexParamsTest : public ProbexTest {
 protected:
  void SetUp() override {
    ProbexTest::SetUp();
    target_.WriteFile(kTool, std::string(1000, 'x'));
  }
};

TEST_F(ProbexParamsTest, ParametersNotImplementedNeverHold) {
  for (const char* params :
       {"begin[searcharea]=MZ", "textbegin=MZ", "findtext[searcharea]=x", "md5[exports]=0",
        "count[sections]>=1", "authx509=x", "ini=x", "target[link]=x", "winver=5",
        "msg[info]=hello", "ignore=1", "noSuchThing=1", "filename=tool.exe,ephex=00"}) {
    EXPECT_FALSE(Check(kTool, params)) << params;
  }
}

TEST_F(ProbexParamsTest, MalformedTextIsNoMatchAndNoCrash) {
  struct TCase {
    std::string params;
    bool holds;
  } cases[] = {
      {"filename", false},                 // no "="
      {"=tool.exe", false},                // no name
      {"filename=tool.exe,size", false},
      {"\"filename=tool.exe", true},       // an open quote runs to the end
      {"filename=tool.exe,\"size[file]=10 00", false},
      {"\"size[file]=1000\"\"", false},    // the doubled quote is part of the value
      {"size[file]=99999999999999999999999", false},
      {"size[file]<=18446744073709551615", false},
      {"size[file]<=18446744073709551616", false},
      {"age[file]<=99999999999", false},
      {"FILENAME=TOOL.EXE,Size[File]>=999", true},
      {",,filename=tool.exe,,", true},
      {"filename=" + std::string(1 << 20, '*'), true},
      {"filename=" + std::string(100000, '?'), false},
      {"filename=" + std::string(5000, '*') + "x", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.holds, Check(kTool, c.params)) << c.params.substr(0, 60);
  }
}

TEST_F(ProbexParamsTest, NullArgumentsReadAsEmptyText) {
  const auto check = Probex().Get<VxAdvancedCheckFn>("AdvancedCheck");
  EXPECT_NE(0, check(nullptr, nullptr));
  EXPECT_NE(0, check(kTool, nullptr));
  EXPECT_EQ(0, check(nullptr, "size[file]=0"));
  const auto check_ex = Probex().Get<VxAdvancedCheckExFn>("AdvancedCheckEx");
  EXPECT_NE(0, check_ex(kTool, "size[file]=1000", 0));
  Probex().Get<VxSetMBoxHandleFn>("SetMBoxHandle")(nullptr);
}

TEST_F(ProbexParamsTest, BadCallbackTablesAreRefusedAndTheOldOneKept) {
  EXPECT_EQ(0, Probex().Connect(nullptr));
  VxHostCallbacks bad = table_;
  bad.version = VX_HOST_CALLBACKS_VERSION + 1;
  EXPECT_EQ(0, Probex().Connect(&bad));
  bad = table_;
  bad.struct_size = sizeof(VxHostCallbacks) - 8;
  EXPECT_EQ(0, Probex().Connect(&bad));
  EXPECT_TRUE(Check(kTool, "size[file]=1000"));
}

TEST_F(ProbexParamsTest, WithoutHostCallbacksTheTargetLooksEmpty) {
  Probex().Disconnect();
  EXPECT_FALSE(Check(kTool, "size[file]=1000"));
  EXPECT_FALSE(Check(kTool, "exists[file]="));
  EXPECT_TRUE(Check(kTool, "exists[file]!="));
  EXPECT_TRUE(Check(kTool, "filename=tool.exe,setenv=x=1,isenv=x"));
}

}  // namespace
}  // namespace vx::test
