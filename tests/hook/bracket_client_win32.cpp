// A program that ends inside a subclass bracket: it subclasses the desktop
// list view, waits until the shell has taken the request, and exits without
// unsubclassing, as a crashing or killed program would.
#include <windows.h>

#include "hook/iconmire_win32.h"
#include "hook/list_view_protocol.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (!BeginSubclassDesktopListView()) return 1;
    // The subclass answers the position of index -1 with -1, the list view
    // itself with 0.
    const UINT probe = list_view_protocol::kGetItemPosX;
    for (int tries = 0; tries < 500; ++tries) {
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(GetDesktopListView(), probe, static_cast<WPARAM>(-1), 0, SMTO_ABORTIFHUNG, 5000, &answer);
        if (static_cast<int>(answer) == -1) return 0;
        ::Sleep(10);
    }
    return 2;
}
