#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "companion_test_host.h"

namespace vx::test {
namespace {

constexpr const char* kCatalog =
    "SYSTEM\\CurrentControlSet\\Services\\WinSock2\\Parameters\\Protocol_Catalog9\\"
    "Catalog_Entries";
constexpr const char* kNameSpaces =
    "SYSTEM\\CurrentControlSet\\Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\"
    "Catalog_Entries";

// A catalogue item as Windows packs it: the DLL path in a 260-byte ANSI
// field, the numeric protocol fields, then the UTF-16 description.
std::string PackedItem(const std::string& path, const std::string& description) {
  std::string item(260 + 116 + 512 + 4, '\0');
  item.replace(0, path.size(), path);
  for (size_t i = 0; i < description.size(); ++i) item[376 + 2 * i] = description[i];
  return item;
}

class KitlibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = target_.Callbacks();
    ASSERT_EQ(1, Kitlib().Connect(&table_));
  }
  void TearDown() override { Kitlib().Disconnect(); }

  void FillCatalogue() {
    target_.SetValue(std::string(kCatalog) + "\\000000000001", "PackedCatalogItem", 3,
                     PackedItem("%SystemRoot%\\system32\\mswsock.dll", "MSAFD Tcpip [TCP/IP]"));
    target_.SetValue(std::string(kCatalog) + "\\000000000002", "PackedCatalogItem", 3,
                     PackedItem("C:\\Program Files\\Bad\\badlsp.dll", "BadLSP over [TCP/IP]"));
    // Damaged items: no path at all, and a path that fills the whole field.
    target_.SetValue(std::string(kCatalog) + "\\000000000003", "PackedCatalogItem", 3,
                     std::string(3, '\0'));
    target_.SetValue(std::string(kCatalog) + "\\000000000004", "PackedCatalogItem", 3,
                     std::string(300, 'Q'));
    target_.SetValue(std::string(kNameSpaces) + "\\000000000001", "LibraryPath", 2,
                     "%SystemRoot%\\System32\\evilns.dll");
    target_.SetValue(std::string(kNameSpaces) + "\\000000000001", "DisplayString", 1,
                     "Evil Name Space");
    target_.SetValue(std::string(kNameSpaces) + "\\000000000002", "LibraryPath", 4,
                     std::string("\x01\x00\x00\x00", 4));
  }

  bool Winsock(const char* provider, const char* file, bool exact) {
    return Kitlib().Get<VxCheckWinsockAndCleanFn>("CheckWinsockAndClean")(
               provider, file, exact ? 1 : 0, 0) != 0;
  }

  TTestTarget target_;
  VxHostCallbacks table_{};
};

TEST_F(KitlibTest, SolveEnvGoesThroughTheHostResolver) {
  target_.SetVariable("<$WINDIR>", {"C:\\Windows"});
  const auto solve = Kitlib().Get<VxSolveEnvFn>("SolveEnv");
  EXPECT_STREQ("C:\\Windows\\x.dll", solve("<$WINDIR>\\x.dll"));
  EXPECT_STREQ("<$NOSUCH>\\x", solve("<$NOSUCH>\\x"));
  EXPECT_STREQ("", solve(nullptr));

  Kitlib().Disconnect();
  EXPECT_STREQ("<$WINDIR>\\x.dll", solve("<$WINDIR>\\x.dll"));
}

TEST_F(KitlibTest, SolveEnvMultiJoinsEveryAlternativeWithLineBreaks) {
  target_.SetVariable("<$PROGRAMFILES>", {"C:\\Program Files", "C:\\Program Files (x86)"});
  const auto multi = Kitlib().Get<VxSolveEnvMultiFn>("SolveEnvMulti");
  EXPECT_STREQ(
      "C:\\Program Files\\a;C:\\Program Files\r\n"
      "C:\\Program Files\\a;C:\\Program Files (x86)\r\n"
      "C:\\Program Files (x86)\\a;C:\\Program Files\r\n"
      "C:\\Program Files (x86)\\a;C:\\Program Files (x86)",
      multi("<$PROGRAMFILES>\\a;<$PROGRAMFILES>"));
  EXPECT_STREQ("plain", multi("plain"));
  EXPECT_STREQ("", multi(""));
}

TEST_F(KitlibTest, ReturnedTextBelongsToTheCallingThread) {
  target_.SetVariable("<$A>", {"first"});
  const auto solve = Kitlib().Get<VxSolveEnvFn>("SolveEnv");
  const char* mine = solve("<$A>");
  std::thread([&] { EXPECT_STREQ("other", solve("other")); }).join();
  EXPECT_STREQ("first", mine);
}

TEST_F(KitlibTest, CompareFilenamesFindsThePatternAnywhereIgnoringCase) {
  const auto compare = Kitlib().Get<VxCompareFilenamesFn>("CompareFilenames");
  const char* file = "C:\\Program Files\\Acme\\Tool.exe";
  struct TCase {
    const char* pattern;
    bool matches;
  } cases[] = {
      {"acme\\TOOL", true}, {"t?ol.exe", true}, {"*.exe", true},  {"Program*Tool", true},
      {"tool.exe", true},   {"zzz", false},     {"", false},      {"Tool.exe\\x", false},
      {"*", true},          {"?", true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.matches, compare(file, c.pattern) != 0) << c.pattern;
  EXPECT_EQ(0, compare(nullptr, "a"));
  EXPECT_EQ(0, compare("", "?"));
  EXPECT_EQ(0, compare(file, nullptr));
}

TEST_F(KitlibTest, WinsockProvidersByFileNameDescriptionOrPath) {
  FillCatalogue();
  struct TCase {
    const char* provider;
    const char* file;
    bool exact;
    bool found;
  } cases[] = {
      {"badlsp.dll", "", true, true},
      {"BADLSP.DLL", "", true, true},
      {"badlsp", "", true, false},
      {"badlsp", "", false, true},
      {"BadLSP over [TCP/IP]", "", true, true},
      {"C:\\Program Files\\Bad\\badlsp.dll", "", true, true},
      {"C:\\Windows\\system32\\mswsock.dll", "", true, true},  // the expanded path
      {"evilns.dll", "", true, true},
      {"Evil Name Space", "evilns.dll", true, true},
      {"Evil Name Space", "other.dll", true, false},
      {"Evil", "evil", false, true},
      {"Evil", "evil", true, false},
      {"", "badlsp.dll", true, true},
      {"", "", false, false},
      {"goodlsp.dll", "", false, false},
      {"QQQQ", "", false, true},  // the overlong path is cut at its field
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.found, Winsock(c.provider, c.file, c.exact)) << c.provider << " / " << c.file;
  }
  // The clean flag changes nothing: the catalogue is only read.
  EXPECT_NE(0, Kitlib().Get<VxCheckWinsockAndCleanFn>("CheckWinsockAndClean")(
                   "badlsp.dll", "", 1, 1));
  EXPECT_TRUE(Winsock("badlsp.dll", "", true));
  EXPECT_FALSE(Winsock(nullptr, nullptr, true));
}

TEST_F(KitlibTest, NoCatalogueNoProviders) {
  EXPECT_FALSE(Winsock("mswsock.dll", "", false));
  Kitlib().Disconnect();
  EXPECT_FALSE(Winsock("mswsock.dll", "", false));
}

TEST_F(KitlibTest, RemoteAccessFollowsItsServiceKey) {
  const auto ras = Kitlib().Get<VxRASInstalledFn>("RASInstalled");
  EXPECT_EQ(0, ras());
  target_.AddKey("SYSTEM\\CurrentControlSet\\Services\\RasMan");
  EXPECT_EQ(1, ras());
}

TEST_F(KitlibTest, ServicesThatWouldChangeTheTargetReportFailure) {
  target_.WriteFile("C:\\victim.txt", "data");
  EXPECT_STREQ("", Kitlib().Get<VxRandomNameFn>("RandomName")(8));
  EXPECT_STREQ("", Kitlib().Get<VxRandomUniqueNameFn>("RandomUniqueName")("C:\\", ".tmp"));
  EXPECT_EQ(0, Kitlib().Get<VxMyDeleteFileFn>("MyDeleteFile")("C:\\victim.txt"));
  EXPECT_EQ(0, Kitlib().Get<VxShredFileFn>("ShredFile")("C:\\victim.txt"));
  EXPECT_EQ(0, Kitlib().Get<VxWinSockCorruptedFn>("WinSockCorrupted")());
  EXPECT_EQ(0, Kitlib().Get<VxFixWinSockFn>("FixWinSock")());
  EXPECT_EQ(0, Kitlib().Get<VxGetFlagNumberFn>("GetFlagNumber")("x"));
  Kitlib().Get<VxPreparePathSolvePEFn>("PreparePathSolvePE")();
  Kitlib().Get<VxSetDebugModeFn>("SetDebugMode")(1);
  EXPECT_TRUE(std::filesystem::exists(target_.HostPath("C:\\victim.txt")));
}

}  // namespace
}  // namespace vx::test
