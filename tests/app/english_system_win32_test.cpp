// The program on a system whose language is not Japanese: this test runs
// with LANG=en_US.UTF-8, so that it and the programs it starts have the
// ANSI code page 1252, in which no Japanese text can be written.
#include <gtest/gtest.h>

#include <windows.h>

#include "settings/settings_stream.h"
#include "tests/support/program_folder_win32.h"
#include "wallpaper/bitmap_image_win32.h"
#include "wallpaper/bitmap_ops.h"

using namespace wine_test;

namespace {

TEST_F(ProgramFolder, TheJapaneseInterfaceReadsWholeOnAnEnglishSystem) {
    ASSERT_EQ(::GetACP(), 1252u) << "the test must run with LANG=en_US.UTF-8";
    ChildProcess program;
    ASSERT_TRUE(program.Start(Exe(), Folder()));
    ExpectMessageAndPressOk(program, "Vistaloom.iniファイルがありませんでした\n初期状態でプログラムを開始します");
    const HWND frame = WaitForProcessWindow(program.Id(), kFrameClass, "Vistaloom");
    ASSERT_NE(frame, nullptr);
    CloseAndExpectExit(program, frame);
    AppSettings defaults;
    EXPECT_EQ(ReadFileBytes(Ini()), SettingsBytes(defaults));
}

// The settings file keeps code page 932 whatever the system's code page is.
TEST_F(ProgramFolder, TheSettingsFileKeepsItsJapaneseTextsOnAnEnglishSystem) {
    AppSettings s;
    s.bossPicturePath = Folder() + "\\ボス.bmp";
    WallpaperEntry entry;
    entry.path = Folder() + "\\写真-été.bmp";
    auto picture = CreateSolidBitmap({16, 16}, 0x00336699);
    ASSERT_TRUE(WriteBitmapFile(entry.path, &*picture));
    s.imageList.push_back(entry);
    s.iconLayout.Insert({10, 20, "ごみ箱"});
    s.rotationEnabled = 0;
    WriteSettingsFile(s);
    const std::string written = ReadFileBytes(Ini());
    ChildProcess program;
    const HWND frame = StartAndWaitForWindow(program);
    ASSERT_NE(frame, nullptr);
    CloseAndExpectExit(program, frame);
    EXPECT_EQ(ReadFileBytes(Ini()), written);
}

}  // namespace
