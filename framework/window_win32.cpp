#include "framework/window_win32.h"

#include "framework/callback_guard.h"
#include "framework/wide_win32.h"

namespace fw {

namespace {

// Subclassed controls keep their object in a property: their own window
// bytes and user data may be in use by the control itself.
constexpr wchar_t kObjectProperty[] = L"fw.Window";

}  // namespace

HINSTANCE ModuleInstance() {
    // The module that holds this code, also when it is linked into a DLL.
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ModuleInstance), &module);
    return module;
}

bool IsTakenOver(HWND control) { return control && ::GetPropW(control, kObjectProperty) != nullptr; }

Window::~Window() {
    if (hwnd_ && controlProc_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc_));
        ::RemovePropW(hwnd_, kObjectProperty);
    } else if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

bool Window::Create(const wchar_t* className, std::string_view title, DWORD style, DWORD exStyle, int x, int y,
                    int width, int height, HWND parent) {
    WNDCLASSEXW wc{};
    if (!::GetClassInfoExW(ModuleInstance(), className, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &Window::ClassProc;
        wc.hInstance = ModuleInstance();
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = className;
        if (!::RegisterClassExW(&wc)) return false;
    }
    return ::CreateWindowExW(exStyle, className, Wide(title).c_str(), style, x, y, width, height, parent, nullptr,
                             ModuleInstance(), this) != nullptr;
}

bool Window::Subclass(HWND control) {
    if (!control || hwnd_) return false;
    hwnd_ = control;
    ::SetPropW(control, kObjectProperty, this);
    controlProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::SubclassProc)));
    if (!controlProc_) {
        ::RemovePropW(control, kObjectProperty);
        hwnd_ = nullptr;
        return false;
    }
    return true;
}

bool Window::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return controlProc_ ? ::CallWindowProcW(controlProc_, hwnd_, message, wParam, lParam)
                        : ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

// A handler that throws (memory ran out) fails its one message with 0; the
// exception must not reach the system, which would end the program.
LRESULT Window::Route(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return GuardedResult(LRESULT{0}, [&] {
        LRESULT result = 0;
        if (OnMessage(message, wParam, lParam, result)) return result;
        return DefaultProc(message, wParam, lParam);
    });
}

LRESULT CALLBACK Window::ClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = self->Route(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<Window*>(::GetPropW(hwnd, kObjectProperty));
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message != WM_NCDESTROY) return self->Route(message, wParam, lParam);
    // The control goes away: put its own procedure back before it handles
    // its last message, so that nothing calls into this object afterwards.
    const WNDPROC own = self->controlProc_;
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    ::RemovePropW(hwnd, kObjectProperty);
    self->hwnd_ = nullptr;
    self->controlProc_ = nullptr;
    return ::CallWindowProcW(own, hwnd, message, wParam, lParam);
}

}  // namespace fw
