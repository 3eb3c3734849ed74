#include "desktop/display_layouts_win32.h"

#include "desktop/icon_layout_win32.h"
#include "display/monitors_win32.h"
#include "settings/settings_model.h"

namespace {

// Each look at the desktop opens a bracket of at least 100 ms; a few looks a
// second see the shell's rearranging without keeping the program busy.
constexpr UINT kLookIntervalMs = 400;

}  // namespace

void SaveIconLayoutForDisplay(AppSettings& live) {
    IconLayout fresh;
    if (SaveIconLayout(fresh)) {
        live.extension.setupLayouts.Save(CurrentDisplaySetupKey(), std::move(fresh), live.iconLayout);
    }
}

void RestoreIconLayoutForDisplay(AppSettings& live) {
    RestoreIconLayout(live.extension.setupLayouts.Choose(CurrentDisplaySetupKey(), live.iconLayout));
}

LayoutFollower::LayoutFollower(AppSettings& live, UINT_PTR timerId)
    : live_(live), timerId_(timerId), setup_(CurrentDisplaySetupKey()) {}

void LayoutFollower::OnDisplayChange(HWND window) {
    // A change of colour depth alone is no new set-up.
    std::string now = CurrentDisplaySetupKey();
    if (now == setup_) return;
    setup_ = std::move(now);
    Watch(window);
}

void LayoutFollower::OnNewShell(HWND window) {
    setup_ = CurrentDisplaySetupKey();
    Watch(window);
}

// A set-up without a layout of its own ends any wait for the one before.
void LayoutFollower::Watch(HWND window) {
    ::KillTimer(window, timerId_);
    if (!RestoresLayoutOnDisplayChange(live_) || !live_.extension.setupLayouts.Has(setup_)) return;
    settle_ = SettleWatch();
    ::SetTimer(window, timerId_, kLookIntervalMs, nullptr);
}

void LayoutFollower::OnTimer(HWND window) {
    if (!settle_.Look(LookAtDesktopIcons())) return;
    ::KillTimer(window, timerId_);
    // The option may have been turned off while the desktop settled.
    if (RestoresLayoutOnDisplayChange(live_) && live_.extension.setupLayouts.Has(setup_)) {
        RestoreIconLayout(live_.extension.setupLayouts.Choose(setup_, live_.iconLayout));
    }
}
