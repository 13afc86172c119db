#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "base/escape_html.h"
#include "rules/include_codec.h"
#include "rules/include_file_manager.h"
#include "rules/problem_info.h"
#include "rules/product_list.h"
#include "rules/rule_file_writer.h"
#include "support/temp_dir.h"

namespace vx {
namespace {

using testing::ReadBytes;
using testing::TTempDir;
using testing::WriteBytes;

const std::string kTargets =
    "[AlphaKey]\r\n"
    "Product=Alpha\r\n"
    "Company=Foo & Sons\r\n"
    "CompanyURL=http://a.example/?a=1&b=2\r\n"
    "Description=First sentence.%0D%0ASecond \"sentence\".\r\n"
    "Threat=Adware\r\n"
    "[Shared]\r\n"
    "Company=S\r\n"
    "[Bar & Co]\r\n"
    "Product=Bar & Co\r\n"
    "Company=\xA9 Corp <Ltd>\r\n"
    "[Orphan]\r\n"
    "Product=-\r\n";

// Include files: "Shared" is targeted by a.qri (twice) and by B.qri, and
// "Bar & Co" carries a "|" part, so it never meets its description.
void MakeApp(const TTempDir& app, bool compressed_info) {
  WriteBytes(app / "Includes/a.qri",
             "// count: 2\r\n:: Alpha\r\nFile:a,b\r\n:: Shared\r\n:: Shared\r\n"
             ":: Bar & Co | extra info\r\nFile:c,d\r\n");
  WriteBytes(app / "Includes/B.qri",
             EncodeRuleText(":: Shared\r\nFile:a,b\r\n:: Zeta <x>\r\n", TLineForm::lfScrambled));
  WriteBytes(app / "Includes/c.uti", PackContainer(":: Tracks\r\n"));
  WriteBytes(app / "Includes/Targets.nfo", compressed_info ? CompressInfo(kTargets) : kTargets);
}

const std::string kExpected =
    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
    "<xml_quarnel_threatlist date=\"04.03.2026 05:06:08\" linuxdate=\"1550067908\">\r\n"
    "<threatentry key=\"AlphaKey\">\r\n"
    "<Product>Alpha</Product>\r\n"
    "<Company>Foo &amp; Sons</Company>\r\n"
    "<FromFile>a.qri</FromFile>\r\n"
    "<Threat>Adware</Threat>\r\n"
    "<CompanyURL>http://a.example/?a=1&amp;b=2</CompanyURL>\r\n"
    "<CompanyProductURL>-</CompanyProductURL>\r\n"
    "<CompanyPrivacyURL>-</CompanyPrivacyURL>\r\n"
    "<Description>First sentence.\r\nSecond &quot;sentence&quot;.</Description>\r\n"
    "<Functionality>-</Functionality>\r\n"
    "<Privacy>-</Privacy>\r\n"
    "</threatentry>\r\n"
    "<threatentry key=\"Shared\">\r\n"
    "<Product>Shared</Product>\r\n"
    "<Company>S</Company>\r\n"
    "<FromFile>a.qri</FromFile>\r\n"
    "<Threat>-</Threat>\r\n"
    "<CompanyURL>-</CompanyURL>\r\n"
    "<CompanyProductURL>-</CompanyProductURL>\r\n"
    "<CompanyPrivacyURL>-</CompanyPrivacyURL>\r\n"
    "<Description>-</Description>\r\n"
    "<Functionality>-</Functionality>\r\n"
    "<Privacy>-</Privacy>\r\n"
    "</threatentry>\r\n"
    "<threatentry key=\"Bar &amp; Co\">\r\n"
    "<Product>Bar &amp; Co</Product>\r\n"
    "<Company>&#169; Corp &lt;Ltd&gt;</Company>\r\n"
    "<FromFile>Targets.nfo</FromFile>\r\n"
    "<Threat>-</Threat>\r\n"
    "<CompanyURL>-</CompanyURL>\r\n"
    "<CompanyProductURL>-</CompanyProductURL>\r\n"
    "<CompanyPrivacyURL>-</CompanyPrivacyURL>\r\n"
    "<Description>-</Description>\r\n"
    "<Functionality>-</Functionality>\r\n"
    "<Privacy>-</Privacy>\r\n"
    "</threatentry>\r\n"
    "<threatentry key=\"Orphan\">\r\n"
    "<Product>Orphan</Product>\r\n"
    "<Company>-</Company>\r\n"
    "<FromFile>Targets.nfo</FromFile>\r\n"
    "<Threat>-</Threat>\r\n"
    "<CompanyURL>-</CompanyURL>\r\n"
    "<CompanyProductURL>-</CompanyProductURL>\r\n"
    "<CompanyPrivacyURL>-</CompanyPrivacyURL>\r\n"
    "<Description>-</Description>\r\n"
    "<Functionality>-</Functionality>\r\n"
    "<Privacy>-</Privacy>\r\n"
    "</threatentry>\r\n"
    "<threatentry key=\"Bar &amp; Co | extra info\">\r\n"
    "<FromFile>a.qri</FromFile>\r\n"
    "</threatentry>\r\n"
    "<threatentry key=\"Shared\">\r\n"
    "<FromFile>B.qri</FromFile>\r\n"
    "</threatentry>\r\n"
    "<threatentry key=\"Tracks\">\r\n"
    "<FromFile>c.uti</FromFile>\r\n"
    "</threatentry>\r\n"
    "<threatentry key=\"Zeta &lt;x&gt;\">\r\n"
    "<FromFile>B.qri</FromFile>\r\n"
    "</threatentry>\r\n"
    "</xml_quarnel_threatlist>\r\n";

TDateTime TestClock() { return EncodeDateTime(2026, 3, 4, 5, 6, 8); }

TEST(ProductListTest, WholeListByteForByteForPlainAndCompressedInformation) {
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "compressed Targets.nfo" : "plain Targets.nfo");
    TTempDir app;
    MakeApp(app, compressed);
    TIncludeFileManager manager;
    manager.AddIncludeFiles(app / "Includes", "qri");
    manager.AddIncludeFiles(app / "Includes", "uti");
    std::vector<std::string> printed;
    const std::string out = app / "lists/deeper/productlist.xml";
    ASSERT_TRUE(CreateProductList(app.Path().string(), manager, out,
                                  [&](const std::string& s) { printed.push_back(s); },
                                  TestClock()));
    EXPECT_EQ(ReadBytes(out), kExpected);
    EXPECT_EQ(printed, (std::vector<std::string>{
                           "o Trying to force outpath path...",
                           "o Reading product information...",
                           "o Creating XML product list at " + out + "...",
                       }));
  }
}

TEST(ProductListTest, WithoutInformationFileEveryProductIsListedBare) {
  TTempDir app;
  WriteBytes(app / "Includes/a.qri", ":: One\r\n:: two\r\n");
  TIncludeFileManager manager;
  manager.AddIncludeFiles(app / "Includes", "qri");
  std::vector<std::string> printed;
  const std::string out = app / "productlist.xml";
  ASSERT_TRUE(CreateProductList(app.Path().string(), manager, out,
                                [&](const std::string& s) { printed.push_back(s); }, TestClock()));
  EXPECT_EQ(printed.size(), 2u);  // the directory existed
  EXPECT_EQ(ReadBytes(out),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
            "<xml_quarnel_threatlist date=\"04.03.2026 05:06:08\" linuxdate=\"1550067908\">\r\n"
            "<threatentry key=\"One\">\r\n<FromFile>a.qri</FromFile>\r\n</threatentry>\r\n"
            "<threatentry key=\"two\">\r\n<FromFile>a.qri</FromFile>\r\n</threatentry>\r\n"
            "</xml_quarnel_threatlist>\r\n");
}

TEST(ProductListTest, UnwritableLocationIsReportedNotCrashed) {
  TTempDir app;
  WriteBytes(app / "blocker", "a file where a directory should be");
  TIncludeFileManager manager;
  std::vector<std::string> printed;
  EXPECT_FALSE(CreateProductList(app.Path().string(), manager, app / "blocker/sub/list.xml",
                                 [&](const std::string& s) { printed.push_back(s); }, TestClock()));
  ASSERT_FALSE(printed.empty());
  EXPECT_EQ(printed.back(),
            "- Could not create product list. Is the path correct, do you have write access?");
}

TEST(ProductListTest, DuplicateProductEntriesAreDroppedOnlyWhenExact) {
  TTempDir app;
  WriteBytes(app / "Includes/a.qri", ":: Same\r\n:: Same\r\n:: SAME\r\n");
  TIncludeFileManager manager;
  manager.AddIncludeFiles(app / "Includes", "qri");
  TStringList list = BuildProductFileList(manager);
  const std::string file = app / "Includes/a.qri";
  EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"Same=" + file, "SAME=" + file}));
}

TEST(ProblemInfoTest, DefaultsAndProductFallback) {
  TTempDir dir;
  WriteBytes(dir / "Targets.nfo", kTargets);
  TProblemInfoManager info;
  ASSERT_TRUE(info.LoadInformation(dir / "Targets.nfo", "English"));
  const TProblemInfoList& list = info.InfoList();
  EXPECT_EQ(list.CompressIndicator(), "LCF");
  ASSERT_EQ(list.Count(), 4);
  const TProblemInfoItem& shared = list.Items(1);
  EXPECT_EQ(shared.Key(), "Shared");
  EXPECT_EQ(shared.DisplayName(), "Shared");
  EXPECT_EQ(shared.Product(), "Shared");
  EXPECT_EQ(shared.Threat(), "-");
  EXPECT_EQ(shared.Language(), "English");
  EXPECT_EQ(shared.IniFilename(), dir / "Targets.nfo");
  EXPECT_TRUE(shared.Loaded());
  EXPECT_EQ(list.Items(3).Product(), "Orphan");
  EXPECT_EQ(list.Items(0).Description(), "First sentence.\r\nSecond \"sentence\".");
  EXPECT_FALSE(info.LoadInformation(dir / "missing.nfo", "English"));
  EXPECT_EQ(info.InfoList().Count(), 0);
}

TEST(ProblemInfoTest, DamagedCompressedFileKeepsWhatCameOut) {
  TTempDir dir;
  std::string stored = CompressInfo(kTargets);
  WriteBytes(dir / "cut.nfo", stored.substr(0, stored.size() - 20));
  WriteBytes(dir / "noise.nfo", "LCF1\x01\x02\x03\x04garbage");
  TProblemInfoManager info;
  ASSERT_TRUE(info.LoadInformation(dir / "cut.nfo", "English"));
  EXPECT_GE(info.InfoList().Count(), 1);
  EXPECT_EQ(info.InfoList().Items(0).Key(), "AlphaKey");
  ASSERT_TRUE(info.LoadInformation(dir / "noise.nfo", "English"));
  EXPECT_EQ(info.InfoList().Count(), 0);
}

TEST(EscapeHtmlTest, AmpersandFirstThenTheRest) {
  EXPECT_EQ(EscapeHtml("a & <b> \"c\" \xA9"), "a &amp; &lt;b&gt; &quot;c&quot; &#169;");
  EXPECT_EQ(EscapeHtml("&lt;"), "&amp;lt;");
  EXPECT_EQ(EscapeHtml(""), "");
}

}  // namespace
}  // namespace vx
