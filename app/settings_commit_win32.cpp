#include "app/settings_commit_win32.h"

#include "app/boss_key_win32.h"
#include "app/rotation.h"
#include "desktop/desktop_icons_win32.h"
#include "settings/settings_records.h"

void CommitSettings(const SettingsCommit& commit, HWND messageOwner) {
    const AppSettings& live = commit.settings.Live();
    // A worker that starts meanwhile waits until the live settings are whole.
    ::ResetEvent(commit.changeEvent);
    const bool restart = CommitRestartsRotation(live, commit.settings.Working());
    ::UnregisterHotKey(commit.mainWindow, kBossHotkeyId);
    commit.settings.Commit();
    RegisterBossHotkey(commit.mainWindow, live.bossHotkey, messageOwner);
    ApplyLabelBackgroundSetting(live.transparentLabelBackground != 0);
    UseDesktopIconSize(live.smallIcons != 0);
    if (restart) commit.rotateNow();
    ::SetEvent(commit.changeEvent);
    if (commit.save) commit.save(messageOwner);
}
