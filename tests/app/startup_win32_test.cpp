#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>

#include "app/wallpaper_app_win32.h"
#include "framework/handles_win32.h"
#include "settings/settings_stream.h"
#include "tests/support/program_folder_win32.h"
#include "wallpaper/bitmap_image_win32.h"
#include "wallpaper/bitmap_ops.h"

using namespace wine_test;

namespace {

constexpr char kMissingText[] = "Vistaloom.iniファイルがありませんでした\n初期状態でプログラムを開始します";
constexpr char kDamagedText[] =
    "Vistaloom.iniファイルが壊れています\n初期状態でプログラムを開始します\n"
    "壊れたファイルはVistaloom.ini.badとして残しました";
constexpr char kSaveFailedText[] = "ファイルが開けませんでした";
constexpr char kUnreadableText[] =
    "Vistaloom.iniファイルが開けませんでした\n初期状態でプログラムを開始します\n"
    "終了時にVistaloom.iniファイルは上書きしません";

std::string DefaultBytes() {
    AppSettings defaults;
    return SettingsBytes(defaults);
}

std::string CustomBytes() {
    AppSettings s;
    s.intervalUnit = 2;
    s.intervalValue = 33;
    s.rotationEnabled = 0;
    s.bossPicturePath = "C:\\ボス\\表.jpg";
    WallpaperEntry entry;
    entry.path = "C:\\写真\\海.jpg";
    entry.transparency = 20;
    s.imageList.push_back(entry);
    s.iconLayout.Insert({10, 20, "ごみ箱"});
    return SettingsBytes(s);
}

TEST_F(ProgramFolder, FirstStartReportsTheMissingFileAndWritesTheDefaultsAtExit) {
    ChildProcess program;
    ASSERT_TRUE(program.Start(Exe(), Folder()));
    ExpectMessageAndPressOk(program, kMissingText);
    const HWND frame = WaitForProcessWindow(program.Id(), kFrameClass, "Vistaloom");
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(::IsWindowVisible(frame));
    // Set while the window is being created, which the test may overtake.
    EXPECT_TRUE(WaitFor([&] { return (::GetWindowLongPtrA(frame, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0; }));
    EXPECT_FALSE(FileExists(Ini())) << "the file is written at exit, not before";

    CloseAndExpectExit(program, frame);
    EXPECT_EQ(ReadFileBytes(Ini()), DefaultBytes());
    EXPECT_EQ(ReadFileBytes(Ini()).size(), 51u);
    EXPECT_FALSE(FileExists(Ini() + ".tmp"));
}

TEST_F(ProgramFolder, StoredSettingsAreReadAndWrittenBackUnchanged) {
    ASSERT_TRUE(WriteFileBytes(Ini(), CustomBytes()));
    ChildProcess program;
    const HWND frame = StartAndWaitForWindow(program);  // no message: the main window comes up at once
    ASSERT_NE(frame, nullptr);
    CloseAndExpectExit(program, frame);
    EXPECT_EQ(ReadFileBytes(Ini()), CustomBytes());
}

TEST_F(ProgramFolder, SecondInstanceEndsQuietlyAndLeavesTheFirstRunning) {
    ASSERT_TRUE(WriteFileBytes(Ini(), DefaultBytes()));
    ChildProcess first;
    const HWND frame = StartAndWaitForWindow(first);
    ASSERT_NE(frame, nullptr);

    ChildProcess second;
    ASSERT_TRUE(second.Start(Exe(), Folder()));
    bool windowSeen = false;
    ASSERT_TRUE(WaitFor([&] {
        windowSeen = windowSeen || FindProcessWindow(second.Id(), kFrameClass) ||
                     FindProcessWindow(second.Id(), "#32770");
        return !second.Running();
    })) << "the second instance did not end";
    EXPECT_FALSE(windowSeen);
    EXPECT_TRUE(first.Running());
    DWORD_PTR answer = 0;
    EXPECT_TRUE(::SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &answer));
    CloseAndExpectExit(first, frame);
}

// Several starts at the same moment: exactly one runs.
TEST_F(ProgramFolder, StartsAtTheSameMomentLeaveOneInstance) {
    ASSERT_TRUE(WriteFileBytes(Ini(), DefaultBytes()));
    ChildProcess starts[3];
    for (auto& start : starts) ASSERT_TRUE(start.StartHeld(Exe(), Folder()));
    for (auto& start : starts) start.Resume();
    int running = 0;
    ASSERT_TRUE(WaitFor([&] {
        running = 0;
        int windows = 0;
        for (auto& start : starts) {
            running += start.Running();
            windows += FindProcessWindow(start.Id(), kFrameClass) != nullptr;
        }
        return running == 1 && windows == 1;
    })) << running << " instances run";
    for (auto& start : starts) {
        if (!start.Running()) {
            EXPECT_EQ(start.WaitForExit(), 0u);
        }
        if (const HWND frame = FindProcessWindow(start.Id(), kFrameClass)) CloseAndExpectExit(start, frame);
    }
}

// An instance of another account or level holds a mutex that this one may
// not open: it runs all the same, so this one must end.
TEST_F(ProgramFolder, AnInstanceWhoseMutexCannotBeOpenedStillCounts) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;0x00100000;;;WD)", SDDL_REVISION_1,
                                                                       &descriptor, nullptr));
    SECURITY_ATTRIBUTES onlySynchronize{sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE};
    fw::UniqueHandle other(::CreateMutexA(&onlySynchronize, FALSE, "Vistaloom"));
    ::LocalFree(descriptor);
    ASSERT_TRUE(other);
    ASSERT_TRUE(WriteFileBytes(Ini(), DefaultBytes()));
    ChildProcess program;
    ASSERT_TRUE(program.Start(Exe(), Folder()));
    bool windowSeen = false;
    const bool ended = WaitFor([&] {
        windowSeen = windowSeen || FindProcessWindow(program.Id(), kFrameClass);
        return !program.Running();
    });
    EXPECT_TRUE(ended) << "a second instance runs";
    EXPECT_FALSE(windowSeen);
    if (const HWND frame = FindProcessWindow(program.Id(), kFrameClass)) CloseAndExpectExit(program, frame);
}

TEST_F(ProgramFolder, EndOfSessionWritesTheSettingsWithoutDestroyingTheWindow) {
    ASSERT_TRUE(WriteFileBytes(Ini(), CustomBytes()));
    ChildProcess program;
    const HWND frame = StartAndWaitForWindow(program);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(::DeleteFileA(Ini().c_str()));  // the program holds it open only while loading

    EXPECT_EQ(::SendMessageA(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    ::SendMessageA(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(ReadFileBytes(Ini()), CustomBytes());
    EXPECT_TRUE(::IsWindow(frame));
    program.Terminate();  // as the system ends the process after the session
}

TEST_F(ProgramFolder, DamagedFileIsKeptAndReportedAndTheProgramStartsFromTheDefaults) {
    const std::string damaged = CustomBytes().substr(0, 60);
    ASSERT_TRUE(WriteFileBytes(Ini(), damaged));
    ChildProcess program;
    ASSERT_TRUE(program.Start(Exe(), Folder()));
    ExpectMessageAndPressOk(program, kDamagedText);
    const HWND frame = WaitForProcessWindow(program.Id(), kFrameClass, "Vistaloom");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(ReadFileBytes(Ini() + ".bad"), damaged);
    CloseAndExpectExit(program, frame);
    EXPECT_EQ(ReadFileBytes(Ini()), DefaultBytes());
    EXPECT_EQ(ReadFileBytes(Ini() + ".bad"), damaged);
}

// A file that is there but in use is not a missing file: the user's
// settings are never replaced by the defaults.
TEST_F(ProgramFolder, SettingsFileHeldByAnotherProgramIsReportedAndNotOverwritten) {
    ASSERT_TRUE(WriteFileBytes(Ini(), CustomBytes()));
    ChildProcess program;
    HWND frame = nullptr;
    {
        fw::UniqueHandle held(::CreateFileA(Ini().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        ASSERT_TRUE(program.Start(Exe(), Folder()));
        ExpectMessageAndPressOk(program, kUnreadableText);
        frame = WaitForProcessWindow(program.Id(), kFrameClass, "Vistaloom");
        ASSERT_NE(frame, nullptr);
    }
    CloseAndExpectExit(program, frame);
    EXPECT_EQ(ReadFileBytes(Ini()), CustomBytes());
    EXPECT_FALSE(FileExists(Ini() + ".bad"));
}

// A start on a damaged file: its message answered, then an orderly exit.
class DamagedFile : public ProgramFolder {
protected:
    void RunExpecting(const std::string& keptOrLeft) {
        ASSERT_TRUE(WriteFileBytes(Ini(), damaged));
        ChildProcess program;
        ASSERT_TRUE(program.Start(Exe(), Folder()));
        ExpectMessageAndPressOk(program, (std::string(kDamagedFirstLines) + keptOrLeft).c_str());
        const HWND frame = WaitForProcessWindow(program.Id(), kFrameClass, "Vistaloom");
        ASSERT_NE(frame, nullptr);
        CloseAndExpectExit(program, frame);
    }
    static constexpr char kDamagedFirstLines[] = "Vistaloom.iniファイルが壊れています\n初期状態でプログラムを開始します\n";
    const std::string damaged = CustomBytes().substr(0, 60);
};

TEST_F(DamagedFile, ASecondOneIsKeptBesideTheFirst) {
    ASSERT_TRUE(WriteFileBytes(Ini() + ".bad", "the first damaged file"));
    RunExpecting("壊れたファイルはVistaloom.ini.bad2として残しました");
    EXPECT_EQ(ReadFileBytes(Ini() + ".bad"), "the first damaged file");
    EXPECT_EQ(ReadFileBytes(Ini() + ".bad2"), damaged);
    EXPECT_EQ(ReadFileBytes(Ini()), DefaultBytes());
}

TEST_F(DamagedFile, OneThatCannotBeKeptAsideIsNotOverwritten) {
    for (const char* name : {".bad", ".bad2", ".bad3", ".bad4", ".bad5", ".bad6", ".bad7", ".bad8", ".bad9"}) {
        ASSERT_TRUE(WriteFileBytes(Ini() + name, name));
    }
    RunExpecting("終了時にVistaloom.iniファイルは上書きしません");
    EXPECT_EQ(ReadFileBytes(Ini()), damaged);
    EXPECT_EQ(ReadFileBytes(Ini() + ".bad"), ".bad");
}

TEST_F(ProgramFolder, FailedSaveIsReportedAndLeavesTheOldFileIntact) {
    ASSERT_TRUE(WriteFileBytes(Ini(), CustomBytes()));
    ChildProcess program;
    const HWND frame = StartAndWaitForWindow(program);
    ASSERT_NE(frame, nullptr);
    {
        // Another program holds the settings file open: it cannot be replaced.
        fw::UniqueHandle held(::CreateFileA(Ini().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        ::PostMessageA(frame, WM_CLOSE, 0, 0);
        ExpectMessageAndPressOk(program, kSaveFailedText);
        ASSERT_TRUE(program.WaitForExit().has_value());
    }
    EXPECT_EQ(ReadFileBytes(Ini()), CustomBytes());
    EXPECT_FALSE(FileExists(Ini() + ".tmp"));
}

std::string DesktopStyleValue(const char* name) {
    char text[16] = {};
    DWORD size = sizeof(text);
    return ::RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, text, &size) ==
                   ERROR_SUCCESS
               ? text
               : "";
}

void SetDesktopStyleValue(const char* name, const char* text) {
    ::RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", name, REG_SZ, text,
                      static_cast<DWORD>(strlen(text) + 1));
}

TEST_F(ProgramFolder, ExitPutsBackTheWallpaperStyleTheUserHadAtStart) {
    const std::string tile = DesktopStyleValue("TileWallpaper"), style = DesktopStyleValue("WallpaperStyle");
    ASSERT_TRUE(WriteFileBytes(Ini(), DefaultBytes()));
    const struct {
        const char* tileAtStart;
        const char* styleAtStart;
        const char* tileAtExit;
        const char* styleAtExit;
    } cases[] = {{"0", "2", "0", "2"}, {"1", "0", "1", "0"}, {"7", "10", "1", "0"}};  // "10" does not fit: read as 0
    for (const auto& c : cases) {
        SetDesktopStyleValue("TileWallpaper", c.tileAtStart);
        SetDesktopStyleValue("WallpaperStyle", c.styleAtStart);
        ChildProcess program;
        const HWND frame = StartAndWaitForWindow(program);
        ASSERT_NE(frame, nullptr);
        SetDesktopStyleValue("TileWallpaper", "0");  // as an applied wallpaper leaves them
        SetDesktopStyleValue("WallpaperStyle", "0");
        CloseAndExpectExit(program, frame);
        EXPECT_EQ(DesktopStyleValue("TileWallpaper"), c.tileAtExit) << c.tileAtStart;
        EXPECT_EQ(DesktopStyleValue("WallpaperStyle"), c.styleAtExit) << c.styleAtStart;
    }
    SetDesktopStyleValue("TileWallpaper", tile.empty() ? "0" : tile.c_str());
    SetDesktopStyleValue("WallpaperStyle", style.empty() ? "0" : style.c_str());
}

// Left behind at log-off, the program's style values would tile the user's
// own wallpaper at the next logon and pass for the user's at the next start.
TEST_F(ProgramFolder, EndOfSessionPutsBackTheUsersWallpaperStyle) {
    const std::string tile = DesktopStyleValue("TileWallpaper"), style = DesktopStyleValue("WallpaperStyle");
    SetDesktopStyleValue("TileWallpaper", "0");
    SetDesktopStyleValue("WallpaperStyle", "2");
    AppSettings s;
    WallpaperEntry tiled;
    tiled.path = Folder() + "\\tiled.bmp";
    tiled.displayMethod = 1;
    auto picture = CreateSolidBitmap({32, 32}, 0x00336699);
    ASSERT_TRUE(WriteBitmapFile(tiled.path, &*picture));
    s.imageList.push_back(tiled);
    WriteSettingsFile(s);
    ChildProcess program;
    const HWND frame = StartAndWaitForWindow(program);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(WaitFor([] { return DesktopStyleValue("TileWallpaper") == "1"; })) << "the picture was not shown";

    EXPECT_EQ(::SendMessageA(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    ::SendMessageA(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(DesktopStyleValue("TileWallpaper"), "0");
    EXPECT_EQ(DesktopStyleValue("WallpaperStyle"), "2");
    EXPECT_EQ(ReadSettingsFile().imageList.size(), 1u) << "the settings are written as before";
    EXPECT_TRUE(::IsWindow(frame));
    program.Terminate();
    SetDesktopStyleValue("TileWallpaper", tile.empty() ? "0" : tile.c_str());
    SetDesktopStyleValue("WallpaperStyle", style.empty() ? "0" : style.c_str());
}

// The loop drops key presses for the main window only: every other window
// of the thread, such as the help viewer, gets its typing.
TEST(MessageLoop, OtherWindowsOfTheThreadGetTheirTyping) {
    WallpaperApp app;
    const HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                        ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    ::PostMessageA(edit, WM_CHAR, 'a', 0);
    ::PostMessageA(edit, WM_CHAR, 'b', 0);
    ::PostQuitMessage(0);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(WindowText(edit), "ab");
    ::DestroyWindow(edit);
}

// 表 ends in the byte 0x5C: the program folder must not be cut there.
class JapaneseProgramFolder : public ProgramFolder {
protected:
    void SetUp() override {
        japanese_ = folder_.Path() + "\\表示";
        ASSERT_TRUE(::CreateDirectoryA(japanese_.c_str(), nullptr));
        ProgramFolder::SetUp();
    }
    std::string Folder() const override { return japanese_; }
    std::string japanese_;
};

TEST_F(JapaneseProgramFolder, SettingsFileFollowsTheProgramFolderNotTheCurrentDirectory) {
    ASSERT_TRUE(WriteFileBytes(Ini(), CustomBytes()));
    TempFolder elsewhere("cwd");
    const std::string decoy = elsewhere / "Vistaloom.ini";
    ASSERT_TRUE(WriteFileBytes(decoy, "not a settings file"));

    ChildProcess program;
    const HWND frame = StartAndWaitForWindow(program, elsewhere.Path());
    ASSERT_NE(frame, nullptr) << "a message box here means the wrong file was read";
    CloseAndExpectExit(program, frame);
    EXPECT_EQ(ReadFileBytes(Ini()), CustomBytes());
    EXPECT_EQ(ReadFileBytes(decoy), "not a settings file");
    EXPECT_FALSE(FileExists(folder_ / "Vistaloom.ini"));
}

}  // namespace
