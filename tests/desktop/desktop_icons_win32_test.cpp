#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include "desktop/desktop_icons_win32.h"
#include "desktop/icon_layout_win32.h"
#include "settings/settings_model.h"
#include "tests/support/fake_shell_win32.h"

using namespace wine_test;

namespace {

class DesktopIcons : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(shell.Ready()); }
    FakeShell shell;
};

TEST_F(DesktopIcons, SmallIconsOnAnEmptyDesktopSetTheStyleAndLeaveTheColumnAlone) {
    UseSmallDesktopIcons();
    EXPECT_EQ(shell.Ask(fake_shell::kStyle) & LVS_TYPEMASK, LVS_SMALLICON);
    EXPECT_EQ(shell.Ask(fake_shell::kLastColumnWidth), -2) << "a width of 0 hides every text";
    EXPECT_EQ(shell.Ask(fake_shell::kOwnProcedure), 1);
}

TEST_F(DesktopIcons, SmallIconsFitTheColumnToTheWidestItem) {
    shell.SetItems({{"a", 0, 0}, {"a much longer icon text", 0, 80}, {"mid", 0, 160}});
    UseSmallDesktopIcons();
    LRESULT widest = 0;
    for (int i = 0; i < 3; ++i) widest = std::max(widest, shell.Ask(fake_shell::kItemWidth, static_cast<WPARAM>(i)));
    ASSERT_GT(widest, shell.Ask(fake_shell::kItemWidth, 2)) << "the widest item is not the last";
    EXPECT_EQ(shell.Ask(fake_shell::kLastColumnWidth), widest);
}

TEST_F(DesktopIcons, StandardIconsClearBothViewBitsAndLeaveTheColumnAlone) {
    UseSmallDesktopIcons();
    shell.Ask(fake_shell::kResetCounters);
    UseStandardDesktopIcons();
    EXPECT_EQ(shell.Ask(fake_shell::kStyle) & LVS_TYPEMASK, LVS_ICON);
    EXPECT_EQ(shell.Ask(fake_shell::kLastColumnWidth), -2);
}

TEST_F(DesktopIcons, LabelBackgroundIsSetOnlyWhenItChanges) {
    ApplyLabelBackgroundSetting(true);
    EXPECT_EQ(static_cast<COLORREF>(shell.Ask(fake_shell::kTextBkColor)), CLR_NONE);
    ApplyLabelBackgroundSetting(true);
    EXPECT_EQ(shell.Ask(fake_shell::kTextBkSets), 1);
    ApplyLabelBackgroundSetting(false);
    EXPECT_EQ(static_cast<COLORREF>(shell.Ask(fake_shell::kTextBkColor)), ::GetSysColor(COLOR_BACKGROUND));
    EXPECT_EQ(shell.Ask(fake_shell::kTextBkSets), 2);
}

TEST_F(DesktopIcons, HideAndShow) {
    ShowDesktopIcons(SW_HIDE);
    EXPECT_EQ(shell.Ask(fake_shell::kVisible), 0);
    ShowDesktopIcons(SW_SHOWNORMAL);
    EXPECT_EQ(shell.Ask(fake_shell::kVisible), 1);
}

TEST_F(DesktopIcons, LayoutIsSavedAndRestoredByExactText) {
    shell.SetItems({{"ごみ箱", 10, 20}, {"Doc", 100, 20}, {"Doc", 200, 40}, {"readme", 300, 20},
                    {std::string(300, 'L'), 400, 20}});
    IconLayout layout;
    layout.Insert({1, 1, "stale"});
    SaveIconLayout(layout);
    ASSERT_EQ(layout.Size(), 3u) << "replaced wholly; the long text has no atom";
    EXPECT_EQ(layout.Find("ごみ箱")->x, 10);
    EXPECT_EQ(layout.Find("Doc")->x, 200) << "the later index wins";
    EXPECT_EQ(layout.Find("Doc")->y, 40);
    EXPECT_EQ(::GlobalFindAtomA("Doc"), 0);

    shell.SetItems({{"Doc", 0, 0}, {"ごみ箱", 0, 0}, {"Readme", 0, 0}, {"Doc", 0, 0}});
    layout.Insert({70050, -5, "ごみ箱"});  // only the low 16 bits travel: 70050 becomes 4514
    layout.Insert({9, 9, "nobody"});
    RestoreIconLayout(layout);
    EXPECT_EQ(shell.Position(0).x, 200);
    EXPECT_EQ(shell.Position(0).y, 40);
    EXPECT_EQ(shell.Position(3).x, 200);
    EXPECT_EQ(shell.Position(1).x, 4514);
    EXPECT_EQ(shell.Position(1).y, -5);
    EXPECT_EQ(shell.Position(2).x, 0) << "Readme differs from readme in case only: not moved";
    EXPECT_NE(layout.Find("nobody"), nullptr);
    EXPECT_EQ(shell.Ask(fake_shell::kOwnProcedure), 1);
}

TEST_F(DesktopIcons, SavingAnEmptyDesktopEmptiesTheLayout) {
    IconLayout layout;
    layout.Insert({1, 1, "old"});
    SaveIconLayout(layout);
    EXPECT_EQ(layout.Size(), 0u);
}

// A shell thread busy past the wait answers, but through the list view's
// own procedure: its zeros must not pass for an empty desktop.
TEST_F(DesktopIcons, ABusyShellNeitherWipesTheLayoutNorZeroesTheColumn) {
    constexpr DWORD kLongerThanAnyCheck = 2500;
    shell.SetItems({{"a", 10, 20}, {"b", 90, 20}});
    IconLayout layout;
    layout.Insert({1, 1, "kept"});
    shell.Stall(kLongerThanAnyCheck);
    SaveIconLayout(layout);
    EXPECT_EQ(layout.Size(), 1u);
    EXPECT_NE(layout.Find("kept"), nullptr) << "the saved layout was wiped";
    ASSERT_TRUE(shell.Drain());

    shell.Ask(fake_shell::kResetCounters);
    shell.Stall(kLongerThanAnyCheck);
    FitDesktopIconColumn();
    EXPECT_EQ(shell.Ask(fake_shell::kLastColumnWidth), -2);
    ASSERT_TRUE(shell.Drain());
    EXPECT_EQ(shell.Ask(fake_shell::kOwnProcedure), 1);

    SaveIconLayout(layout);  // answering again
    ASSERT_NE(layout.Find("b"), nullptr);
    EXPECT_EQ(layout.Find("b")->x, 90);
    EXPECT_EQ(layout.Find("kept"), nullptr);
}

TEST(DesktopIconsWithoutShell, OperationsChangeNothing) {
    IconLayout layout;
    layout.Insert({1, 1, "kept"});
    SaveIconLayout(layout);
    RestoreIconLayout(layout);
    UseSmallDesktopIcons();
    ShowDesktopIcons(SW_HIDE);
    SortDesktopIcons(IconSortKind::Name);
    EXPECT_EQ(layout.Size(), 1u);
    EXPECT_EQ(FindDesktopListView(), nullptr);
}

TEST(DesktopIconsOnWorkerW, LayoutWorksWhereTheShellMovedTheListView) {
    FakeShell shell(FakeShell::Shape::WorkerW);
    ASSERT_TRUE(shell.Ready());
    shell.SetItems({{"a", 30, 40}});
    IconLayout layout;
    SaveIconLayout(layout);
    ASSERT_NE(layout.Find("a"), nullptr);
    EXPECT_EQ(layout.Find("a")->y, 40);
}

// Two hundred icons, every one put back from somewhere else.
TEST_F(DesktopIcons, TwoHundredIconsAreSavedAndPutBack) {
    std::vector<FakeItem> items, moved;
    for (int i = 0; i < 200; ++i) {
        items.push_back({"Icon " + std::to_string(i), i % 20 * 75, i / 20 * 75});
        moved.push_back({"Icon " + std::to_string(i), 1500 - i % 20 * 60, 900 - i / 20 * 60});
    }
    shell.SetItems(items);
    IconLayout layout;
    SaveIconLayout(layout);
    ASSERT_EQ(layout.Size(), 200u);
    shell.SetItems(moved);
    RestoreIconLayout(layout);
    for (int i = 0; i < 200; i += 13) {
        EXPECT_EQ(shell.Position(i).x, items[static_cast<std::size_t>(i)].x) << i;
        EXPECT_EQ(shell.Position(i).y, items[static_cast<std::size_t>(i)].y) << i;
    }
}

// Real files on the Wine user's desktop, an item for each in the fake shell.
class DesktopSort : public ::testing::Test {
protected:
    struct File {
        std::string path;
        std::string displayName;
    };

    void SetUp() override {
        ASSERT_TRUE(shell.Ready());
        char desktop[MAX_PATH] = {};
        ASSERT_TRUE(::SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, TRUE));
        folder = Add(std::string(desktop) + "\\vl-folder", 0, 3, true);
        big = Add(std::string(desktop) + "\\vl-big.txt", 300, 1);
        small = Add(std::string(desktop) + "\\vl-small.log", 10, 2);
        middle = Add(std::string(desktop) + "\\vl-Middle.txt", 20, 4);
        // Objects outside the file system, ordered by parsing name:
        // ::{20D04FE0-...} before ::{645FF040-...}.
        computer = NamespaceName(CSIDL_DRIVES);
        bin = NamespaceName(CSIDL_BITBUCKET);
        ASSERT_FALSE(computer.empty());
        ASSERT_FALSE(bin.empty());
        std::vector<FakeItem> items;
        for (const auto* f : {&middle, &small, &folder, &big}) items.push_back({f->displayName, 0, 0});
        items.push_back({bin, 0, 0});
        items.push_back({"vl-no-such-object", 0, 0});
        items.push_back({computer, 0, 0});
        shell.SetItems(items);
    }

    void TearDown() override {
        for (const auto& f : created) {
            ::DeleteFileA(f.c_str());
            ::RemoveDirectoryA(f.c_str());
        }
    }

    // A file of `size` bytes whose write time is `day` days into 2020.
    File Add(const std::string& path, DWORD size, int day, bool isFolder = false) {
        if (isFolder) {
            ::CreateDirectoryA(path.c_str(), nullptr);
        } else {
            WriteFileBytes(path, std::string(size, 'x'));
            SYSTEMTIME time{2020, 1, 0, static_cast<WORD>(day), 12, 0, 0, 0};
            FILETIME write;
            ::SystemTimeToFileTime(&time, &write);
            HANDLE h = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ::SetFileTime(h, nullptr, nullptr, &write);
            ::CloseHandle(h);
        }
        created.push_back(path);
        SHFILEINFOA info{};
        ::SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME);
        return {path, info.szDisplayName};
    }

    static std::string NamespaceName(int csidl) {
        LPITEMIDLIST item = nullptr;
        if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &item))) return {};
        SHFILEINFOA info{};
        ::SHGetFileInfoA(reinterpret_cast<LPCSTR>(item), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME);
        ::CoTaskMemFree(item);
        return info.szDisplayName;
    }

    std::vector<std::string> SortedBy(IconSortKind kind) {
        SortDesktopIcons(kind);
        return shell.Texts();
    }

    FakeShell shell;
    std::vector<std::string> created;
    File folder, big, small, middle;
    std::string computer, bin;
};

TEST_F(DesktopSort, SortsWithinGroupsByEachKind) {
    using V = std::vector<std::string>;
    const std::string unknown = "vl-no-such-object";
    EXPECT_EQ(SortedBy(IconSortKind::Name),
              (V{computer, bin, folder.displayName, big.displayName, middle.displayName, small.displayName, unknown}));
    EXPECT_EQ(SortedBy(IconSortKind::Size),
              (V{computer, bin, folder.displayName, small.displayName, middle.displayName, big.displayName, unknown}));
    const V byDate{computer, bin, folder.displayName, big.displayName, small.displayName, middle.displayName,
                   unknown};
    EXPECT_EQ(SortedBy(IconSortKind::Date), byDate);
    EXPECT_EQ(SortedBy(static_cast<IconSortKind>(7)), byDate);
    EXPECT_EQ(shell.Ask(fake_shell::kOwnProcedure), 1);
}

TEST_F(DesktopSort, TypeSortKeepsEqualTypesTogether) {
    const auto order = SortedBy(IconSortKind::Type);
    ASSERT_EQ(order.size(), 7u);
    EXPECT_EQ(order[0], computer);
    EXPECT_EQ(order[1], bin);
    EXPECT_EQ(order[2], folder.displayName);
    // The two .txt files share a type name, so the .log file is never between them.
    const auto at = [&](const std::string& name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
    EXPECT_EQ(std::abs(at(big.displayName) - at(middle.displayName)), 1);
}

}  // namespace
