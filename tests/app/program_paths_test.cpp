#include "app/program_paths.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramPaths, FolderIsEverythingBeforeTheLastBackslash) {
    const struct {
        const char* module;
        const char* folder;
    } cases[] = {
        {"C:\\Tools\\Vistaloom\\Vistaloom.exe", "C:\\Tools\\Vistaloom"},
        {"D:\\Vistaloom.exe", "D:"},
        // 表 is 95 5C: its trail byte must not be taken for the separator.
        {"C:\\\x95\x5C\\Vistaloom.exe", "C:\\\x95\x5C"},
        {"C:\\\x95\x5C.exe", "C:"},
        {"Vistaloom.exe", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ProgramFolderOf(c.module), c.folder) << c.module;
}

TEST(ProgramPaths, BitmapAndSettingsFileLieInTheProgramFolder) {
    EXPECT_EQ(WallpaperBitmapPathIn("C:\\\x95\x5C"), "C:\\\x95\x5C\\Vistaloom.bmp");
    EXPECT_EQ(SettingsFilePathIn("C:\\Tools"), "C:\\Tools\\Vistaloom.ini");
}

}  // namespace
