#include "detect/file_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "detect/dir_cache.h"
#include "match/regex_match.h"
#include "support/empty_machine.h"
#include "support/rule_fixture.h"

namespace vx {
namespace {

using testing::TFindings;

class FileRulesTest : public testing::TRuleFixture {
 protected:
  void SetUp() override {
    image_->WriteFile("C:\\Program Files\\SpyBar\\spybar.dll", std::string(182, 'x'));
    image_->WriteFile("C:\\Program Files\\SpyBar\\spybar.exe", std::string(4000, 'x'));
    image_->WriteFile("C:\\Program Files\\SpyBar\\readme.txt", "");
    image_->WriteFile("C:\\Program Files\\SpyTool\\spybar.dll", "yy");
    image_->WriteFile("C:\\Program Files\\Other\\other.dll", "z");
  }
};

TEST_F(FileRulesTest, FilesByNameMaskAndFolderWildcard) {
  Open();
  EXPECT_EQ(Run("File:<$FILE_LIBRARY>,<$PROGRAMFILES>\\SpyBar\\SPYBAR.DLL\r\n"),
            (TFindings{"C:\\Program Files\\SpyBar\\spybar.dll|6|"}));
  EXPECT_EQ(Last().Usage, " Library");  // file findings read with a blank in front
  EXPECT_EQ(Last().Path, "C:\\Program Files\\SpyBar\\");
  EXPECT_EQ(Last().Filename, "spybar.dll");
  EXPECT_EQ(Run("File:d,\"C:\\Program Files\\SpyBar\\spybar.*\"\r\n").size(), 2u);
  // A folder level may be a wildcard: every Spy* folder is looked into.
  EXPECT_EQ(Run("File:d,\"C:\\Program Files\\Spy*\\spybar.dll\"\r\n"),
            (TFindings{"C:\\Program Files\\SpyBar\\spybar.dll|6|",
                       "C:\\Program Files\\SpyTool\\spybar.dll|6|"}));
  EXPECT_EQ(Run("File:d,\"C:\\Program Files\\NoSuch\\spybar.dll\"\r\n"), TFindings{});
}

TEST_F(FileRulesTest, SizeParametersAreTheCacheOthersGoToTheCheck) {
  Open();
  // Size pairs alone: decided by the cache, probex is not asked.
  EXPECT_EQ(Run("File:d,\"C:\\Program Files\\SpyBar\\*.*\",filesize=182\r\n"),
            (TFindings{"C:\\Program Files\\SpyBar\\spybar.dll|6|"}));
  EXPECT_TRUE(scan_->advanced_checks.empty());
  EXPECT_EQ(Run("File:d,\"C:\\Program Files\\SpyBar\\*.*\",\"filesize>=183\"\r\n"),
            (TFindings{"C:\\Program Files\\SpyBar\\spybar.exe|6|"}));
  EXPECT_EQ(Run("File:d,\"C:\\Program Files\\SpyBar\\*.*\",\"filesize!=0\"\r\n").size(), 2u);
  // With another pair the check decides, given only what is left.
  scan_->advanced_check = [](const std::string& file, const std::string&) {
    return file.ends_with(".exe");
  };
  EXPECT_EQ(Run("File:d,\"C:\\Program Files\\SpyBar\\*.*\",\"filesize>=1,md5=abc\"\r\n"),
            (TFindings{"C:\\Program Files\\SpyBar\\spybar.exe|6|"}));
  EXPECT_EQ(scan_->advanced_checks.back(), "C:\\Program Files\\SpyBar\\spybar.exe|md5=abc");
}

TEST_F(FileRulesTest, ARegularExpressionLeavesTheGroupsOfTheLastFile) {
  Open();
  TFindings found = Run(
      "File:d,\"<regexpr>C:\\\\Program Files\\\\SpyBar\\\\spybar\\.(\\w+)\"\r\n"
      "File:d,\"C:\\Program Files\\SpyTool\\spybar.<$REGMATCH1>\"\r\n");
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(LastRegExprMatch().Count(), 2);
  EXPECT_EQ(found[2], "C:\\Program Files\\SpyTool\\spybar.dll|6|");
}

TEST_F(FileRulesTest, DirectoriesAndTheirFileCondition) {
  Open();
  EXPECT_EQ(Run("Directory:<$DIR_PROG>,<$PROGRAMFILES>\\SpyBar\r\n"),
            (TFindings{"C:\\Program Files\\SpyBar\\|7|"}));
  EXPECT_EQ(Run("Directory:d,\"C:\\Program Files\\Spy*\"\r\n").size(), 2u);
  EXPECT_EQ(Run("Directory:d,\"C:\\Program Files\\Spy*\",filename=spybar.exe\r\n"),
            (TFindings{"C:\\Program Files\\SpyBar\\|7|"}));
  scan_->advanced_check = [](const std::string& file, const std::string& parameters) {
    return file.ends_with("SpyTool\\spybar.dll") && parameters == "filesize=2";
  };
  EXPECT_EQ(Run("Directory:d,\"C:\\Program Files\\Spy*\",\"filename=spybar.dll,filesize=2\"\r\n"),
            (TFindings{"C:\\Program Files\\SpyTool\\|7|"}));
}

TEST_F(FileRulesTest, TemporaryLocationsOfTheMachineAndOfEveryUser) {
  image_->WriteFile("C:\\Windows\\Temp\\spy.tmp", "t");
  image_->WriteFile("C:\\Users\\Alice\\AppData\\Roaming\\spy.tmp", "t");
  image_->WriteFile("C:\\Users\\Alice\\AppData\\Roaming\\SpyCache\\x", "t");
  Open();
  TFindings found = Run("TempFile:spy.tmp\r\n");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(scan_->results.GetResult(scan_->results.Count() - 2)->Usage, " Temporary file (Windows)");
  EXPECT_EQ(Last().Usage, " Application data file (user)");
  EXPECT_EQ(Run("TempDir:SpyCache\r\n"),
            (TFindings{"C:\\Users\\Alice\\AppData\\Roaming\\SpyCache\\|7|"}));
}

TEST_F(FileRulesTest, PersonalGroupsWholeOrByPart) {
  image_->MakeDirectory("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\SpyBar");
  image_->MakeDirectory("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\SpyBar Tools");
  image_->MakeDirectory("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Other");
  Open();
  EXPECT_EQ(Run("PersonalGroup:SpyBar,0\r\n").size(), 1u);
  TFindings partial = Run("PersonalGroup:SpyBar,1\r\n");
  EXPECT_EQ(partial.size(), 2u);
  for (const std::string& f : partial) EXPECT_NE(f.find("SpyBar"), std::string::npos) << f;
}

TEST_F(FileRulesTest, DownloadFilesAreFoundOnlyByTheDownloadScan) {
  image_->WriteFile("C:\\Users\\Alice\\Downloads\\setup_spybar.exe", "d");
  image_->WriteFile("C:\\Users\\Alice\\Downloads\\old\\setup_spybar2.exe", "d");
  Open();
  EXPECT_EQ(Run("DownloadFile:setup_spy*.exe\r\n"), TFindings{});
  int before = scan_->results.Count();
  RunDownloadScan(scan_->context);
  EXPECT_EQ(FindingsSince(before), TFindings{});  // no download folder named

  scan_->settings.DownloadDirs.Add("C:\\Users\\Alice\\Downloads");
  RunDownloadScan(scan_->context);
  EXPECT_EQ(FindingsSince(before), (TFindings{"C:\\Users\\Alice\\Downloads\\setup_spybar.exe|6|"}));
  EXPECT_EQ(Last().Usage, " Downloaded program file");

  before = scan_->results.Count();
  Run("DownloadDir:C:\\Users\\Alice\\Downloads\\old,1\r\n");
  RunDownloadScan(scan_->context);
  EXPECT_EQ(FindingsSince(before).size(), 2u);
}

TEST_F(FileRulesTest, MoveFileActsOnlyOnAWritableImage) {
  image_->WriteFile("C:\\Windows\\spy.sys", "s");
  Open();
  Run("MoveFile:C:\\Windows\\spy.sys,C:\\Windows\\spy.sys.bak\r\n");
  EXPECT_TRUE(machine_->FileExists("C:\\Windows\\spy.sys"));
  EXPECT_EQ(scan_->results.Count(), 0);

  TOfflineOptions writable;
  writable.writable = true;
  Open(writable);
  Run("MoveFile:C:\\Windows\\spy.sys,C:\\Windows\\spy.sys.bak\r\n");
  EXPECT_FALSE(machine_->FileExists("C:\\Windows\\spy.sys"));
  EXPECT_TRUE(machine_->FileExists("C:\\Windows\\spy.sys.bak"));
  EXPECT_EQ(scan_->results.Count(), 0);
}

TEST_F(FileRulesTest, TheCacheReadsEachFolderOnceAndKeepsIt) {
  Open();
  Run("File:d,\"C:\\Program Files\\SpyBar\\spybar.dll\"\r\n");
  image_->WriteFile("C:\\Program Files\\SpyBar\\later.dll", "l");
  EXPECT_EQ(Run("File:d,\"C:\\Program Files\\SpyBar\\later.dll\"\r\n"), TFindings{});
  TDirCache& cache = scan_->lists.Cache<TDirCache>();
  EXPECT_EQ(cache.FolderReads(), 1);
  // A plain folder that is not there reads as an empty one.
  Run("File:d,\"C:\\Program Files\\Gone\\x.dll\"\r\nFile:d,\"C:\\Program Files\\Gone\\y.dll\"\r\n");
  EXPECT_EQ(cache.FolderReads(), 2);
}

TEST(DirCacheTest, SizeFilter) {
  struct Case {
    const char* parameters;
    std::vector<int64_t> kept;
    const char* rest;
  };
  const Case cases[] = {
      {"filesize=10", {10}, ""},
      {"\"filesize>=10\"", {10, 11, int64_t{5} << 32}, ""},
      {"\"filesize<=10\"", {0, 10}, ""},
      {"filesize!=0", {10, 11, int64_t{5} << 32}, ""},
      {"size[file]=oops,md5=1", {0, 10, 11, int64_t{5} << 32}, "md5=1"},
      {"md5=1", {0, 10, 11, int64_t{5} << 32}, "md5=1"},
      {"FileSize=21474836480", {int64_t{5} << 32}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameters);
    TDCFileEntries entries = {{"a", 0}, {"b", 10}, {"c", 11}, {"d", int64_t{5} << 32}};
    std::string parameters = c.parameters;
    TDirCache::ApplySizeFilter(&entries, &parameters);
    std::vector<int64_t> sizes;
    for (const TDCFileEntry& e : entries) sizes.push_back(e.Size);
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, c.kept);
    EXPECT_EQ(parameters, c.rest);
  }
}

// A machine whose one folder has a file with two streams and a stream of its own.
class TStreamMachine : public testing::TEmptyMachine {
 public:
  int listings = 0;
  bool ListDirectory(std::string_view dir, std::string_view, std::vector<TFileInfo>* out) override {
    if (dir != "C:\\Data\\") return false;
    ++listings;
    TFileInfo file;
    file.name = "a.txt";
    file.size = 3;
    out->push_back(file);
    return true;
  }
  bool ListStreams(std::string_view path, std::vector<TStreamInfo>* out) override {
    if (path == "C:\\Data\\a.txt") {
      out->push_back({":Zone.Identifier:$DATA", 26});
      out->push_back({":payload:$DATA", 100});
      return true;
    }
    if (path == "C:\\Data") {
      out->push_back({":folderstream:$DATA", 5});
      return true;
    }
    return false;
  }
};

TEST(StripADSTest, StreamsOfFilesAndFoldersWithTheirSizes) {
  auto machine = std::make_shared<TStreamMachine>();
  SetCurrentMachine(machine);
  testing::TTestScan scan;
  scan.advanced_check = [](const std::string&, const std::string&) { return true; };
  TRuleInterpreter interpreter(scan.context);
  interpreter.RunIncludeText(
      ":: Spy\r\n"
      "StripADS:d,C:\\Data\\a.txt,:payload*,,\"filesize>=100,filesize<=100\"\r\n"
      "StripADS:d,C:\\Data\\a.txt,:payload*,,filesize=99\r\n"
      "StripADS:d,C:\\Data\\*.txt,*,,filesize=nonumber\r\n"
      "StripADS:d,C:\\Data,:folder*,,\r\n",
      "/rules/ads.qri", mtQuarnel);
  std::vector<std::string> found;
  for (int i = 0; i < scan.results.Count(); ++i) found.push_back(scan.results.GetResult(i)->FullKey);
  EXPECT_EQ(found, (std::vector<std::string>{"C:\\Data\\a.txt:payload:$DATA",
                                             "C:\\Data:folderstream:$DATA"}));
  EXPECT_EQ(machine->listings, 1);  // the folder was read once for all four rules
  SetCurrentMachine(nullptr);
}

}  // namespace
}  // namespace vx
