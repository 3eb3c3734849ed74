#include "app/busy_state.h"

#include <gtest/gtest.h>

namespace {

using State = ShellNotificationState;

constexpr ScreenRect kPrimary{0, 0, 1920, 1080};
constexpr ScreenRect kSecond{1920, -200, 3200, 824};

TEST(UserBusyInFullScreen, FollowsTheShellsNotificationState) {
    const struct {
        std::optional<State> state;
        bool busy;
    } cases[] = {
        {std::nullopt, false},
        {State::NotPresent, false},
        {State::Busy, true},
        {State::RunningD3dFullScreen, true},
        {State::PresentationMode, true},
        {State::AcceptsNotifications, false},
        {State::QuietTime, false},
        {State::App, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UserBusyInFullScreen(c.state, std::nullopt), c.busy)
            << (c.state ? static_cast<int>(*c.state) : 0);
    }
}

TEST(UserBusyInFullScreen, AForegroundWindowCoveringItsWholeMonitorCounts) {
    const struct {
        const char* name;
        ForegroundWindow window;
        bool busy;
    } cases[] = {
        {"exactly its monitor", {"Game", {0, 0, 1920, 1080}, kPrimary}, true},
        {"beyond its monitor's edges", {"Game", {-8, -8, 1928, 1088}, kPrimary}, true},
        {"maximized, leaving the taskbar", {"Editor", {-8, -8, 1928, 1048}, kPrimary}, false},
        {"one pixel short at the right", {"Game", {0, 0, 1919, 1080}, kPrimary}, false},
        {"covering a second monitor", {"Player", {1920, -200, 3200, 824}, kSecond}, true},
        {"the second monitor's size, on the primary", {"Player", {0, 0, 1280, 1024}, kPrimary}, false},
        {"the desktop window", {"#32769", kPrimary, kPrimary}, false},
        {"the shell's desktop", {"Progman", kPrimary, kPrimary}, false},
        {"the shell's wallpaper worker", {"WorkerW", kPrimary, kPrimary}, false},
        {"the taskbar", {"Shell_TrayWnd", kPrimary, kPrimary}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UserBusyInFullScreen(State::AcceptsNotifications, c.window), c.busy) << c.name;
    }
}

TEST(UserBusyInFullScreen, TheShellsWordStandsWhateverTheForegroundWindow) {
    const ForegroundWindow small{"Editor", {100, 100, 500, 400}, kPrimary};
    EXPECT_TRUE(UserBusyInFullScreen(State::PresentationMode, small));
    EXPECT_FALSE(UserBusyInFullScreen(std::nullopt, small));
}

}  // namespace
