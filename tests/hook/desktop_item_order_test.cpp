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

// A character code page 932 holds is keyed by its bytes in that code page,
// every byte from 'A' to 'Z' folded; any other character by 0xFF and its
// code point in three bytes.
TEST(FoldedKey, IsTheFoldedCodePage932BytesOrTheCodePointAfterThem) {
    const struct {
        const char* text;
        std::string key;
    } cases[] = {
        {"ReadMe[1]", "readme[1]"},
        {"", ""},
        {"ごみ箱", "\x82\xB2\x82\xDD\x94\xA0"},
        {"ア", "\x83\x61"},       // 0x83 0x41: the second byte folds too
        {"Ａ", "\x82\x60"},       // full-width: 0x60 is not a capital
        {"ｱ", "\xB1"},            // half-width katakana, one byte
        {"é", std::string("\xFF\x00\x00\xE9", 4)},
        {"😀", std::string("\xFF\x01\xF6\x00", 4)},
        {"Aé亜", std::string("a\xFF\x00\x00\xE9\x88\x9F", 7)},
        {"É", std::string("\xFF\x00\x00\xC9", 4)},  // only ASCII letters fold
    };
    for (const auto& c : cases) EXPECT_EQ(FoldedKey(c.text), c.key) << c.text;
}

TEST(CompareFolded, OrdersByCodePage932BytesAndPutsOtherCharactersAfterByCodePoint) {
    const struct {
        const char* a;
        const char* b;
        int result;
    } cases[] = {
        {"Readme", "README", 0},
        {"a", "B", -1},
        {"abc", "ab", 1},
        {"", "", 0},
        {"[", "a", -1},    // '[' (0x5B) is above 'Z' but below 'a': not folded
        {"Ａ", "ａ", -1},  // full-width letters differ
        {"ア", "ヂ", 0},   // 0x83 0x41 and 0x83 0x61: equal lead bytes, the second bytes fold
        {"Ａ", "亜", -1},  // 0x82 before 0x88, though U+FF21 is after U+4E9C
        {"ｱ", "漾", -1},   // 0xB1 before 0xE0, though U+FF71 is after U+6F3E
        {"亜", "ｱ", -1},
        {"z", "ｱ", -1},
        {"漾", "é", -1},   // every character of the code page before any other
        {"é", "한", -1},   // the others by code point
        {"\xEF\xBF\xBD", "😀", -1},  // U+FFFD before U+1F600, though UTF-16 has them the other way
        {"É", "é", -1},
        {"ab", "abé", -1},
        {"été-한글", "été-한글", 0},
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
    same.Add(Item("Read", kUserDesktop | kFile));
    same.Add(Item("READ", kUserDesktop | kFile));
    EXPECT_EQ(CompareDesktopItems(same.Find("Read"), same.Find("READ"), "Read", "READ", 0), 0);
}

TEST_F(SortedDesktop, OrderIsAStrictWeakOrderingIncludingIconsWithoutRecords) {
    table.Add(Item("été-한글", kUserDesktop | kFile, "Téxt", 0, 3, 1, 1));
    table.Add(Item("ヂ", kUserDesktop | kFile, "テキスト", 0, 3, 1, 1));
    std::vector<std::string> texts = all;
    for (const char* text : {"Unknown", "another", "été-한글", "ヂ", "ア", "😀", "ｱ", "é"}) texts.push_back(text);
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
    EXPECT_EQ(table.Find("same")->info.group, kSharedDesktop | kFile);
    const std::string longName(300, 'x');
    table.Add(Item(longName.c_str(), kUserDesktop | kFile));
    EXPECT_NE(table.Find(longName), nullptr);
    EXPECT_EQ(table.Find(longName.substr(0, 79)), nullptr);
    table.Clear();
    EXPECT_EQ(table.Size(), 0u);
}

}  // namespace
