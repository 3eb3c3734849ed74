// A program folder with its own copy of Vistaloom, for tests that run the
// real program.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "settings/settings_model.h"
#include "wallpaper/bitmap.h"
#include "tests/support/wine_support_win32.h"

namespace wine_test {

inline constexpr char kFrameClass[] = "VistaloomMainFrame";

std::string SettingsBytes(AppSettings& settings);

class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override;
    virtual std::string Folder() const { return folder_.Path(); }
    std::string Exe() const { return Folder() + "\\Vistaloom.exe"; }
    std::string Ini() const { return Folder() + "\\Vistaloom.ini"; }
    std::string Bitmap() const { return Folder() + "\\Vistaloom.bmp"; }
    void WriteSettingsFile(AppSettings& settings) const;
    // A 64x48 bitmap of one colour in the folder, by its name; its path.
    std::string Picture(const std::string& name, PixelValue colour) const;
    // The settings file the program wrote.
    AppSettings ReadSettingsFile() const;

    // Starts the program and waits for its hidden main window.
    HWND StartAndWaitForWindow(ChildProcess& program, const std::string& currentDirectory = "");
    // Answers a message box of the program with OK after checking its text.
    void ExpectMessageAndPressOk(ChildProcess& program, const char* text);
    void CloseAndExpectExit(ChildProcess& program, HWND frame);

    TempFolder folder_{"program"};
};

}  // namespace wine_test
