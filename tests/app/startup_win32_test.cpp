#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <optional>
#include <string>

#include "app/wallpaper_app_win32.h"
#include "resources/resource_ids.h"
#include "framework/handles_win32.h"
#include "framework/wide_win32.h"
#include "settings/settings_stream.h"
#include "tests/support/program_folder_win32.h"
#include "wallpaper/bitmap_image_win32.h"
#include "wallpaper/bitmap_ops.h"
#include "wallpaper/desktop_wallpaper_win32.h"

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
    EXPECT_TRUE(WaitFor([&] { return (::GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0; }));
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
    EXPECT_TRUE(::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &answer));
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
    fw::UniqueHandle other(::CreateMutexW(&onlySynchronize, FALSE, L"Vistaloom"));
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

    EXPECT_EQ(::SendMessageW(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    ::SendMessageW(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
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
        ::PostMessageW(frame, WM_CLOSE, 0, 0);
        ExpectMessageAndPressOk(program, kSaveFailedText);
        ASSERT_TRUE(program.WaitForExit().has_value());
    }
    EXPECT_EQ(ReadFileBytes(Ini()), CustomBytes());
    EXPECT_FALSE(FileExists(Ini() + ".tmp"));
}

// A style value exactly as the registry holds it; nothing when absent.
std::optional<std::wstring> DesktopStyleValue(const wchar_t* name) {
    wchar_t text[64] = {};
    DWORD size = sizeof(text);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

void SetDesktopStyleValue(const wchar_t* name, const wchar_t* text) {
    if (!text) {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name);
        return;
    }
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, REG_SZ, text,
                      static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> Value(const wchar_t* text) { return text ? std::optional<std::wstring>(text) : std::nullopt; }

// The user's values as they were before the test, put back after it.
class UsersDesktop : public ProgramFolder {
protected:
    void TearDown() override { RestoreWallpaper(before_); }
    void SetStyle(const wchar_t* tile, const wchar_t* style) {
        SetDesktopStyleValue(L"TileWallpaper", tile);
        SetDesktopStyleValue(L"WallpaperStyle", style);
    }
    static bool HasStyle(const wchar_t* tile, const wchar_t* style) {
        return DesktopStyleValue(L"TileWallpaper") == Value(tile) && DesktopStyleValue(L"WallpaperStyle") == Value(style);
    }
    // Settings whose one picture is shown centred at start.
    AppSettings OnePicture() {
        AppSettings s;
        WallpaperEntry entry;
        entry.path = Folder() + "\\centred.bmp";
        auto picture = CreateSolidBitmap({32, 32}, 0x00336699);
        EXPECT_TRUE(WriteBitmapFile(entry.path, &*picture));
        s.imageList.push_back(entry);
        return s;
    }

private:
    const SavedWallpaperStyle before_ = ReadSavedWallpaperStyle();
};

// Windows 10 and 11 keep Fill as "10", Fit as "6" and Span as "22": each
// comes back exactly, as do a tiled wallpaper and values that were not there.
TEST_F(UsersDesktop, TheRestoreCommandAndTheExitPutBackTheUsersExactValues) {
    ASSERT_TRUE(WriteFileBytes(Ini(), DefaultBytes()));
    const struct {
        const wchar_t* tile;
        const wchar_t* style;
    } cases[] = {{L"0", L"10"}, {L"0", L"6"}, {L"0", L"22"}, {L"0", L"2"}, {L"1", L"0"}, {nullptr, nullptr},
                 {L"0", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.tile ? c.tile : L"absent") << " " << (c.style ? c.style : L"absent"));
        SetStyle(c.tile, c.style);
        ChildProcess program;
        const HWND frame = StartAndWaitForWindow(program);
        ASSERT_NE(frame, nullptr);
        SetStyle(L"1", L"2");  // as an applied wallpaper leaves them
        ::PostMessageW(frame, WM_COMMAND, ID_RESTORE_WALLPAPER, 0);
        EXPECT_TRUE(WaitFor([&] { return HasStyle(c.tile, c.style); })) << "by the command";
        SetStyle(L"1", L"2");
        CloseAndExpectExit(program, frame);
        EXPECT_TRUE(HasStyle(c.tile, c.style)) << "at exit";
    }
}

// Left behind at log-off, the program's style values would tile the user's
// own wallpaper at the next logon and pass for the user's at the next start.
TEST_F(UsersDesktop, EndOfSessionPutsBackTheUsersWallpaperStyle) {
    SetStyle(L"0", L"10");
    AppSettings s = OnePicture();
    WriteSettingsFile(s);
    ChildProcess program;
    const HWND frame = StartAndWaitForWindow(program);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(WaitFor([] { return HasStyle(L"0", L"0"); })) << "the picture was not shown";

    EXPECT_EQ(::SendMessageW(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    ::SendMessageW(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(HasStyle(L"0", L"10"));
    const AppSettings saved = ReadSettingsFile();
    EXPECT_EQ(saved.imageList.size(), 1u) << "the settings are written";
    EXPECT_TRUE(saved.extension.Empty()) << "a session that ended cleanly leaves nothing to recover";
    EXPECT_TRUE(::IsWindow(frame));
    program.Terminate();
}

// A run killed while its own values are in the registry: the next run takes
// the user's from the settings file and puts them back at its clean end.
TEST_F(UsersDesktop, ARunThatNeverEndedLeavesTheUsersValuesToTheNext) {
    SetStyle(L"0", L"22");
    AppSettings s = OnePicture();
    WriteSettingsFile(s);
    {
        ChildProcess killed;
        ASSERT_NE(StartAndWaitForWindow(killed), nullptr);
        ASSERT_TRUE(WaitFor([] { return HasStyle(L"0", L"0"); })) << "the picture was not shown";
        const auto kept = ReadSettingsFile().extension.userWallpaperStyle;
        ASSERT_TRUE(kept.has_value()) << "the user's values are in the file before the program's are written";
        EXPECT_EQ(kept->wallpaperStyle.state, SavedRegistryValue::State::Present);
        killed.Terminate();
    }
    ASSERT_TRUE(HasStyle(L"0", L"0"));
    ChildProcess next;
    const HWND frame = StartAndWaitForWindow(next);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(WaitFor([] { return HasStyle(L"0", L"0"); }));
    CloseAndExpectExit(next, frame);
    EXPECT_TRUE(HasStyle(L"0", L"22"));
    AppSettings ended = ReadSettingsFile();
    EXPECT_TRUE(ended.extension.Empty());
    EXPECT_EQ(ReadFileBytes(Ini()), SettingsBytes(ended)) << "a clean end leaves the classic layout alone";
}

// Apply writes the file at once: a run that never ends keeps the user's setup.
TEST_F(ProgramFolder, ApplyInTheSettingsDialogWritesTheFile) {
    ASSERT_TRUE(WriteFileBytes(Ini(), DefaultBytes()));
    ChildProcess program;
    const HWND frame = StartAndWaitForWindow(program);
    ASSERT_NE(frame, nullptr);
    ::PostMessageW(frame, WM_COMMAND, ID_SHOW_SETTINGS, 0);
    const HWND dialog = WaitForProcessWindow(program.Id(), "#32770", "Vistaloom");
    ASSERT_NE(dialog, nullptr);
    HWND random = nullptr;
    ASSERT_TRUE(WaitFor([&] {  // the controls come while the dialog is being made
        const HWND tabs = ::GetDlgItem(dialog, IDC_SETTINGS_TABS);
        for (HWND page = ::GetWindow(tabs, GW_CHILD); page && !random; page = ::GetWindow(page, GW_HWNDNEXT)) {
            random = ::GetDlgItem(page, IDC_ORDER_RANDOM);
        }
        return random != nullptr;
    }));
    // Watched by its time, not read: a reader's open handle would make the
    // program's replacement of the file fail.
    const auto writtenAt = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExW(fw::Wide(Ini()).c_str(), GetFileExInfoStandard, &data);
        return std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
    };
    const std::uint64_t before = writtenAt();
    ::SendMessageW(random, BM_CLICK, 0, 0);
    PressButton(dialog, IDC_SETTINGS_APPLY);
    ASSERT_TRUE(WaitFor([&] { return writtenAt() != before; }));
    EXPECT_EQ(ReadSettingsFile().randomOrder, 1);
    PressButton(dialog, IDC_SETTINGS_CANCEL);
    CloseAndExpectExit(program, frame);
    EXPECT_EQ(ReadSettingsFile().randomOrder, 1);
}

// The loop drops key presses for the main window only: every other window
// of the thread, such as the help viewer, gets its typing.
TEST(MessageLoop, OtherWindowsOfTheThreadGetTheirTyping) {
    WallpaperApp app;
    const HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                        ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    ::PostMessageW(edit, WM_CHAR, 'a', 0);
    ::PostMessageW(edit, WM_CHAR, 'b', 0);
    ::PostQuitMessage(0);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(WindowText(edit), "ab");
    ::DestroyWindow(edit);
}

// A program folder of any name: 表 ends in the byte 0x5C in code page 932,
// and José-한글 is beyond that code page.
class NamedProgramFolder : public ProgramFolder, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        named_ = folder_.Path() + "\\" + GetParam();
        ASSERT_TRUE(::CreateDirectoryW(fw::Wide(named_).c_str(), nullptr));
        ProgramFolder::SetUp();
    }
    std::string Folder() const override { return named_; }
    std::string named_;
};

TEST_P(NamedProgramFolder, SettingsFileFollowsTheProgramFolderNotTheCurrentDirectory) {
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

INSTANTIATE_TEST_SUITE_P(Names, NamedProgramFolder, ::testing::Values("表示", "José-한글"));

// A picture named beyond code page 932 is shown, and the settings file keeps
// its name whole, in the archive's UTF-16 form.
TEST_F(ProgramFolder, APictureNamedBeyondTheCodePageIsShownAndKeptWhole) {
    const std::string path = Folder() + "\\été-한글😀.bmp";
    auto picture = CreateSolidBitmap({48, 32}, 0x00C81E1E);
    ASSERT_TRUE(WriteBitmapFile(path, &*picture));
    AppSettings s;
    WallpaperEntry entry;
    entry.path = path;
    s.imageList.push_back(entry);
    WriteSettingsFile(s);
    ChildProcess program;
    const HWND frame = StartAndWaitForWindow(program);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(WaitFor([&] { return FileExists(Bitmap()); })) << "the picture was never shown";
    CloseAndExpectExit(program, frame);
    const std::string bytes = ReadFileBytes(Ini());
    EXPECT_NE(bytes.find("\xFF\xFE\xFF"), std::string::npos) << "the UTF-16 form";
    ASSERT_EQ(ReadSettingsFile().imageList.size(), 1u);
    EXPECT_EQ(ReadSettingsFile().imageList[0].path, path);
}

}  // namespace
