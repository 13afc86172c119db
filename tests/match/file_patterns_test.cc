#include "match/file_patterns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/fixture_image.h"

namespace vx {
namespace {

std::vector<std::string> Sorted(const TStringList& list) {
  std::vector<std::string> v = list.ToVector();
  std::sort(v.begin(), v.end());
  return v;
}

using TNames = std::vector<std::string>;

class FilePatternsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"C:\\Dir\\a1.exe", "C:\\Dir\\A2.EXE", "C:\\Dir\\b.exe", "C:\\Dir\\notes.txt",
                             "C:\\Dir\\Sub\\x.exe", "C:\\Dir\\Sub\\Deep\\y.exe", "C:\\Dir\\Sub2\\z.exe",
                             "C:\\Dir\\Sub\\Sx\\w.exe", "C:\\Program Files (x86)\\My.App\\run.exe"})
      image_.WriteFile(file, "x");
    image_.MakeDirectory("C:\\Dir\\afolder.exe");
    machine_ = image_.OpenAsCurrent();
  }
  testing::TFixtureImage image_{true};
  std::shared_ptr<TMachine> machine_;
};

TEST_F(FilePatternsTest, PlainPatterns) {
  EXPECT_EQ(Sorted(FindPathPattern("C:\\Dir\\*.exe", TEntryKind::ekFiles)),
            (TNames{"A2.EXE", "a1.exe", "b.exe"}));
  EXPECT_EQ(Sorted(FindPathPattern("C:\\Dir\\*.exe", TEntryKind::ekFiles, {.full_path = true})),
            (TNames{"C:\\Dir\\A2.EXE", "C:\\Dir\\a1.exe", "C:\\Dir\\b.exe"}));
  EXPECT_EQ(Sorted(FindPathPattern("C:\\Dir\\*", TEntryKind::ekFolders)),
            (TNames{"Sub", "Sub2", "afolder.exe"}));
  EXPECT_TRUE(FindPathPattern("C:\\Missing\\*.exe", TEntryKind::ekFiles).Empty());
  EXPECT_TRUE(FindPathPattern("no directory", TEntryKind::ekFiles).Empty());
}

TEST_F(FilePatternsTest, RecursionIsBreadthFirstWithRelativeNames) {
  TNames found = FindPathPattern("C:\\Dir\\*.exe", TEntryKind::ekFiles, {.recursive = true}).ToVector();
  TNames sorted = found;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (TNames{"A2.EXE", "Sub2\\z.exe", "Sub\\Deep\\y.exe", "Sub\\Sx\\w.exe", "Sub\\x.exe",
                            "a1.exe", "b.exe"}));
  // Each level ends before the next begins.
  auto depth = [](const std::string& s) { return std::count(s.begin(), s.end(), '\\'); };
  for (size_t i = 1; i < found.size(); ++i) EXPECT_LE(depth(found[i - 1]), depth(found[i])) << found[i];
}

TEST_F(FilePatternsTest, PrefixedPatternsCompareTheFullPath) {
  EXPECT_EQ(Sorted(FindPathPattern("<wc>C:\\Dir\\a*.exe", TEntryKind::ekFiles)),
            (TNames{"A2.EXE", "a1.exe"}));
  EXPECT_EQ(Sorted(FindPathPattern("<substr>C:\\Dir\\NOTES", TEntryKind::ekFiles, {.full_path = true})),
            (TNames{"C:\\Dir\\notes.txt"}));
}

TEST_F(FilePatternsTest, RegularExpressionPatterns) {
  EXPECT_EQ(Sorted(FindPathPattern("<regexpr>C:\\\\Dir\\\\a\\d\\.exe$", TEntryKind::ekFiles)),
            (TNames{"A2.EXE", "a1.exe"}));
  // Not anchored: the expression may match a part of the path.
  EXPECT_EQ(Sorted(FindPathPattern("<regexpr>C:\\\\Dir\\\\b", TEntryKind::ekFiles)),
            (TNames{"b.exe"}));
  // A directory written by the path solver, parentheses and dots escaped.
  EXPECT_EQ(Sorted(FindPathPattern("<regexpr>C:\\\\Program Files \\(x86\\)\\\\My\\.App\\\\run",
                                   TEntryKind::ekFiles, {.full_path = true})),
            (TNames{"C:\\Program Files (x86)\\My.App\\run.exe"}));
  EXPECT_EQ(Sorted(FindPathPattern("<regexpr>C:\\\\Dir\\\\.*\\.exe$", TEntryKind::ekFiles, {.recursive = true})),
            (TNames{"A2.EXE", "Sub2\\z.exe", "Sub\\Deep\\y.exe", "Sub\\Sx\\w.exe", "Sub\\x.exe", "a1.exe",
                    "b.exe"}));
}

TEST_F(FilePatternsTest, NamesWithBlanks) {
  image_.WriteFile("C:\\Blank\\ lead.exe", "x");
  image_.WriteFile("C:\\Blank\\trail.exe ", "x");
  machine_ = image_.OpenAsCurrent();
  // The comparison sees the trimmed name; the list keeps the name the file has.
  EXPECT_EQ(Sorted(FindPathPattern("<wc>C:\\Blank\\lead.exe", TEntryKind::ekFiles, {.full_path = true})),
            (TNames{"C:\\Blank\\ lead.exe"}));
  EXPECT_EQ(Sorted(FindPathPattern("<regexpr>C:\\\\Blank\\\\trail\\.exe$", TEntryKind::ekFiles)),
            (TNames{"trail.exe "}));
  EXPECT_TRUE(machine_->FileExists(
      FindPathPattern("<wc>C:\\Blank\\*lead.exe", TEntryKind::ekFiles, {.full_path = true})[0]));
}

TEST_F(FilePatternsTest, RecursionDepthIsBounded) {
  std::string deep = "C:\\Deep";
  for (int i = 0; i < 70; ++i) deep += "\\d";
  image_.WriteFile(deep + "\\bottom.exe", "x");
  image_.WriteFile("C:\\Deep\\d\\top.exe", "x");
  machine_ = image_.OpenAsCurrent();
  TStringList found = FindPathPattern("C:\\Deep\\*.exe", TEntryKind::ekFiles, {.recursive = true});
  ASSERT_EQ(found.Count(), 1);  // 64 levels below the pattern's folder at most
  EXPECT_EQ(found[0], "d\\top.exe");
}

TEST_F(FilePatternsTest, SearchDirectoryForms) {
  EXPECT_EQ(Sorted(SearchDirectory("C:\\Dir\\b*", TEntryKind::ekFiles, TNameForm::nfBare)), (TNames{"b.exe"}));
  EXPECT_EQ(Sorted(SearchDirectory("C:\\Dir\\*.exe", TEntryKind::ekFilesAndFolders, TNameForm::nfFull)),
            (TNames{"C:\\Dir\\A2.EXE", "C:\\Dir\\a1.exe", "C:\\Dir\\afolder.exe", "C:\\Dir\\b.exe"}));
  EXPECT_TRUE(
      SearchDirectory("C:\\Dir\\*.exe", TEntryKind::ekFilesAndFolders, static_cast<TNameForm>(2)).Empty());
  EXPECT_TRUE(SearchDirectory("C:\\Dir\\", TEntryKind::ekFilesAndFolders, TNameForm::nfFull).Empty());
}

TEST(RemoveDotEntriesTest, Cases) {
  TStringList list;
  list.Assign({".", "..", "C:\\a\\.", "C:\\a\\..", "C:\\a\\.b", "..x", "a."});
  RemoveDotEntries(&list);
  EXPECT_EQ(list.ToVector(), (TNames{"C:\\a\\.b", "..x", "a."}));
}

TEST(SplitRegExprPathPatternTest, Cases) {
  struct {
    const char* pattern;
    const char* directory;
    const char* name;
  } cases[] = {
      {"C:\\\\Dir\\\\a.*", "C:\\Dir\\", "a.*"},
      {"C:\\\\A \\(x86\\)\\\\b\\.c", "C:\\A (x86)\\", "b\\.c"},
      {"C:\\\\Dir\\\\\\(x\\)", "C:\\Dir\\", "\\(x\\)"},  // "\\" then "\(", read from the left
      {"noslash", "", "noslash"},
  };
  for (const auto& c : cases) {
    std::string directory, name;
    SplitRegExprPathPattern(c.pattern, &directory, &name);
    EXPECT_EQ(directory, c.directory) << c.pattern;
    EXPECT_EQ(name, c.name) << c.pattern;
  }
}

TEST_F(FilePatternsTest, FileStringList) {
  TFileStringList list("C:\\Dir\\*.exe", TEntryKind::ekFiles);
  EXPECT_EQ(list.Basepath, "C:\\Dir\\");
  EXPECT_TRUE(list.Empty());  // the name part is not kept

  list.SortEntries = true;
  list.Scan("C:\\Dir\\*.exe");
  EXPECT_EQ(list.ToVector(), (TNames{"a1.exe", "A2.EXE", "b.exe"}));  // sorted ignoring case

  // Folders: recursion follows only the folders that match the name part.
  TFileStringList folders("C:\\Dir\\", TEntryKind::ekFolders);
  folders.RecursiveScan = true;
  folders.SortEntries = true;
  folders.FullPath = true;
  std::vector<std::string> progress;
  folders.OnFileSearchProgress = [&](const std::string& text, int) { progress.push_back(text); };
  folders.Scan("C:\\Dir\\S*");
  EXPECT_EQ(folders.ToVector(), (TNames{"C:\\Dir\\Sub", "C:\\Dir\\Sub2", "C:\\Dir\\Sub\\Sx"}));
  EXPECT_EQ(progress.size(), 4u);
  folders.FullPath = false;
  folders.Scan("C:\\Dir\\S*");
  EXPECT_EQ(folders.ToVector(), (TNames{"Sub", "Sub2", "Sub\\Sx"}));
}

}  // namespace
}  // namespace vx
