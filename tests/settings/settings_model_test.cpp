#include "settings/settings_model.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/settings_fixtures.h"

namespace {

std::vector<std::string> NamesInOrder(const IconLayout& layout) {
    std::vector<std::string> names;
    layout.ForEach([&](const IconPosition& p) { names.push_back(p.name); });
    return names;
}

TEST(AppSettings, FreshRecordHoldsTheDefaults) {
    const AppSettings s;
    EXPECT_EQ(s.intervalUnit, 1);
    EXPECT_EQ(s.intervalValue, 10);
    EXPECT_EQ(s.randomOrder, 0);
    EXPECT_EQ(s.rotationPosition, 0);
    EXPECT_EQ(s.pauseAfterBossKey, 1);
    EXPECT_EQ(s.rotationEnabled, 1);
    EXPECT_TRUE(s.bossPicturePath.empty());
    EXPECT_EQ(s.bossHotkey, 0);
    EXPECT_EQ(s.transparentLabelBackground + s.smallIcons + s.restoreIconLayoutAtStart + s.saveIconLayoutAtExit, 0);
    EXPECT_EQ(s.iconsHidden, 0);
    EXPECT_TRUE(s.imageList.empty());
    EXPECT_EQ(s.iconLayout.Size(), 0u);
}

TEST(AppSettingsCopyFrom, CopiesEverythingButTheRunState) {
    AppSettings source;
    fixtures::FillRichSettings(source);
    source.iconsHidden = 1;
    source.extension.unknownRecords.push_back({5, "x"});
    source.extension.userOptions.pauseInFullScreen = false;
    AppSettings target;
    target.rotationPosition = 42;
    target.extension.userWallpaperStyle.emplace();
    target.CopyFrom(source);

    EXPECT_EQ(target.rotationPosition, 42);
    EXPECT_EQ(target.iconsHidden, 0);
    // The settings dialog's copy must never carry or clear what a run keeps
    // in the file, such as the user's style values.
    EXPECT_TRUE(target.extension.userWallpaperStyle.has_value());
    EXPECT_TRUE(target.extension.unknownRecords.empty());
    EXPECT_EQ(target.extension.userOptions, source.extension.userOptions) << "the user's options are settings";
    target.rotationPosition = source.rotationPosition;
    target.iconsHidden = source.iconsHidden;
    // Apart from the run state, only the reserved fields and the chain order differ.
    for (auto& entry : source.imageList) entry.reserved1 = entry.reserved2 = 0;
    AppSettings reinserted;
    reinserted.CopyFrom(target);
    EXPECT_EQ(NamesInOrder(reinserted.iconLayout), NamesInOrder(source.iconLayout));
    target.iconLayout.Clear();
    source.iconLayout.Clear();
    EXPECT_TRUE(fixtures::SameSettings(target, source));
}

TEST(AppSettingsCopyFrom, EmptySourceCollectionsEmptyTheTarget) {
    AppSettings target;
    fixtures::FillRichSettings(target);
    const AppSettings empty;
    target.CopyFrom(empty);
    EXPECT_TRUE(target.imageList.empty());
    EXPECT_EQ(target.iconLayout.Size(), 0u);
}

TEST(WallpaperEntryCopy, CarriesDisplayFieldsAndZeroesTheReservedOnes) {
    WallpaperEntry source;
    source.path = "C:\\a.jpg";
    source.displayMethod = 2;
    source.magnification = 150;
    source.transparency = 20;
    source.reserved1 = 7;
    source.reserved2 = 8;
    WallpaperEntry assigned;
    assigned.reserved1 = 9;
    assigned = source;
    for (const WallpaperEntry& copy : {WallpaperEntry(source), assigned}) {
        EXPECT_EQ(copy.path, "C:\\a.jpg");
        EXPECT_EQ(copy.displayMethod, 2);
        EXPECT_EQ(copy.magnification, 150);
        EXPECT_EQ(copy.transparency, 20);
        EXPECT_EQ(copy.reserved1, 0);
        EXPECT_EQ(copy.reserved2, 0);
    }
}

TEST(IconLayout, SameNameReplacesTheRecordInPlace) {
    IconLayout layout;
    layout.Insert({1, 2, "ごみ箱"});
    layout.Insert({5, 6, "x"});
    layout.Insert({3, 4, "ごみ箱"});
    ASSERT_EQ(layout.Size(), 2u);
    const IconPosition* found = layout.Find("ごみ箱");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->x, 3);
    EXPECT_EQ(found->y, 4);
    EXPECT_EQ(layout.Find("ゴミ箱"), nullptr);
}

TEST(IconLayout, KeysAreCaseSensitive) {
    IconLayout layout;
    layout.Insert({1, 1, "Readme"});
    EXPECT_EQ(layout.Find("readme"), nullptr);
    EXPECT_NE(layout.Find("Readme"), nullptr);
}

TEST(IconLayout, HashTakesBytesAsSignedChars) {
    EXPECT_EQ(IconLayout::Hash(""), 0u);
    EXPECT_EQ(IconLayout::Hash("ab"), 97u * 33 + 98);
    // The bytes the file keeps: ｱ is B1 in code page 932, -79 as a signed
    // char; あ is 82 A0; 한 is beyond the code page, kept as UTF-16 5C D5.
    EXPECT_EQ(IconLayout::Hash("ｱ"), static_cast<std::uint32_t>(-79));
    EXPECT_EQ(IconLayout::Hash("aｱ"), 97u * 33 - 79);
    EXPECT_EQ(IconLayout::Hash("あ"), static_cast<std::uint32_t>(-126 * 33 - 96));
    EXPECT_EQ(IconLayout::Hash("한"), 92u * 33 - 43);
}

TEST(IconLayout, IteratesBucketsInOrderAndEachChainNewestFirst) {
    // "a" (97) and "r" (114) share bucket 12, "b" (98) is in 13 and "ｱ" (-79) in 7.
    ASSERT_EQ(IconLayout::Hash("a") % 17, IconLayout::Hash("r") % 17);
    IconLayout layout;
    layout.Insert({0, 0, "ｱ"});
    layout.Insert({0, 0, "b"});
    layout.Insert({0, 0, "a"});
    layout.Insert({0, 0, "r"});
    EXPECT_EQ(NamesInOrder(layout), (std::vector<std::string>{"ｱ", "r", "a", "b"}));

    AppSettings source, target;
    source.iconLayout = layout;
    target.CopyFrom(source);
    EXPECT_EQ(NamesInOrder(target.iconLayout), (std::vector<std::string>{"ｱ", "a", "r", "b"}));
}

}  // namespace
