// How a Wine test drives the fake shell, a stand-in for the desktop
// hierarchy that Wine lacks: "Progman" > "SHELLDLL_DefView" > "SysListView32"
// (or that list view under a "WorkerW" window). The test sends these
// messages to the fake shell's hidden control window; every answer is an
// integer, texts come back as global atoms (UTF-16 names) that the test
// deletes.
#pragma once

#include <windows.h>

namespace fake_shell {

inline constexpr wchar_t kControlClass[] = L"VistaloomFakeShellControl";

// WM_COPYDATA with this id sets the items: lines "text\tx\ty\n" in UTF-16,
// so that an item may bear any name.
inline constexpr ULONG_PTR kSetItems = 1;

enum Query : UINT {
    kItemCount = WM_APP + 1,
    kItemX,             // wParam index; LVM_GETITEMPOSITION's x, or -99999 when it fails
    kItemY,
    kItemText,          // wParam index; a global atom, or 0
    kItemWidth,         // wParam index; the width of LVM_GETITEMRECT's bounds, as the list view measures it
    kStyle,             // the list view's style
    kOwnProcedure,      // 1 when the list view's procedure is the one it was created with
    kUserData,          // GWLP_USERDATA of the list view
    kTextBkSets,        // LVM_SETTEXTBKCOLOR messages received since the last reset
    kTextBkColor,       // LVM_GETTEXTBKCOLOR
    kLastColumnWidth,   // lParam of the last LVM_SETCOLUMNWIDTH, or -2 when none came
    kResetCounters,
    kVisible,           // IsWindowVisible of the list view
    kIconmireLoaded,    // 1 when Iconmire.dll is loaded in the fake shell
    kDestroyListView,   // destroys the list view while it may be subclassed
    kCreateListView,    // creates a fresh, empty one
    kMark,              // posted with wParam n: remembers n once every message posted before it was taken
    kLastMark,          // the last n remembered
    kStall,             // posted with wParam ms: the thread answers sent messages only, as a busy shell thread does
    kRearranging,       // 1 while the desktop rearranges its icons after a display change
    kQuit,
};

}  // namespace fake_shell
