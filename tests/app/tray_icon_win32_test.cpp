// The tray icon's images at the DPI of the test prefix: loaded at the
// small-icon size of the window's DPI, and loaded again at the new size when
// the DPI changes or the taskbar comes back. The test runs in the 96-DPI
// and in the 144-DPI prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/tray_icon_win32.h"
#include "framework/handles_win32.h"
#include "framework/window_win32.h"
#include "tests/support/wine_support_win32.h"

using namespace wine_test;

namespace {

#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

// The icon the window shows as its small icon, which the tray icon keeps
// equal to its enabled icon.
int SmallIconSide(HWND window) {
    return IconSide(reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0)));
}

class TrayWindow : public fw::Window {
public:
    TrayWindow() { Create(L"VistaloomTestTrayWindow", "tray", WS_POPUP, 0, 0, 0, 10, 10); }
};

TEST(TrayIconDpi, IconsHaveTheSmallIconSizeOfTheDpiAndFollowItsChanges) {
    // Windows' small icons: 16 pixels at 96 DPI, 24 at 144, 32 at 192.
    const int expected = SmallIconSideAtScreenDpi();
    TrayWindow window;
    TrayIcon tray;
    tray.Add(window.Handle(), true, WM_APP);
    EXPECT_EQ(SmallIconSide(window.Handle()), expected) << ScreenDpi() << " DPI";

    tray.OnWindowMessage(WM_DPICHANGED, MAKEWPARAM(192, 192));
    EXPECT_EQ(SmallIconSide(window.Handle()), 32) << "moved to a monitor of 192 DPI";
    tray.Show(false);
    tray.OnWindowMessage(WM_PAINT, 0);
    EXPECT_EQ(SmallIconSide(window.Handle()), 32) << "other messages load nothing";

    tray.OnWindowMessage(kTaskbarCreated, 0);
    EXPECT_EQ(SmallIconSide(window.Handle()), expected) << "the new taskbar is at the window's own DPI";
    tray.Delete();
    EXPECT_EQ(SmallIconSide(window.Handle()), 0) << "the icons are gone with the tray icon";
}

}  // namespace
