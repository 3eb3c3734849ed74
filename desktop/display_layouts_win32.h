// The icon layout of each display set-up: saved and restored for the set-up
// the system has now, and restored by itself when the set-up changes or the
// shell starts again, once the shell has finished rearranging the icons.
#pragma once

#include <windows.h>

#include <string>

#include "display/display_setup.h"

class AppSettings;

// Saves the layout for the current set-up; it becomes the classic layout,
// the one saved last. Changes nothing when the shell does not answer.
void SaveIconLayoutForDisplay(AppSettings& live);
// Restores the layout saved for the current set-up, else the one saved last.
void RestoreIconLayoutForDisplay(AppSettings& live);

// Follows the display set-up for a window, which hands it the window timer
// it was given.
class LayoutFollower {
public:
    LayoutFollower(AppSettings& live, UINT_PTR timerId);

    // WM_DISPLAYCHANGE: a new set-up with a layout of its own gets it back
    // once the desktop has settled, when the user wants that.
    void OnDisplayChange(HWND window);
    // A new shell: the same for the set-up the system has.
    void OnNewShell(HWND window);
    // Its timer: one look at the desktop.
    void OnTimer(HWND window);

private:
    void Watch(HWND window);

    AppSettings& live_;
    UINT_PTR timerId_;
    std::string setup_;
    SettleWatch settle_;
};
