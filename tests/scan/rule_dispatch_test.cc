#include "scan/rule_dispatch.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

namespace vx {
namespace {

void Handle(TRuleContext&, TRuleLine&) {}

constexpr std::array kRegistryRows = std::to_array<TRuleHandlerRow>({
    {"RegyValue", Handle},
    {"RegyKey", Handle},
});
constexpr std::array kComRows = std::to_array<TRuleHandlerRow>({
    {"CLSID", Handle, TRuleTiming::rtAfterFiles},
});

TEST(RuleDispatchTest, FamiliesMergeIntoOneSortedTable) {
  std::vector<TRuleHandlerRow> rows = MergeRuleHandlers({kRegistryRows, kComRows});
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Type, "CLSID");
  EXPECT_EQ(rows[0].Timing, TRuleTiming::rtAfterFiles);
  EXPECT_EQ(rows[1].Type, "RegyKey");
  EXPECT_EQ(rows[2].Type, "RegyValue");
}

TEST(RuleDispatchTest, ATypeHandledTwiceOrUnknownOrWithoutHandlerIsAFault) {
  constexpr std::array twice = std::to_array<TRuleHandlerRow>({{"RegyKey", Handle}});
  EXPECT_THROW(MergeRuleHandlers({kRegistryRows, twice}), std::logic_error);
  constexpr std::array unknown = std::to_array<TRuleHandlerRow>({{"regykey", Handle}});
  EXPECT_THROW(MergeRuleHandlers({unknown}), std::logic_error);
  // The table keeps WinFile as a known keyword without a handler.
  constexpr std::array unhandled = std::to_array<TRuleHandlerRow>({{"WinFile", Handle}});
  EXPECT_THROW(MergeRuleHandlers({unhandled}), std::logic_error);
}

}  // namespace
}  // namespace vx
