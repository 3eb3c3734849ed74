// Names of the registered window messages between Vistaloom and Iconmire in
// the shell process. Both sides register them by name, so they agree on the
// numbers without exchanging a table. Every answer is one 32-bit result.
#pragma once

namespace list_view_protocol {

inline constexpr char kSubclass[] = "LVM_SUBCLASS";
inline constexpr char kUnsubclass[] = "LVM_UNSUBCLASS";
inline constexpr char kGetItemPosX[] = "LVM_GETITEMPOS_X";
inline constexpr char kGetItemPosY[] = "LVM_GETITEMPOS_Y";
inline constexpr char kGetItemWidth[] = "LVM_GETITEMWIDTH";
inline constexpr char kGetText[] = "LVM_GET_TEXT";
inline constexpr char kGetLParam[] = "LVM_GET_LPARAM";
inline constexpr char kSetWindowLong[] = "LVM_SET_WINDOW_LONG";
inline constexpr char kSortItems[] = "LVM_SORTITEMS_ORG";

}  // namespace list_view_protocol
