#include "tests/support/dialog_driver_win32.h"

#include <commctrl.h>

#include <thread>

#include "resources/resource_ids.h"
#include "tests/support/wine_support_win32.h"

namespace wine_test {

StandInMainWindow::StandInMainWindow() { Create("VistaloomTestMainWindow", "main", WS_POPUP, 0, 0, 0, 10, 10); }

bool StandInMainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_TIMER || wParam != 1) return false;
    ++ticks;
    result = 0;
    return true;
}

INT_PTR RunDriven(fw::Dialog& dialog, const std::function<INT_PTR()>& run, const std::function<void(HWND)>& steps) {
    std::thread driver([&] {
        HWND window = nullptr;
        if (WaitFor([&] { return (window = dialog.Handle()) && ::IsWindowVisible(window); })) steps(window);
        if (::IsWindow(window)) ::PostMessageA(window, WM_CLOSE, 0, 0);
    });
    const INT_PTR result = run();
    driver.join();
    return result;
}

INT_PTR RunDriven(fw::Dialog& dialog, const std::function<void(HWND)>& steps) {
    return RunDriven(dialog, [&] { return dialog.RunModal(nullptr); }, steps);
}

void ShowTab(HWND settingsDialog, int index) {
    const HWND tabs = ::GetDlgItem(settingsDialog, IDC_SETTINGS_TABS);
    RECT item{};
    ::SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(tabs, WM_LBUTTONUP, 0, at);
}

}  // namespace wine_test
