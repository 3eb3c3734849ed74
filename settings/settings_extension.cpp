#include "settings/settings_extension.h"

#include <array>

namespace {

constexpr std::string_view kMagic = "VLXB";
constexpr std::uint32_t kVersion = 1;
constexpr std::uint16_t kUserWallpaperStyleTag = 1;
constexpr std::uint16_t kUserOptionsTag = 2;

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

std::optional<UserOptions> DecodeUserOptions(std::string_view payload) {
    if (payload.size() != 1 || static_cast<unsigned char>(payload[0]) > 1) return std::nullopt;
    return UserOptions{payload[0] == 1};
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
    if (extension.userOptions != UserOptions{}) {
        PutRecord(records, kUserOptionsTag, std::string(1, extension.userOptions.pauseInFullScreen ? '\1' : '\0'));
    }
    for (const auto& record : extension.unknownRecords) PutRecord(records, record.tag, record.payload);
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
            const auto options = DecodeUserOptions(payload);
            if (!options) return std::nullopt;
            extension.userOptions = *options;
        } else {
            extension.unknownRecords.push_back({static_cast<std::uint16_t>(tag), std::string(payload)});
        }
    }
    return extension;
}
