// The program's two settings records: the live settings it runs on, and the
// working copy the settings dialog edits. What writes one into the other, or
// both at once, is an operation here, so that they stay in step.
// Portable: no Windows headers.
#pragma once

#include "settings/settings_model.h"

class SettingsRecords {
public:
    AppSettings& Live() { return live_; }
    const AppSettings& Live() const { return live_; }
    // What the dialog's pages edit; nothing of it reaches the program before
    // Commit.
    AppSettings& Working() { return working_; }
    const AppSettings& Working() const { return working_; }

    // Apply and OK: the working copy becomes the live settings.
    void Commit() { live_.CopyFrom(working_); }
    // Cancel, and after the settings file is loaded: the working copy is the
    // live settings again.
    void Revert() { working_.CopyFrom(live_); }
    // The tray and the boss key switch the rotation in both, so that a
    // commit of the open dialog keeps what they did.
    void SetRotation(bool enabled) {
        live_.rotationEnabled = enabled ? 1 : 0;
        working_.rotationEnabled = enabled ? 1 : 0;
    }
    // A layout just saved goes into the working copy alone of the live
    // settings: the open dialog may hold edits a whole copy would throw away.
    void CopyLayoutToWorking() { working_.CopyIconLayoutFrom(live_); }

private:
    AppSettings live_;
    AppSettings working_;
};
