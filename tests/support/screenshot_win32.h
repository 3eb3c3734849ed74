// Screenshots of windows for people to look at, and a measure of whether
// anything was drawn in them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wine_test {

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // top row first

    // Number of different colours: a blank area has one or two.
    std::size_t Colours() const;
    bool operator==(const Screenshot& other) const = default;
};

Screenshot CaptureWindow(HWND window);
// Writes a PNG into build/mingw/screenshots (made when missing); false on failure.
bool SaveScreenshot(const Screenshot& shot, const std::string& name);

}  // namespace wine_test
