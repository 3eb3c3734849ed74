// The settings dialog, its pages, the properties dialog and the about box,
// run in this process and driven through their controls from a second
// thread, as a user's input would reach them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "app/settings_commit_win32.h"
#include "dialogs/about_box_win32.h"
#include "dialogs/dialog_context_win32.h"
#include "dialogs/other_settings_page_win32.h"
#include "dialogs/settings_dialog_win32.h"
#include "framework/long_path_win32.h"
#include "framework/wide_win32.h"
#include "resources/resource_ids.h"
#include "settings/image_list.h"
#include "settings/picture_properties_dialog_win32.h"
#include "settings/settings_model.h"
#include "settings/settings_records.h"
#include "tests/support/dialog_driver_win32.h"
#include "tests/support/wine_support_win32.h"

using namespace wine_test;

namespace {

std::string TextOf(HWND window) { return WindowText(window); }

// The page of the tab control that holds a control of the given id and class.
HWND Page(HWND dialog, int id, const char* className) {
    const HWND tabs = ::GetDlgItem(dialog, IDC_SETTINGS_TABS);
    for (HWND page = ::GetWindow(tabs, GW_CHILD); page; page = ::GetWindow(page, GW_HWNDNEXT)) {
        char name[64] = {};
        ::GetClassNameA(::GetDlgItem(page, id), name, sizeof(name));
        if (lstrcmpiA(name, className) == 0) return page;
    }
    return nullptr;
}
HWND ImagePage(HWND d) { return Page(d, IDC_PICTURE_LIST, "SysListView32"); }
HWND IntervalPageOf(HWND d) { return Page(d, IDC_INTERVAL_SPIN, "msctls_updown32"); }
HWND BossPage(HWND d) { return Page(d, IDC_BOSS_HOTKEY, "msctls_hotkey32"); }
HWND OtherPage(HWND d) { return Page(d, IDC_STARTUP_SHORTCUT, "Button"); }

bool ApplyEnabled(HWND dialog) { return ::IsWindowEnabled(::GetDlgItem(dialog, IDC_SETTINGS_APPLY)); }

// A click as the mouse gives it: the dialog reacts as to a user.
void Click(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// The same for a button that opens a modal window: do not wait for it.
void ClickLater(HWND dialog, int id) { ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

HWND OwnedDialog(HWND owner) {
    HWND found = nullptr;
    WaitFor([&] {
        found = nullptr;
        for (HWND w = ::GetTopWindow(nullptr); w && !found; w = ::GetWindow(w, GW_HWNDNEXT)) {
            if (::GetWindow(w, GW_OWNER) == owner && ::IsWindowVisible(w)) found = w;
        }
        return found != nullptr;
    });
    return found;
}

// The dialog with the program's own commit, against a stand-in main window
// whose rotation ticks are counted.
class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        live.intervalUnit = 2;
        live.intervalValue = 30;
        AppendPicture(live.imageList, "C:\\pics\\sky.jpg");
        settings.Revert();
    }
    INT_PTR Run(const std::function<void(HWND)>& steps) {
        SettingsDialog dialog(context);
        return RunDriven(dialog, [&] { return dialog.RunModal(main.Handle()); }, steps);
    }
    SettingsRecords settings;
    AppSettings& live = settings.Live();
    AppSettings& working = settings.Working();
    fw::UniqueHandle event{::CreateEventW(nullptr, TRUE, TRUE, nullptr)};
    StandInMainWindow main;
    TempFolder program{"dialog"};
    int ticks = 0;
    int saves = 0;
    SettingsCommit commit{settings, event.Get(), main.Handle(), [this] { ++ticks; }, [this](HWND) { ++saves; }};
    DialogContext context{settings, program.Path(), [this](HWND owner) { CommitSettings(commit, owner); }};
};

TEST_F(SettingsDialogTest, ApplyCommitsAndIsEnabledOnlyByAChange) {
    Run([&](HWND d) {
        EXPECT_EQ(TextOf(d), "Vistaloom");
        EXPECT_FALSE(ApplyEnabled(d));
        ShowTab(d, 1);
        EXPECT_TRUE(::IsWindowVisible(IntervalPageOf(d)));
        EXPECT_FALSE(::IsWindowVisible(ImagePage(d)));
        Click(IntervalPageOf(d), IDC_ORDER_RANDOM);
        EXPECT_TRUE(ApplyEnabled(d));
        EXPECT_EQ(live.randomOrder, 0) << "only the working copy until Apply";
        Click(d, IDC_SETTINGS_APPLY);
        EXPECT_FALSE(ApplyEnabled(d));
        EXPECT_EQ(live.randomOrder, 1);
        EXPECT_EQ(saves, 1) << "a commit writes the settings file";
        Click(d, IDC_SETTINGS_CANCEL);
    });
    EXPECT_EQ(saves, 1) << "Cancel writes nothing";
    EXPECT_EQ(live.randomOrder, 1) << "Cancel after Apply keeps what was applied";
    EXPECT_EQ(ticks, 0) << "the order alone does not restart the rotation";
    EXPECT_EQ(::WaitForSingleObject(event.Get(), 0), WAIT_OBJECT_0) << "the change event is set again";
}

TEST_F(SettingsDialogTest, CancelAndTheCloseBoxDiscardTheEdits) {
    for (const bool closeBox : {false, true}) {
        EXPECT_EQ(Run([&](HWND d) {
                      Click(OtherPage(d), IDC_SMALL_ICONS);
                      EXPECT_EQ(working.smallIcons, 1);
                      if (closeBox) {
                          ::SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
                      } else {
                          Click(d, IDC_SETTINGS_CANCEL);
                      }
                  }),
                  IDCANCEL);
        EXPECT_EQ(live.smallIcons, 0);
        EXPECT_EQ(working.smallIcons, 0) << "the next opening shows the live values";
    }
}

TEST_F(SettingsDialogTest, TheFullScreenOptionIsOnByDefaultAndFollowsCancelAndOk) {
    for (const bool ok : {false, true}) {
        Run([&](HWND d) {
            const HWND page = OtherPage(d);
            EXPECT_EQ(::IsDlgButtonChecked(page, IDC_PAUSE_IN_FULL_SCREEN), static_cast<UINT>(BST_CHECKED));
            Click(page, IDC_PAUSE_IN_FULL_SCREEN);
            EXPECT_FALSE(working.extension.userOptions.pauseInFullScreen);
            EXPECT_TRUE(live.extension.userOptions.pauseInFullScreen) << "only the working copy until a commit";
            EXPECT_TRUE(ApplyEnabled(d));
            Click(d, ok ? IDC_SETTINGS_OK : IDC_SETTINGS_CANCEL);
        });
        EXPECT_EQ(live.extension.userOptions.pauseInFullScreen, !ok);
        EXPECT_EQ(working.extension.userOptions.pauseInFullScreen, !ok);
    }
}

// The display-change box shows what the option does: until the user sets
// it, what the restore at start says.
TEST_F(SettingsDialogTest, TheDisplayChangeOptionFollowsTheRestoreAtStartUntilItIsClicked) {
    const auto checked = [](HWND page, int id) { return ::IsDlgButtonChecked(page, id) == BST_CHECKED; };
    Run([&](HWND d) {
        const HWND page = OtherPage(d);
        EXPECT_FALSE(checked(page, IDC_PER_MONITOR_PICTURES)) << "off by default";
        EXPECT_FALSE(checked(page, IDC_RESTORE_LAYOUT_ON_DISPLAY_CHANGE));
        Click(page, IDC_RESTORE_LAYOUT);
        EXPECT_TRUE(checked(page, IDC_RESTORE_LAYOUT_ON_DISPLAY_CHANGE)) << "follows the restore at start";
        EXPECT_FALSE(working.extension.userOptions.restoreLayoutOnDisplayChange.has_value());
        Click(page, IDC_RESTORE_LAYOUT_ON_DISPLAY_CHANGE);
        EXPECT_EQ(working.extension.userOptions.restoreLayoutOnDisplayChange, false);
        Click(page, IDC_RESTORE_LAYOUT);
        Click(page, IDC_RESTORE_LAYOUT);
        EXPECT_FALSE(checked(page, IDC_RESTORE_LAYOUT_ON_DISPLAY_CHANGE)) << "the user's own choice stays";
        Click(page, IDC_PER_MONITOR_PICTURES);
        Click(d, IDC_SETTINGS_OK);
    });
    EXPECT_TRUE(live.extension.userOptions.perMonitorPictures);
    EXPECT_EQ(live.extension.userOptions.restoreLayoutOnDisplayChange, false);
    EXPECT_EQ(live.restoreIconLayoutAtStart, 1);

    live.extension.userOptions.restoreLayoutOnDisplayChange = true;
    live.restoreIconLayoutAtStart = 0;
    working.CopyFrom(live);
    Run([&](HWND d) {
        EXPECT_TRUE(checked(OtherPage(d), IDC_RESTORE_LAYOUT_ON_DISPLAY_CHANGE)) << "the user's own choice";
        Click(d, IDC_SETTINGS_CANCEL);
    });
}

// Keys typed for real, so that the dialog manager sees them as a user's.
void Type(std::initializer_list<WORD> held, WORD key) {
    std::vector<INPUT> keys;
    auto add = [&keys](WORD vk, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = flags;
        keys.push_back(input);
    };
    for (const WORD vk : held) add(vk, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    for (auto vk = std::rbegin(held); vk != std::rend(held); ++vk) add(*vk, KEYEVENTF_KEYUP);
    ASSERT_EQ(::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)), keys.size());
}

TEST_F(SettingsDialogTest, CtrlTabItsKinAndTheArrowKeysChangeThePage) {
    Run([&](HWND d) {
        const HWND tabs = ::GetDlgItem(d, IDC_SETTINGS_TABS);
        const HWND pages[] = {ImagePage(d), IntervalPageOf(d), BossPage(d), OtherPage(d)};
        auto shows = [&](int index) {
            for (int i = 0; i < 4; ++i) {
                if ((::IsWindowVisible(pages[i]) != FALSE) != (i == index)) return false;
            }
            return ::SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == index;
        };
        ::SetForegroundWindow(d);
        ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == d; }));
        const struct {
            std::initializer_list<WORD> held;
            WORD key;
            int page;
        } steps[] = {
            {{VK_CONTROL}, VK_TAB, 1},           {{VK_CONTROL}, VK_NEXT, 2}, {{VK_CONTROL, VK_SHIFT}, VK_TAB, 1},
            {{VK_CONTROL}, VK_PRIOR, 0},         {{VK_CONTROL, VK_SHIFT}, VK_TAB, 3},  // round the end
            {{VK_CONTROL}, VK_TAB, 0},
        };
        for (const auto& step : steps) {
            Type(step.held, step.key);
            EXPECT_TRUE(WaitFor([&] { return shows(step.page); })) << "key " << step.key << " to page " << step.page;
        }
        // On the focused tab control the arrows move along the tabs, and the
        // focus stays there for the next press.
        ::SendMessageW(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tabs), TRUE);
        for (const auto& [key, page] : {std::pair{VK_RIGHT, 1}, std::pair{VK_RIGHT, 2}, std::pair{VK_LEFT, 1}}) {
            Type({}, static_cast<WORD>(key));
            EXPECT_TRUE(WaitFor([&] { return shows(page); })) << "arrow to page " << page;
        }
        Click(d, IDC_SETTINGS_CANCEL);
    });
}

TEST_F(SettingsDialogTest, OkCommitsAndTicksOnlyForANewInterval) {
    EXPECT_EQ(Run([&](HWND d) { Click(d, IDC_SETTINGS_OK); }), IDOK);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(Run([&](HWND d) {
                  const HWND page = IntervalPageOf(d);
                  ::SetDlgItemTextW(page, IDC_INTERVAL_VALUE, L"45");
                  Click(d, IDC_SETTINGS_OK);
              }),
              IDOK);
    EXPECT_EQ(live.intervalValue, 45);
    EXPECT_EQ(ticks, 1);
}

TEST_F(SettingsDialogTest, AHotkeyHeldElsewhereIsReportedAfterTheCopy) {
    ASSERT_TRUE(::RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'A'));
    working.bossHotkey = 0x0341;
    Run([&](HWND d) {
        ::EnableWindow(::GetDlgItem(d, IDC_SETTINGS_APPLY), TRUE);
        ClickLater(d, IDC_SETTINGS_APPLY);
        const HWND box = OwnedDialog(d);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), "ホットキーの登録に失敗しました\n他のアプリケーションで使用されています");
        EXPECT_EQ(live.bossHotkey, 0x0341);
        PressButton(box, IDOK);
        EXPECT_TRUE(WaitFor([&] { return !ApplyEnabled(d); }));
    });
    ::UnregisterHotKey(nullptr, 7);
}

TEST_F(SettingsDialogTest, IntervalPageHoldsTheValueToItsUnit) {
    working.intervalUnit = 0;
    working.intervalValue = 30;
    Run([&](HWND d) {
        const HWND page = IntervalPageOf(d);
        EXPECT_EQ(TextOf(::GetDlgItem(page, IDC_INTERVAL_VALUE)), "24");
        EXPECT_EQ(working.intervalValue, 24);
        EXPECT_FALSE(ApplyEnabled(d)) << "no notice while the page fills itself";
        Click(page, IDC_UNIT_MINUTES);
        EXPECT_EQ(working.intervalValue, 24);
        ::SetDlgItemTextW(page, IDC_INTERVAL_VALUE, L"5");
        Click(page, IDC_UNIT_SECONDS);
        EXPECT_EQ(working.intervalUnit, 2);
        EXPECT_EQ(working.intervalValue, 10);
        EXPECT_EQ(TextOf(::GetDlgItem(page, IDC_INTERVAL_UNIT_LABEL)), "秒");
        int low = 0, high = 0;
        ::SendMessageW(::GetDlgItem(page, IDC_INTERVAL_SPIN), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                       reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(low, 10);
        EXPECT_EQ(high, 60);
        EXPECT_TRUE(ApplyEnabled(d));

        ::SetDlgItemTextW(page, IDC_INTERVAL_VALUE, L"");
        ClickLater(page, IDC_UNIT_HOURS);
        const HWND box = OwnedDialog(d);  // a child's message box belongs to its top-level window
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), "整数を入力してください。");
        PressButton(box, IDOK);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
        EXPECT_EQ(working.intervalUnit, 2) << "the unit is not taken";
    });
}

// What is stored is what the rotation runs: a typed value outside the unit's
// range is held to it before the commit, where the scheduler would have run
// another period than the file says.
TEST_F(SettingsDialogTest, ATypedIntervalIsHeldToItsUnitBeforeTheCommit) {
    working.intervalUnit = 2;
    working.intervalValue = 30;
    Run([&](HWND d) {
        const HWND page = IntervalPageOf(d);
        ::SetDlgItemTextW(page, IDC_INTERVAL_VALUE, L"5");
        Click(d, IDC_SETTINGS_APPLY);
        EXPECT_EQ(live.intervalValue, 10);
        EXPECT_EQ(TextOf(::GetDlgItem(page, IDC_INTERVAL_VALUE)), "10") << "the page shows what was stored";
        EXPECT_FALSE(ApplyEnabled(d));
        ::SetDlgItemTextW(page, IDC_INTERVAL_VALUE, L"75");
        Click(d, IDC_SETTINGS_OK);
    });
    EXPECT_EQ(live.intervalValue, 60);
}

TEST_F(SettingsDialogTest, BossKeyPageTakesTheKeyThePathAndThePause) {
    working.bossHotkey = 0x0341;
    Run([&](HWND d) {
        const HWND page = BossPage(d);
        const HWND hotkey = ::GetDlgItem(page, IDC_BOSS_HOTKEY);
        EXPECT_EQ(::SendMessageW(hotkey, HKM_GETHOTKEY, 0, 0), 0x0641) << "shown as Ctrl + Alt + A";
        // Shift + F12 typed for real into the focused hotkey control.
        ::SetForegroundWindow(d);
        ::SendMessageW(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hotkey), TRUE);
        ASSERT_TRUE(WaitFor([&] { return ::GetFocus() == hotkey || ::GetForegroundWindow() == d; }));
        INPUT keys[4] = {};
        const WORD sequence[4][2] = {{VK_SHIFT, 0}, {VK_F12, 0}, {VK_F12, KEYEVENTF_KEYUP}, {VK_SHIFT, KEYEVENTF_KEYUP}};
        for (int i = 0; i < 4; ++i) {
            keys[i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = sequence[i][0];
            keys[i].ki.dwFlags = sequence[i][1];
        }
        ASSERT_EQ(::SendInput(4, keys, sizeof(INPUT)), 4u);
        EXPECT_TRUE(WaitFor([&] { return working.bossHotkey == 0x047B; })) << std::hex << working.bossHotkey;
        EXPECT_TRUE(ApplyEnabled(d));
        ::SetDlgItemTextW(page, IDC_BOSS_PICTURE, L"C:\\boss.jpg");
        EXPECT_EQ(working.bossPicturePath, "C:\\boss.jpg");
        Click(page, IDC_BOSS_PAUSE);
        EXPECT_EQ(working.pauseAfterBossKey, 0);
        EXPECT_EQ(TextOf(::GetDlgItem(page, IDC_BOSS_BROWSE)), "");
    });
}

TEST_F(SettingsDialogTest, ImageListPageShowsAndChangesTheWorkingList) {
    AppendPicture(working.imageList, "C:\\pics\\tree.bmp");
    Run([&](HWND d) {
        const HWND page = ImagePage(d);
        const HWND list = ::GetDlgItem(page, IDC_PICTURE_LIST);
        const auto cell = [&](int row, int column) {
            wchar_t text[260] = {};
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = static_cast<int>(std::size(text));
            ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
            return fw::Narrow(text);
        };
        const char* expected[] = {"sky.jpg", "なし", "100%", "0%", "C:\\pics"};
        for (int column = 0; column < 5; ++column) EXPECT_EQ(cell(0, column), expected[column]) << column;

        Click(page, IDC_PICTURE_DELETE);
        EXPECT_EQ(working.imageList.size(), 2u);
        EXPECT_FALSE(ApplyEnabled(d)) << "delete with nothing selected";

        // Properties on the first row: the tiled row shows the short text until the next refresh.
        LVITEMA select{};
        select.stateMask = LVIS_SELECTED;
        select.state = LVIS_SELECTED;
        ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
        ClickLater(page, IDC_PICTURE_PROPERTIES);
        const HWND properties = OwnedDialog(d);
        ASSERT_NE(properties, nullptr);
        EXPECT_EQ(TextOf(properties), "ﾀﾞｲｱﾛｸﾞ");
        ::SendMessageW(::GetDlgItem(properties, IDC_DISPLAY_METHOD), CB_SETCURSEL, 1, 0);
        ::SetDlgItemTextW(properties, IDC_MAGNIFICATION, L"1000");
        PressButton(properties, IDOK);
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(properties); }));
        EXPECT_EQ(cell(0, 1), "タイル");
        EXPECT_EQ(cell(0, 2), "1000%");
        EXPECT_EQ(working.imageList[0].displayMethod, 1);
        EXPECT_EQ(working.imageList[0].magnification, 1000);
        EXPECT_TRUE(ApplyEnabled(d));

        select.state = 0;
        ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
        select.state = LVIS_SELECTED;
        ::SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
        Click(page, IDC_PICTURE_DELETE);
        ASSERT_EQ(working.imageList.size(), 1u);
        EXPECT_EQ(cell(0, 1), "タイル表示") << "after a refresh";
    });
}

// A drop handle as the shell makes one: DROPFILES and the paths, each ended by a zero.
// A drop as the shell makes it: wide names, each ended by a zero.
HGLOBAL DropHandle(const std::vector<std::string>& paths) {
    std::wstring names;
    for (const auto& path : paths) names += fw::Wide(path) + L'\0';
    names += L'\0';
    const std::size_t bytes = names.size() * sizeof(wchar_t);
    const HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + bytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), bytes);
    ::GlobalUnlock(block);
    return block;
}

// Names beyond code page 932 and paths beyond MAX_PATH come whole, through
// the drop and the folder scan alike.
TEST_F(SettingsDialogTest, DroppedFilesAndFoldersAreRegistered) {
    TempFolder pictures("drop");
    const std::string deep = pictures / std::string(120, 'd') + "\\" + std::string(120, 'e');
    for (const std::string& folder : {pictures / "more", pictures / std::string(120, 'd'), deep}) {
        ASSERT_TRUE(::CreateDirectoryW(fw::LongPath(folder).c_str(), nullptr)) << folder;
    }
    const std::string names[] = {pictures / "a.jpg", pictures / "été-한글😀.gif", pictures / "more\\c.bmp",
                                 deep + "\\deep.jpg"};
    for (const auto& name : names) ASSERT_TRUE(WriteFileBytes(name, "x")) << name;
    ASSERT_GT(names[3].size(), static_cast<std::size_t>(MAX_PATH));
    Run([&](HWND d) {
        const HWND list = ::GetDlgItem(ImagePage(d), IDC_PICTURE_LIST);
        const HGLOBAL drop = DropHandle({names[0], names[1], pictures / "more", deep + "\\deep.jpg",
                                         pictures / std::string(120, 'd')});
        ::SendMessageW(list, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 6);
        EXPECT_TRUE(ApplyEnabled(d));
        ASSERT_EQ(working.imageList.size(), 6u);
        const std::string expected[] = {names[0], names[1], names[2], names[3], names[3]};
        for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(working.imageList[i + 1].path, expected[i]);
    });
}

// The list shows a row the working copy no longer holds: nothing to edit.
TEST_F(SettingsDialogTest, PropertiesOnARowPastTheEndOfTheListDoNothing) {
    AppendPicture(working.imageList, "C:\\pics\\tree.bmp");
    Run([&](HWND d) {
        const HWND page = ImagePage(d);
        const HWND list = ::GetDlgItem(page, IDC_PICTURE_LIST);
        LVITEMA select{};
        select.stateMask = LVIS_SELECTED;
        select.state = LVIS_SELECTED;
        ::SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
        working.imageList.pop_back();
        ClickLater(page, IDC_PICTURE_PROPERTIES);
        // Taken after the click: the delete of the same row, past the end as well.
        ClickLater(page, IDC_PICTURE_DELETE);
        ASSERT_TRUE(WaitFor([&] { return ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 1; }));
        HWND opened = nullptr;
        for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
            if (::GetWindow(w, GW_OWNER) == d && ::IsWindowVisible(w)) opened = w;
        }
        EXPECT_EQ(opened, nullptr) << "the properties dialog opened for a row that is not there";
        if (opened) PressButton(opened, IDCANCEL);
        EXPECT_EQ(working.imageList.size(), 1u);
    });
}

TEST_F(SettingsDialogTest, OtherPageOptionsAndTheStartupShortcut) {
    wchar_t startup[MAX_PATH] = {};
    ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, startup, CSIDL_STARTUP, TRUE));
    const std::string shortcut = fw::Narrow(startup) + "\\Vistaloom.lnk";
    ::DeleteFileW(fw::Wide(shortcut).c_str());
    Run([&](HWND d) {
        const HWND page = OtherPage(d);
        Click(page, IDC_TRANSPARENT_LABELS);
        EXPECT_EQ(working.transparentLabelBackground, 1);
        Click(page, IDC_STARTUP_SHORTCUT);
        EXPECT_TRUE(FileExists(shortcut));
        Click(d, IDC_SETTINGS_CANCEL);
    });
    EXPECT_TRUE(FileExists(shortcut)) << "the shortcut stays whatever the dialog's outcome";
    ::CoInitialize(nullptr);
    fw::ComPtr<IShellLinkW> link;
    fw::ComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             link.PutVoid())));
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid())));
    ASSERT_TRUE(SUCCEEDED(file->Load(fw::Wide(shortcut).c_str(), STGM_READ)));
    wchar_t target[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, 0);
    EXPECT_EQ(lstrcmpiW(target, fw::Wide(program.Path() + "\\Vistaloom.exe").c_str()), 0) << fw::Narrow(target);
    EXPECT_FALSE(CreateStartupShortcut(program.Path())) << "an existing shortcut is never replaced";
    file.Reset();
    link.Reset();
    ::CoUninitialize();
    ::DeleteFileW(fw::Wide(shortcut).c_str());
}

TEST(PicturePropertiesDialogTest, ShowsTheValuesAndTakesOnlyIntegers) {
    PicturePropertiesDialog dialog;
    dialog.displayMethod = 1;
    dialog.magnification = 150;
    dialog.transparency = 20;
    EXPECT_EQ(RunDriven(dialog,
                        [&](HWND d) {
                            EXPECT_EQ(TextOf(::GetDlgItem(d, IDC_DISPLAY_METHOD)), "タイル表示");
                            EXPECT_EQ(TextOf(::GetDlgItem(d, IDC_MAGNIFICATION)), "150");
                            EXPECT_EQ(TextOf(::GetDlgItem(d, IDC_TRANSPARENCY)), "20");
                            ::SetDlgItemTextW(d, IDC_TRANSPARENCY, L"abc");
                            PressButton(d, IDOK);
                            const HWND box = OwnedDialog(d);
                            ASSERT_NE(box, nullptr);
                            EXPECT_EQ(MessageBoxText(box), "整数を入力してください。");
                            PressButton(box, IDOK);
                            ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box); }));
                            EXPECT_TRUE(::IsWindow(d)) << "the dialog stays open";
                            ::SetDlgItemTextW(d, IDC_TRANSPARENCY, L"-5");
                            PressButton(d, IDOK);
                        }),
              IDOK);
    EXPECT_EQ(dialog.transparency, -5);
    EXPECT_EQ(dialog.magnification, 150);

    PicturePropertiesDialog unknown;
    unknown.displayMethod = 7;
    EXPECT_EQ(RunDriven(unknown,
                        [&](HWND d) {
                            EXPECT_EQ(TextOf(::GetDlgItem(d, IDC_DISPLAY_METHOD)), "");
                            PressButton(d, IDOK);
                        }),
              IDOK);
    EXPECT_EQ(unknown.displayMethod, -1);
}

// Fill and Fit size the picture to the screen: the magnification field and
// its arrows are off while one of them is chosen, when the dialog opens on
// it and as the arrow keys walk the list, which drops down with room for all.
TEST(PicturePropertiesDialogTest, MagnificationIsOffForFillAndFit) {
    const char* names[] = {"なし", "タイル表示", "拡大表示", "画面いっぱい", "画面に合わせる"};
    const auto steps = [&](HWND d) {
        const HWND combo = ::GetDlgItem(d, IDC_DISPLAY_METHOD);
        RECT dropped{}, field{};
        ::SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        ::GetWindowRect(combo, &field);
        EXPECT_GE(dropped.bottom - field.bottom, 5 * ::SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
        const auto expectMethod = [&](int method) {
            EXPECT_EQ(TextOf(combo), names[method]);
            for (const int id : {IDC_MAGNIFICATION, IDC_MAGNIFICATION_SPIN}) {
                const bool enabled = ::IsWindowEnabled(::GetDlgItem(d, id)) != FALSE;
                EXPECT_EQ(enabled, method < 3) << names[method] << ", control " << id;
            }
        };
        expectMethod(4);
        for (const auto& [key, method] : {std::pair{VK_HOME, 0}, {VK_DOWN, 1}, {VK_DOWN, 2}, {VK_DOWN, 3},
                                          {VK_DOWN, 4}, {VK_UP, 3}, {VK_UP, 2}}) {
            ::SendMessageW(combo, WM_KEYDOWN, key, 0);
            expectMethod(method);
        }
        PressButton(d, IDOK);
    };
    PicturePropertiesDialog dialog;
    dialog.displayMethod = 4;
    dialog.magnification = 150;
    EXPECT_EQ(RunDriven(dialog, steps), IDOK);
    EXPECT_EQ(dialog.displayMethod, 2);
    EXPECT_EQ(dialog.magnification, 150);
}

TEST(AboutBoxTest, ShowsTheVersionFromTheVersionResourceAndClosesOnAClick) {
    AboutBox box;
    EXPECT_EQ(RunDriven(box,
                        [&](HWND d) {
                            const std::string text = TextOf(::GetDlgItem(d, IDOK));
                            EXPECT_EQ(text.substr(0, text.find("\r\n")), "Vistaloom Ver. 1.0.3");
                            EXPECT_NE(text.find("Merrowind"), std::string::npos);
                            Click(d, IDOK);
                        }),
              IDOK);
}

}  // namespace
