#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/include_codec.h"
#include "rules/include_file_manager.h"
#include "rules/rule_file_writer.h"
#include "support/temp_dir.h"

namespace vx {
namespace {

using testing::TTempDir;
using testing::WriteBytes;

std::vector<std::string> Names(const TIncludeFileManager& m) {
  std::vector<std::string> names;
  for (int i = 0; i < m.Count(); ++i) names.push_back(m.Items(i).DisplayName());
  return names;
}

TEST(IncludeFileManagerTest, DetectionFilesFirstEachKindInNameOrderIgnoringCase) {
  TTempDir dir;
  for (const char* name : {"b.qri", "A.qri", "C.QRI", "a.uti", "notes.txt", "x.qrix"}) {
    WriteBytes(dir / name, "// count: 1\n");
  }
  std::filesystem::create_directories(dir.Path() / "sub.qri");
  TIncludeFileManager manager;
  manager.AddIncludeFiles(dir.Path().string(), "qri");
  manager.AddIncludeFiles(dir.Path().string(), "uti");
  EXPECT_EQ(Names(manager), (std::vector<std::string>{"A.qri", "b.qri", "C.QRI", "a.uti"}));
  EXPECT_EQ(manager.Items(0).Filename(), (dir.Path() / "A.qri").string());
  EXPECT_EQ(manager.Items(2).Extension(), "qri");
  EXPECT_EQ(manager.Items(3).Extension(), "uti");
}

TEST(IncludeFileManagerTest, HeaderValuesDescriptionsAndProducts) {
  TTempDir dir;
  const std::string plain =
      "// count: 4\n"
      "// checksum: 1234abcd\n"
      "// copyright: (c) Rules Team\n"
      "// author: Jane Roe\n"
      "// date: 2008-05-25\n"
      "// info: English text\n"
      "// Info|German: Deutscher Text\n"
      ":: Gamma | dialer\n"
      "File:a,b\n"
      ":: Gamma | dialer\n"
      "File:c,d\n";
  WriteBytes(dir / "full.qri", EncodeRuleText(plain, TLineForm::lfEncrypted));
  WriteBytes(dir / "noinfo.qri", ":: Delta\nFile:a,b\n");
  TIncludeFileManager manager;
  manager.AddIncludeFiles(dir.Path().string(), "qri");
  ASSERT_EQ(manager.Count(), 2);

  const TIncludeFileItem& full = manager.Items(0);
  EXPECT_EQ(full.Count(), 4);
  EXPECT_EQ(full.ChecksumHeader(), "1234abcd");
  EXPECT_EQ(full.Copyright(), "(c) Rules Team");
  EXPECT_EQ(full.Author(), "Jane Roe");
  EXPECT_EQ(full.Date(), "2008-05-25");
  EXPECT_EQ(full.Descriptions().ToVector(),
            (std::vector<std::string>{"English=English text", "German=Deutscher Text"}));
  EXPECT_EQ(full.Products().ToVector(),
            (std::vector<std::string>{"Gamma | dialer", "Gamma | dialer"}));
  EXPECT_EQ(full.ProductsShort().ToVector(), (std::vector<std::string>{"Gamma ", "Gamma "}));

  const TIncludeFileItem& bare = manager.Items(1);
  EXPECT_EQ(bare.Count(), 0);
  EXPECT_EQ(bare.Descriptions().ToVector(), std::vector<std::string>{"English="});
  EXPECT_EQ(bare.Products().ToVector(), std::vector<std::string>{"Delta"});
}

TEST(IncludeFileManagerTest, DamagedFilesStayRegisteredEmptyAndTheNextFileGoesOn) {
  TTempDir dir;
  const std::string plain = "// count: 2\n// author: Ok\n:: Good\nFile:a,b\n";
  const std::string container = PackContainer(plain);
  std::string bad_zlib = container;
  for (size_t i = 11; i < bad_zlib.size(); ++i) bad_zlib[i] = static_cast<char>(i * 31);
  WriteBytes(dir / "1_truncated.qri", container.substr(0, container.size() / 2));
  WriteBytes(dir / "2_badzlib.qri", bad_zlib);
  WriteBytes(dir / "3_short.qri", "QRI\x05\x00");
  WriteBytes(dir / "4_noise.qri", std::string("\x8f\x00\x13\xfe\r\r\n\x00\x01::\n", 12));
  WriteBytes(dir / "5_badbase64.qri", "// count: 9\n// author: Kept\n:: Lost\n#%!!!\n");
  WriteBytes(dir / "6_good.qri", container);
  TIncludeFileManager manager;
  manager.AddIncludeFiles(dir.Path().string(), "qri");
  ASSERT_EQ(manager.Count(), 6);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(manager.Items(i).DisplayName());
    EXPECT_EQ(manager.Items(i).Count(), 0);
    EXPECT_EQ(manager.Items(i).Products().Count(), 0);
    EXPECT_EQ(manager.Items(i).Descriptions().ToVector(), std::vector<std::string>{"English="});
  }
  // A bad "#%" line costs the products, not the header.
  EXPECT_EQ(manager.Items(4).Count(), 9);
  EXPECT_EQ(manager.Items(4).Author(), "Kept");
  EXPECT_EQ(manager.Items(4).Products().Count(), 0);
  EXPECT_EQ(manager.Items(5).Count(), 2);
  EXPECT_EQ(manager.Items(5).Products().ToVector(), std::vector<std::string>{"Good"});
}

TEST(IncludeFileManagerTest, MissingDirectoryRegistersNothing) {
  TTempDir dir;
  TIncludeFileManager manager;
  manager.AddIncludeFiles((dir.Path() / "Includes").string(), "qri");
  EXPECT_EQ(manager.Count(), 0);
}

}  // namespace
}  // namespace vx
