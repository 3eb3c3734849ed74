// The desktop's list view in the shell process. Both binaries compile this
// lookup into themselves: the program runs its own copy of it.
#pragma once

#include <windows.h>

// "Progman" / "Program Manager", its "SHELLDLL_DefView", that window's
// "SysListView32". Only when Progman holds no SHELLDLL_DefView, the one that
// a "WorkerW" top-level window holds: current shells move it there once a
// wallpaper slideshow or animation has run. Null when not found.
HWND FindDesktopListView();
