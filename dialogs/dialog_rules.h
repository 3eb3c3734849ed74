// The decisions of the settings dialog and its pages.
// Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// An optional sign and decimal digits that fit 32 bits; nothing else.
std::optional<std::int32_t> ParseInteger(std::string_view text);

// Between the stored boss hotkey (low byte virtual key, high byte MOD_*:
// Alt 1, Control 2, Shift 4, Windows 8) and the hotkey control's word (low
// byte virtual key, high byte HOTKEYF_*: Shift 1, Control 2, Alt 4,
// Extended 8). The extended-key flag never reaches the stored word, where
// bit 8 would register the Windows key; it is set again for an extended key
// shown in the control, so that it shows as typed.
std::uint16_t StoredHotkeyFromControl(std::uint16_t controlWord);
std::uint16_t ControlWordFromStored(std::uint16_t stored);
bool IsExtendedKey(std::uint8_t virtualKey);
