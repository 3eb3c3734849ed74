// The settings file's extension block: what the classic layout cannot hold,
// after the last icon record, where a reader of the classic layout never
// looks. docs/settings-extension.md gives its layout. Portable: no Windows
// headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "display/display_setup.h"
#include "wallpaper/saved_wallpaper_style.h"

struct ExtensionRecord {
    std::uint16_t tag = 0;
    std::string payload;

    bool operator==(const ExtensionRecord&) const = default;
};

// The user's choices the classic layout has no room for: settings like the
// others, which the settings dialog edits and CopyFrom carries.
struct UserOptions {
    // No rotation change while the user is busy in full screen.
    bool pauseInFullScreen = true;
    // With more than one monitor, each shows the next picture of the order.
    bool perMonitorPictures = false;
    // A change of the display set-up restores the icon layout saved for the
    // new one; unset, it follows the restore at start.
    std::optional<bool> restoreLayoutOnDisplayChange;

    bool operator==(const UserOptions&) const = default;
};

// The longest block a reader takes; the writer drops the layouts of the
// least recently used set-ups rather than write a longer one.
inline constexpr std::size_t kLargestSettingsExtension = 1 << 20;

struct SettingsExtension {
    // The user's own style values while a run has the program's in the
    // registry; a start that finds them knows the run before did not end.
    std::optional<SavedWallpaperStyle> userWallpaperStyle;
    // Records of a later program, written back as they came.
    std::vector<ExtensionRecord> unknownRecords;
    UserOptions userOptions;
    // The icon layouts of the display set-ups, beside the classic layout,
    // which is the one saved last. Saved and restored from the tray, never
    // edited in the settings dialog: run state, which CopyFrom leaves alone.
    SetupLayouts setupLayouts;

    bool Empty() const {
        return !userWallpaperStyle && unknownRecords.empty() && userOptions == UserOptions{} && setupLayouts.Empty();
    }
    bool operator==(const SettingsExtension&) const = default;
};

// The block's bytes; empty for an empty extension, so that a file without
// anything to add keeps the classic layout byte for byte.
std::string EncodeSettingsExtension(const SettingsExtension& extension);

// The extension the bytes after the last icon record hold: empty for no
// bytes, nothing for a block that is damaged or of a later version.
std::optional<SettingsExtension> DecodeSettingsExtension(std::string_view bytes);
