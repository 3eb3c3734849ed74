// Dialogs run in the test's own process and driven from a second thread, as
// a user's input would reach them.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/dialog_win32.h"
#include "framework/window_win32.h"

namespace wine_test {

// Stands in for the main window, which owns the hotkey.
class StandInMainWindow : public fw::Window {
public:
    StandInMainWindow();
};

// Runs the dialog here (`run` runs it modally) while `steps` drive it from
// another thread once it shows; at the end every dialog of the thread is
// closed whatever the steps did, the nested ones (a message box, the
// properties dialog a failed step left open) with it, or the modal loop
// under them would never end. The result is the dialog's.
INT_PTR RunDriven(fw::Dialog& dialog, const std::function<INT_PTR()>& run, const std::function<void(HWND)>& steps);
// The same for a dialog without an owner.
INT_PTR RunDriven(fw::Dialog& dialog, const std::function<void(HWND)>& steps);

// Shows a tab of the settings dialog as a click on it does.
void ShowTab(HWND settingsDialog, int index);

}  // namespace wine_test
