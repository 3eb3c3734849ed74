#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/tray_icon_win32.h"
#include "desktop/desktop_icons_win32.h"
#include "framework/handles_win32.h"
#include "framework/wide_win32.h"
#include "resources/resource_ids.h"
#include "settings/image_list.h"
#include "settings/settings_model.h"
#include "tests/support/fake_shell_client_win32.h"
#include "tests/support/program_folder_win32.h"
#include "wallpaper/bitmap_image_win32.h"
#include "wallpaper/bitmap_ops.h"

using namespace wine_test;

namespace {

constexpr PixelValue kColours[] = {0x00C81E1E, 0x001EC83C, 0x001E3CC8, 0x00C8C81E, 0x0096289B};
constexpr PixelValue kBossColour = 0x00F0E0A0;
constexpr std::uint16_t kBossHotkey = (MOD_CONTROL | MOD_SHIFT) << 8 | 'B';

UINT Registered(const char* name) { return ::RegisterWindowMessageW(fw::Wide(name).c_str()); }

class RunningProgram : public ProgramFolder {
protected:

    // Settings with `count` pictures, changing every minute so that only
    // the test's own commands make ticks.
    AppSettings WithPictures(int count, bool random = false) {
        AppSettings s;
        s.intervalUnit = 1;
        s.intervalValue = 1;
        s.randomOrder = random;
        for (int i = 0; i < count; ++i) {
            const char name[] = {'p', static_cast<char>('0' + i), '.', 'b', 'm', 'p', '\0'};
            AppendPicture(s.imageList, Picture(name, kColours[i]));
        }
        return s;
    }

    HWND Start(AppSettings& settings) {
        WriteSettingsFile(settings);
        frame = StartAndWaitForWindow(program);
        return frame;
    }

    // The colour the desktop shows at its centre, where the centred picture
    // lies. (Reading Vistaloom.bmp instead would hold the file open and make
    // the program's next write of it fail.)
    static COLORREF Centre(int dx = 0, int dy = 0) {
        const POINT at{::GetSystemMetrics(SM_CXSCREEN) / 2 + dx, ::GetSystemMetrics(SM_CYSCREEN) / 2 + dy};
        return ScreenPixels({at.x, at.y, at.x + 1, at.y + 1})[0];
    }
    static COLORREF Corner() { return ScreenPixels({5, 5, 6, 6})[0]; }
    static COLORREF AsColorRef(PixelValue p) { return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF); }
    bool Shows(PixelValue colour) const {
        return WaitFor([&] { return Centre() == AsColorRef(colour); });
    }
    // Waits a while to be sure that nothing changes.
    bool KeepsShowing(PixelValue colour) const {
        return !WaitFor([&] { return Centre() != AsColorRef(colour); }, 1500);
    }

    void Command(UINT id) const { ::PostMessageW(frame, WM_COMMAND, id, 0); }
    void TrayClick(UINT mouseMessage) const { ::PostMessageW(frame, Registered("WM_NOTIFY_TRAYICON"), 1, mouseMessage); }
    bool TrayShows(TrayState state) const { return WaitFor([&] { return ReadTrayState() == state; }); }

    // Every test starts from a desktop without wallpaper, so that a
    // picture left by the one before cannot pass for its own.
    void SetUp() override {
        ProgramFolder::SetUp();
        ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(""), SPIF_SENDWININICHANGE);
        ASSERT_TRUE(WaitFor([] { return Centre() == ::GetSysColor(COLOR_BACKGROUND); }));
    }
    void TearDown() override {
        if (program.Running()) CloseAndExpectExit(program, frame);
    }

    ChildProcess program;
    HWND frame = nullptr;
};

TEST_F(RunningProgram, ListOrderShowsEachPictureInTurnAndPreviousStepsBack) {
    AppSettings s = WithPictures(3);
    ASSERT_NE(Start(s), nullptr);
    ASSERT_TRUE(Shows(kColours[0])) << "the first picture at once";
    for (int expected : {1, 2, 0}) {
        Command(ID_NEXT_PICTURE);
        ASSERT_TRUE(Shows(kColours[expected])) << expected;
    }
    Command(ID_NEXT_PICTURE);
    ASSERT_TRUE(Shows(kColours[1]));
    Command(ID_NEXT_PICTURE);
    ASSERT_TRUE(Shows(kColours[2]));
    Command(ID_PREVIOUS_PICTURE);  // the picture before the third: the second
    EXPECT_TRUE(Shows(kColours[1]));
}

// Each picture with its own display method, magnification and
// transparency, as the screen shows them (64 x 48 pictures, centred unless
// tiled; transparency 50 % mixes the picture and the desktop half and half).
TEST_F(RunningProgram, EachPictureShowsWithItsDisplaySettings) {
    AppSettings s = WithPictures(3);
    s.imageList[1].magnification = 50;
    s.imageList[1].transparency = 50;
    s.imageList[2].displayMethod = 1;
    const COLORREF desktop = ::GetSysColor(COLOR_BACKGROUND);
    const auto half = [&](PixelValue p) {
        return RGB(((p >> 16 & 0xFF) + GetRValue(desktop)) / 2, ((p >> 8 & 0xFF) + GetGValue(desktop)) / 2,
                   ((p & 0xFF) + GetBValue(desktop)) / 2);
    };
    ASSERT_NE(Start(s), nullptr);
    ASSERT_TRUE(Shows(kColours[0]));
    EXPECT_EQ(Centre(28, 20), AsColorRef(kColours[0])) << "at its own size";
    EXPECT_EQ(Centre(36, 0), desktop);
    EXPECT_EQ(Corner(), desktop) << "centred";
    Command(ID_NEXT_PICTURE);
    ASSERT_TRUE(WaitFor([&] { return Centre() == half(kColours[1]); })) << "blended half and half";
    EXPECT_EQ(Centre(12, 8), half(kColours[1])) << "at half its size";
    EXPECT_EQ(Centre(20, 0), desktop);
    Command(ID_NEXT_PICTURE);
    EXPECT_TRUE(WaitFor([&] { return Corner() == AsColorRef(kColours[2]); })) << "tiled to the corner";
}

// A 2:1 picture, red with green edges of an eighth of its width each, on
// the 1024 x 768 test screen: filled, the edges are cut away; fitted, it is
// 1024 x 512 between bands of 128 rows of the desktop colour. Neither takes
// the magnification.
TEST_F(RunningProgram, FillAndFitWriteAWallpaperOfTheScreensSize) {
    ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1024);
    ASSERT_EQ(::GetSystemMetrics(SM_CYSCREEN), 768);
    const PixelValue red = kColours[0], green = kColours[1];
    const PixelValue desktop = PixelValueFromColorRef(::GetSysColor(COLOR_BACKGROUND));
    auto picture = CreateSolidBitmap({128, 64}, red);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 16; ++x) picture->RowFromTop(y)[x] = picture->RowFromTop(y)[127 - x] = green;
    }
    ASSERT_TRUE(WriteBitmapFile(Folder() + "\\wide.bmp", &*picture));
    AppSettings s = WithPictures(0);
    for (const DisplayMethod method : {DisplayMethod::Fill, DisplayMethod::Fit}) {
        AppendPicture(s.imageList, Folder() + "\\wide.bmp");
        s.imageList.back().displayMethod = static_cast<std::int32_t>(method);
        s.imageList.back().magnification = 25;
    }
    const auto expectWallpaper = [&](std::initializer_list<std::pair<POINT, PixelValue>> points) {
        const std::string file = ReadFileBytes(Bitmap());
        ASSERT_EQ(file.size(), 54u + 1024 * 768 * 4);
        for (const auto& [at, expected] : points) {
            PixelValue stored = 0;
            std::memcpy(&stored, file.data() + 54 + 4 * ((767 - at.y) * 1024 + at.x), 4);  // bottom row first
            EXPECT_EQ(stored, expected) << at.x << "," << at.y;
        }
        for (const char* name : {"TileWallpaper", "WallpaperStyle"}) {
            char text[8] = {};
            DWORD size = sizeof(text);
            ::RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, text,
                           &size);
            EXPECT_STREQ(text, "0") << name;
        }
    };
    ASSERT_NE(Start(s), nullptr);
    ASSERT_TRUE(WaitFor([&] { return Corner() == AsColorRef(red); })) << "filled to the corner";
    expectWallpaper({{{0, 0}, red}, {{1023, 0}, red}, {{0, 767}, red}, {{1023, 767}, red}});
    Command(ID_NEXT_PICTURE);
    ASSERT_TRUE(WaitFor([&] { return Corner() == AsColorRef(desktop); })) << "fitted between bands";
    expectWallpaper({{{512, 127}, desktop}, {{512, 128}, red}, {{4, 384}, green}, {{1019, 384}, green},
                     {{512, 639}, red}, {{512, 640}, desktop}});
}

// The file's size, without opening it: an open handle would make the
// program's next write of it fail.
std::int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<std::int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

bool SetScreenSize(int width, int height) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    return ::ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
}

TEST_F(RunningProgram, AFittedPictureFollowsANewScreenSize) {
    const auto bitmapOf = [](int width, int height) { return 54 + std::int64_t{width} * height * 4; };
    AppSettings s = WithPictures(1);
    s.imageList[0].displayMethod = static_cast<std::int32_t>(DisplayMethod::Fit);
    ASSERT_NE(Start(s), nullptr);
    ASSERT_TRUE(WaitFor([&] { return FileSize(Bitmap()) == bitmapOf(1024, 768); }));
    const fw::ScopeExit back([] { SetScreenSize(1024, 768); });
    ASSERT_TRUE(SetScreenSize(800, 600));
    EXPECT_TRUE(WaitFor([&] { return FileSize(Bitmap()) == bitmapOf(800, 600); }));
    ASSERT_TRUE(SetScreenSize(1024, 768));
    EXPECT_TRUE(WaitFor([&] { return FileSize(Bitmap()) == bitmapOf(1024, 768); }));
}

TEST_F(RunningProgram, RandomOrderShowsTheSameShuffleInEveryRun) {
    const int order[] = {3, 2, 4, 1, 0};  // the first shuffle of five pictures
    for (int run = 0; run < 2; ++run) {
        AppSettings s = WithPictures(5, true);
        ASSERT_NE(Start(s), nullptr);
        for (int i = 0; i < 5; ++i) {
            if (i > 0) Command(ID_NEXT_PICTURE);
            ASSERT_TRUE(Shows(kColours[order[i]])) << "run " << run << ", picture " << i;
        }
        CloseAndExpectExit(program, frame);
        ::DeleteFileA(Bitmap().c_str());
    }
}

TEST_F(RunningProgram, LeftClicksToggleTheRotationAndItsTrayIcon) {
    AppSettings s = WithPictures(2);
    ASSERT_NE(Start(s), nullptr);
    ASSERT_TRUE(Shows(kColours[0]));
    EXPECT_TRUE(TrayShows(TrayState::Enabled));
    TrayClick(WM_LBUTTONDOWN);
    EXPECT_TRUE(TrayShows(TrayState::Disabled));
    Command(ID_NEXT_PICTURE);  // a tick that finds rotation disabled does nothing
    EXPECT_TRUE(KeepsShowing(kColours[0]));
    TrayClick(WM_RBUTTONUP);  // other mouse messages are ignored
    TrayClick(WM_LBUTTONDOWN);
    EXPECT_TRUE(TrayShows(TrayState::Enabled));
    EXPECT_TRUE(Shows(kColours[1])) << "enabling changes the wallpaper at once";
    Command(ID_SMALL_ICONS);
    CloseAndExpectExit(program, frame);
    const AppSettings saved = ReadSettingsFile();
    EXPECT_EQ(saved.rotationEnabled, 1);
    EXPECT_EQ(saved.smallIcons, 1) << "the icon-size command writes the live settings";
    EXPECT_EQ(saved.rotationPosition, 2);
}

TEST_F(RunningProgram, EmptyListChangesNothing) {
    AppSettings s = WithPictures(0);
    ASSERT_NE(Start(s), nullptr);
    Command(ID_NEXT_PICTURE);
    EXPECT_FALSE(WaitFor([&] { return FileExists(Bitmap()); }, 1500));
}

TEST_F(RunningProgram, ExitShowsHiddenDesktopIconsAndTheTaskbarComingBackKeepsThemHidden) {
    FakeShell shell;
    ASSERT_TRUE(shell.Ready());
    AppSettings s = WithPictures(1);
    ASSERT_NE(Start(s), nullptr);
    Command(ID_HIDE_ICONS);
    ASSERT_TRUE(WaitFor([&] { return shell.Ask(fake_shell::kVisible) == 0; }));
    TrayClick(WM_LBUTTONDOWN);
    ASSERT_TRUE(TrayShows(TrayState::Disabled));

    // The shell restarts its taskbar: the icon is gone until the program adds it again.
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    icon.hWnd = frame;
    icon.uID = 1;
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &icon));
    ASSERT_TRUE(TrayShows(TrayState::None));
    ::ShowWindow(FindDesktopListView(), SW_SHOW);  // the new shell shows its icons
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(frame, Registered("TaskbarCreated"), 0, 0, SMTO_NORMAL, kTimeoutMs, &answer);
    EXPECT_TRUE(TrayShows(TrayState::Disabled)) << "the icon comes back as it was";
    EXPECT_TRUE(WaitFor([&] { return shell.Ask(fake_shell::kVisible) == 0; })) << "hidden icons are hidden again";

    CloseAndExpectExit(program, frame);
    EXPECT_EQ(shell.Ask(fake_shell::kVisible), 1);
    EXPECT_TRUE(TrayShows(TrayState::None));
}

TEST_F(RunningProgram, BossKeyShowsTheBossPictureCentredAndPausesTheRotation) {
    AppSettings s = WithPictures(2);
    s.bossHotkey = kBossHotkey;
    s.bossPicturePath = Picture("boss.bmp", kBossColour);
    ASSERT_NE(Start(s), nullptr);
    ASSERT_TRUE(Shows(kColours[0]));
    // The keys pressed for real: Ctrl+Shift+B.
    std::vector<INPUT> keys;
    for (WORD vk : {WORD(VK_CONTROL), WORD(VK_SHIFT), WORD('B')}) keys.push_back({INPUT_KEYBOARD, {.ki = {vk, 0, 0, 0, 0}}});
    for (WORD vk : {WORD('B'), WORD(VK_SHIFT), WORD(VK_CONTROL)}) {
        keys.push_back({INPUT_KEYBOARD, {.ki = {vk, 0, KEYEVENTF_KEYUP, 0, 0}}});
    }
    ASSERT_EQ(::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)), keys.size());
    EXPECT_TRUE(Shows(kBossColour));
    EXPECT_EQ(Centre(28, 20), AsColorRef(kBossColour)) << "at its own size";
    EXPECT_EQ(Centre(36, 0), ::GetSysColor(COLOR_BACKGROUND)) << "centred";
    EXPECT_TRUE(TrayShows(TrayState::Disabled));
    Command(ID_NEXT_PICTURE);
    EXPECT_TRUE(KeepsShowing(kBossColour)) << "no rotation after the boss key";
    CloseAndExpectExit(program, frame);
    EXPECT_EQ(ReadSettingsFile().rotationEnabled, 0);
}

// The boss picture is composed ahead of the key; a file changed since, and
// a picture changed in the settings, show as they are when the key comes.
TEST_F(RunningProgram, TheBossKeyShowsTheBossPictureAsItIsWhenTheKeyComes) {
    AppSettings s = WithPictures(0);
    s.bossPicturePath = Picture("boss.bmp", kBossColour);
    ASSERT_NE(Start(s), nullptr);
    const UINT boss = 256;
    ::PostMessageW(frame, WM_HOTKEY, boss, 0);
    ASSERT_TRUE(Shows(kBossColour));
    Picture("boss.bmp", kColours[2]);  // the same size, a later time
    ::PostMessageW(frame, WM_HOTKEY, boss, 0);
    EXPECT_TRUE(Shows(kColours[2]));
    Picture("boss.bmp", kBossColour);
    ::PostMessageW(frame, WM_HOTKEY, boss, 0);
    EXPECT_TRUE(Shows(kBossColour));
}

// A rotation change asked for just before the boss key, on a picture that
// takes a second to compose, must not replace the boss picture when it is
// done: that would defeat the boss key.
TEST_F(RunningProgram, TheBossKeyWinsOverARotationChangeStillComposing) {
    AppSettings s = WithPictures(0);
    s.rotationEnabled = 0;
    WallpaperEntry photograph;
    photograph.path = BuildFolder() + "\\fixtures\\photo24.jpg";
    photograph.displayMethod = 1;  // tiled: its style values would show that it was applied
    s.imageList.push_back(photograph);
    s.bossHotkey = kBossHotkey;
    s.bossPicturePath = Picture("boss.bmp", kBossColour);
    ASSERT_NE(Start(s), nullptr);
    TrayClick(WM_LBUTTONDOWN);  // enabled: the photograph begins to compose at once
    ASSERT_TRUE(WaitFor([&] { return ProgramThreadsBesideMain(program.Id(), program.MainThreadId()) > 0; }));
    ::PostMessageW(frame, WM_HOTKEY, 256, 0);
    ASSERT_TRUE(Shows(kBossColour));
    ASSERT_TRUE(WaitFor([&] { return ProgramThreadsBesideMain(program.Id(), program.MainThreadId()) == 0; }, 120000))
        << "the photograph's worker did not end";
    char tile[8] = {};
    DWORD size = sizeof(tile);
    ::RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "TileWallpaper", RRF_RT_REG_SZ, nullptr, tile, &size);
    EXPECT_STREQ(tile, "0") << "the photograph was applied after the boss picture";
    EXPECT_EQ(ReadFileBytes(Bitmap()).size(), 54u + 64 * 48 * 4) << "the photograph was written after the boss picture";
    EXPECT_EQ(Centre(), AsColorRef(kBossColour));
    EXPECT_TRUE(TrayShows(TrayState::Disabled));
}

// Without the pause the rotation goes on; a missing or empty path erases
// the wallpaper; a folder is no picture and leaves the wallpaper as it is.
// Pictures are composed off the main window's thread: it answers while a
// large one is still being worked on. (How fast: scripts/bench-wine.)
TEST_F(RunningProgram, TheMainWindowAnswersWhileALargePictureIsComposed) {
    AppSettings s = WithPictures(0);
    s.rotationEnabled = 0;
    AppendPicture(s.imageList, BuildFolder() + "\\fixtures\\photo24.jpg");
    ASSERT_NE(Start(s), nullptr);
    TrayClick(WM_LBUTTONDOWN);  // enabled: the photograph begins to compose at once
    ASSERT_TRUE(WaitFor([&] { return ProgramThreadsBesideMain(program.Id(), program.MainThreadId()) > 0; }));
    DWORD_PTR answer = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &answer));
    EXPECT_GT(ProgramThreadsBesideMain(program.Id(), program.MainThreadId()), 0) << "answered only once it was done";
    EXPECT_TRUE(WaitFor([&] { return ProgramThreadsBesideMain(program.Id(), program.MainThreadId()) == 0; }, 120000));
}

TEST_F(RunningProgram, BossKeyWithoutPauseWithoutPictureAndWithAFolder) {
    const COLORREF desktop = ::GetSysColor(COLOR_BACKGROUND);
    const struct {
        std::string path;
        bool pause;
        COLORREF shown;
    } cases[] = {{Picture("boss.bmp", kBossColour), false, AsColorRef(kBossColour)},
                 {Folder() + "\\missing.bmp", true, desktop},
                 {"", true, desktop},
                 {Folder(), true, AsColorRef(kColours[0])}};
    for (const auto& c : cases) {
        AppSettings s = WithPictures(2);
        s.bossPicturePath = c.path;
        s.pauseAfterBossKey = c.pause;
        ASSERT_NE(Start(s), nullptr);
        ASSERT_TRUE(Shows(kColours[0]));
        ::PostMessageW(frame, WM_HOTKEY, 256, 0);  // as the system sends it
        EXPECT_TRUE(TrayShows(c.pause ? TrayState::Disabled : TrayState::Enabled)) << c.path;
        ASSERT_TRUE(WaitFor([&] { return ProgramThreadsBesideMain(program.Id(), program.MainThreadId()) == 0; }));
        EXPECT_TRUE(WaitFor([&] { return Centre() == c.shown; })) << c.path;
        if (!c.pause) {
            Command(ID_NEXT_PICTURE);
            EXPECT_TRUE(Shows(kColours[1])) << "the rotation goes on after the boss key";
        }
        CloseAndExpectExit(program, frame);
    }
}

TEST_F(RunningProgram, AHotkeyHeldByAnotherProgramIsReportedOnceAtStart) {
    ASSERT_TRUE(::RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, 'B'));
    AppSettings s = WithPictures(0);
    s.bossHotkey = kBossHotkey;
    WriteSettingsFile(s);
    ASSERT_TRUE(program.Start(Exe(), Folder()));
    ExpectMessageAndPressOk(program, "ホットキーの登録に失敗しました\n他のアプリケーションで使用されています");
    frame = WaitForProcessWindow(program.Id(), kFrameClass, "Vistaloom");
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !FindProcessWindow(program.Id(), "#32770"); }));
    EXPECT_FALSE(WaitFor([&] { return FindProcessWindow(program.Id(), "#32770") != nullptr; }, 1000)) << "once";
    ::UnregisterHotKey(nullptr, 1);
}

// A library named as the help viewer in the program's folder, where anyone
// who may write there can put one, must not load: the viewer comes from
// the system folder.
TEST_F(RunningProgram, HelpViewerComesFromTheSystemFolderOnly) {
    const std::string planted = Folder() + "\\hhctrl.ocx";
    ASSERT_TRUE(::CopyFileA((BuildFolder() + "\\probe\\hhctrl.ocx").c_str(), planted.c_str(), FALSE));
    // Windows prefers a library beside the program to its own copy; Wine
    // does so for this program only when told.
    constexpr char kOverrides[] = "Software\\Wine\\AppDefaults\\Vistaloom.exe";
    constexpr char kNativeFirst[] = "native,builtin";
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, (std::string(kOverrides) + "\\DllOverrides").c_str(), "hhctrl.ocx",
                                REG_SZ, kNativeFirst, sizeof(kNativeFirst)),
              ERROR_SUCCESS);
    const fw::ScopeExit forget([&] { ::RegDeleteTreeA(HKEY_CURRENT_USER, kOverrides); });
    AppSettings s = WithPictures(0);
    ASSERT_NE(Start(s), nullptr);
    Command(ID_SHOW_HELP);
    Command(ID_TOGGLE_ROTATION);  // taken after the help command
    ASSERT_TRUE(TrayShows(TrayState::Disabled));
    EXPECT_FALSE(FileExists(planted + ".loaded")) << "the library in the program's folder was loaded";
    DWORD_PTR answer = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &answer));
    for (HWND help; (help = FindProcessWindow(program.Id(), "HH Parent"));) ::SendMessageW(help, WM_CLOSE, 0, 0);
}

int DialogsOf(DWORD processId) {
    struct Count {
        DWORD pid;
        int n;
    } count{processId, 0};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* c = reinterpret_cast<Count*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            char name[16] = {};
            ::GetClassNameA(window, name, sizeof(name));
            c->n += owner == c->pid && std::string(name) == "#32770" && ::IsWindowVisible(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.n;
}

TEST_F(RunningProgram, SettingsDialogAndAboutBoxOpenOnceEach) {
    AppSettings s = WithPictures(0);
    ASSERT_NE(Start(s), nullptr);
    Command(ID_SHOW_SETTINGS);
    Command(ID_SHOW_SETTINGS);
    HWND settings = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        settings = FindProcessWindow(program.Id(), "#32770", "Vistaloom");
        return settings && ::GetDlgItem(settings, IDC_SETTINGS_TABS) && ::IsWindowVisible(settings);
    }));
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &answer);  // the second request is taken
    EXPECT_EQ(DialogsOf(program.Id()), 1);
    ::PostMessageW(settings, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return DialogsOf(program.Id()) == 0; }));

    Command(ID_SHOW_ABOUT);
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        about = FindProcessWindow(program.Id(), "#32770");
        return about && ::IsWindowVisible(about) && !WindowText(::GetDlgItem(about, IDOK)).empty();
    }));
    EXPECT_EQ(WindowText(::GetDlgItem(about, IDOK)).substr(0, 20), "Vistaloom Ver. 1.0.3");
    PressButton(about, IDOK);
    EXPECT_TRUE(WaitFor([&] { return DialogsOf(program.Id()) == 0; }));
}

// The tray menu's desktop commands, end to end, against the stand-in shell.
TEST_F(RunningProgram, TrayCommandsReachTheWallpaperAndTheDesktopIcons) {
    FakeShell shell;
    ASSERT_TRUE(shell.Ready());
    shell.SetItems({{"c", 10, 20}, {"b", 110, 20}, {"A", 210, 20}});
    // The user's own wallpaper, stored by the system.
    std::string own = Picture("own.bmp", kColours[4]);
    ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, own.data(), SPIF_UPDATEINIFILE);
    const fw::ScopeExit forgetOwn([] { ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(""), SPIF_UPDATEINIFILE); });
    AppSettings s = WithPictures(1);
    ASSERT_NE(Start(s), nullptr);
    ASSERT_TRUE(Shows(kColours[0]));
    Command(ID_ERASE_WALLPAPER);
    EXPECT_TRUE(WaitFor([&] { return Centre() == ::GetSysColor(COLOR_BACKGROUND); }));
    // Wine re-reads the wallpaper it last showed, Windows the stored one.
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
                         "Wallpaper");
    Command(ID_RESTORE_WALLPAPER);
    EXPECT_TRUE(Shows(kColours[4])) << "the user's own wallpaper";

    Command(ID_SAVE_ICON_LAYOUT);
    // Hiding and showing the icons again: every command before is taken.
    Command(ID_HIDE_ICONS);
    ASSERT_TRUE(WaitFor([&] { return shell.Ask(fake_shell::kVisible) == 0; }));
    Command(ID_HIDE_ICONS);
    ASSERT_TRUE(WaitFor([&] { return shell.Ask(fake_shell::kVisible) == 1; }));
    shell.SetItems({{"c", 0, 300}, {"b", 0, 400}, {"A", 0, 500}});
    Command(ID_RESTORE_ICON_LAYOUT);
    EXPECT_TRUE(WaitFor([&] { return shell.Position(1).x == 110 && shell.Position(1).y == 20; }));
    for (const UINT sort : {ID_SORT_BY_NAME, ID_SORT_BY_TYPE, ID_SORT_BY_SIZE, ID_SORT_BY_DATE}) {
        shell.SetItems({{"c", 0, 0}, {"b", 0, 0}, {"A", 0, 0}});
        Command(sort);
        EXPECT_TRUE(WaitFor([&] { return shell.Texts() == std::vector<std::string>{"A", "b", "c"}; })) << sort;
    }
    Command(ID_SMALL_ICONS);
    EXPECT_TRUE(WaitFor([&] { return (shell.Ask(fake_shell::kStyle) & LVS_TYPEMASK) == LVS_SMALLICON; }));
    Command(ID_STANDARD_ICONS);
    EXPECT_TRUE(WaitFor([&] { return (shell.Ask(fake_shell::kStyle) & LVS_TYPEMASK) == LVS_ICON; }));
    CloseAndExpectExit(program, frame);
    ASSERT_NE(ReadSettingsFile().iconLayout.Find("A"), nullptr);
    EXPECT_EQ(ReadSettingsFile().iconLayout.Find("A")->x, 210);
}

HWND PageHolding(HWND dialog, int id) {
    const HWND tabs = ::GetDlgItem(dialog, IDC_SETTINGS_TABS);
    for (HWND page = ::GetWindow(tabs, GW_CHILD); page; page = ::GetWindow(page, GW_HWNDNEXT)) {
        if (::GetDlgItem(page, id)) return page;
    }
    return nullptr;
}

// Saving the layout from the tray while the settings dialog is open: the
// user's edits there, not yet applied, must survive it.
TEST_F(RunningProgram, SavingTheIconLayoutKeepsTheEditsOfAnOpenSettingsDialog) {
    FakeShell shell;
    ASSERT_TRUE(shell.Ready());
    shell.SetItems({{"ごみ箱", 10, 20}, {"Doc", 100, 20}});
    AppSettings s = WithPictures(0);
    ASSERT_NE(Start(s), nullptr);
    Command(ID_SHOW_SETTINGS);
    HWND settings = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        settings = FindProcessWindow(program.Id(), "#32770", "Vistaloom");
        return settings && PageHolding(settings, IDC_STARTUP_SHORTCUT) && ::IsWindowVisible(settings);
    }));
    ::SendMessageW(::GetDlgItem(PageHolding(settings, IDC_STARTUP_SHORTCUT), IDC_TRANSPARENT_LABELS), BM_CLICK, 0, 0);
    Command(ID_SAVE_ICON_LAYOUT);
    Command(ID_HIDE_ICONS);  // taken after the save
    ASSERT_TRUE(WaitFor([&] { return shell.Ask(fake_shell::kVisible) == 0; }));
    PressButton(settings, IDC_SETTINGS_OK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(settings); }));
    CloseAndExpectExit(program, frame);
    const AppSettings saved = ReadSettingsFile();
    EXPECT_EQ(saved.transparentLabelBackground, 1) << "the edit in the open dialog was lost";
    ASSERT_NE(saved.iconLayout.Find("Doc"), nullptr);
    EXPECT_EQ(saved.iconLayout.Find("Doc")->x, 100);
}

// Exit chosen from the tray while a modal window of the program is open: the
// window's loop works on objects the exit would destroy, so the program
// ends when that window closes, and ends cleanly.
TEST_F(RunningProgram, ExitChosenDuringAModalWindowWaitsForItToClose) {
    FakeShell shell;
    ASSERT_TRUE(shell.Ready());
    enum class Modal { StartMessage, Settings, About };
    for (const Modal modal : {Modal::StartMessage, Modal::Settings, Modal::About}) {
        AppSettings s = WithPictures(0);
        if (modal == Modal::StartMessage) {
            ASSERT_TRUE(::RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, 'B'));
            s.bossHotkey = kBossHotkey;
        }
        WriteSettingsFile(s);
        ASSERT_TRUE(program.Start(Exe(), Folder()));
        ASSERT_TRUE(WaitFor([&] { return (frame = FindProcessWindow(program.Id(), kFrameClass)) != nullptr; }));
        ASSERT_TRUE(::DeleteFileA(Ini().c_str()));  // read at the start; written again at the end
        if (modal == Modal::Settings) Command(ID_SHOW_SETTINGS);
        if (modal == Modal::About) Command(ID_SHOW_ABOUT);
        HWND window = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            window = FindProcessWindow(program.Id(), "#32770");
            return window && ::IsWindowVisible(window);
        }));

        Command(ID_APP_EXIT);
        // Each hide command is taken after what was posted before it: once the
        // icons are shown again, the close that the exit posted has been taken.
        Command(ID_HIDE_ICONS);
        ASSERT_TRUE(WaitFor([&] { return shell.Ask(fake_shell::kVisible) == 0; }));
        Command(ID_HIDE_ICONS);
        ASSERT_TRUE(WaitFor([&] { return shell.Ask(fake_shell::kVisible) == 1; }));
        EXPECT_TRUE(::IsWindow(frame)) << "the main window went while its modal window was open";
        EXPECT_TRUE(::IsWindowVisible(window));

        PressButton(window, modal == Modal::Settings ? IDC_SETTINGS_CANCEL : IDOK);
        const auto code = program.WaitForExit();
        ASSERT_TRUE(code.has_value()) << "the exit did not follow";
        EXPECT_EQ(*code, 0u);
        EXPECT_EQ(ReadSettingsFile().bossHotkey, s.bossHotkey) << "the settings were written at the end";
        if (modal == Modal::StartMessage) ::UnregisterHotKey(nullptr, 1);
    }
}

// The menu resource and its states, in this process.
TEST(TrayMenu, HoldsEveryCommandAndShowsTheRotationState) {
    fw::UniqueMenu menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
    ASSERT_TRUE(menu);
    // The menu's texts as the program's own UTF-8.
    const auto menuText = [](HMENU m, UINT item, UINT flags) {
        wchar_t text[64] = {};
        const int length = ::GetMenuStringW(m, item, text, static_cast<int>(std::size(text)), flags);
        return fw::Narrow(std::wstring_view(text, static_cast<std::size_t>(length > 0 ? length : 0)));
    };
    EXPECT_EQ(menuText(menu.Get(), 0, MF_BYPOSITION), "ポップアップ用");
    const HMENU popup = ::GetSubMenu(menu.Get(), 0);
    const struct {
        UINT id;
        const char* text;
    } items[] = {
        {ID_SHOW_SETTINGS, "ﾀﾞｲｱﾛｸﾞの表示(&C)"}, {ID_ERASE_WALLPAPER, "壁紙を消す(&E)"},
        {ID_RESTORE_WALLPAPER, "壁紙を元に戻す(&B)"}, {ID_TOGGLE_ROTATION, "無効にする(&D)"},
        {ID_NEXT_PICTURE, "次の画像へ(&N)"}, {ID_PREVIOUS_PICTURE, "前の画像へ(&P)"},
        {ID_SAVE_ICON_LAYOUT, "ｱｲｺﾝの配置を保存(&W)"}, {ID_RESTORE_ICON_LAYOUT, "ｱｲｺﾝの配置を復元(&K)"},
        {ID_SORT_BY_NAME, "名前順(&N)"}, {ID_SORT_BY_TYPE, "種類順(&T)"}, {ID_SORT_BY_SIZE, "サイズ順(&Z)"},
        {ID_SORT_BY_DATE, "日付順(&D)"}, {ID_STANDARD_ICONS, "標準(&B)"}, {ID_SMALL_ICONS, "小(&S)"},
        {ID_HIDE_ICONS, "ｱｲｺﾝ非表示(&V)"}, {ID_SHOW_HELP, "ﾍﾙﾌﾟを表示(&H)"},
        {ID_SHOW_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報表示(&A)"}, {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"},
    };
    for (const auto& item : items) {
        EXPECT_EQ(menuText(popup, item.id, MF_BYCOMMAND), item.text);
    }
    for (const char* submenu : {"ｱｲｺﾝの整列(&S)", "ｱｲｺﾝのｻｲｽﾞ変更(&R)", "ﾍﾙﾌﾟ(&H)"}) {
        bool found = false;
        for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
            found = found || (menuText(popup, static_cast<UINT>(i), MF_BYPOSITION) == submenu && ::GetSubMenu(popup, i));
        }
        EXPECT_TRUE(found) << submenu;
    }

    AppSettings live;
    live.rotationEnabled = 0;
    live.iconsHidden = 1;
    UpdateTrayMenu(popup, live);
    EXPECT_TRUE(::GetMenuState(popup, ID_TOGGLE_ROTATION, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(::GetMenuState(popup, ID_NEXT_PICTURE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(::GetMenuState(popup, ID_PREVIOUS_PICTURE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(::GetMenuState(popup, ID_HIDE_ICONS, MF_BYCOMMAND) & MF_CHECKED);
    live.rotationEnabled = 1;
    live.iconsHidden = 0;
    UpdateTrayMenu(popup, live);
    EXPECT_FALSE(::GetMenuState(popup, ID_TOGGLE_ROTATION, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(::GetMenuState(popup, ID_NEXT_PICTURE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(::GetMenuState(popup, ID_HIDE_ICONS, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(::GetMenuState(popup, ID_ERASE_WALLPAPER, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED));
}

}  // namespace

namespace {

// A window of the test's own in the foreground, as a user's program:
// borderless over the whole screen, or maximized.
class UserProgramWindow {
public:
    enum class Kind { FullScreen, Maximized };

    explicit UserProgramWindow(Kind kind) {
        static const ATOM windowClass = [] {
            WNDCLASSW c{};
            c.lpfnWndProc = ::DefWindowProcW;
            c.hInstance = ::GetModuleHandleW(nullptr);
            c.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
            c.lpszClassName = L"VistaloomTestUserProgram";
            return ::RegisterClassW(&c);
        }();
        const bool full = kind == Kind::FullScreen;
        window_.Reset(::CreateWindowExW(0, MAKEINTATOM(windowClass), L"", full ? WS_POPUP : WS_OVERLAPPEDWINDOW, 0, 0,
                                        ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nullptr,
                                        nullptr, ::GetModuleHandleW(nullptr), nullptr));
        ::ShowWindow(window_.Get(), full ? SW_SHOW : SW_SHOWMAXIMIZED);
        ::SetForegroundWindow(window_.Get());
    }
    ~UserProgramWindow() { Close(); }

    bool InForeground() const {
        return WaitFor([&] {
            Pump();
            return ::GetForegroundWindow() == window_.Get();
        });
    }
    RECT Rect() const {
        RECT r{};
        ::GetWindowRect(window_.Get(), &r);
        return r;
    }
    void Close() {
        window_.Reset();
        Pump();
    }

private:
    static void Pump() {
        for (MSG m; ::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&m);
    }

    fw::Unique<fw::SimpleTraits<HWND, ::DestroyWindow>> window_;
};

// The texts of the taskbar's tooltips, where the shell keeps each tray
// icon's tip. The tooltips belong to the shell's process, so the question
// and its answer go through memory of that process.
std::vector<std::string> TrayTips() {
    std::vector<std::string> tips;
    const HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    DWORD shellId = 0;
    ::GetWindowThreadProcessId(taskbar, &shellId);
    const fw::UniqueHandle shell(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, shellId));
    if (!taskbar || !shell) return tips;
    constexpr std::size_t kTextChars = 1024;
    const std::size_t size = sizeof(TTTOOLINFOW) + kTextChars * sizeof(wchar_t);
    void* const remote = ::VirtualAllocEx(shell.Get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return tips;
    const fw::ScopeExit release([&] { ::VirtualFreeEx(shell.Get(), remote, 0, MEM_RELEASE); });
    auto* const remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(TTTOOLINFOW));
    for (HWND tooltip = nullptr; (tooltip = ::FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr));) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(tooltip, &owner);
        if (owner != shellId) continue;
        const auto count = static_cast<int>(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof(info);
            info.lpszText = remoteText;
            const wchar_t nothing = L'\0';
            ::WriteProcessMemory(shell.Get(), remote, &info, sizeof(info), nullptr);
            ::WriteProcessMemory(shell.Get(), remoteText, &nothing, sizeof(nothing), nullptr);
            if (!::SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote))) continue;
            wchar_t text[kTextChars] = {};
            ::ReadProcessMemory(shell.Get(), remoteText, text, sizeof(text) - sizeof(wchar_t), nullptr);
            tips.push_back(fw::Narrow(text));
        }
    }
    return tips;
}

bool TrayTipShows(const std::string& tip) {
    return WaitFor([&] {
        const auto tips = TrayTips();
        return std::find(tips.begin(), tips.end(), tip) != tips.end();
    });
}

// A rotation tick as the timer gives it, handled before this returns; a
// wallpaper it started has been written once the program's workers are done.
void TickAndSettle(HWND frame, const ChildProcess& program) {
    ::PostMessageW(frame, WM_TIMER, 1, 0);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &answer));
    ASSERT_TRUE(WaitFor([&] { return ProgramThreadsBesideMain(program.Id(), program.MainThreadId()) == 0; }));
}

// The pictures differ in size, and so does the wallpaper file each leaves:
// the user's window hides the screen, not the file.
TEST_F(RunningProgram, AFullScreenWindowInTheForegroundHoldsTheRotationBackUntilItCloses) {
    const auto sizeOf = [](int i) { return BitmapSize{64 + 16 * i, 48 + 12 * i}; };
    const auto fileOf = [&](int i) { return 54 + sizeOf(i).width * sizeOf(i).height * 4; };
    const struct {
        const char* name;
        UserProgramWindow::Kind kind;
        bool pauseInFullScreen;
        bool heldBack;
    } cases[] = {
        {"full screen", UserProgramWindow::Kind::FullScreen, true, true},
        {"full screen, option off", UserProgramWindow::Kind::FullScreen, false, false},
        {"maximized", UserProgramWindow::Kind::Maximized, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppSettings s = WithPictures(0);
        for (int i = 0; i < 3; ++i) {
            const std::string path = Folder() + "\\size" + std::to_string(i) + ".bmp";
            auto bitmap = CreateSolidBitmap(sizeOf(i), kColours[i]);
            ASSERT_TRUE(WriteBitmapFile(path, &*bitmap));
            AppendPicture(s.imageList, path);
        }
        s.extension.userOptions.pauseInFullScreen = c.pauseInFullScreen;
        ASSERT_NE(Start(s), nullptr);
        ASSERT_TRUE(Shows(kColours[0]));
        UserProgramWindow window(c.kind);
        ASSERT_TRUE(window.InForeground());
        const RECT r = window.Rect();
        const bool coversScreen = r.left <= 0 && r.top <= 0 && r.right >= ::GetSystemMetrics(SM_CXSCREEN) &&
                                  r.bottom >= ::GetSystemMetrics(SM_CYSCREEN);
        ASSERT_EQ(coversScreen, c.kind == UserProgramWindow::Kind::FullScreen) << "a maximized window leaves the taskbar";

        TickAndSettle(frame, program);
        EXPECT_EQ(FileSize(Bitmap()), fileOf(c.heldBack ? 0 : 1));
        EXPECT_TRUE(TrayTipShows(c.heldBack ? "Vistaloom - 全画面表示中のため一時停止" : "Vistaloom"));
        if (c.heldBack) {
            TickAndSettle(frame, program);
            EXPECT_EQ(FileSize(Bitmap()), fileOf(0)) << "held back at every tick while the window is there";
            Command(ID_NEXT_PICTURE);
            EXPECT_TRUE(WaitFor([&] { return FileSize(Bitmap()) == fileOf(1); })) << "次の画像へ acts all the same";
            ASSERT_TRUE(WaitFor([&] { return ProgramThreadsBesideMain(program.Id(), program.MainThreadId()) == 0; }));
        }
        window.Close();
        TickAndSettle(frame, program);
        EXPECT_TRUE(Shows(kColours[2])) << "the change comes at the first tick after the window";
        EXPECT_TRUE(TrayTipShows("Vistaloom"));
        CloseAndExpectExit(program, frame);
    }
}

}  // namespace
