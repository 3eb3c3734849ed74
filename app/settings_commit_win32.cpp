#include "app/settings_commit_win32.h"

#include "app/boss_key_win32.h"
#include "app/rotation.h"
#include "desktop/desktop_icons_win32.h"
#include "settings/settings_model.h"

void CommitSettings(const SettingsCommit& commit, HWND messageOwner) {
    AppSettings& live = commit.live;
    // A worker that starts meanwhile waits until the live settings are whole.
    ::ResetEvent(commit.changeEvent);
    const bool restart = CommitRestartsRotation(live, commit.working);
    ::UnregisterHotKey(commit.mainWindow, kBossHotkeyId);
    live.CopyFrom(commit.working);
    RegisterBossHotkey(commit.mainWindow, live.bossHotkey, messageOwner);
    ApplyLabelBackgroundSetting(live.transparentLabelBackground != 0);
    UseDesktopIconSize(live.smallIcons != 0);
    if (restart) commit.rotateNow();
    ::SetEvent(commit.changeEvent);
    if (commit.save) commit.save(messageOwner);
}
