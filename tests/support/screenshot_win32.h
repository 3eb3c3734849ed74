// Screenshots of windows for people to look at, taken once everything in
// the window has painted, and a measure of whether anything was drawn.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/wine_support_win32.h"

namespace wine_test {

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // top row first

    // Number of different colours: a blank area has one.
    std::size_t Colours() const;
    // The part of the screenshot inside the rectangle, in its own coordinates.
    Screenshot Part(const RECT& area) const;
    bool operator==(const Screenshot& other) const = default;
};

Screenshot CaptureWindow(HWND window);
// The windows inside the window, children and their children, that show.
std::vector<HWND> VisibleDescendants(HWND window);

struct PaintedWindow {
    bool painted = false;       // false when the time ran out first
    Screenshot shot;
    std::vector<HWND> blank;    // visible windows inside it that show one colour only
};
// Waits until the window and every visible window inside it have painted
// and the screen shows the same twice running, then captures the window.
PaintedWindow CaptureWhenPainted(HWND window, DWORD timeoutMs = kTimeoutMs);

// Writes a PNG into build/mingw/screenshots (made when missing); false on failure.
bool SaveScreenshot(const Screenshot& shot, const std::string& name);

}  // namespace wine_test
