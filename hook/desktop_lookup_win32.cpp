#include "hook/desktop_lookup_win32.h"

HWND FindDesktopListView() {
    const HWND progman = ::FindWindowA("Progman", "Program Manager");
    if (!progman) return nullptr;
    HWND defView = ::FindWindowExA(progman, nullptr, "SHELLDLL_DefView", nullptr);
    for (HWND worker = nullptr; !defView;) {
        worker = ::FindWindowExA(nullptr, worker, "WorkerW", nullptr);
        if (!worker) return nullptr;
        defView = ::FindWindowExA(worker, nullptr, "SHELLDLL_DefView", nullptr);
    }
    return ::FindWindowExA(defView, nullptr, "SysListView32", nullptr);
}
