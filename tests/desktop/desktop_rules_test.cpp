#include "desktop/desktop_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace desktop_rules;

TEST(DesktopRules, OnlyTheLowSixteenBitsOfAWidthAnswerCount) {
    EXPECT_EQ(WidthOf(300), 300u);
    EXPECT_EQ(WidthOf(-1), 0xFFFFu) << "a negative answer";
    EXPECT_EQ(WidthOf(0x10005), 5u) << "an answer above 65535";
    EXPECT_EQ(WidthOf(0x1234'0000'0042), 0x42u);
}

TEST(DesktopRules, PositionsTravelAsTwoSixteenBitHalves) {
    EXPECT_EQ(PackItemPosition(10, 20), 0x0014'000Au);
    EXPECT_EQ(PackItemPosition(70050, -5), 0xFFFB'11A2u) << "70050 keeps 4514, -5 is 0xFFFB";
    EXPECT_EQ(PackItemPosition(-1, -1), 0xFFFF'FFFFu);
}

TEST(DesktopRules, ViewSwitchesSetAndClearTheViewBits) {
    constexpr std::uint32_t kIcon = 0, kReport = 1, kSmall = 2, kList = 3, kOther = 0x50000000;
    EXPECT_EQ(SmallIconStyle(kIcon | kOther), kSmall | kOther);
    EXPECT_EQ(SmallIconStyle(kReport), kList) << "the other view bit stays";
    EXPECT_EQ(StandardIconStyle(kList | kOther), kIcon | kOther);
    EXPECT_EQ(StandardIconStyle(kSmall), kIcon);
}

}  // namespace
