// A program that ends inside a bracket: it subclasses the desktop list view
// and exits without unsubclassing, as a crashing or killed program would.
#include <windows.h>

#include "hook/iconmire_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return BeginSubclassDesktopListView() ? 0 : 1;
}
