#include "app/busy_state.h"

#include <algorithm>
#include <array>

namespace {

// The desktop and taskbar cover their monitor without anyone being busy.
constexpr std::array<std::string_view, 4> kShellClasses = {"#32769", "Progman", "WorkerW", "Shell_TrayWnd"};

bool Covers(const ScreenRect& outer, const ScreenRect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

}  // namespace

bool UserBusyInFullScreen(std::optional<ShellNotificationState> shell,
                          const std::optional<ForegroundWindow>& foreground) {
    if (shell == ShellNotificationState::Busy || shell == ShellNotificationState::RunningD3dFullScreen ||
        shell == ShellNotificationState::PresentationMode) {
        return true;
    }
    if (!foreground) return false;
    const bool ofShell =
        std::find(kShellClasses.begin(), kShellClasses.end(), foreground->className) != kShellClasses.end();
    return !ofShell && Covers(foreground->window, foreground->monitor);
}
