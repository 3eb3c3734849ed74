#include "dialogs/dialog_rules.h"

#include <gtest/gtest.h>

#include "controls/button_colours.h"
#include "settings/picture_texts.h"

namespace {

TEST(ParseInteger, AcceptsAnOptionalSignAndDigitsOnly) {
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"150", 150}, {"-3", -3}, {"+7", 7}, {"0", 0}, {"2147483647", 2147483647}, {"", std::nullopt},
        {"abc", std::nullopt}, {"1.5", std::nullopt}, {" 1", std::nullopt}, {"-", std::nullopt},
        {"+-1", std::nullopt}, {"2147483648", std::nullopt}, {"12a", std::nullopt}};
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseInteger(text), value) << text;
}

TEST(HotkeyWord, ConvertsModifiersBothWaysAndKeepsTheExtendedFlagOutOfTheStoredWord) {
    EXPECT_EQ(ControlWordFromStored(0x0341), 0x0641) << "Ctrl + Alt + A";
    EXPECT_EQ(StoredHotkeyFromControl(0x0641), 0x0341);
    EXPECT_EQ(StoredHotkeyFromControl(0x017B), 0x047B) << "Shift + F12";
    EXPECT_EQ(StoredHotkeyFromControl(0), 0);
    // Ctrl + the right arrow key: the control says extended; registration must not see the Windows key.
    EXPECT_EQ(StoredHotkeyFromControl(0x0A27), 0x0227);
    EXPECT_EQ(ControlWordFromStored(0x0227), 0x0A27);
    EXPECT_EQ(ControlWordFromStored(0x042D), 0x092D) << "Shift + Insert";
    EXPECT_EQ(ControlWordFromStored(0x0841), 0x0041) << "a stored Windows key has no control flag";
}

TEST(ButtonColours, OffsetKeepsTheHueAndGreyKeepsBlack) {
    EXPECT_EQ(OffsetColour(0x00C8D0D4, 30), 0x00E6EEF2u);  // 212,208,200 -> 242,238,230
    EXPECT_EQ(OffsetColour(0x00F0F0F0, 30), 0x00FFFFFFu);  // held to 15
    EXPECT_EQ(OffsetColour(0x00102030, -40), 0x00001020u);  // held to -16
    EXPECT_EQ(GreyPixel(0xFF000000), 0xFF000000u);
    EXPECT_EQ(GreyPixel(0xFFFF0000), 0xFF4C4C4Cu);  // red: 0.299 * 255 = 76
    EXPECT_EQ(GreyPixel(0x80FFFFFF), 0x80FFFFFFu);
}

TEST(PictureTexts, CellsOfAnEntry) {
    EXPECT_EQ(FileNameOf("C:\\pics\\sky.jpg"), "sky.jpg");
    EXPECT_EQ(FolderOf("C:\\pics\\sky.jpg"), "C:\\pics");
    EXPECT_EQ(FolderOf("C:\\\x95\x5C\\a.jpg"), "C:\\\x95\x5C");
    EXPECT_EQ(FileNameOf("nofolder.jpg"), "nofolder.jpg");
    EXPECT_EQ(PercentText(100), "100%");
    EXPECT_EQ(PercentText(-5), "-5%");
    EXPECT_STREQ(DisplayMethodText(7), DisplayMethodText(0));
    EXPECT_STRNE(DisplayMethodText(1), DisplayMethodText(2));
}

}  // namespace
