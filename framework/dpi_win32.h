// The DPI a window is shown at, and icons loaded for it. The calls that know
// a window's own DPI came with Windows 10; on older systems the program is
// aware of the system DPI only, and these fall back to it.
#pragma once

#include <windows.h>

namespace fw {

// The window's DPI: its monitor's under per-monitor awareness, else the system's.
UINT WindowDpi(HWND window);
// The side of a small icon at that DPI: 16 pixels at 96 DPI, 24 at 144.
int SmallIconSize(UINT dpi);
// The module's icon resource at that size, scaled down from a larger image
// when it has none of that size; null when it cannot be loaded.
HICON LoadIconOfSize(int id, int size);

}  // namespace fw
