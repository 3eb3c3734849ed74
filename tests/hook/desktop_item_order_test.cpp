#include "hook/desktop_item_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace desktop_group;

namespace {

constexpr char kDesktop[] = "C:\\Users\\me\\Desktop";
constexpr char kPersonal[] = "C:\\Users\\me\\Documents";

TEST(DesktopItemGroup, FollowsWhereTheObjectLives) {
    const struct {
        const char* parsingName;
        bool found;
        bool directory;
        std::uint32_t group;
    } cases[] = {
        {"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", false, false, kOutsideFileSystem},
        {kPersonal, true, true, kPersonalDocuments},
        {"C:\\Users\\Public\\Desktop\\Shared", true, true, kSharedDesktop | kFolder},
        {"C:\\Users\\Public\\Desktop\\shared.txt", true, false, kSharedDesktop | kFile},
        {"C:\\Users\\me\\Desktop\\Mine", true, true, kUserDesktop | kFolder},
        {"C:\\Users\\me\\Desktop\\mine.txt", true, false, kUserDesktop | kFile},
        // A substring test, not a prefix test, and case-sensitive.
        {"D:\\copy of C:\\Users\\me\\Desktop\\x", true, false, kUserDesktop | kFile},
        {"c:\\users\\me\\desktop\\x", true, false, kSharedDesktop | kFile},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DesktopItemGroup(c.parsingName, c.found, c.directory, kDesktop, kPersonal), c.group)
            << c.parsingName;
    }
    // Folder paths the system did not deliver match nothing.
    EXPECT_EQ(DesktopItemGroup("C:\\x", true, false, "", ""), kSharedDesktop | kFile);
}

TEST(CompareFolded, FoldsAsciiLettersOnlyAndComparesUnsignedBytes) {
    const struct {
        const char* a;
        const char* b;
        int result;
    } cases[] = {
        {"Readme", "README", 0},
        {"a", "B", -1},
        {"abc", "ab", 1},
        {"", "", 0},
        {"[", "a", -1},           // '[' (0x5B) is above 'Z' but below 'a': not folded
        {"\x82\x60", "\x82\x81", -1},  // full-width Ａ and ａ differ
        {"\x83\x41", "\x83\x61", 0},  // equal lead bytes: the second bytes fold
        {"\xE0", "z", 1},         // bytes compare unsigned
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareFolded(c.a, c.b), c.result) << c.a << " vs " << c.b;
        EXPECT_EQ(CompareFolded(c.b, c.a), -c.result) << c.b << " vs " << c.a;
    }
}

DesktopItemInfo Item(const char* name, std::uint32_t group, const char* type = "", std::uint32_t sizeHigh = 0,
                     std::uint32_t sizeLow = 0, std::uint32_t timeHigh = 0, std::uint32_t timeLow = 0) {
    DesktopItemInfo info;
    info.displayName = name;
    info.parsingName = std::string("P:\\") + name;
    info.typeName = type;
    info.sizeHigh = sizeHigh;
    info.sizeLow = sizeLow;
    info.writeTimeHigh = timeHigh;
    info.writeTimeLow = timeLow;
    info.group = group;
    return info;
}

std::vector<std::string> Sorted(const DesktopItemTable& table, std::vector<std::string> texts, std::uint32_t kind) {
    std::stable_sort(texts.begin(), texts.end(), [&](const std::string& a, const std::string& b) {
        return CompareDesktopItems(table.Find(a), table.Find(b), a, b, kind) < 0;
    });
    return texts;
}

class SortedDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        table.Add(Item("zeta.txt", kUserDesktop | kFile, "Text", 0, 10, 5, 1));
        table.Add(Item("Alpha.txt", kUserDesktop | kFile, "text", 1, 0, 2, 0));
        table.Add(Item("beta.doc", kUserDesktop | kFile, "Document", 0, 0xFFFFFFFF, 5, 0));
        table.Add(Item("Folder", kUserDesktop | kFolder));
        table.Add(Item("shared.txt", kSharedDesktop | kFile, "Text", 0, 1));
        table.Add(Item("Trash", kOutsideFileSystem));
        table.Add(Item("Computer", kOutsideFileSystem));
        table.Add(Item("Documents", kPersonalDocuments));
    }
    DesktopItemTable table;
    const std::vector<std::string> all = {"zeta.txt", "Trash",  "beta.doc",  "shared.txt",
                                          "Folder",   "Alpha.txt", "Computer", "Documents", "unknown"};
};

TEST_F(SortedDesktop, GroupsNeverMixWhateverTheKind) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Sorted(table, all, 0),
              (V{"Documents", "Computer", "Trash", "shared.txt", "Folder", "Alpha.txt", "beta.doc", "zeta.txt",
                 "unknown"}));
    // By type: "Document" < "text" == "Text", and the sort keeps equal items in place.
    EXPECT_EQ(Sorted(table, all, 1),
              (V{"Documents", "Computer", "Trash", "shared.txt", "Folder", "beta.doc", "zeta.txt", "Alpha.txt",
                 "unknown"}));
    // By size: the high half decides first, both compared unsigned.
    EXPECT_EQ(Sorted(table, all, 2),
              (V{"Documents", "Computer", "Trash", "shared.txt", "Folder", "zeta.txt", "beta.doc", "Alpha.txt",
                 "unknown"}));
    // By date, and so for any unknown kind.
    const V byDate{"Documents", "Computer", "Trash", "shared.txt", "Folder", "Alpha.txt", "beta.doc", "zeta.txt",
                   "unknown"};
    EXPECT_EQ(Sorted(table, all, 3), byDate);
    EXPECT_EQ(Sorted(table, all, 7), byDate);
}

TEST_F(SortedDesktop, EqualKeysCompareEqual) {
    DesktopItemTable same;
    same.Add(Item("a", kUserDesktop | kFile, "Text", 0, 5, 1, 1));
    same.Add(Item("b", kUserDesktop | kFile, "TEXT", 0, 5, 1, 1));
    for (std::uint32_t kind : {1u, 2u, 3u}) EXPECT_EQ(CompareDesktopItems(same.Find("a"), same.Find("b"), "a", "b", kind), 0);
    EXPECT_EQ(CompareDesktopItems(same.Find("a"), same.Find("a"), "Read", "READ", 0), 0);
}

TEST_F(SortedDesktop, OrderIsAStrictWeakOrderingIncludingIconsWithoutRecords) {
    std::vector<std::string> texts = all;
    texts.push_back("Unknown");
    texts.push_back("another");
    const auto less = [&](const std::string& a, const std::string& b, std::uint32_t kind) {
        return CompareDesktopItems(table.Find(a), table.Find(b), a, b, kind) < 0;
    };
    for (std::uint32_t kind = 0; kind < 4; ++kind) {
        for (const auto& a : texts) {
            EXPECT_FALSE(less(a, a, kind)) << a;
            for (const auto& b : texts) {
                EXPECT_FALSE(less(a, b, kind) && less(b, a, kind)) << a << " " << b;
                for (const auto& c : texts) {
                    const bool equivalentAB = !less(a, b, kind) && !less(b, a, kind);
                    const bool equivalentBC = !less(b, c, kind) && !less(c, b, kind);
                    if (less(a, b, kind) && less(b, c, kind)) {
                        EXPECT_TRUE(less(a, c, kind)) << a << b << c;
                    }
                    if (equivalentAB && equivalentBC) {
                        EXPECT_FALSE(less(a, c, kind) || less(c, a, kind)) << a << b << c;
                    }
                }
            }
        }
    }
}

TEST(DesktopItemTable, KeepsTheFirstRecordOfANameAndKeysWholeNames) {
    DesktopItemTable table;
    DesktopItemInfo first = Item("same", kSharedDesktop | kFile);
    DesktopItemInfo second = Item("same", kUserDesktop | kFile);
    table.Add(first);
    table.Add(second);
    ASSERT_EQ(table.Size(), 1u);
    EXPECT_EQ(table.Find("same")->group, kSharedDesktop | kFile);
    const std::string longName(300, 'x');
    table.Add(Item(longName.c_str(), kUserDesktop | kFile));
    EXPECT_NE(table.Find(longName), nullptr);
    EXPECT_EQ(table.Find(longName.substr(0, 79)), nullptr);
    table.Clear();
    EXPECT_EQ(table.Size(), 0u);
}

}  // namespace
