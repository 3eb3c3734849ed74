#include "hook/desktop_lookup_win32.h"

HWND FindDesktopListView() {
    const HWND progman = ::FindWindowW(L"Progman", L"Program Manager");
    if (!progman) return nullptr;
    HWND defView = ::FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr);
    for (HWND worker = nullptr; !defView;) {
        worker = ::FindWindowExW(nullptr, worker, L"WorkerW", nullptr);
        if (!worker) return nullptr;
        defView = ::FindWindowExW(worker, nullptr, L"SHELLDLL_DefView", nullptr);
    }
    return ::FindWindowExW(defView, nullptr, L"SysListView32", nullptr);
}
