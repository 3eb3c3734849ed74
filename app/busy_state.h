// Whether the user is busy in full screen, when a rotation change would
// disturb: the shell's own word, or a foreground window covering its whole
// monitor. Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The shell's notification state, numbered as the shell numbers it
// (QUERY_USER_NOTIFICATION_STATE).
enum class ShellNotificationState : std::int32_t {
    NotPresent = 1,
    Busy = 2,
    RunningD3dFullScreen = 3,
    PresentationMode = 4,
    AcceptsNotifications = 5,
    QuietTime = 6,
    App = 7,
};

// Screen coordinates, right and bottom exclusive.
struct ScreenRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct ForegroundWindow {
    std::string_view className;
    ScreenRect window;
    ScreenRect monitor;  // of the monitor the window is on
};

// True when the shell says the user is busy (busy, a full-screen Direct3D
// program, presentation mode), or when the foreground window, other than the
// shell's desktop and taskbar, covers its whole monitor. A maximized window
// leaves the taskbar and does not count. Either may be unknown.
bool UserBusyInFullScreen(std::optional<ShellNotificationState> shell,
                          const std::optional<ForegroundWindow>& foreground);
