#include "probex_fixture.h"

namespace vx::test {
namespace {

constexpr const char* kTool = "C:\\Program Files\\Acme\\Tool.exe";

class ProbexAttributeTest : public ProbexTest {
 protected:
  void SetUp() override {
    ProbexTest::SetUp();
    target_.WriteFile(kTool, std::string(1000, 'x'));
    target_.SetWriteTime(kTool, UnixNow() - 10 * 86400 - 3600);
    target_.SetAttributes(kTool, 0x1 | 0x20);
    target_.WriteFile("C:\\Program Files\\Acme\\readme.txt", "hello");
    target_.MakeDirectory("C:\\Windows");
  }
};

struct TCase {
  const char* params;
  bool holds;
};

TEST_F(ProbexAttributeTest, NamesAndPlaces) {
  const TCase cases[] = {
      {"filename=tool.EXE", true},
      {"filename=t??l.*", true},
      {"filename=x*.exe", false},
      {"filename=Tool", false},
      {"\"filepath=C:\\program files\\ACME\"", true},
      {"\"filepath=C:\\Program Files\\Acme\\\"", false},
      {"\"fullpath=c:\\program files\\*\\tool.exe\"", true},
      {"\"fullpath=C:\\Windows\\*\"", false},
      // An unquoted blank ends the item; the rest is a pair without "=".
      {"filepath=C:\\Program Files\\Acme", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.holds, Check(kTool, c.params)) << c.params;
  // Accented letters fold as the Windows-1252 locale folds them.
  EXPECT_TRUE(Check("C:\\Data\\\xDC" "bung.exe", "filename=\xFC" "BUNG.EXE"));
  EXPECT_FALSE(Check("C:\\Data\\\xDC" "bung.exe", "filename=\xFD" "BUNG.EXE"));
}

TEST_F(ProbexAttributeTest, SizeInBytesUnderBothNames) {
  const TCase cases[] = {
      {"size[file]=1000", true},  {"filesize=1000", true},   {"filesize=999", false},
      {"size[file]>=999", true},  {"size[file]>=1000", false}, {"filesize>=999", true},
      {"size[file]<=1001", true}, {"size[file]<=1000", false}, {"filesize<=1001", true},
      {"SIZE[FILE]=1000", true},  {"size[file]=+1000", false}, {"size[file]= 1000", false},
      {"size[file]=1e3", false},  {"size[file]=", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.holds, Check(kTool, c.params)) << c.params;
}

TEST_F(ProbexAttributeTest, AgeInWholeDaysSinceTheLastWrite) {
  const TCase cases[] = {
      {"age[file]=10", true},   {"age[file]=11", false}, {"age[file]>=9", true},
      {"age[file]>=10", false}, {"age[file]<=11", true}, {"age[file]<=10", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.holds, Check(kTool, c.params)) << c.params;
}

TEST_F(ProbexAttributeTest, TimestampAtThePrecisionWritten) {
  // 2004-02-29 13:45:30 UTC.
  target_.SetWriteTime(kTool, 1078062330);
  const TCase cases[] = {
      {"timestamp[file]=2004-02-29", true},
      {"timestamp[file]=29.02.2004", true},
      {"\"timestamp[file]=2004-02-29 13:45\"", true},
      {"timestamp[file]=2004-02-29T13:45:30", true},
      {"\"timestamp[file]=29.02.2004 13:45:30\"", true},
      {"timestamp[file]=2004-02-29T13:45:31", false},
      {"timestamp[file]=2004-02-29T13:46", false},
      {"timestamp[file]=2004-02-28", false},
      {"timestamp[file]=2004-02-30", false},
      {"timestamp[file]=2004-2-29", false},
      {"timestamp[file]=2004-02-29T24:00", false},
      {"timestamp[file]=2004-02-29T13:45:30Z", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.holds, Check(kTool, c.params)) << c.params;
}

TEST_F(ProbexAttributeTest, ExistenceOfTheFileOrOfAPathBesideIt) {
  const TCase cases[] = {
      {"exists[file]=", true},
      {"exists[file]=readme.txt", true},
      {"exists[file]=README.TXT", false},  // the test host is case-sensitive
      {"exists[file]=missing.txt", false},
      {"exists[file]!=missing.txt", true},
      {"exists[file]!=readme.txt", false},
      {"exists[file]=C:\\Windows", true},
      {"exists[file]=C:\\Windows\\", true},
      {"exists[file]=*.txt", true},
      {"exists[file]!=*.dat", true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.holds, Check(kTool, c.params)) << c.params;
  EXPECT_FALSE(Check("C:\\Gone.exe", "exists[file]="));
  EXPECT_TRUE(Check("C:\\Gone.exe", "exists[file]!="));
  // Without a file there is no folder for a relative name to stand in.
  EXPECT_FALSE(Check("", "exists[file]=readme.txt"));
  EXPECT_FALSE(Check("", "exists[file]!=readme.txt"));
  EXPECT_TRUE(Check("", "exists[file]=C:\\Windows"));
}

TEST_F(ProbexAttributeTest, AttributeLetters) {
  const TCase cases[] = {
      {"attribs=R", true},  {"attribs=ra", true}, {"attribs=H", false},
      {"attribs=-H", true}, {"attribs=R-A", false}, {"attribs=R-H-S", true},
      {"attribs=X", false}, {"attribs=", false},  {"attribs=-", false},
      {"attribs=--R", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.holds, Check(kTool, c.params)) << c.params;
  EXPECT_TRUE(Check("C:\\Windows", "attribs=D"));
}

TEST_F(ProbexAttributeTest, EveryPairMustHold) {
  EXPECT_TRUE(Check(kTool, "filename=tool.exe,size[file]=1000,age[file]>=1"));
  EXPECT_FALSE(Check(kTool, "filename=tool.exe,size[file]=1,age[file]>=1"));
  EXPECT_TRUE(Check(kTool, ""));
  EXPECT_TRUE(Check(kTool, " , ,"));
}

TEST_F(ProbexAttributeTest, AMissingFileOrAFolderHasNoSizeOrAge) {
  for (const char* file : {"C:\\Gone.exe", "C:\\Windows", ""}) {
    EXPECT_FALSE(Check(file, "size[file]=0")) << file;
    EXPECT_FALSE(Check(file, "size[file]<=1")) << file;
    EXPECT_FALSE(Check(file, "md5=d41d8cd98f00b204e9800998ecf8427e")) << file;
  }
  EXPECT_FALSE(Check("C:\\Gone.exe", "age[file]<=100000"));
  // Names need no file.
  EXPECT_TRUE(Check("C:\\Gone.exe", "filename=gone.exe"));
}

}  // namespace
}  // namespace vx::test
