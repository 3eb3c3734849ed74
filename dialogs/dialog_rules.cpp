#include "dialogs/dialog_rules.h"

#include <charconv>

#include "resources/texts.h"

std::optional<std::int32_t> ParseInteger(std::string_view text) {
    // from_chars takes a minus sign but no plus sign.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

namespace {

constexpr std::uint8_t kModAlt = 1, kModControl = 2, kModShift = 4;
constexpr std::uint8_t kFlagShift = 1, kFlagControl = 2, kFlagAlt = 4, kFlagExtended = 8;

}  // namespace

bool IsExtendedKey(std::uint8_t vk) {
    return (vk >= 0x21 && vk <= 0x28) ||  // page keys, End, Home, arrows
           vk == 0x2C || vk == 0x2D || vk == 0x2E ||  // Print Screen, Insert, Delete
           (vk >= 0x5B && vk <= 0x5D) ||  // Windows and application keys
           vk == 0x6F || vk == 0x90;      // numeric-pad divide, Num Lock
}

std::uint16_t StoredHotkeyFromControl(std::uint16_t controlWord) {
    const std::uint8_t flags = controlWord >> 8;
    const std::uint8_t modifiers = ((flags & kFlagAlt) ? kModAlt : 0) | ((flags & kFlagControl) ? kModControl : 0) |
                                   ((flags & kFlagShift) ? kModShift : 0);
    return static_cast<std::uint16_t>(modifiers << 8 | (controlWord & 0xFF));
}

std::uint16_t ControlWordFromStored(std::uint16_t stored) {
    const std::uint8_t modifiers = stored >> 8;
    const auto vk = static_cast<std::uint8_t>(stored & 0xFF);
    const std::uint8_t flags = ((modifiers & kModAlt) ? kFlagAlt : 0) | ((modifiers & kModControl) ? kFlagControl : 0) |
                               ((modifiers & kModShift) ? kFlagShift : 0) | (IsExtendedKey(vk) ? kFlagExtended : 0);
    return static_cast<std::uint16_t>(flags << 8 | vk);
}
