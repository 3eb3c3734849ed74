// The window layer: one static procedure per kind of window that finds the
// C++ object behind a window and lets its message map handle the message.
#pragma once

#include <windows.h>

#include <string_view>

#include "framework/message_map_win32.h"

namespace fw {

HINSTANCE ModuleInstance();

// A dialog sends a control that a Window object has taken over these
// messages, numbered kReflectBase + the original message, so that an
// owner-drawn control draws and answers for itself.
inline constexpr UINT kReflectBase = WM_USER + 0x1C00;
// True when a Window object has taken over the control.
bool IsTakenOver(HWND control);

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return hwnd_; }

    // Registers the window class on first use and creates a window attached
    // to this object; false when the window could not be created.
    bool Create(const wchar_t* className, std::string_view title, DWORD style, DWORD exStyle, int x, int y,
                int width, int height, HWND parent = nullptr);
    // Takes over an existing control: the message map sees its messages first
    // and the control's own procedure gets what the map does not handle.
    bool Subclass(HWND control);

protected:
    // The message map of the derived class; false when it does not handle the message.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The window's own procedure: DefWindowProc, or the control's procedure.
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK ClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HWND hwnd_ = nullptr;
    WNDPROC controlProc_ = nullptr;  // the subclassed control's own procedure
};

}  // namespace fw
