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
        {"C:\\表示\\Vistaloom.exe", "C:\\表示"},
        {"C:\\José\\한글.exe", "C:\\José"},
        {"Vistaloom.exe", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ProgramFolderOf(c.module), c.folder) << c.module;
}

TEST(ProgramPaths, BitmapAndSettingsFileLieInTheProgramFolder) {
    EXPECT_EQ(WallpaperBitmapPathIn("C:\\表"), "C:\\表\\Vistaloom.bmp");
    EXPECT_EQ(SettingsFilePathIn("C:\\Tools"), "C:\\Tools\\Vistaloom.ini");
}

}  // namespace
