#include "display/display_setup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DisplaySetupKey, NamesEachMonitorsRectangleAndDpiWhateverTheirOrder) {
    const MonitorArea primary{{0, 0, 1024, 768}, 96};
    const MonitorArea left{{-1280, -200, 0, 824}, 120};
    EXPECT_EQ(DisplaySetupKey({primary}), "0,0,1024,768@96");
    EXPECT_EQ(DisplaySetupKey({primary, left}), DisplaySetupKey({left, primary}));

    const struct {
        const char* name;
        std::vector<MonitorArea> monitors;
    } others[] = {
        {"another resolution", {{{0, 0, 800, 600}, 96}}},
        {"another DPI", {{{0, 0, 1024, 768}, 144}}},
        {"a second monitor", {primary, left}},
        {"the second monitor placed elsewhere", {primary, {{1024, 0, 2304, 1024}, 120}}},
        {"the second monitor at another DPI", {primary, {{-1280, -200, 0, 824}, 96}}},
        {"no monitors", {}},
    };
    for (std::size_t i = 0; i < std::size(others); ++i) {
        EXPECT_NE(DisplaySetupKey(others[i].monitors), DisplaySetupKey({primary})) << others[i].name;
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_NE(DisplaySetupKey(others[i].monitors), DisplaySetupKey(others[j].monitors))
                << others[i].name << " / " << others[j].name;
        }
    }
}

std::string Named(int i) {
    std::string setup = "S";
    return setup += std::to_string(i);
}

IconLayout LayoutWith(int x) {
    IconLayout layout;
    layout.Insert({x, 0, "icon"});
    return layout;
}

int XOf(const IconLayout& layout) {
    return layout.Find("icon") ? layout.Find("icon")->x : -1;
}

// What the restore takes: the layout saved on the set-up it runs on, else
// the one saved last, on whatever set-up.
TEST(SetupLayouts, TheRestoreTakesTheLayoutOfItsSetupElseTheOneSavedLast) {
    SetupLayouts layouts;
    IconLayout classic = LayoutWith(1);  // from a file of the classic layout: no set-up known
    EXPECT_EQ(XOf(layouts.Choose("A", classic)), 1);
    layouts.Save("A", LayoutWith(10), classic);
    layouts.Save("B", LayoutWith(20), classic);
    EXPECT_EQ(XOf(classic), 20) << "the classic layout is the one saved last";
    const struct {
        const char* setup;
        int x;
    } cases[] = {{"A", 10}, {"B", 20}, {"C", 20}, {"A", 10}};
    for (const auto& c : cases)
        EXPECT_EQ(XOf(layouts.Choose(c.setup, classic)), c.x) << c.setup;

    layouts.Save("A", LayoutWith(11), classic);
    EXPECT_EQ(XOf(layouts.Choose("B", classic)), 20) << "B keeps its own when A saves again";
    EXPECT_EQ(XOf(layouts.Choose("A", classic)), 11);
    EXPECT_EQ(XOf(classic), 11);
    EXPECT_TRUE(layouts.Has("B"));
    EXPECT_FALSE(layouts.Has("C"));
}

// Sixteen set-ups at most: the one longest unused goes, and a restore is a use.
TEST(SetupLayouts, KeepsSixteenSetupsDroppingTheLeastRecentlyUsed) {
    SetupLayouts layouts;
    IconLayout classic;
    for (int i = 0; i < 16; ++i)
        layouts.Save(Named(i), LayoutWith(i), classic);
    layouts.Choose("S0", classic);
    layouts.Save("S16", LayoutWith(16), classic);
    EXPECT_EQ(layouts.Entries().size(), SetupLayouts::kMostSetups);
    EXPECT_TRUE(layouts.Has("S0")) << "restored lately";
    EXPECT_FALSE(layouts.Has("S1")) << "the least recently used";
    EXPECT_EQ(XOf(layouts.Choose("S2", classic)), 2);
    layouts.Save("S17", LayoutWith(17), classic);
    EXPECT_FALSE(layouts.Has("S3"));
    EXPECT_TRUE(layouts.Has("S2"));
}

// The desktop settles when it looks the same three times in a row; a look
// that sees no desktop starts the count again, and the looks run out.
TEST(SettleWatch, SettlesAfterThreeLooksAlikeOrWhenTheLooksRunOut) {
    using Look = std::optional<std::vector<std::int32_t>>;
    const Look a = std::vector<std::int32_t>{800, 600, 1, 0, 0};
    const Look b = std::vector<std::int32_t>{800, 600, 1, 0, 75};
    const struct {
        const char* name;
        std::vector<Look> looks;
        int settlesAt;  // the look that settles, counting from 1; 0 for none
    } cases[] = {
        {"alike from the start", {a, a, a, a}, 3},
        {"moving, then still", {a, b, a, b, b, b}, 6},
        {"no desktop between", {a, a, std::nullopt, a, a, a}, 6},
        {"no desktop at all", {std::nullopt, std::nullopt, std::nullopt, std::nullopt}, 0},
    };
    for (const auto& c : cases) {
        SettleWatch watch;
        int settled = 0;
        for (std::size_t i = 0; i < c.looks.size() && !settled; ++i) {
            if (watch.Look(c.looks[i])) settled = static_cast<int>(i + 1);
        }
        EXPECT_EQ(settled, c.settlesAt) << c.name;
    }
    SettleWatch restless;
    int looks = 1;
    while (!restless.Look(looks % 2 ? a : b))
        ++looks;
    EXPECT_EQ(looks, SettleWatch::kMostLooks);
}

}  // namespace
