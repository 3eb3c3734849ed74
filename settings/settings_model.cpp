#include "settings/settings_model.h"

#include <type_traits>

#include "settings/archive.h"

// Vector growth must move entries, never copy them, or the reserved fields
// of a loaded list would be lost on the way to the file.
static_assert(std::is_nothrow_move_constructible_v<WallpaperEntry>);

WallpaperEntry::WallpaperEntry(const WallpaperEntry& other)
    : path(other.path),
      displayMethod(other.displayMethod),
      magnification(other.magnification),
      transparency(other.transparency) {}

WallpaperEntry& WallpaperEntry::operator=(const WallpaperEntry& other) {
    path = other.path;
    displayMethod = other.displayMethod;
    magnification = other.magnification;
    transparency = other.transparency;
    reserved1 = 0;
    reserved2 = 0;
    return *this;
}

void WallpaperEntry::Serialize(SettingsArchive& ar) {
    ar.Transfer(transparency);
    ar.Transfer(magnification);
    ar.Transfer(displayMethod);
    ar.Transfer(path);
    ar.Transfer(reserved2);
    ar.Transfer(reserved1);
}

void AppSettings::Serialize(SettingsArchive& ar) {
    ar.Transfer(transparentLabelBackground);
    ar.Transfer(rotationEnabled);
    ar.Transfer(restoreIconLayoutAtStart);
    ar.Transfer(saveIconLayoutAtExit);
    ar.Transfer(smallIcons);
    ar.Transfer(pauseAfterBossKey);
    ar.Transfer(intervalValue);
    ar.Transfer(randomOrder);
    ar.Transfer(rotationPosition);
    ar.Transfer(intervalUnit);
    ar.Transfer(bossPicturePath);
    ar.Transfer(bossHotkey);

    auto pictureCount = static_cast<std::int32_t>(imageList.size());
    ar.Transfer(pictureCount);
    if (!ar.AcceptCount(pictureCount, WallpaperEntry::kMinStoredBytes)) return;
    if (ar.IsLoading()) imageList.resize(static_cast<std::size_t>(pictureCount));
    for (auto& entry : imageList) entry.Serialize(ar);

    auto iconCount = static_cast<std::int32_t>(iconLayout.Size());
    ar.Transfer(iconCount);
    if (ar.IsStoring()) {
        iconLayout.ForEach([&ar](const IconPosition& position) {
            IconPosition record = position;
            record.Serialize(ar);
        });
        return;
    }
    // A negative count is a valid empty layout, not damage.
    if (iconCount <= 0 || !ar.AcceptCount(iconCount, IconPosition::kMinStoredBytes)) return;
    for (std::int32_t i = 0; i < iconCount && !ar.Failed(); ++i) {
        IconPosition record;
        record.Serialize(ar);
        if (!ar.Failed()) iconLayout.Insert(record);
    }
}

void AppSettings::CopyFrom(const AppSettings& source) {
    intervalValue = source.intervalValue;
    randomOrder = source.randomOrder;
    intervalUnit = source.intervalUnit;
    rotationEnabled = source.rotationEnabled;
    bossPicturePath = source.bossPicturePath;
    bossHotkey = source.bossHotkey;
    pauseAfterBossKey = source.pauseAfterBossKey;
    transparentLabelBackground = source.transparentLabelBackground;
    smallIcons = source.smallIcons;
    restoreIconLayoutAtStart = source.restoreIconLayoutAtStart;
    saveIconLayoutAtExit = source.saveIconLayoutAtExit;
    extension.userOptions = source.extension.userOptions;

    imageList.clear();
    imageList.reserve(source.imageList.size());
    for (const auto& entry : source.imageList) imageList.push_back(entry);

    CopyIconLayoutFrom(source);
}

void AppSettings::CopyIconLayoutFrom(const AppSettings& source) {
    iconLayout.Clear();
    source.iconLayout.ForEach([this](const IconPosition& position) { iconLayout.Insert(position); });
}

bool RestoresLayoutOnDisplayChange(const AppSettings& settings) {
    return settings.extension.userOptions.restoreLayoutOnDisplayChange.value_or(settings.restoreIconLayoutAtStart != 0);
}
