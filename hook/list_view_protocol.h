// The registered messages between Vistaloom and Iconmire in the shell's
// process, and what each carries. The program sends them to the desktop
// list view inside a subclass bracket (BeginSubclassDesktopListView ...
// EndSubclassDesktopListView); the library's replacement procedure answers.
// "Index" is a list-view item index. Every answer is one 32-bit result, so
// nothing but numbers and global atoms crosses between the processes.
#pragma once

#include "framework/registered_message_win32.h"

namespace list_view_protocol {

// Posted to the list view's thread, not to a window: the library's message
// hook installs the subclass on it. Only the library's exports use the two.
inline const fw::RegisteredMessage kSubclass{"LVM_SUBCLASS"};
// Puts the list view's own procedure back; answers 1.
inline const fw::RegisteredMessage kUnsubclass{"LVM_UNSUBCLASS"};
// wParam index: the item's x (or y), or -1 when it has no position. For
// index -1 only the subclass answers -1, the list view's own procedure 0:
// the program asks that to learn whether the subclass is in place.
inline const fw::RegisteredMessage kGetItemPosX{"LVM_GETITEMPOS_X"};
inline const fw::RegisteredMessage kGetItemPosY{"LVM_GETITEMPOS_Y"};
// wParam index: the width of the item's bounds in pixels, 0 for no item.
inline const fw::RegisteredMessage kGetItemWidth{"LVM_GETITEMWIDTH"};
// wParam index: a global atom whose UTF-16 name is the item's text, 0 when
// there is none (no item, or a text over the 255 UTF-16 units an atom
// holds). The receiver reads it with GlobalGetAtomNameW and deletes it.
inline const fw::RegisteredMessage kGetText{"LVM_GET_TEXT"};
// wParam index: the item's application value. The program never sends it.
inline const fw::RegisteredMessage kGetLParam{"LVM_GET_LPARAM"};
// wParam GWL_STYLE, lParam the new style: the style before. Any other
// window-long index is refused with 0.
inline const fw::RegisteredMessage kSetWindowLong{"LVM_SET_WINDOW_LONG"};
// wParam the sort kind (0 name, 1 type, 2 size, 3 date): the shell's copy
// of the library sorts the icons; answers 0.
inline const fw::RegisteredMessage kSortItems{"LVM_SORTITEMS_ORG"};

}  // namespace list_view_protocol
