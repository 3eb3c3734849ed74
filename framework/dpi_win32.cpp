#include "framework/dpi_win32.h"

#include "framework/handles_win32.h"
#include "framework/system_function_win32.h"
#include "framework/window_win32.h"

namespace fw {

namespace {

UINT SystemDpi() {
    WindowDc screen(nullptr);
    return static_cast<UINT>(::GetDeviceCaps(screen.Get(), LOGPIXELSX));
}

}  // namespace

UINT WindowDpi(HWND window) {
    static const auto getDpiForWindow = SystemFunction<UINT(WINAPI*)(HWND)>("user32.dll", "GetDpiForWindow");
    const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int SmallIconSize(UINT dpi) {
    static const auto getSystemMetricsForDpi =
        SystemFunction<int(WINAPI*)(int, UINT)>("user32.dll", "GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi) return getSystemMetricsForDpi(SM_CXSMICON, dpi);
    // The metrics of the system are those of its own DPI.
    return ::MulDiv(::GetSystemMetrics(SM_CXSMICON), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

HICON LoadIconOfSize(int id, int size) {
    // The version 6 common controls, which the manifest asks for, have it.
    static const auto loadIconWithScaleDown =
        SystemFunction<HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*)>("comctl32.dll", "LoadIconWithScaleDown");
    HICON icon = nullptr;
    if (loadIconWithScaleDown &&
        SUCCEEDED(loadIconWithScaleDown(ModuleInstance(), MAKEINTRESOURCEW(id), size, size, &icon))) {
        return icon;
    }
    return static_cast<HICON>(::LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

}  // namespace fw
