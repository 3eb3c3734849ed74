#include "settings/settings_extension.h"

#include <array>

namespace {

constexpr std::string_view kMagic = "VLXB";
constexpr std::uint32_t kVersion = 1;
constexpr std::uint16_t kUserWallpaperStyleTag = 1;
constexpr std::uint16_t kUserOptionsTag = 2;
// The options that came after the first one have a record of their own: a
// reader that knows only tag 2 rejects any payload there but its one byte,
// while it keeps a record of an unknown tag and writes it back.
constexpr std::uint16_t kDisplayOptionsTag = 3;
constexpr std::uint16_t kSetupLayoutsTag = 4;
constexpr std::size_t kHeaderBytes = 16;
constexpr std::size_t kRecordHeaderBytes = 6;

std::uint32_t Crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char b : bytes) crc = table[(crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool Take(std::uint32_t& value, int bytes) {
        if (bytes_.size() < static_cast<std::size_t>(bytes)) return false;
        value = 0;
        for (int i = 0; i < bytes; ++i) value |= std::uint32_t{static_cast<unsigned char>(bytes_[i])} << (8 * i);
        bytes_.remove_prefix(static_cast<std::size_t>(bytes));
        return true;
    }
    bool Take(std::string_view& out, std::size_t size) {
        if (bytes_.size() < size) return false;
        out = bytes_.substr(0, size);
        bytes_.remove_prefix(size);
        return true;
    }
    bool AtEnd() const { return bytes_.empty(); }

private:
    std::string_view bytes_;
};

void PutValue(std::string& out, const SavedRegistryValue& value) {
    Put(out, static_cast<std::uint32_t>(value.state), 1);
    if (value.state != SavedRegistryValue::State::Present) return;
    Put(out, value.type, 4);
    Put(out, static_cast<std::uint32_t>(value.data.size()), 4);
    out += value.data;
}

bool TakeValue(Reader& in, SavedRegistryValue& value) {
    std::uint32_t state = 0;
    if (!in.Take(state, 1) || state > static_cast<std::uint32_t>(SavedRegistryValue::State::Present)) return false;
    value.state = static_cast<SavedRegistryValue::State>(state);
    if (value.state != SavedRegistryValue::State::Present) return true;
    std::uint32_t size = 0;
    std::string_view data;
    if (!in.Take(value.type, 4) || !in.Take(size, 4) || !in.Take(data, size)) return false;
    value.data.assign(data);
    return true;
}

std::optional<SavedWallpaperStyle> DecodeUserWallpaperStyle(std::string_view payload) {
    Reader in(payload);
    SavedWallpaperStyle style;
    if (!TakeValue(in, style.tileWallpaper) || !TakeValue(in, style.wallpaperStyle) || !in.AtEnd()) {
        return std::nullopt;
    }
    return style;
}

bool DecodePauseOption(std::string_view payload, UserOptions& options) {
    if (payload.size() != 1 || static_cast<unsigned char>(payload[0]) > 1) return false;
    options.pauseInFullScreen = payload[0] == 1;
    return true;
}

// The display options' tri-state: 0 unset, 1 off, 2 on.
std::string EncodeDisplayOptions(const UserOptions& options) {
    const auto& restore = options.restoreLayoutOnDisplayChange;
    return {static_cast<char>(options.perMonitorPictures ? 1 : 0), static_cast<char>(!restore ? 0 : *restore ? 2 : 1)};
}

bool DecodeDisplayOptions(std::string_view payload, UserOptions& options) {
    if (payload.size() != 2) return false;
    const auto perMonitor = static_cast<unsigned char>(payload[0]);
    const auto restore = static_cast<unsigned char>(payload[1]);
    if (perMonitor > 1 || restore > 2) return false;
    options.perMonitorPictures = perMonitor == 1;
    options.restoreLayoutOnDisplayChange = restore == 0 ? std::nullopt : std::optional<bool>(restore == 2);
    return true;
}

bool DisplayOptionsAtDefault(const UserOptions& options) {
    const UserOptions defaults;
    return options.perMonitorPictures == defaults.perMonitorPictures &&
           options.restoreLayoutOnDisplayChange == defaults.restoreLayoutOnDisplayChange;
}

void PutText(std::string& out, std::string_view text) {
    Put(out, static_cast<std::uint32_t>(text.size()), 4);
    out += text;
}

bool TakeText(Reader& in, std::string& text) {
    std::uint32_t size = 0;
    std::string_view bytes;
    if (!in.Take(size, 4) || !in.Take(bytes, size)) return false;
    text.assign(bytes);
    return true;
}

// One set-up's part of the layouts' record: its key, then 1 for the classic
// layout or 0 and the icons.
std::string EncodeSetupLayout(const SetupLayouts::Entry& entry) {
    std::string out;
    PutText(out, entry.setup);
    Put(out, entry.layout ? 0 : 1, 1);
    if (!entry.layout) return out;
    Put(out, static_cast<std::uint32_t>(entry.layout->Size()), 4);
    entry.layout->ForEach([&out](const IconPosition& icon) {
        Put(out, static_cast<std::uint32_t>(icon.x), 4);
        Put(out, static_cast<std::uint32_t>(icon.y), 4);
        PutText(out, icon.name);
    });
    return out;
}

std::optional<SetupLayouts> DecodeSetupLayouts(std::string_view payload) {
    Reader in(payload);
    std::uint32_t count = 0;
    if (!in.Take(count, 4) || count > SetupLayouts::kMostSetups) return std::nullopt;
    std::vector<SetupLayouts::Entry> entries(count);
    for (auto& entry : entries) {
        std::uint32_t classic = 0, icons = 0;
        if (!TakeText(in, entry.setup) || !in.Take(classic, 1) || classic > 1) return std::nullopt;
        if (classic == 1) continue;
        if (!in.Take(icons, 4)) return std::nullopt;
        entry.layout.emplace();
        for (std::uint32_t i = 0; i < icons; ++i) {
            std::uint32_t x = 0, y = 0;
            IconPosition icon;
            if (!in.Take(x, 4) || !in.Take(y, 4) || !TakeText(in, icon.name)) return std::nullopt;
            icon.x = static_cast<std::int32_t>(x);
            icon.y = static_cast<std::int32_t>(y);
            entry.layout->Insert(icon);
        }
    }
    if (!in.AtEnd()) return std::nullopt;
    return SetupLayouts::FromEntries(std::move(entries));
}

void PutRecord(std::string& out, std::uint16_t tag, const std::string& payload) {
    Put(out, tag, 2);
    Put(out, static_cast<std::uint32_t>(payload.size()), 4);
    out += payload;
}

}  // namespace

std::string EncodeSettingsExtension(const SettingsExtension& extension) {
    if (extension.Empty()) return {};
    std::string records;
    if (extension.userWallpaperStyle) {
        std::string payload;
        PutValue(payload, extension.userWallpaperStyle->tileWallpaper);
        PutValue(payload, extension.userWallpaperStyle->wallpaperStyle);
        PutRecord(records, kUserWallpaperStyleTag, payload);
    }
    // Only a choice other than the default needs a record.
    const UserOptions& options = extension.userOptions;
    if (options.pauseInFullScreen != UserOptions{}.pauseInFullScreen) {
        PutRecord(records, kUserOptionsTag, std::string(1, options.pauseInFullScreen ? '\1' : '\0'));
    }
    if (!DisplayOptionsAtDefault(options)) PutRecord(records, kDisplayOptionsTag, EncodeDisplayOptions(options));
    for (const auto& record : extension.unknownRecords) PutRecord(records, record.tag, record.payload);
    // The layouts go last, as many set-ups as the block has room for, the
    // most recently used first.
    if (!extension.setupLayouts.Empty()) {
        std::string layouts;
        std::uint32_t count = 0;
        const std::size_t room = kLargestSettingsExtension - kHeaderBytes - kRecordHeaderBytes - 4;
        for (const auto& entry : extension.setupLayouts.Entries()) {
            const std::string part = EncodeSetupLayout(entry);
            if (records.size() + layouts.size() + part.size() > room) break;
            layouts += part;
            ++count;
        }
        std::string payload;
        Put(payload, count, 4);
        PutRecord(records, kSetupLayoutsTag, payload + layouts);
    }
    std::string block(kMagic);
    Put(block, kVersion, 4);
    Put(block, static_cast<std::uint32_t>(records.size()), 4);
    Put(block, Crc32(records), 4);
    return block + records;
}

std::optional<SettingsExtension> DecodeSettingsExtension(std::string_view bytes) {
    if (bytes.empty()) return SettingsExtension{};
    Reader in(bytes);
    std::string_view magic, records;
    std::uint32_t version = 0, length = 0, crc = 0;
    if (!in.Take(magic, kMagic.size()) || magic != kMagic || !in.Take(version, 4) || version != kVersion ||
        !in.Take(length, 4) || !in.Take(crc, 4) || !in.Take(records, length) || !in.AtEnd() ||
        Crc32(records) != crc) {
        return std::nullopt;
    }
    SettingsExtension extension;
    for (Reader record(records); !record.AtEnd();) {
        std::uint32_t tag = 0, size = 0;
        std::string_view payload;
        if (!record.Take(tag, 2) || !record.Take(size, 4) || !record.Take(payload, size)) return std::nullopt;
        if (tag == kUserWallpaperStyleTag) {
            extension.userWallpaperStyle = DecodeUserWallpaperStyle(payload);
            if (!extension.userWallpaperStyle) return std::nullopt;
        } else if (tag == kUserOptionsTag) {
            if (!DecodePauseOption(payload, extension.userOptions)) return std::nullopt;
        } else if (tag == kDisplayOptionsTag) {
            if (!DecodeDisplayOptions(payload, extension.userOptions)) return std::nullopt;
        } else if (tag == kSetupLayoutsTag) {
            auto layouts = DecodeSetupLayouts(payload);
            if (!layouts) return std::nullopt;
            extension.setupLayouts = std::move(*layouts);
        } else {
            extension.unknownRecords.push_back({static_cast<std::uint16_t>(tag), std::string(payload)});
        }
    }
    return extension;
}
