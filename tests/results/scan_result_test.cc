#include "results/scan_result.h"

#include <gtest/gtest.h>

#include "match/path_variables.h"
#include "platform/machine.h"
#include "support/fixture_image.h"

namespace vx {
namespace {

TEST(ScanResultTest, FixTypeTexts) {
  EXPECT_EQ(FixTypeText(ftRegistryValue), "Registry value");
  EXPECT_EQ(FixTypeText(ftTracksCookies), "Cookie");
  EXPECT_EQ(FixTypeText(ftIniRemove), "INI Remove");
  for (TQuarnelFixType empty : {ftUnknown, ftStatus, ftRegistryRemove}) {
    EXPECT_EQ(FixTypeText(empty), "") << static_cast<int>(empty);
  }
}

TEST(ScanResultTest, DisplayNameAssignAndListOwnership) {
  TMyScanResultsList list;
  TMyScanResult* a = list.AddResult();
  EXPECT_EQ(a->GetDisplayName(), "TMyScanResult");
  EXPECT_EQ(a->Status, srsNone);
  a->FullKey = "HKEY_USERS\\x";
  a->Infos.Add("AccessBits=32");
  a->Product = "P";
  a->Tag = 7;
  TMyScanResult* b = list.AddResult();
  b->Assign(*a);
  a->Infos.Add("later=1");
  EXPECT_EQ(b->GetDisplayName(), "HKEY_USERS\\x");
  EXPECT_EQ(b->Infos.Count(), 1);  // copied by content
  EXPECT_EQ(b->Tag, 7);
  EXPECT_EQ(b->Index(), 1);
  list.Remove(a);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(b->Index(), 0);
}

class AdminRightsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_.OpenAsCurrent();
    BuildPathVariableTables();
  }
  void TearDown() override { SetCurrentMachine(nullptr); }
  testing::TFixtureImage image_;
};

TEST_F(AdminRightsTest, DependsOnTheRootTheFolderAndTheFixType) {
  TMyScanResultsList list;
  TMyScanResult* r = list.AddResult();
  r->FixType = ftRegistryKey;
  r->RootKey = kHkeyLocalMachine;
  EXPECT_TRUE(r->NeedsAdminRightsToFix());
  r->RootKey = kHkeyCurrentUser;
  EXPECT_FALSE(r->NeedsAdminRightsToFix());

  r->FixType = ftFile;
  r->Path = "c:\\WINDOWS\\system32\\";
  EXPECT_TRUE(r->NeedsAdminRightsToFix());
  r->Path = "C:\\Users\\Alice\\";
  EXPECT_FALSE(r->NeedsAdminRightsToFix());
  r->FixType = ftIniDelete;
  r->Path = "C:\\Windows\\";
  EXPECT_TRUE(r->NeedsAdminRightsToFix());

  r->FixType = ftHostRedirect;
  EXPECT_TRUE(r->NeedsAdminRightsToFix());
  r->FixType = ftCacheCookie;
  EXPECT_FALSE(r->NeedsAdminRightsToFix());
}

}  // namespace
}  // namespace vx
