#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include "desktop/desktop_icons_win32.h"
#include "desktop/icon_layout_win32.h"
#include "display/monitors_win32.h"
#include "framework/handles_win32.h"
#include "framework/wide_win32.h"
#include "resources/resource_ids.h"
#include "settings/settings_model.h"
#include "settings/settings_stream.h"
#include "tests/support/fake_shell_client_win32.h"
#include "tests/support/program_folder_win32.h"

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
    EXPECT_EQ(::GlobalFindAtomW(L"Doc"), 0);

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

// Names code page 932 cannot hold keep their own characters from the shell
// to the settings file and back: none of them stands in for another.
TEST_F(DesktopIcons, NamesOutsideCodePage932AreSavedStoredAndRestoredByThemselves) {
    const std::vector<FakeItem> items = {{"été-한글", 10, 20},   {"ete-한국", 110, 30},  {"😀 smile", 210, 40},
                                         {"😁 smile", 310, 50}, {"ごみ箱", 410, 60}, {"ＥＴＥ", 510, 70}};
    shell.SetItems(items);
    AppSettings saved;
    SaveIconLayout(saved.iconLayout);
    ASSERT_EQ(saved.iconLayout.Size(), items.size());
    for (const auto& item : items) {
        const IconPosition* position = saved.iconLayout.Find(item.text);
        ASSERT_NE(position, nullptr) << item.text;
        EXPECT_EQ(position->x, item.x) << item.text;
        EXPECT_EQ(position->y, item.y) << item.text;
        EXPECT_EQ(::GlobalFindAtomW(fw::Wide(item.text).c_str()), 0) << item.text << ": its atom was left behind";
    }

    MemorySink sink;
    ASSERT_TRUE(WriteSettings(saved, sink));
    MemorySource source(sink.Bytes());
    AppSettings loaded;
    ASSERT_EQ(ReadSettings(loaded, source, sink.Bytes().size()), LoadResult::Loaded);

    std::vector<FakeItem> moved(items.rbegin(), items.rend());
    for (auto& item : moved) item = {item.text, 0, 0};
    shell.SetItems(moved);
    RestoreIconLayout(loaded.iconLayout);
    for (std::size_t i = 0; i < moved.size(); ++i) {
        const FakeItem& original = items[items.size() - 1 - i];
        EXPECT_EQ(shell.Text(static_cast<int>(i)), original.text);
        EXPECT_EQ(shell.Position(static_cast<int>(i)).x, original.x) << original.text;
        EXPECT_EQ(shell.Position(static_cast<int>(i)).y, original.y) << original.text;
    }
}

// One record of a settings file, its name in code page 932 bytes as the
// file keeps every name that code page holds: x 70, y -80, "ごみ箱".
TEST_F(DesktopIcons, ALayoutStoredInCodePage932Restores) {
    const std::string stored("\x46\0\0\0\xB0\xFF\xFF\xFF\x06\x82\xB2\x82\xDD\x94\xA0", 15);
    MemorySource source(stored);
    SettingsArchive archive(source, stored.size());
    IconPosition position;
    position.Serialize(archive);
    ASSERT_FALSE(archive.Failed());
    IconLayout layout;
    layout.Insert(position);

    shell.SetItems({{"Doc", 5, 5}, {"ごみ箱", 0, 0}});
    RestoreIconLayout(layout);
    EXPECT_EQ(shell.Position(1).x, 70);
    EXPECT_EQ(shell.Position(1).y, -80);
    EXPECT_EQ(shell.Position(0).x, 5);
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
        std::wstring path;
        std::string displayName;
    };

    void SetUp() override {
        ASSERT_TRUE(shell.Ready());
        wchar_t path[MAX_PATH] = {};
        ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, TRUE));
        desktop = path;
        folder = Add("vl-folder", 0, 3, true);
        big = Add("vl-big.txt", 300, 1);
        small = Add("vl-small.log", 10, 2);
        middle = Add("vl-Middle.txt", 20, 4);
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
            ::DeleteFileW(f.c_str());
            ::RemoveDirectoryW(f.c_str());
        }
    }

    // A file of `size` bytes on the desktop, named `name` (UTF-8), whose
    // write time is `day` days into 2020.
    File Add(const std::string& name, DWORD size, int day, bool isFolder = false) {
        const std::wstring path = desktop + L"\\" + fw::Wide(name);
        if (isFolder) {
            ::CreateDirectoryW(path.c_str(), nullptr);
        } else {
            const fw::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            const std::string bytes(size, 'x');
            DWORD written = 0;
            ::WriteFile(file.Get(), bytes.data(), size, &written, nullptr);
            SYSTEMTIME time{2020, 1, 0, static_cast<WORD>(day), 12, 0, 0, 0};
            FILETIME write;
            ::SystemTimeToFileTime(&time, &write);
            ::SetFileTime(file.Get(), nullptr, nullptr, &write);
        }
        created.push_back(path);
        SHFILEINFOW info{};
        ::SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME);
        return {path, fw::Narrow(info.szDisplayName)};
    }

    static std::string NamespaceName(int csidl) {
        LPITEMIDLIST item = nullptr;
        if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &item))) return {};
        SHFILEINFOW info{};
        ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME);
        ::CoTaskMemFree(item);
        return fw::Narrow(info.szDisplayName);
    }

    std::vector<std::string> SortedBy(IconSortKind kind) {
        SortDesktopIcons(kind);
        return shell.Texts();
    }

    FakeShell shell;
    std::wstring desktop;
    std::vector<std::wstring> created;
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

// The shell sorts the icons by their own names: characters code page 932
// holds in the order of their bytes there, every other character after them
// by code point.
TEST_F(DesktopSort, NamesSortByTheirOwnCharacters) {
    const char* const inOrder[] = {"vl-b", "vl-ア", "vl-亜", "vl-ｱ", "vl-漾", "vl-été-한글", "vl-한", "vl-😀"};
    std::vector<std::string> expected;
    for (const char* name : inOrder) expected.push_back(Add(std::string(name) + ".txt", 1, 1).displayName);
    // No object bears this name: it sorts after every icon the shell
    // described, which each of the others must be, by its own name.
    const std::string unknown = "vl-a-no-such-object";
    std::vector<FakeItem> items{{unknown, 0, 0}};
    for (auto name = expected.rbegin(); name != expected.rend(); ++name) items.push_back({*name, 0, 0});
    shell.SetItems(items);
    expected.push_back(unknown);
    EXPECT_EQ(SortedBy(IconSortKind::Name), expected);
}

bool SetScreenSize(SIZE size) {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = static_cast<DWORD>(size.cx);
    mode.dmPelsHeight = static_cast<DWORD>(size.cy);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    return ::ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
}

SIZE ScreenSize() { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

// The real program against the stand-in shell, whose desktop rearranges its
// icons in its own time after a display change, on a screen whose size the
// test changes inside Wine's virtual desktop and always puts back.
class FollowingTheDisplay : public ProgramFolder {
protected:
    void SetUp() override {
        ProgramFolder::SetUp();
        ASSERT_TRUE(shell.Ready());
    }
    void TearDown() override {
        if (program.Running()) CloseAndExpectExit(program, frame);
        const SIZE now = ScreenSize();
        if (now.cx != original.cx || now.cy != original.cy) {
            EXPECT_TRUE(SetScreenSize(original));
        }
    }

    void Start(AppSettings& settings) {
        WriteSettingsFile(settings);
        frame = StartAndWaitForWindow(program);
        ASSERT_NE(frame, nullptr);
    }
    void Command(UINT id) const { ::PostMessageW(frame, WM_COMMAND, id, 0); }
    // Returns once every command posted before has been carried out: the
    // icons hidden and shown again come after them.
    bool CommandsTaken() const {
        Command(ID_HIDE_ICONS);
        if (!WaitFor([&] { return shell.Ask(fake_shell::kVisible) == 0; })) return false;
        Command(ID_HIDE_ICONS);
        return WaitFor([&] { return shell.Ask(fake_shell::kVisible) == 1; });
    }
    // The desktop has done rearranging and the icons stand where `items` says.
    bool StandAsIn(const std::vector<FakeItem>& items) const {
        if (shell.Ask(fake_shell::kRearranging)) return false;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const POINT at = shell.Position(static_cast<int>(i));
            if (at.x != items[i].x || at.y != items[i].y) return false;
        }
        return true;
    }
    // Where the rearranging desktop puts them: a column from the top-left corner.
    static std::vector<FakeItem> Rearranged(std::vector<FakeItem> items) {
        for (std::size_t i = 0; i < items.size(); ++i) items[i] = {items[i].text, 0, static_cast<int>(i) * 75};
        return items;
    }

    const SIZE original = ScreenSize();
    FakeShell shell;
    ChildProcess program;
    HWND frame = nullptr;
};

TEST_F(FollowingTheDisplay, ALayoutComesBackWhenTheDisplayReturnsToTheSetupItWasSavedOn) {
    if (original.cx != 1024 || original.cy != 768) {
        ASSERT_TRUE(SetScreenSize({1024, 768}));
    }
    const std::vector<FakeItem> large = {{"ごみ箱", 900, 20}, {"Doc", 900, 120}, {"readme", 600, 600}, {"メモ", 20, 680}};
    const std::vector<FakeItem> small = {{"ごみ箱", 700, 20}, {"Doc", 700, 120}, {"readme", 400, 450}, {"メモ", 20, 500}};
    shell.SetItems(large);
    AppSettings settings;
    settings.restoreIconLayoutAtStart = 1;  // which the display-change option follows
    Start(settings);
    Command(ID_SAVE_ICON_LAYOUT);
    ASSERT_TRUE(CommandsTaken());

    ASSERT_TRUE(SetScreenSize({800, 600}));
    ASSERT_TRUE(WaitFor([&] { return StandAsIn(Rearranged(large)); })) << "the desktop rearranged at 800 x 600";
    shell.SetItems(small);
    Command(ID_SAVE_ICON_LAYOUT);
    ASSERT_TRUE(CommandsTaken());

    ASSERT_TRUE(SetScreenSize({1024, 768}));
    EXPECT_TRUE(WaitFor([&] { return StandAsIn(large); })) << "the layout of 1024 x 768, after the rearranging";

    CloseAndExpectExit(program, frame);
    const AppSettings saved = ReadSettingsFile();
    ASSERT_NE(saved.iconLayout.Find("readme"), nullptr);
    EXPECT_EQ(saved.iconLayout.Find("readme")->x, 400) << "the classic layout is the one saved last";
    const auto& setups = saved.extension.setupLayouts.Entries();
    ASSERT_EQ(setups.size(), 2u);
    EXPECT_EQ(setups[0].setup, CurrentDisplaySetupKey()) << "restored last, so used last";
    ASSERT_TRUE(setups[0].layout.has_value());
    ASSERT_NE(setups[0].layout->Find("readme"), nullptr);
    EXPECT_EQ(setups[0].layout->Find("readme")->y, 600);
    EXPECT_FALSE(setups[1].layout.has_value()) << "800 x 600's layout is the classic one";
}

// A new shell gets the layout of the set-up it runs on, not the one saved
// last on another.
TEST_F(FollowingTheDisplay, ANewShellGetsTheLayoutOfTheSetupBack) {
    AppSettings settings;
    settings.extension.userOptions.restoreLayoutOnDisplayChange = true;
    IconLayout own, elsewhere;
    own.Insert({300, 40, "Doc"});
    elsewhere.Insert({5, 5, "Doc"});
    settings.extension.setupLayouts.Save(CurrentDisplaySetupKey(), own, settings.iconLayout);
    settings.extension.setupLayouts.Save("0,0,1,1@96", elsewhere, settings.iconLayout);
    shell.SetItems({{"a", 0, 0}, {"Doc", 0, 75}});
    Start(settings);
    ASSERT_TRUE(CommandsTaken());
    EXPECT_EQ(shell.Position(1).x, 0) << "restoring at start is off";

    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(frame, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_NORMAL, kTimeoutMs, &answer);
    EXPECT_TRUE(WaitFor([&] { return StandAsIn({{"a", 0, 0}, {"Doc", 300, 40}}); }));
}

}  // namespace
