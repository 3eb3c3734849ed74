// Values the desktop icon operations send to the shell's list view.
// Portable: no Windows headers.
#pragma once

#include <cstdint>

namespace desktop_rules {

inline constexpr std::uint32_t kSmallIconBit = 0x0002;  // LVS_SMALLICON
inline constexpr std::uint32_t kViewTypeMask = 0x0003;  // LVS_TYPEMASK

// Small icons: the small-icon bit ORed in, the other view bit unchanged.
constexpr std::uint32_t SmallIconStyle(std::uint32_t style) { return style | kSmallIconBit; }
// Standard icons: both view bits cleared, which selects the icon view.
constexpr std::uint32_t StandardIconStyle(std::uint32_t style) { return style & ~kViewTypeMask; }

// LVM_SETITEMPOSITION's parameter: x in the low and y in the high 16 bits,
// each cut to 16 bits.
constexpr std::uint32_t PackItemPosition(std::int32_t x, std::int32_t y) {
    return (static_cast<std::uint32_t>(x) & 0xFFFF) | (static_cast<std::uint32_t>(y) & 0xFFFF) << 16;
}

// Only the low 16 bits of a width answer count.
constexpr std::uint32_t WidthOf(std::int64_t answer) { return static_cast<std::uint32_t>(answer) & 0xFFFF; }

}  // namespace desktop_rules
