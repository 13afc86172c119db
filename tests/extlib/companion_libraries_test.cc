#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "extlib/kit_library.h"
#include "extlib/probex_library.h"

namespace vx {
namespace {

using testing::TTempDir;

// Builds a small shared library from C source, as a stand-in for a companion
// library that has (or lacks) certain exports.
std::string BuildLibrary(const TTempDir& dir, const std::string& name, const std::string& source) {
  dir.Write(name + ".c", "#include <stdint.h>\n#include <string.h>\n" + source);
  std::string out = dir.Path(name);
  std::string command = "cc -shared -fPIC -o '" + out + "' '" + dir.Path(name + ".c") + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return out;
}

const char kProbexSource[] = R"(
static int callbacks_version = 0;
int32_t VxSetHostCallbacks(const uint32_t* table) {
  callbacks_version = table ? (int)table[1] : -1; return 1; }
int32_t StubCallbacksVersion(void) { return callbacks_version; }
uint8_t AdvancedCheck(const char* file, const char* params) {
  return strcmp(file, "yes.exe") == 0 && strcmp(params, "size[file]=3") == 0; }
static const char env[] = "name=value\r\nother=2\r\n";
int32_t GetEnvironmentSize(void) { return (int32_t)strlen(env); }
uint8_t GetEnvironmentText(char* buffer, int32_t* length) {
  if (*length < (int32_t)strlen(env)) { *length = (int32_t)strlen(env); return 0; }
  strcpy(buffer, env); *length = (int32_t)strlen(env); return 1; }
)";

std::vector<std::string> messages;
void Collect(const std::string& text, const std::string& caption) {
  messages.push_back(caption + ": " + text);
}

class CompanionTest : public ::testing::Test {
 protected:
  void SetUp() override { messages.clear(); }
  void TearDown() override {
    UnloadProbexLibrary();
    UnloadKitLibrary();
  }
  TTempDir dir_;
};

TEST_F(CompanionTest, AMissingProbexIsToldAndEveryCheckAnswersFalse) {
  std::string path = dir_.Path("probex.dll");
  LoadProbexLibrary(path, Collect);
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "AdvancedCheck failed: Could not find library " + path,
                          "AdvancedCheck failed: Could not load library " + path}));
  EXPECT_EQ(ProbexLibrary(), nullptr);
  EXPECT_FALSE(ProbexAdvancedCheckReady());
  EXPECT_EQ(ExpandEnvironmentReferences("a<$ENV(name)>b"), "a<$ENV(name)>b");
}

TEST_F(CompanionTest, AFileThatIsNoLibraryIsToldOnce) {
  dir_.Write("probex.dll", "MZ not really");
  LoadProbexLibrary(dir_.Path("probex.dll"), Collect);
  EXPECT_EQ(messages, std::vector<std::string>{"AdvancedCheck failed: Could not load library " +
                                               dir_.Path("probex.dll")});
  EXPECT_EQ(ProbexLibrary(), nullptr);
}

TEST_F(CompanionTest, AProbexWithEveryExportChecksAndExpandsItsEnvironment) {
  std::string path = BuildLibrary(dir_, "probex.dll", kProbexSource);
  LoadProbexLibrary(path, Collect);
  EXPECT_TRUE(messages.empty());
  ASSERT_NE(ProbexLibrary(), nullptr);
  EXPECT_TRUE(ProbexAdvancedCheckReady());
  EXPECT_TRUE(ProbexLibrary()->AdvancedCheck("yes.exe", "size[file]=3"));
  EXPECT_FALSE(ProbexLibrary()->AdvancedCheck("no.exe", "size[file]=3"));
  EXPECT_EQ(ProbexLibrary()->GetEnvironmentList().Values("other"), "2");
  EXPECT_EQ(ExpandEnvironmentReferences("a<$ENV(name)>b<$ENV(unknown)>c<$ENV(open"), "avaluebcopen");
  EXPECT_EQ(ExpandEnvironmentReferences("<$ENV(name)><$ENV(name)>"), "valuevalue");
  // The library got the host's callback table right after loading.
  TDynamicLibrary same;
  ASSERT_TRUE(same.Load(path));
  EXPECT_EQ(same.Export<int32_t (*)()>("StubCallbacksVersion")(),
            static_cast<int32_t>(VX_HOST_CALLBACKS_VERSION));
}

TEST_F(CompanionTest, ProbexLacksAdvancedCheckOrTheEnvironment) {
  std::string path = BuildLibrary(dir_, "probex.dll", R"(
int32_t GetEnvironmentSize(void) { return 0; }
)");
  LoadProbexLibrary(path, Collect);
  ASSERT_NE(ProbexLibrary(), nullptr);
  EXPECT_FALSE(ProbexAdvancedCheckReady());
  EXPECT_FALSE(ProbexLibrary()->AdvancedCheck("yes.exe", "size[file]=3"));
  // One environment function alone is not enough.
  EXPECT_FALSE(ProbexEnvironmentReady());
  EXPECT_EQ(ExpandEnvironmentReferences("<$ENV(x)>"), "<$ENV(x)>");
}

TEST_F(CompanionTest, KitFallbacksWithoutTheLibrary) {
  LoadKitLibrary(dir_.Path("kitlib.dll"));
  EXPECT_EQ(KitLibrary(), nullptr);
  EXPECT_TRUE(KitCompareFilenames("C:\\Links\\Spy Tool.lnk", "Spy"));
  EXPECT_FALSE(KitCompareFilenames("C:\\Links\\Spy Tool.lnk", "spy"));
  EXPECT_FALSE(KitCheckWinsockAndClean("provider", "file.dll", true, false));
  EXPECT_EQ(KitSolveEnv("C:\\plain"), "C:\\plain");
  EXPECT_EQ(KitSolveEnvMulti("C:\\plain"), "C:\\plain");
  KitRASInstalled();  // nothing to call, nothing happens
}

TEST_F(CompanionTest, KitUsesWhatItExportsAndFallsBackForTheRest) {
  std::string path = BuildLibrary(dir_, "kitlib.dll", R"(
static int prepared = 0, version = 0;
int32_t VxSetHostCallbacks(const uint32_t* table) { version = (int)table[1]; return 1; }
void PreparePathSolvePE(void) { prepared++; }
int32_t StubPrepared(void) { return prepared * 100 + version; }
static char buffer[256];
const char* SolveEnv(const char* text) { strcpy(buffer, "solved:"); strncat(buffer, text, 200); return buffer; }
const char* SolveEnvMulti(const char* text) { (void)text; return "C:\\a\r\nD:\\a"; }
uint8_t CheckWinsockAndClean(const char* p, const char* f, uint8_t exact, uint8_t clean) {
  (void)f; (void)clean; return exact && strcmp(p, "Bad LSP") == 0; }
)");
  LoadKitLibrary(path);
  ASSERT_NE(KitLibrary(), nullptr);
  EXPECT_EQ(KitSolveEnv("<$WINDIR>"), "solved:<$WINDIR>");
  EXPECT_EQ(KitSolveEnvMulti("<$PROGRAMS>\\a"), "C:\\a\r\nD:\\a");
  EXPECT_TRUE(KitCheckWinsockAndClean("Bad LSP", "", true, false));
  EXPECT_FALSE(KitCheckWinsockAndClean("Bad LSP", "", false, false));
  // No CompareFilenames export: the substring fallback.
  EXPECT_TRUE(KitCompareFilenames("abc", "b"));
  TDynamicLibrary same;
  ASSERT_TRUE(same.Load(path));
  auto stub_prepared = same.Export<int32_t (*)()>("StubPrepared");
  ASSERT_NE(stub_prepared, nullptr);
  EXPECT_EQ(stub_prepared(), 100 + VX_HOST_CALLBACKS_VERSION);  // once, after the table
}

}  // namespace
}  // namespace vx
