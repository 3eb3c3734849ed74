#include "tests/support/dialog_driver_win32.h"

#include <commctrl.h>

#include <string>
#include <thread>

#include "resources/resource_ids.h"
#include "tests/support/wine_support_win32.h"

namespace wine_test {

StandInMainWindow::StandInMainWindow() { Create(L"VistaloomTestMainWindow", "main", WS_POPUP, 0, 0, 0, 10, 10); }

namespace {

void CloseEveryDialog(HWND dialog) {
    const DWORD thread = ::GetWindowThreadProcessId(dialog, nullptr);
    while (::IsWindow(dialog)) {
        ::EnumThreadWindows(
            thread,
            [](HWND window, LPARAM) -> BOOL {
                char name[16] = {};
                ::GetClassNameA(window, name, sizeof(name));
                if (std::string(name) == "#32770") ::PostMessageW(window, WM_CLOSE, 0, 0);
                return TRUE;
            },
            0);
        WaitFor([&] { return !::IsWindow(dialog); }, 2000);
    }
}

}  // namespace

INT_PTR RunDriven(fw::Dialog& dialog, const std::function<INT_PTR()>& run, const std::function<void(HWND)>& steps) {
    std::thread driver([&] {
        HWND window = nullptr;
        if (WaitFor([&] { return (window = dialog.Handle()) && ::IsWindowVisible(window); })) steps(window);
        if (window) CloseEveryDialog(window);
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
    ::SendMessageW(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(tabs, WM_LBUTTONUP, 0, at);
}

}  // namespace wine_test
